#include "U_CertPrint.h"

#include "Barcode.h"
#include "FormMarks.h"
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

void TPageFrame::SetMarkFont(const QString& face, int points, bool bold, int angle)
{
    RestorePageFont();
    if (bold)
        SetBold();
    if (points > 0)
        SetSize(points);
    SetRotatedFont(angle, face);
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

namespace {

/// What the marks of one form show.
struct MarkValues
{
    const FormData* data = nullptr;
    std::string mailer, companion; // the 22 digits
    QString mailerText, companionText;
    bool barcodeMode = true;
    bool extraLabel = false, extraRecipient = false;
    bool impb = false;
};

bool applies(MarkWhen when, const MarkValues& v)
{
    switch (when) {
    case MarkWhen::Always:
        return true;
    case MarkWhen::BarcodeMode:
        return v.barcodeMode;
    case MarkWhen::ExtraLabel:
        return v.extraLabel;
    case MarkWhen::ExtraRecipient:
        return v.extraRecipient;
    }
    return false;
}

QString markText(const FormMark& m, const MarkValues& v)
{
    const FormData& d = *v.data;
    const auto line = static_cast<std::size_t>(m.line);
    switch (m.source) {
    case MarkSource::MailerText:
        return v.mailerText;
    case MarkSource::CompanionText:
        return v.companionText;
    case MarkSource::SenderLine:
        return d.sender[line];
    case MarkSource::RecipientLine:
        return d.recipient[line];
    case MarkSource::ExtraLine:
        return v.extraRecipient ? d.recipient[line] : d.sender[line];
    case MarkSource::ReLine:
        return "RE: " + d.re;
    case MarkSource::Comment:
        return d.comment;
    case MarkSource::Postage:
        return TrimControls(d.postage);
    case MarkSource::CertifiedFee:
        return TrimControls(d.certifiedFee);
    case MarkSource::ReturnReceiptFee:
        return TrimControls(d.returnReceiptFee);
    case MarkSource::RestrictedFee:
        return TrimControls(d.restrictedFee);
    case MarkSource::Total:
        return "$ " + TrimControls(d.total);
    case MarkSource::Caption:
        return QString::fromLatin1(m.caption);
    default:
        return {};
    }
}

/// A symbol of the form as the frame's resolution wants it: the mailer and companion numbers
/// in Code 128, the ZIP codes in POSTNET with their digits under them.
void makeSymbol(TBarcodeBmp& symbol, const FormMark& m, const std::string& text, const TPageFrame& f,
                bool impb)
{
    const bool zip = m.source == MarkSource::SenderZipSymbol || m.source == MarkSource::RecipientZipSymbol;
    // Every setter renders the symbol again: the text goes last, so only one render is whole.
    symbol.BeginLoading();
    symbol.setScale(nearestEven(f.ResolutionX() * (zip ? 23.0 : 15.0) / 1000.0));
    symbol.setHeight(TPageFrame::DeviceLength(zip ? 0.14 : m.height, f.ResolutionY()));
    symbol.setInterpret(zip);
    // GS1-128 is Code 128 with FNC1 after the start: one symbol character more, stretched into
    // the same box, so "92" reads as the application identifier of an IMpb number.
    symbol.setBarcodeType(zip ? bcPOSTNET : impb ? bcEAN128 : bcCode128);
    symbol.setRotate(m.angle == 1800 ? bcRotate180 : bcNoRotate);
    symbol.setBarcodeText(text);
    symbol.Loaded();
}

/// Prints the marks `wanted` picks out of the form's table; a symbol that cannot be drawn
/// stops there with its error.
std::optional<QString> drawMarks(TPageFrame& f, const MarkValues& v, bool (*wanted)(const FormMark&))
{
    auto at = [&](double x, double y) { return QPoint(f.InchesToX(x), f.InchesToY(y)); };
    const FormData& d = *v.data;
    for (const FormMark& m : FormMarks()) {
        if (!applies(m.when, v) || (wanted && !wanted(m)))
            continue;
        switch (m.source) {
        case MarkSource::MailerSymbol:
        case MarkSource::CompanionSymbol:
        case MarkSource::SenderZipSymbol:
        case MarkSource::RecipientZipSymbol: {
            TBarcodeBmp symbol;
            const bool zip =
                m.source == MarkSource::SenderZipSymbol || m.source == MarkSource::RecipientZipSymbol;
            const std::string text = m.source == MarkSource::MailerSymbol      ? v.mailer
                                     : m.source == MarkSource::CompanionSymbol ? v.companion
                                     : m.source == MarkSource::SenderZipSymbol ? s8(d.senderZip)
                                                                               : s8(d.recipientZip);
            makeSymbol(symbol, m, text, f, v.impb);
            if (symbol.Error())
                return QString::fromStdString(*symbol.Error());
            // A ZIP+4 symbol is longer and starts further along the form.
            const bool longZip = m.source == MarkSource::SenderZipSymbol ? d.senderZip.size() > 5
                                                                         : symbol.BarcodeText().size() > 5;
            const double x = zip && longZip ? m.xLong : m.x;
            const int width = zip ? symbol.Bitmap().width() : TPageFrame::DeviceLength(2.5, f.ResolutionX());
            f.PrintBitmap(at(x, m.y), symbol.Bitmap(), width, symbol.Bitmap().height());
            break;
        }
        default: {
            f.SetMarkFont(m.face == MarkFace::Ocr ? QString(OcrFace) : f.PageFace(), m.points, m.bold,
                          m.angle);
            const QString text = m.upper ? UpperAscii(markText(m, v)) : markText(m, v);
            if (m.endsAtX)
                f.PrintTextEndingAt(m.x, m.y, text);
            else
                f.PrintText(at(m.x, m.y), text);
        }
        }
    }
    return std::nullopt;
}

} // namespace

PrintResult DrawMailerForm(const FormData& d, bool barcodeMode, const QFont& fontHolder, PageDevice& device)
{
    MarkValues v;
    v.data = &d;
    v.barcodeMode = barcodeMode;
    v.mailer =
        barcodeMode ? BuildMailerNumber(s8(d.numberSource), s8(d.serialNumber), false) : s8(d.numberSource);
    if (barcodeMode) {
        v.companion = BuildMailerNumber(s8(d.numberSource), s8(d.serialNumber), true);
        v.mailerText = QString::fromStdString(FormatMailerNumber(v.mailer));
        v.companionText = QString::fromStdString(FormatMailerNumber(v.companion));
    }
    v.extraLabel = d.printExtraLabel == "Yes";
    v.extraRecipient = v.extraLabel && d.extraLabel == "Addressed To";
    v.impb = d.impb;
    const QString mailerNumber = QString::fromStdString(v.mailer);
    device.setDocumentName(mailerNumber);

    TPageFrame f(device, d.leftRight, d.topBottom);
    if (auto error = f.Begin(fontHolder))
        return {QString(), error};
    if (auto error = drawMarks(f, v, nullptr)) {
        // A symbol that cannot be drawn ends the job there and is the command's failure: the
        // piece is not counted as printed.
        (void)f.End();
        return {QString(), error};
    }
    if (auto error = f.End())
        return {mailerNumber, error};
    return {mailerNumber, std::nullopt};
}

PrePrintResult PrePrintBarCodes(int forms, const QString& custId, const QString& startSerial,
                                const QString& leftRight, const QString& topBottom, const QFont& fontHolder,
                                const std::function<std::shared_ptr<PageDevice>()>& newJob,
                                const std::function<bool(int form, int forms)>& progress, bool impb,
                                const std::function<void(const QString& serial)>& beforeJob)
{
    PrePrintResult result;
    std::string serial = s8(startSerial); // the run's own count: the settings keep theirs
    const FormData none;
    for (int form = 1; form <= forms; ++form) {
        if (progress && !progress(form, forms)) {
            result.stopped = true;
            break;
        }
        MarkValues v;
        v.data = &none;
        v.impb = impb;
        v.mailer = BuildMailerNumber(s8(custId), serial, false);
        v.companion = BuildMailerNumber(s8(custId), serial, true);
        v.mailerText = QString::fromStdString(FormatMailerNumber(v.mailer));
        v.companionText = QString::fromStdString(FormatMailerNumber(v.companion));
        if (beforeJob)
            beforeJob(QString::fromStdString(serial));
        const std::shared_ptr<PageDevice> device = newJob();
        device->setDocumentName(QString::fromStdString(v.mailer));
        TPageFrame f(*device, leftRight, topBottom);
        if (auto error = f.Begin(fontHolder)) {
            result.error = error;
            break;
        }
        const auto drawn = drawMarks(f, v, &IsNumberMark);
        const auto ended = f.End();
        if (drawn || ended) {
            // Part of the form may be on paper with its number: that number is used.
            result.error = drawn ? drawn : ended;
            result.lastSerial = QString::fromStdString(serial);
            result.spoiled = true;
            break;
        }
        ++result.printed;
        result.lastSerial = QString::fromStdString(serial);
        StepError stepError;
        const auto next = StepSerial(serial, +1, &stepError);
        if (!next) {
            if (form < forms)
                result.error = QString::fromStdString(stepError.message);
            break;
        }
        serial = *next;
    }
    return result;
}

} // namespace quill::printing
