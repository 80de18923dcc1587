#include "PageDevice.h"

#include "Barcode.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>
#include <vector>

namespace quill::printing {

namespace {

// Source span [first, last) of target pixel i when n source pixels map onto m.
inline void span(int i, int n, int m, int& first, int& last)
{
    first = static_cast<int>(static_cast<long long>(i) * n / m);
    last = static_cast<int>(static_cast<long long>(i + 1) * n / m);
    if (last <= first)
        last = first + 1;
}

constexpr int dotsPerMeter(int dpi)
{
    return static_cast<int>(std::lround(dpi / 0.0254));
}

} // namespace

QImage StretchBitmap(const QImage& bitmap, int width, int height)
{
    if (bitmap.isNull() || width <= 0 || height <= 0)
        return {};
    const QImage src = bitmap.format() == QImage::Format_Grayscale8
                           ? bitmap
                           : bitmap.convertToFormat(QImage::Format_Grayscale8);
    const int sw = src.width(), sh = src.height();
    if (src.isNull() || (sw == width && sh == height))
        return src;
    // Columns first, then rows; each target pixel is the darkest of its source span.
    std::vector<int> x0(static_cast<std::size_t>(width)), x1(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x)
        span(x, sw, width, x0[static_cast<std::size_t>(x)], x1[static_cast<std::size_t>(x)]);
    QImage cols(width, sh, QImage::Format_Grayscale8);
    if (cols.isNull())
        return {}; // too large for memory: nothing is drawn, never a crash
    for (int y = 0; y < sh; ++y) {
        const uchar* in = src.constScanLine(y);
        uchar* out = cols.scanLine(y);
        // A bar code's rows are mostly alike: a row like the one above is copied.
        if (y > 0 && std::memcmp(in, src.constScanLine(y - 1), static_cast<std::size_t>(sw)) == 0) {
            std::memcpy(out, cols.constScanLine(y - 1), static_cast<std::size_t>(width));
            continue;
        }
        for (int x = 0; x < width; ++x) {
            const int first = x0[static_cast<std::size_t>(x)], last = x1[static_cast<std::size_t>(x)];
            uchar v = in[first];
            for (int s = first + 1; s < last; ++s)
                v = std::min(v, in[s]);
            out[x] = v;
        }
    }
    if (height == sh)
        return cols;
    QImage out(width, height, QImage::Format_Grayscale8);
    if (out.isNull())
        return {};
    for (int y = 0; y < height; ++y) {
        int first, last;
        span(y, sh, height, first, last);
        uchar* row = out.scanLine(y);
        std::memcpy(row, cols.constScanLine(first), static_cast<std::size_t>(width));
        for (int s = first + 1; s < last; ++s) {
            const uchar* in = cols.constScanLine(s);
            for (int x = 0; x < width; ++x)
                row[x] = std::min(row[x], in[x]);
        }
    }
    return out;
}

// ---------------------------------------------------------------------------------------

PainterPageDevice::PainterPageDevice() = default;
PainterPageDevice::~PainterPageDevice() = default;

bool PainterPageDevice::beginPainting(QPaintDevice* device)
{
    m_device = device;
    m_painter = std::make_unique<QPainter>();
    if (!m_painter->begin(device)) {
        m_painter.reset();
        m_device = nullptr;
        return false;
    }
    m_painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
    return true;
}

void PainterPageDevice::endPainting()
{
    if (m_painter)
        m_painter->end();
    m_painter.reset();
    m_device = nullptr;
}

void PainterPageDevice::printText(QPoint at, const QString& text, const QFont& font, int angle)
{
    if (!m_painter)
        return;
    m_painter->save();
    m_painter->setFont(font);
    const QFontMetrics fm = m_painter->fontMetrics();
    const int w = fm.horizontalAdvance(text);
    const int h = fm.height();
    m_painter->translate(at);
    m_painter->rotate(-angle / 10.0); // tenths of a degree, counter-clockwise on the page
    m_painter->fillRect(QRect(0, 0, w, h), Qt::white);
    m_painter->setPen(Qt::black);
    m_painter->drawText(QPoint(0, fm.ascent()), text);
    m_painter->restore();
}

void PainterPageDevice::printBitmap(const QRect& target, const QImage& bitmap)
{
    if (!m_painter || target.width() <= 0 || target.height() <= 0)
        return;
    QImage scaled = StretchBitmap(bitmap, target.width(), target.height());
    if (monoBitmaps())
        scaled = ToMonoBitmap(scaled);
    if (!scaled.isNull())
        m_painter->drawImage(target.topLeft(), scaled);
}

int PainterPageDevice::textWidth(const QString& text, const QFont& font) const
{
    if (!m_painter)
        return QFontMetrics(font, m_device).horizontalAdvance(text);
    // The painter's metrics are the ones printText draws with, and far cheaper to get.
    m_painter->save();
    m_painter->setFont(font);
    const int w = m_painter->fontMetrics().horizontalAdvance(text);
    m_painter->restore();
    return w;
}

// ---------------------------------------------------------------------------------------

RasterPage::RasterPage(int dpi, int physicalOffsetX, int physicalOffsetY)
    : m_dpi(dpi), m_offsetX(physicalOffsetX), m_offsetY(physicalOffsetY)
{
}

std::optional<QString> RasterPage::beginJob()
{
    // The printable area of a Letter sheet, the same margin on both sides.
    const int w = static_cast<int>(8.5 * m_dpi) - 2 * m_offsetX;
    const int h = 11 * m_dpi - 2 * m_offsetY;
    // The page of the previous job is reused: a 600-dpi sheet is 33 MB, and mapping fresh
    // memory for it costs more than drawing the whole form.
    if (m_image.size() != QSize(std::max(1, w), std::max(1, h))) {
        m_image = QImage(std::max(1, w), std::max(1, h), QImage::Format_Grayscale8);
        m_image.setDotsPerMeterX(dotsPerMeter(m_dpi));
        m_image.setDotsPerMeterY(dotsPerMeter(m_dpi));
    }
    for (int y = 0; y < m_image.height(); ++y)
        std::memset(m_image.scanLine(y), 255, static_cast<std::size_t>(m_image.width()));
    m_cells.clear();
    if (!beginPainting(&m_image))
        return QString("The page cannot be drawn.");
    return std::nullopt;
}

void RasterPage::printBitmap(const QRect& target, const QImage& bitmap)
{
    if (!painter() || target.width() <= 0 || target.height() <= 0)
        return;
    const QImage scaled = StretchBitmap(bitmap, target.width(), target.height());
    const QRect visible = target.intersected(m_image.rect()); // outside the printable area: clipped
    if (visible.isEmpty() || scaled.isNull())
        return;
    const int sx = visible.left() - target.left();
    for (int y = visible.top(); y <= visible.bottom(); ++y)
        std::memcpy(m_image.scanLine(y) + visible.left(), scaled.constScanLine(y - target.top()) + sx,
                    static_cast<std::size_t>(visible.width()));
}

const QImage& RasterPage::cell(const QString& text, const QFont& font)
{
    const QString key = font.key() + QChar(0) + text;
    auto found = m_cells.find(key);
    if (found != m_cells.end())
        return found->second;
    QFont plain = font;
    plain.setStyleStrategy(QFont::NoAntialias); // two colours, as a laser printer puts it
    const QFontMetrics fm(plain, &m_image);
    QImage image(std::max(1, fm.horizontalAdvance(text)), std::max(1, fm.height()),
                 QImage::Format_Grayscale8);
    image.setDotsPerMeterX(m_image.dotsPerMeterX());
    image.setDotsPerMeterY(m_image.dotsPerMeterY());
    image.fill(255);
    {
        QPainter p(&image);
        p.setFont(plain);
        p.setPen(Qt::black);
        p.drawText(QPoint(0, fm.ascent()), text);
    }
    return m_cells.emplace(key, std::move(image)).first->second;
}

void RasterPage::printText(QPoint at, const QString& text, const QFont& font, int angle)
{
    if (!painter())
        return;
    if (angle != 0 && angle != 900 && angle != 1800 && angle != 2700) {
        PainterPageDevice::printText(at, text, font, angle);
        return;
    }
    const QImage& c = cell(text, font);
    const int w = c.width(), h = c.height();
    const int pw = m_image.width(), ph = m_image.height();
    uchar* const base = m_image.bits();
    const qsizetype bpl = m_image.bytesPerLine();
    // Cell pixel (u, v) lands where the painter's turn about `at` would put it:
    //   0: (x+u, y+v)   900: (x+v, y-1-u)   1800: (x-1-u, y-1-v)   2700: (x-1-v, y+u)
    for (int v = 0; v < h; ++v) {
        const uchar* row = c.constScanLine(v);
        for (int u = 0; u < w; ++u) {
            int x, y;
            if (angle == 0) {
                x = at.x() + u;
                y = at.y() + v;
            } else if (angle == 900) {
                x = at.x() + v;
                y = at.y() - 1 - u;
            } else if (angle == 1800) {
                x = at.x() - 1 - u;
                y = at.y() - 1 - v;
            } else {
                x = at.x() - 1 - v;
                y = at.y() + u;
            }
            if (x >= 0 && x < pw && y >= 0 && y < ph)
                base[y * bpl + x] = row[u];
        }
    }
}

std::optional<QString> RasterPage::endJob()
{
    endPainting();
    ++m_jobs;
    return std::nullopt;
}

// ---------------------------------------------------------------------------------------

struct PdfPage::Writer
{
    // The writer gets a file of ours: its own end() reports success even when the disk filled
    // up under it, and only the file can tell that the PDF is whole.
    QFile file;
    QPdfWriter pdf;
    explicit Writer(const QString& name) : file(name), pdf(&file) {}
};

PdfPage::PdfPage(QString fileName, int dpi) : m_fileName(std::move(fileName)), m_dpi(dpi) {}

PdfPage::~PdfPage() = default;

std::optional<QString> PdfPage::beginJob()
{
    m_writer = std::make_unique<Writer>(m_fileName);
    if (!m_writer->file.open(QIODevice::WriteOnly)) {
        m_writer.reset();
        return QString("The PDF file %1 cannot be written.").arg(m_fileName);
    }
    QPdfWriter& pdf = m_writer->pdf;
    pdf.setResolution(m_dpi);
    pdf.setPageLayout(
        QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    pdf.setTitle(documentName());
    pdf.setCreator("Quillmark");
    if (!beginPainting(&pdf)) {
        m_writer.reset();
        if (QFileInfo(m_fileName).isFile())
            QFile::remove(m_fileName); // the empty file opened for it
        return QString("The PDF file %1 cannot be written.").arg(m_fileName);
    }
    return std::nullopt;
}

std::optional<QString> PdfPage::endJob()
{
    endPainting();
    if (!m_writer)
        return std::nullopt;
    QFile& file = m_writer->file;
    const bool written = file.flush() && file.error() == QFileDevice::NoError;
    file.close();
    const bool whole = written && file.error() == QFileDevice::NoError;
    const bool plainFile = QFileInfo(m_fileName).isFile(); // never a device such as /dev/full
    m_writer.reset();
    if (!whole) {
        // A torn PDF would pass for the form: it goes, and the job is the command's failure.
        if (plainFile)
            QFile::remove(m_fileName);
        return QString("The PDF file %1 cannot be written.").arg(m_fileName);
    }
    return std::nullopt;
}

// ---------------------------------------------------------------------------------------

PdfFolderPage::PdfFolderPage(QString folder, int dpi) : PdfPage(QString(), dpi), m_folder(std::move(folder))
{
}

std::optional<QString> PdfFolderPage::beginJob()
{
    QDir dir(m_folder);
    if (!dir.exists() && !QDir().mkpath(m_folder))
        return QString("The folder %1 cannot be created.").arg(m_folder);
    QString name = documentName();
    for (QChar& c : name)
        if (!c.isLetterOrNumber() && c != '-' && c != '_')
            c = '_';
    const QString stem = QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss") + "-" + name;
    QString file = dir.filePath(stem + ".pdf");
    for (int n = 2; QFileInfo::exists(file); ++n)
        file = dir.filePath(QString("%1-%2.pdf").arg(stem).arg(n)); // never overwrite an earlier form
    setFileName(file);
    return PdfPage::beginJob();
}

// ---------------------------------------------------------------------------------------

RecordingPage::RecordingPage(int dpi, int physicalOffsetX, int physicalOffsetY)
    : m_dpi(dpi), m_offsetX(physicalOffsetX), m_offsetY(physicalOffsetY),
      m_measure(1, 1, QImage::Format_Grayscale8)
{
    m_measure.setDotsPerMeterX(dotsPerMeter(dpi));
    m_measure.setDotsPerMeterY(dotsPerMeter(dpi));
}

std::optional<QString> RecordingPage::beginJob()
{
    if (failBegin)
        return failBegin;
    ++begun;
    return std::nullopt;
}

std::optional<QString> RecordingPage::endJob()
{
    ++ended;
    return std::nullopt;
}

void RecordingPage::printText(QPoint at, const QString& text, const QFont& font, int angle)
{
    texts.push_back({at, text, font.family(), font.pixelSize(), font.bold(), angle});
}

void RecordingPage::printBitmap(const QRect& target, const QImage& bitmap)
{
    bitmaps.push_back({target, bitmap});
}

int RecordingPage::textWidth(const QString& text, const QFont& font) const
{
    return QFontMetrics(font, &m_measure).horizontalAdvance(text);
}

} // namespace quill::printing
