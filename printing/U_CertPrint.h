#pragma once

#include "PageDevice.h"

#include <QFont>
#include <QImage>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <optional>

namespace quill::printing {

/// The state of one print job and the operations every printed mark goes through: inches to
/// device pixels with the alignment offsets, fonts in points at the device's resolution,
/// rotated opaque text and bitmap copies.
class TPageFrame
{
public:
    TPageFrame(PageDevice& device, const QString& leftRight, const QString& topBottom);

    /// Begins the job and reads the device; `fontHolder` gives the page font.
    std::optional<QString> Begin(const QFont& fontHolder);
    /// Restores the page font and ends the job.
    std::optional<QString> End();

    void StartPageFrame(const QFont& fontHolder);
    int InchesToX(double inches) const;
    int InchesToY(double inches) const;
    /// The font's character height becomes `points` at the vertical resolution; it is no
    /// longer turned.
    void SetSize(int points);
    /// The current size and weight in `face`, turned `angle` tenths of a degree.
    void SetRotatedFont(int angle, const QString& face);
    void SetBold();
    void RestorePageFont();
    /// The page font, then `bold` or its own weight, `points` or its own size (0), in `face`
    /// turned `angle`: the font of one mark of the form.
    void SetMarkFont(const QString& face, int points, bool bold, int angle);
    void PrintText(QPoint at, const QString& text);
    /// Draws `text` at 180 degrees so that it ends on `endInches` across the page.
    void PrintTextEndingAt(double endInches, double yInches, const QString& text);
    int TextWidth(const QString& text) const;
    void PrintBitmap(QPoint at, const QImage& bitmap, int width, int height);

    /// An inch length at a resolution, to the nearest pixel, halves to the even one.
    static int DeviceLength(double inches, int resolution);
    /// Points to device pixels of character height, halves away from zero.
    static int PointsToPixels(int points, int resolution);

    int ResolutionX() const { return m_resX; }
    int ResolutionY() const { return m_resY; }
    const QString& PageFace() const { return m_pageFace; }

private:
    QFont currentFont() const;

    PageDevice& m_device;
    int m_resX = 0, m_resY = 0;
    double m_marginX = 0, m_marginY = 0; // inches
    int m_offsetPxX = 0, m_offsetPxY = 0;
    int m_leftRight = 0, m_topBottom = 0;
    QString m_pageFace;
    QFont m_savedPageFont;
    QString m_face;
    int m_pixelSize = 0;
    bool m_bold = false;
    int m_angle = 0;
};

/// Everything the form shows of one piece, as text.
struct FormData
{
    std::array<QString, 5> sender;
    QString senderZip;
    std::array<QString, 5> recipient;
    QString recipientZip;
    QString re; // first 25 characters of the RE field
    QString comment;
    QString numberSource; // bar-code mode: customer ID without "-"; pre-printed: the mailer number
    QString serialNumber; // bar-code mode only
    QString postage, certifiedFee, returnReceiptFee, restrictedFee, total; // as shown
    QString leftRight = "0", topBottom = "0";
    QString printExtraLabel = "Yes";
    QString extraLabel = "Addressed To";
    bool impb = false; // the mailer and companion symbols as GS1-128: FNC1 after the start
};

/// The result of printing one form: the piece's mailer number, or why the job failed.
struct PrintResult
{
    QString mailerNumber;
    std::optional<QString> error;
};

inline constexpr const char* OcrFace = "OCR A Extended";

/// Prints one certified-mail form as one job on `device` and returns the piece's mailer
/// number (in pre-printed mode the number source as given).
PrintResult DrawMailerForm(const FormData& data, bool barcodeMode, const QFont& fontHolder,
                           PageDevice& device);

/// How a pre-print run went.
struct PrePrintResult
{
    int printed = 0;              // forms sent to the printer
    QString lastSerial;           // the serial number of the last of them, or of the spoiled one
    bool spoiled = false;         // the last job began but failed: its number may be on paper
    bool stopped = false;         // the user stopped the run between forms
    std::optional<QString> error; // what ended the run early
};

/// Prints the bar-code part of the form alone (the mailer and companion symbols and number
/// texts, nothing else) on `forms` blank forms, one job each from `newJob`, for serial numbers
/// counting up from `startSerial` with a count of the run's own. `progress` is asked before
/// each form and stops the run by answering false; `beforeJob` is told each form's serial
/// before its job is asked for. A failure ends the run at that form; the forms before it stay
/// printed.
PrePrintResult PrePrintBarCodes(int forms, const QString& custId, const QString& startSerial,
                                const QString& leftRight, const QString& topBottom, const QFont& fontHolder,
                                const std::function<std::shared_ptr<PageDevice>()>& newJob,
                                const std::function<bool(int form, int forms)>& progress = {},
                                bool impb = false,
                                const std::function<void(const QString& serial)>& beforeJob = {});

/// Without blanks and control characters at either end.
QString TrimControls(const QString& text);

/// Letters a-z in capitals; every other character as it is.
QString UpperAscii(const QString& text);

} // namespace quill::printing
