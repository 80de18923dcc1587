#include "AlignmentPage.h"

#include <QFontMetrics>
#include <QImage>

#include <cmath>

namespace quill::printing {

namespace {

const char* fieldName(MarkSource source)
{
    switch (source) {
    case MarkSource::MailerSymbol:
        return "mailer bar code";
    case MarkSource::CompanionSymbol:
        return "companion bar code";
    case MarkSource::SenderZipSymbol:
        return "sender ZIP bar code";
    case MarkSource::RecipientZipSymbol:
        return "recipient ZIP bar code";
    case MarkSource::MailerText:
        return "mailer number";
    case MarkSource::CompanionText:
        return "companion number";
    case MarkSource::SenderLine:
        return "sender";
    case MarkSource::RecipientLine:
        return "recipient";
    case MarkSource::ExtraLine:
        return "extra label";
    case MarkSource::Postage:
    case MarkSource::CertifiedFee:
    case MarkSource::ReturnReceiptFee:
    case MarkSource::RestrictedFee:
        return "fees";
    case MarkSource::Total:
        return "total";
    default:
        return nullptr; // the RE line, the comment and the captions are no main fields
    }
}

bool isFee(MarkSource s)
{
    return s == MarkSource::Postage || s == MarkSource::CertifiedFee || s == MarkSource::ReturnReceiptFee ||
           s == MarkSource::RestrictedFee;
}

bool isAddressLine(MarkSource s)
{
    return s == MarkSource::SenderLine || s == MarkSource::RecipientLine || s == MarkSource::ExtraLine;
}

/// A bitmap that stretches into a black rectangle of any size: the rulers and crosses are
/// drawn with the form's own bitmap copy, so they go where its symbols go.
const QImage& ink()
{
    static const QImage black = [] {
        QImage i(1, 1, QImage::Format_Grayscale8);
        i.fill(0);
        return i;
    }();
    return black;
}

/// Thin lines are about 1/100 inch and an odd number of pixels, so a line centred on a point
/// covers it symmetrically.
int lineWidth(int resolution)
{
    return std::max(1, TPageFrame::DeviceLength(0.01, resolution)) | 1;
}

void horizontalLine(TPageFrame& f, int x0, int x1, int y, int width)
{
    f.PrintBitmap(QPoint(x0, y - width / 2), ink(), x1 - x0 + 1, width);
}

void verticalLine(TPageFrame& f, int x, int y0, int y1, int width)
{
    f.PrintBitmap(QPoint(x - width / 2, y0), ink(), width, y1 - y0 + 1);
}

/// Where a ruler tick of `tenths` tenths of an inch ends: longest at whole inches.
double tickLength(int tenths)
{
    return tenths % 10 == 0 ? 0.2 : tenths % 5 == 0 ? 0.12 : 0.07;
}

// The rulers stand a little inside the paper, where every page printer reaches.
constexpr double RulerEdge = 0.3;
constexpr double PageWidth = 8.5, PageHeight = 11.0;

void drawRulers(TPageFrame& f, const QString& face)
{
    f.SetMarkFont(face, 8, false, 0);
    const int textHeight = TPageFrame::PointsToPixels(8, f.ResolutionY());
    const int tx = lineWidth(f.ResolutionX()), ty = lineWidth(f.ResolutionY());
    // Along the top: x in tenths, numbered at every inch under its tick.
    horizontalLine(f, f.InchesToX(0), f.InchesToX(PageWidth), f.InchesToY(RulerEdge), ty);
    for (int k = 1; k < static_cast<int>(PageWidth * 10); ++k) {
        const int x = f.InchesToX(k / 10.0);
        verticalLine(f, x, f.InchesToY(RulerEdge), f.InchesToY(RulerEdge + tickLength(k)), tx);
        if (k % 10 == 0) {
            const QString n = QString::number(k / 10);
            f.PrintText(QPoint(x - f.TextWidth(n) / 2, f.InchesToY(RulerEdge + 0.24)), n);
        }
    }
    // Down the left: y in tenths, numbered at every inch beside its tick.
    verticalLine(f, f.InchesToX(RulerEdge), f.InchesToY(0), f.InchesToY(PageHeight), tx);
    for (int k = 1; k < static_cast<int>(PageHeight * 10); ++k) {
        const int y = f.InchesToY(k / 10.0);
        horizontalLine(f, f.InchesToX(RulerEdge), f.InchesToX(RulerEdge + tickLength(k)), y, ty);
        if (k % 10 == 0)
            f.PrintText(QPoint(f.InchesToX(RulerEdge + 0.24), y - textHeight / 2), QString::number(k / 10));
    }
}

// Half the span of a cross's arms, in inches.
constexpr double CrossArm = 0.12;

void drawCross(TPageFrame& f, const QString& face, QPoint at, const QString& label, double xInches)
{
    const int armX = TPageFrame::DeviceLength(CrossArm, f.ResolutionX());
    const int armY = TPageFrame::DeviceLength(CrossArm, f.ResolutionY());
    // Twice as bold as the rulers, so a cross on a ruler still stands out.
    horizontalLine(f, at.x() - armX, at.x() + armX, at.y(), 2 * lineWidth(f.ResolutionY()) - 1);
    verticalLine(f, at.x(), at.y() - armY, at.y() + armY, 2 * lineWidth(f.ResolutionX()) - 1);
    f.SetMarkFont(face, 7, false, 0);
    const int gap = TPageFrame::DeviceLength(0.04, f.ResolutionX());
    const int width = f.TextWidth(label);
    // Beside the horizontal arm; labels of the fields near the right edge stand left of their
    // cross, so none runs off the page.
    const int height = TPageFrame::PointsToPixels(7, f.ResolutionY());
    if (xInches < 0.6) { // on the left ruler: above the arm, clear of the ruler's numbers
        f.PrintText(QPoint(at.x() + gap, at.y() - height - gap), label);
        return;
    }
    const int x = xInches > 6.5 ? at.x() - armX - gap - width : at.x() + armX + gap;
    f.PrintText(QPoint(x, at.y() - height * 2 / 3), label);
}

QString unitText(int resolution)
{
    if (resolution > 0 && resolution % 3 == 0)
        return QString("1/%1").arg(resolution / 3);
    return QString("3/%1").arg(resolution);
}

void drawNotes(TPageFrame& f, const QString& face, const QString& leftRight, const QString& topBottom)
{
    f.SetMarkFont(face, 16, true, 0);
    f.PrintText(QPoint(f.InchesToX(1.0), f.InchesToY(7.3)), AlignmentTestPageTitle);
    f.SetMarkFont(face, 10, true, 0);
    f.PrintText(QPoint(f.InchesToX(1.0), f.InchesToY(7.75)),
                QString("Left & Right: %1      Up and Down: %2").arg(leftRight, topBottom));
    f.SetMarkFont(face, 9, false, 0);
    const QString lines[] = {
        QString("One unit moves the print 3 dots: %1 inch at this printer's %2 dots per inch.")
            .arg(unitText(f.ResolutionX()))
            .arg(f.ResolutionX()),
        "Lay this page on a blank form, both turned the way they go into the printer, and hold them "
        "against the light.",
        "Each cross stands where the program starts the field named beside it; read how far it misses its "
        "place on the form.",
        "A cross too far right needs a smaller Left & Right number, one too low a smaller Up and Down "
        "number.",
        "With the right numbers, each inch of the rulers lies that far from the paper's top and left edges.",
    };
    double y = 8.05;
    for (const QString& line : lines) {
        f.PrintText(QPoint(f.InchesToX(1.0), f.InchesToY(y)), line);
        y += 0.22;
    }
}

/// Records the area of every mark instead of drawing it.
class BoxPage : public PageDevice
{
public:
    BoxPage(int dpiX, int dpiY) : m_dpiX(dpiX), m_dpiY(dpiY) {}
    std::optional<QString> beginJob() override { return std::nullopt; }
    std::optional<QString> endJob() override { return std::nullopt; }
    int dpiX() const override { return m_dpiX; }
    int dpiY() const override { return m_dpiY; }
    void printText(QPoint at, const QString& text, const QFont& font, int angle) override
    {
        const QFontMetrics fm(font);
        const int w = fm.horizontalAdvance(text), h = fm.height();
        if (w <= 0)
            return;
        // The cell as the page frame lays it out for each angle of the form.
        QRect cell;
        switch (angle) {
        case 1800:
            cell = QRect(at.x() - w, at.y() - h, w, h);
            break;
        case 2700:
            cell = QRect(at.x() - h, at.y(), h, w);
            break;
        case 900:
            cell = QRect(at.x(), at.y() - w, h, w);
            break;
        default:
            cell = QRect(at.x(), at.y(), w, h);
        }
        boxes.push_back({cell, false});
    }
    void printBitmap(const QRect& target, const QImage&) override { boxes.push_back({target, true}); }
    int textWidth(const QString& text, const QFont& font) const override
    {
        return QFontMetrics(font).horizontalAdvance(text);
    }

    std::vector<MarkBox> boxes;

private:
    int m_dpiX, m_dpiY;
};

} // namespace

std::vector<MainField> MainFields()
{
    std::vector<MainField> fields;
    const FormMark* previous = nullptr;
    for (const FormMark& m : FormMarks()) {
        const char* name = fieldName(m.source);
        const bool continues =
            previous && ((isAddressLine(m.source) && m.source == previous->source &&
                          m.line == previous->line + 1 && std::string_view(m.id) == previous->id) ||
                         (isFee(m.source) && isFee(previous->source)));
        previous = name ? &m : nullptr;
        if (!name || continues)
            continue;
        fields.push_back({&m, QString("%1 %2").arg(m.id, name)});
    }
    return fields;
}

QPoint FieldPoint(const TPageFrame& f, const MainField& field)
{
    // The same conversion the form's drawing applies to the mark; an end-aligned text ends here.
    return QPoint(f.InchesToX(field.mark->x), f.InchesToY(field.mark->y));
}

std::optional<QString> PrintAlignmentTestPage(const QString& leftRight, const QString& topBottom,
                                              const QFont& fontHolder, PageDevice& device)
{
    device.setDocumentName("AlignmentTestPage");
    TPageFrame f(device, leftRight, topBottom);
    if (auto error = f.Begin(fontHolder))
        return error;
    const QString face = f.PageFace();
    drawRulers(f, face);
    for (const MainField& field : MainFields())
        drawCross(f, face, FieldPoint(f, field), field.label, field.mark->x);
    drawNotes(f, face, leftRight, topBottom);
    return f.End();
}

std::vector<MarkBox> FormMarkBoxes(const FormData& data, bool barcodeMode, const QFont& fontHolder, int dpiX,
                                   int dpiY)
{
    BoxPage page(dpiX, dpiY);
    (void)DrawMailerForm(data, barcodeMode, fontHolder, page); // a box page cannot fail
    return std::move(page.boxes);
}

FormData SampleFormData()
{
    FormData d;
    d.sender = {"Harbor Title Company", "200 Water Street", "Portland ME 04101", "", ""};
    d.senderZip = "04101";
    d.recipient = {"Mr. Robert Allard", "18 Cedar Lane", "Augusta ME 04330", "", ""};
    d.recipientZip = "04330";
    d.re = "Parcel 14-220";
    d.comment = "Lien notice";
    d.numberSource = "123456789";
    d.serialNumber = "0000001";
    d.postage = "      0.39";
    d.certifiedFee = "      2.40";
    d.returnReceiptFee = "      1.85";
    d.restrictedFee = "      3.50";
    d.total = "      8.14";
    return d;
}

} // namespace quill::printing
