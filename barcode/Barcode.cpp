#include "Barcode.h"

#include "Code128.h"
#include "Code39.h"
#include "Code93.h"
#include "Interleaved2of5.h"
#include "Postnet.h"
#include "UpcEan.h"

#include <QFontMetrics>
#include <QPainter>

#include <cstring>
#include <limits>
#include <new>
#include <vector>

using namespace quill::barcode;

namespace {

constexpr int ScreenDotsPerMeter = 3780; // 96 dpi: the point size of the text is screen points

} // namespace

Modules quill::barcode::SymbolModules(TBarCodeType type, const std::string& text)
{
    switch (type) {
    case bcCode128:
        return Code128Modules(EncodeCode128(text, false));
    case bcEAN128:
        return Code128Modules(EncodeCode128(text, true));
    case bcCode39:
        return Code39Modules(text);
    case bcCode39Ext:
        return Code39ExtModules(text);
    case bcCode93:
        return Code93Modules(text);
    case bcInt2of5:
        return Interleaved2of5Modules(text);
    case bcUPCA:
        return UpcAModules(text);
    case bcEAN13:
        return Ean13Modules(text);
    case bcEAN8:
        return Ean8Modules(text);
    case bcUPCE:
        return UpcEModules(text);
    case bcUPC2ext:
        return Upc2Modules(text);
    case bcUPC5ext:
        return Upc5Modules(text);
    case bcPOSTNET:
        return PostnetModules(text);
    }
    return {};
}

std::string quill::barcode::BitmapMemoryError(std::int64_t width, std::int64_t height)
{
    return "Not enough memory for a bar-code bitmap of " + std::to_string(width) + " x " +
           std::to_string(height) + " pixels";
}

namespace {

// A white 8-bit bitmap, or a null one when it cannot be had: wider than an image can be, or
// more than the memory there is.
QImage whiteBitmap(std::int64_t width, int height)
{
    if (width > std::numeric_limits<int>::max())
        return {};
    QImage bitmap(static_cast<int>(width), height, QImage::Format_Grayscale8);
    if (bitmap.isNull())
        return bitmap;
    bitmap.setDotsPerMeterX(ScreenDotsPerMeter);
    bitmap.setDotsPerMeterY(ScreenDotsPerMeter);
    bitmap.fill(255);
    return bitmap;
}

// Writes the w bytes of `in` in reverse order to `out`, eight at a time.
void reverseRow(const uchar* in, uchar* out, int w)
{
    int x = 0;
    for (; x + 8 <= w; x += 8) {
        uint64_t chunk;
        std::memcpy(&chunk, in + w - x - 8, 8);
        chunk = __builtin_bswap64(chunk);
        std::memcpy(out + x, &chunk, 8);
    }
    for (; x < w; ++x)
        out[x] = in[w - 1 - x];
}

// Turns a bitmap a quarter: pixel (x, y) of a w x h source goes to (h-1-y, x) clockwise,
// (y, w-1-x) back. (A half turn is done in place.)
QImage rotated(const QImage& src, TbcRotate rotate)
{
    const int w = src.width(), h = src.height();
    QImage dst(h, w, QImage::Format_Grayscale8);
    if (dst.isNull())
        return dst; // no memory for it
    dst.setDotsPerMeterX(src.dotsPerMeterX());
    dst.setDotsPerMeterY(src.dotsPerMeterY());
    uchar* const base = dst.bits();
    const qsizetype bpl = dst.bytesPerLine();
    for (int y = 0; y < h; ++y) {
        const uchar* in = src.constScanLine(y);
        for (int x = 0; x < w; ++x) {
            if (rotate == bcRotate90)
                base[x * bpl + (h - 1 - y)] = in[x];
            else
                base[(w - 1 - x) * bpl + y] = in[x];
        }
    }
    return dst;
}

} // namespace

TBarcodeBmp::TBarcodeBmp() : m_font("Courier New")
{
    RebuildSymbol();
}

void TBarcodeBmp::setHeight(int height)
{
    m_height = height;
    RebuildSymbol();
}

void TBarcodeBmp::setBarcodeText(std::string_view text)
{
    m_text = FilterBarcodeText(m_type, text);
    RebuildSymbol();
}

void TBarcodeBmp::setBarcodeType(TBarCodeType type)
{
    m_type = type;
    setBarcodeText(std::string(m_text)); // what is left of the text is filtered again
    RebuildSymbol();
}

void TBarcodeBmp::setFont(const QFont* font)
{
    if (!font)
        return;
    m_font = *font;
    RebuildSymbol();
}

void TBarcodeBmp::setScale(int scale)
{
    m_scale = scale;
    RebuildSymbol();
}

void TBarcodeBmp::setInterpret(bool interpret)
{
    m_interpret = interpret;
    RebuildSymbol();
}

void TBarcodeBmp::setRotate(TbcRotate rotate)
{
    m_rotate = rotate;
    RebuildSymbol();
}

void TBarcodeBmp::Loaded()
{
    m_loading = false;
    RebuildSymbol();
}

std::string TBarcodeBmp::FilterBarcodeText(TBarCodeType type, std::string_view text)
{
    switch (type) {
    case bcCode128:
    case bcEAN128:
    case bcCode39Ext:
    case bcCode93:
        return KeepAscii(text);
    case bcCode39:
        return FilterCode39(text);
    case bcUPCA:
        return KeepDigits(text, 11);
    case bcInt2of5:
        return KeepDigits(text);
    case bcEAN13:
        return KeepDigits(text, 12);
    case bcEAN8:
        return KeepDigits(text, 7);
    case bcUPCE:
        return KeepDigits(text, 6);
    case bcUPC2ext:
        return KeepDigits(text, 2);
    case bcUPC5ext:
        return KeepDigits(text, 5);
    case bcPOSTNET:
        return KeepDigits(text, 11);
    }
    return {};
}

std::int64_t TBarcodeBmp::SymbolWidth(int scale, TBarCodeType type, const std::string& text)
{
    const std::int64_t s = scale;
    if (text.empty())
        return 20 * s;
    const auto n = static_cast<std::int64_t>(text.size());
    switch (type) {
    case bcCode128:
    case bcEAN128:
        return s * (11 * static_cast<std::int64_t>(EncodeCode128(text, type == bcEAN128).size()) + 22);
    case bcCode39:
        return s * (13 * (n + 2) + 20);
    case bcCode39Ext:
        return s * (13 * (2 + static_cast<std::int64_t>(Code39ExtLength(text))) + 20);
    case bcCode93:
        return s * (9 * static_cast<std::int64_t>(Code93Values(text).size()) + 57);
    case bcInt2of5:
        return s * (9 * (n % 2 == 0 ? n : n + 1) + 29);
    case bcUPCA:
    case bcEAN13:
        return 115 * s;
    case bcEAN8:
        return 87 * s;
    case bcUPCE:
        return 71 * s;
    case bcUPC2ext:
        return 40 * s;
    case bcUPC5ext:
        return 67 * s;
    case bcPOSTNET:
        return s * (10 * (n + 1) + 23);
    }
    return 20 * s;
}

void TBarcodeBmp::RebuildSymbol()
{
    if (m_loading)
        return;
    RenderSymbol();
}

void TBarcodeBmp::RenderSymbol()
{
    m_error.reset();
    const int s = m_scale;
    const int h = m_height;
    const std::int64_t width = SymbolWidth(s, m_type, m_text);
    // A bitmap of the same size is drawn over again: a form's symbols are rendered one after
    // another at one size, and fresh memory for each costs more than the drawing (page faults).
    // Any other goes back before the new one is asked for, so a huge old one is never held
    // while a new one is sought.
    const bool reuse = !m_bitmap.isNull() && m_bitmap.width() == width && m_bitmap.height() == h &&
                       m_bitmap.format() == QImage::Format_Grayscale8 && m_bitmap.isDetached();
    if (!reuse)
        m_bitmap = QImage();
    if (width <= 0 || h <= 0)
        return; // nothing to draw at this size

    // Every allocation below can fail for a huge scale or height: the component then holds
    // a null bitmap and says why, and draws nothing into memory it does not have.
    auto fail = [&](std::int64_t w, std::int64_t ht) {
        m_bitmap = QImage();
        m_error = BitmapMemoryError(w, ht);
    };
    if (reuse)
        m_bitmap.fill(255);
    else
        m_bitmap = whiteBitmap(width, h);
    if (m_bitmap.isNull())
        return fail(width, h);
    try {
        DrawSymbol(static_cast<int>(width));
        if (m_interpret && !m_text.empty() && m_type != bcPOSTNET)
            DrawInterpretation(static_cast<int>(width));
    } catch (const std::bad_alloc&) {
        return fail(width, h);
    }

    if (m_rotate == bcRotate180) {
        // A half turn needs no second bitmap: rows swap ends and are reversed in place.
        std::vector<uchar> row;
        try {
            row.resize(static_cast<std::size_t>(width));
        } catch (const std::bad_alloc&) {
            return fail(width, h);
        }
        for (int top = 0, bottom = h - 1; top <= bottom; ++top, --bottom) {
            reverseRow(m_bitmap.constScanLine(top), row.data(), static_cast<int>(width));
            if (top != bottom)
                reverseRow(m_bitmap.constScanLine(bottom), m_bitmap.scanLine(top), static_cast<int>(width));
            std::memcpy(m_bitmap.scanLine(bottom), row.data(), row.size());
        }
    } else if (m_rotate != bcNoRotate) {
        QImage turned = rotated(m_bitmap, m_rotate);
        if (turned.isNull()) {
            const bool quarter = m_rotate == bcRotate90 || m_rotate == bcRotate270;
            return fail(quarter ? h : width, quarter ? width : h);
        }
        m_bitmap = std::move(turned);
    }
}

void TBarcodeBmp::DrawSymbol(int width)
{
    if (m_text.empty())
        return;
    const int s = m_scale;
    const int h = m_height;
    const int b = m_interpret ? 5 * s : 0;
    const Modules modules = SymbolModules(m_type, m_text);
    // Bars start at top and run barHeight rows; POSTNET's short bars stand on the base
    // line and leave the upper half white.
    int top = 0;
    int barHeight = h - b;
    if (m_type == bcPOSTNET)
        barHeight = h;
    else if (m_type == bcUPC2ext || m_type == bcUPC5ext) {
        top = 3 * b;
        barHeight = h - 3 * b;
    }
    const int shortTop = m_type == bcPOSTNET ? h / 2 : top;

    // Two scan lines hold the whole symbol: one with every bar, one with the tall bars
    // only; the bitmap's rows are copies of them.
    std::vector<uchar> full(static_cast<std::size_t>(width), 255);
    std::vector<uchar> tallOnly(static_cast<std::size_t>(width), 255);
    std::int64_t x = 10 * static_cast<std::int64_t>(s);
    for (uint8_t m : modules) {
        if (m != Space && x >= 0 && x + s <= width) {
            std::memset(full.data() + x, 0, static_cast<std::size_t>(s));
            if (m == Bar)
                std::memset(tallOnly.data() + x, 0, static_cast<std::size_t>(s));
        }
        x += s;
    }
    const int end = std::min(h, top + barHeight);
    for (int y = std::max(0, top); y < end; ++y)
        std::memcpy(m_bitmap.scanLine(y), (y >= shortTop ? full : tallOnly).data(),
                    static_cast<std::size_t>(width));
}

void TBarcodeBmp::DrawInterpretation(int w)
{
    const int s = m_scale;
    const int h = m_height;
    m_font.setPointSize(std::max(1, 8 * s));
    QFont font = m_font;
    font.setStyleStrategy(QFont::NoAntialias); // two colours only
    QPainter p(&m_bitmap);
    p.setFont(font);
    const QFontMetrics fm(font, &m_bitmap);
    const int th = fm.height();

    // Each piece of text sits on its own opaque white box, anchored at its top-left.
    auto put = [&](const QString& text, int x, int y) {
        const int tw = fm.horizontalAdvance(text);
        p.fillRect(QRect(x, y, tw, th), Qt::white);
        p.setPen(Qt::black);
        p.drawText(QPoint(x, y + fm.ascent()), text);
    };
    auto width = [&](const QString& text) { return fm.horizontalAdvance(text); };
    auto centred = [&](const QString& text, int y) { put(text, w / 2 - width(text) / 2, y); };

    const QString text = QString::fromLatin1(m_text.data(), static_cast<qsizetype>(m_text.size()));
    switch (m_type) {
    case bcUPCA: {
        const QString d = QString::fromStdString(UpcADigits(m_text));
        const int y = h + 2 - th;
        put(d.left(1), 0, y);
        put(d.right(1), w - width(d.right(1)), y);
        put(d.mid(1, 5), w / 3 - width(d.mid(1, 5)) / 2, y);
        put(d.mid(6, 5), 2 * (w / 3) - width(d.mid(6, 5)) / 2, y);
        break;
    }
    case bcEAN13: {
        const QString d = QString::fromStdString(Ean13Digits(m_text));
        const int y = h + 2 - th;
        put(d.left(1), 0, y);
        centred(d.mid(1, 6) + " " + d.mid(7, 6), y);
        break;
    }
    case bcUPCE: {
        const QString d = QString::fromStdString(UpcEDigits(m_text));
        const int y = h + 2 - th;
        put("0", 0, y);
        put(d.right(1), w - width(d.right(1)), y);
        centred(d.left(6), y);
        break;
    }
    case bcUPC2ext:
    case bcUPC5ext:
        centred(text, 0);
        break;
    default:
        centred(text, h - th);
        break;
    }
}

QImage ToMonoBitmap(const QImage& bitmap)
{
    if (bitmap.isNull())
        return {};
    QImage mono(bitmap.size(), QImage::Format_Mono);
    const QImage grey = bitmap.format() == QImage::Format_Grayscale8
                            ? bitmap
                            : bitmap.convertToFormat(QImage::Format_Grayscale8);
    if (mono.isNull() || grey.isNull())
        return {}; // no memory for the copy
    mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    mono.setDotsPerMeterX(bitmap.dotsPerMeterX());
    mono.setDotsPerMeterY(bitmap.dotsPerMeterY());
    const int w = grey.width();
    const int h = grey.height();
    const std::size_t bytesPerLine = static_cast<std::size_t>(mono.bytesPerLine());
    for (int y = 0; y < h; ++y) {
        const uchar* in = grey.constScanLine(y);
        uchar* out = mono.scanLine(y);
        if (y > 0 && std::memcmp(in, grey.constScanLine(y - 1), static_cast<std::size_t>(w)) == 0) {
            std::memcpy(out, mono.constScanLine(y - 1), bytesPerLine); // rows of bars repeat
            continue;
        }
        std::memset(out, 0, bytesPerLine);
        for (int x = 0; x < w; ++x)
            out[x >> 3] |= static_cast<uchar>((in[x] >> 7) << (7 - (x & 7))); // white is bit 1
    }
    return mono;
}
