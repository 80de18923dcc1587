#include "U_CertPrint.h"

#include "Barcode.h"
#include "IntegerText.h"
#include "MailerNumber.h"

#include <cfenv>
#include <cmath>

namespace quill::printing {

namespace {

int nearestEven(double v)
{
    return static_cast<int>(std::nearbyint(v));
} // FE_TONEAREST: halves to even

// x * resolution - offset, truncated toward zero. Positions carry at most two decimals, so
// they are taken in hundredths to keep 4.1 in x 300 dpi at 1230 rather than 1229.99....
int toDevice(double inches, int resolution, int offsetPx)
{
    const double hundredths = inches * 100.0;
    const double whole = std::round(hundredths);
    if (std::fabs(hundredths - whole) < 1e-6) {
        const long long num =
            static_cast<long long>(whole) * resolution - static_cast<long long>(offsetPx) * 100;
        return static_cast<int>(num / 100);
    }
    return static_cast<int>(std::trunc(inches * resolution - offsetPx));
}

std::string s8(const QString& s)
{
    return s.toStdString();
}

} // namespace

TPageFrame::TPageFrame(PageDevice& device, const QString& leftRight, const QString& topBottom)
    : m_device(device), m_leftRight(ParseInteger(s8(leftRight)).value_or(0)),
      m_topBottom(ParseInteger(s8(topBottom)).value_or(0))
{
}

std::optional<QString> TPageFrame::Begin(const QFont& fontHolder)
{
    if (auto error = m_device.beginJob())
        return error;
    StartPageFrame(fontHolder);
    return std::nullopt;
}

std::optional<QString> TPageFrame::End()
{
    RestorePageFont();
    return m_device.endJob();
}

void TPageFrame::StartPageFrame(const QFont& fontHolder)
{
    m_resX = m_device.dpiX();
    m_resY = m_device.dpiY();
    m_offsetPxX = m_device.physicalOffsetX();
    m_offsetPxY = m_device.physicalOffsetY();
    m_marginX = m_resX > 0 ? static_cast<double>(m_offsetPxX) / m_resX : 0;
    m_marginY = m_resY > 0 ? static_cast<double>(m_offsetPxY) / m_resY : 0;
    m_pageFace = fontHolder.family();
    m_savedPageFont = fontHolder;
    RestorePageFont();
}

int TPageFrame::InchesToX(double inches) const
{
    return 3 * m_leftRight + toDevice(inches, m_resX, m_offsetPxX);
}

int TPageFrame::InchesToY(double inches) const
{
    return 3 * m_topBottom + toDevice(inches, m_resY, m_offsetPxY);
}

int TPageFrame::PointsToPixels(int points, int resolution)
{
    return static_cast<int>(std::lround(points * static_cast<double>(resolution) / 72.0));
}

int TPageFrame::DeviceLength(double inches, int resolution)
{
    return nearestEven(inches * resolution);
}

void TPageFrame::SetSize(int points)
{
    m_pixelSize = PointsToPixels(points, m_resY);
    m_angle = 0;
}

void TPageFrame::SetRotatedFont(int angle, const QString& face)
{
    m_face = face;
    m_angle = angle;
}

void TPageFrame::SetBold()
{
    m_bold = true;
}

void TPageFrame::RestorePageFont()
{
    m_face = m_pageFace;
    m_bold = m_savedPageFont.bold();
    m_angle = 0;
    m_pixelSize = m_savedPageFont.pointSize() > 0 ? PointsToPixels(m_savedPageFont.pointSize(), m_resY)
                                                  : m_savedPageFont.pixelSize();
}

QFont TPageFrame::currentFont() const
{
    QFont f(m_face);
    f.setPixelSize(std::max(1, m_pixelSize));
    f.setBold(m_bold);
    f.setItalic(false);
    f.setUnderline(false);
    f.setStrikeOut(false);
    return f;
}

void TPageFrame::PrintText(QPoint at, const QString& text)
{
    m_device.printText(at, text, currentFont(), m_angle);
}

void TPageFrame::PrintTextEndingAt(double endInches, double yInches, const QString& text)
{
    PrintText(QPoint(TextWidth(text) + InchesToX(endInches), InchesToY(yInches)), text);
}

int TPageFrame::TextWidth(const QString& text) const
{
    return m_device.textWidth(text, currentFont());
}

void TPageFrame::PrintBitmap(QPoint at, const QImage& bitmap, int width, int height)
{
    m_device.printBitmap(QRect(at, QSize(width, height)), bitmap);
}

QString TrimControls(const QString& text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && text[b].unicode() <= ' ')
        ++b;
    while (e > b && text[e - 1].unicode() <= ' ')
        --e;
    return text.mid(b, e - b);
}

QString UpperAscii(const QString& text)
{
    QString out = text;
    for (QChar& c : out)
        if (c >= 'a' && c <= 'z')
            c = QChar(c.unicode() - 'a' + 'A');
    return out;
}

PrintResult DrawMailerForm(const FormData& d, bool barcodeMode, const QFont& fontHolder, PageDevice& device)
{
    const std::string mailer =
        barcodeMode ? BuildMailerNumber(s8(d.numberSource), s8(d.serialNumber), false) : s8(d.numberSource);
    const QString mailerNumber = QString::fromStdString(mailer);
    device.setDocumentName(mailerNumber);

    TPageFrame f(device, d.leftRight, d.topBottom);
    if (auto error = f.Begin(fontHolder))
        return {QString(), error};
    auto at = [&](double x, double y) { return QPoint(f.InchesToX(x), f.InchesToY(y)); };
    const int resX = f.ResolutionX(), resY = f.ResolutionY();
    // A symbol that cannot be drawn ends the job there and is the command's failure: the
    // piece is not counted as printed.
    auto failed = [&](const TBarcodeBmp& symbol) -> PrintResult {
        (void)f.End();
        return {QString(), QString::fromStdString(*symbol.Error())};
    };

    // Table A and B: both numbers as symbols and as text.
    if (barcodeMode) {
        const std::string companion = BuildMailerNumber(s8(d.numberSource), s8(d.serialNumber), true);
        const QString mailerText = QString::fromStdString(FormatMailerNumber(mailer));
        const QString companionText = QString::fromStdString(FormatMailerNumber(companion));
        const int scale = nearestEven(resX * 15.0 / 1000.0);
        const int width = TPageFrame::DeviceLength(2.5, resX);

        // Every setter renders the symbol again: the text goes last, so only one render is
        // of the whole symbol.
        TBarcodeBmp m;
        m.setScale(scale);
        m.setHeight(TPageFrame::DeviceLength(0.75, resY));
        m.setInterpret(false);
        m.setBarcodeType(bcCode128);
        m.setRotate(bcRotate180);
        m.setBarcodeText(mailer);
        if (m.Error())
            return failed(m);
        f.PrintBitmap(at(0.62, 4.1), m.Bitmap(), width, m.Bitmap().height()); // A1

        TBarcodeBmp c;
        c.setScale(scale);
        c.setHeight(TPageFrame::DeviceLength(0.75, resY));
        c.setInterpret(false);
        c.setBarcodeType(bcCode128);
        c.setRotate(bcNoRotate);
        c.setBarcodeText(companion);
        if (c.Error())
            return failed(c);
        f.PrintBitmap(at(4.7, 5.0), c.Bitmap(), width, c.Bitmap().height()); // A2
        c.setHeight(TPageFrame::DeviceLength(0.4, resY));
        if (c.Error())
            return failed(c);
        f.PrintBitmap(at(5.2, 0.8), c.Bitmap(), width, c.Bitmap().height()); // A3

        struct NumberText
        {
            const QString& text;
            int points;
            int angle;
            double x, y;
        };
        const NumberText ocr[] = {
            {mailerText, 11, 1800, 3.08, 4.02},   // B1
            {companionText, 11, 1800, 7.2, 4.92}, // B2
            {companionText, 10, 1800, 7.6, 0.78}, // B3
            {mailerText, 10, 1800, 7.7, 0.45},    // B4
            {mailerText, 10, 2700, 7.91, 3.8},    // B5
            {mailerText, 8, 2700, 8.1, 1.46},     // B6
        };
        for (const NumberText& t : ocr) {
            f.SetSize(t.points);
            f.SetRotatedFont(t.angle, OcrFace);
            f.PrintText(at(t.x, t.y), t.text);
        }
        f.SetSize(6);
        f.SetRotatedFont(1800, f.PageFace());
        f.PrintText(at(1.47, 3.17), mailerText); // B7
    }

    // Table C: the ZIP symbols.
    const bool extraLabel = d.printExtraLabel == "Yes";
    const bool extraRecipient = extraLabel && d.extraLabel == "Addressed To";
    {
        TBarcodeBmp zip;
        zip.setScale(nearestEven(resX * 23.0 / 1000.0));
        zip.setHeight(TPageFrame::DeviceLength(0.14, resY));
        zip.setInterpret(true);
        zip.setBarcodeType(bcPOSTNET);
        zip.setRotate(bcRotate180);
        zip.setBarcodeText(s8(d.senderZip));
        if (zip.Error())
            return failed(zip);
        const double senderX = d.senderZip.size() > 5 ? 4.5 : 5.3;
        f.PrintBitmap(at(senderX, 3.55), zip.Bitmap(), zip.Bitmap().width(), zip.Bitmap().height()); // C1
        if (extraRecipient) {
            zip.setBarcodeText(s8(d.recipientZip));
            if (zip.Error())
                return failed(zip);
            const double x = zip.BarcodeText().size() > 5 ? 0.15 : 1.08;
            f.PrintBitmap(at(x, 5.63), zip.Bitmap(), zip.Bitmap().width(), zip.Bitmap().height()); // C2
        }
    }

    // Table D: the texts of the form.
    auto lines = [&](const std::array<QString, 5>& block, double x, const double(&ys)[5], bool upper) {
        for (int i = 0; i < 5; ++i)
            f.PrintText(at(x, ys[i]), upper ? UpperAscii(block[static_cast<std::size_t>(i)])
                                            : block[static_cast<std::size_t>(i)]);
    };
    const QString reLine = "RE: " + d.re;

    f.SetSize(10); // D1
    f.SetRotatedFont(1800, OcrFace);
    lines(d.sender, 7.5, {4.65, 4.5, 4.35, 4.2, 4.05}, true);
    lines(d.sender, 7.55, {3.0, 2.85, 2.7, 2.55, 2.4}, true);
    lines(d.recipient, 7.1, {6.7, 6.55, 6.4, 6.25, 6.1}, true);
    lines(d.recipient, 7.55, {2.0, 1.85, 1.7, 1.55, 1.4}, true);
    if (extraLabel)
        lines(extraRecipient ? d.recipient : d.sender, 2.8, {6.6, 6.45, 6.3, 6.15, 6.0}, true);
    f.PrintText(at(7.5, 3.95), reLine);

    f.SetSize(10); // D2
    f.SetRotatedFont(2700, OcrFace);
    const double senderXs[] = {4.3, 4.15, 4.0, 3.85, 3.7};
    for (int i = 0; i < 5; ++i)
        f.PrintText(at(senderXs[i], 3.8), UpperAscii(d.sender[static_cast<std::size_t>(i)]));
    f.PrintText(at(8.21, 3.8), reLine);
    f.PrintText(at(8.06, 3.8), d.comment);

    f.RestorePageFont(); // D3
    f.SetSize(6);
    f.SetRotatedFont(1800, f.PageFace());
    f.PrintText(at(1.45, 2.88), d.sender[0]);
    f.PrintText(at(1.45, 2.78), reLine);
    f.PrintText(at(1.45, 2.68), d.comment);
    lines(d.recipient, 1.45, {2.13, 2.03, 1.93, 1.83, 1.73}, false);
    const QString trimmedFees[] = {TrimControls(d.postage), TrimControls(d.certifiedFee),
                                   TrimControls(d.returnReceiptFee), TrimControls(d.restrictedFee)};
    const double feeYs[] = {1.43, 1.33, 1.23, 1.13};
    for (int i = 0; i < 4; ++i)
        f.PrintTextEndingAt(0.3, feeYs[i], trimmedFees[i]);
    const char* captions[] = {"Postage", "Certified Fee", "Return Receipt", "Restricted"};
    for (int i = 0; i < 4; ++i)
        f.PrintText(at(1.45, feeYs[i]), captions[i]);

    f.RestorePageFont(); // D4
    f.SetBold();
    f.SetSize(8);
    f.SetRotatedFont(1800, f.PageFace());
    f.PrintText(at(1.3, 3.3), "RECEIPT");
    f.PrintText(at(1.4, 3.02), "FROM:");
    f.PrintText(at(1.4, 2.28), "SEND TO:");
    f.PrintText(at(1.4, 1.58), "FEES:");
    f.PrintText(at(1.4, 0.98), "TOTAL");
    f.PrintText(at(1.4, 0.78), "POSTMARK OR DATE");
    f.PrintTextEndingAt(0.3, 0.98, "$ " + TrimControls(d.total));

    if (auto error = f.End())
        return {mailerNumber, error};
    return {mailerNumber, std::nullopt};
}

} // namespace quill::printing
