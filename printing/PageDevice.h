#pragma once

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

#include <map>
#include <memory>
#include <optional>

class QPainter;
class QPaintDevice;

namespace quill::printing {

/// The page of one print job: its resolution and the physical offset of its printable area,
/// and the few drawing operations the form needs. Device pixels count from the top-left
/// corner of the printable area.
class PageDevice
{
public:
    virtual ~PageDevice() = default;

    /// The name of the job, given before it begins (the mailer number or the kind of job).
    virtual void setDocumentName(const QString& name) { m_documentName = name; }
    const QString& documentName() const { return m_documentName; }

    /// Opens the job and its single page; nothing may be drawn when it fails.
    virtual std::optional<QString> beginJob() = 0;
    /// Finishes the page and the job, handing it on.
    virtual std::optional<QString> endJob() = 0;

    virtual int dpiX() const = 0;
    virtual int dpiY() const = 0;
    virtual int physicalOffsetX() const { return 0; }
    virtual int physicalOffsetY() const { return 0; }

    /// Draws `text` opaquely: the cell (text width x line height, in the text's own frame,
    /// which is turned `angle` tenths of a degree counter-clockwise) is filled white first;
    /// `at` is the cell's top-left corner in that frame.
    virtual void printText(QPoint at, const QString& text, const QFont& font, int angle) = 0;
    /// Copies the whole bitmap into `target`, opaque, without smoothing.
    virtual void printBitmap(const QRect& target, const QImage& bitmap) = 0;
    /// Width of `text` along its baseline in device pixels.
    virtual int textWidth(const QString& text, const QFont& font) const = 0;

private:
    QString m_documentName;
};

/// Scales a two-colour bitmap to `width` x `height` pixels without smoothing: every target
/// pixel takes a source pixel's colour, and where a dimension shrinks a dark pixel wins.
QImage StretchBitmap(const QImage& bitmap, int width, int height);

/// A page device that paints with a QPainter on a paint device of its subclass's choosing.
class PainterPageDevice : public PageDevice
{
public:
    PainterPageDevice();
    ~PainterPageDevice() override;
    void printText(QPoint at, const QString& text, const QFont& font, int angle) override;
    void printBitmap(const QRect& target, const QImage& bitmap) override;
    int textWidth(const QString& text, const QFont& font) const override;

protected:
    /// Starts painting on `device`; false when the painter cannot begin.
    bool beginPainting(QPaintDevice* device);
    void endPainting();
    QPainter* painter() const { return m_painter.get(); }
    /// Whether bitmaps go to the device as 1-bit images (PDF: small files).
    virtual bool monoBitmaps() const { return false; }

private:
    std::unique_ptr<QPainter> m_painter;
    QPaintDevice* m_device = nullptr;
};

/// A page in memory: the printable area of a Letter sheet at the chosen resolution, with a
/// physical offset the caller sets. Tests print on it and read it back.
class RasterPage : public PainterPageDevice
{
public:
    RasterPage(int dpi, int physicalOffsetX = 0, int physicalOffsetY = 0);

    std::optional<QString> beginJob() override;
    std::optional<QString> endJob() override;
    int dpiX() const override { return m_dpi; }
    int dpiY() const override { return m_dpi; }
    int physicalOffsetX() const override { return m_offsetX; }
    int physicalOffsetY() const override { return m_offsetY; }
    /// Bitmaps are opaque and unturned: their rows are copied straight into the page.
    void printBitmap(const QRect& target, const QImage& bitmap) override;
    /// Text at a quarter-turn angle is drawn once per job into its cell, then turned onto the
    /// page pixel for pixel; the form prints most of its lines two or three times.
    void printText(QPoint at, const QString& text, const QFont& font, int angle) override;

    /// The printed page (Grayscale8), valid after the job ended.
    const QImage& image() const { return m_image; }
    int jobs() const { return m_jobs; }

private:
    const QImage& cell(const QString& text, const QFont& font);

    int m_dpi, m_offsetX, m_offsetY;
    QImage m_image;
    int m_jobs = 0;
    std::map<QString, QImage> m_cells; // text cells of this job, by font and text
};

/// One job as a PDF file on a Letter page at `dpi` (600 unless chosen otherwise).
class PdfPage : public PainterPageDevice
{
public:
    explicit PdfPage(QString fileName, int dpi = 600);
    void setFileName(const QString& fileName) { m_fileName = fileName; }
    ~PdfPage() override;

    std::optional<QString> beginJob() override;
    std::optional<QString> endJob() override;
    int dpiX() const override { return m_dpi; }
    int dpiY() const override { return m_dpi; }
    const QString& fileName() const { return m_fileName; }

protected:
    bool monoBitmaps() const override { return true; }

private:
    QString m_fileName;
    int m_dpi;
    struct Writer;
    std::unique_ptr<Writer> m_writer;
};

/// One PDF file per job in `folder`, named by the date, the time and the job's name
/// ("20261210-141502-9214712345678900000015.pdf"); the folder is made when missing.
class PdfFolderPage : public PdfPage
{
public:
    explicit PdfFolderPage(QString folder, int dpi = 600);
    std::optional<QString> beginJob() override;

private:
    QString m_folder;
};

/// Records every drawing call with its font, angle and place; measures text as a raster
/// page of the same resolution would. Layout tests read the log.
class RecordingPage : public PageDevice
{
public:
    struct Text
    {
        QPoint at;
        QString text;
        QString family;
        int pixelSize;
        bool bold;
        int angle;
    };
    struct Bitmap
    {
        QRect target;
        QImage bitmap;
    };

    explicit RecordingPage(int dpi, int physicalOffsetX = 0, int physicalOffsetY = 0);
    std::optional<QString> beginJob() override;
    std::optional<QString> endJob() override;
    int dpiX() const override { return m_dpi; }
    int dpiY() const override { return m_dpi; }
    int physicalOffsetX() const override { return m_offsetX; }
    int physicalOffsetY() const override { return m_offsetY; }
    void printText(QPoint at, const QString& text, const QFont& font, int angle) override;
    void printBitmap(const QRect& target, const QImage& bitmap) override;
    int textWidth(const QString& text, const QFont& font) const override;

    std::vector<Text> texts;
    std::vector<Bitmap> bitmaps;
    int begun = 0;
    int ended = 0;
    /// When set, beginJob fails with this message (a printer that is not there).
    std::optional<QString> failBegin;

private:
    int m_dpi, m_offsetX, m_offsetY;
    QImage m_measure;
};

} // namespace quill::printing
