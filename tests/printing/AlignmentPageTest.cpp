#include "AlignmentPage.h"
#include "Decode.h"
#include "FormMarks.h"
#include "U_CertPrint.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace quill::printing;

namespace {

const QFont FontHolder("Arial", 8);

/// A piece that fills every field, with five-digit ZIPs so the ZIP symbols stand at their
/// table's x, and the extra label carrying the recipient so every mark of the form is drawn.
FormData everyField(const QString& leftRight, const QString& topBottom)
{
    FormData d = SampleFormData();
    d.leftRight = leftRight;
    d.topBottom = topBottom;
    d.printExtraLabel = "Yes";
    d.extraLabel = "Addressed To";
    return d;
}

bool samePoint(const QPoint& a, const QPoint& b)
{
    return a.x() == b.x() ? a.y() < b.y() : a.x() < b.x();
}

/// Where the form's drawing put the reference corner of each mark, in the order of its table:
/// the top-left of a bitmap, the starting corner of a text cell, the end of an end-aligned text.
std::vector<QPoint> formMarkPoints(const RecordingPage& page)
{
    std::vector<QPoint> points;
    std::size_t text = 0, bitmap = 0;
    for (const FormMark& m : FormMarks()) {
        switch (m.source) {
        case MarkSource::MailerSymbol:
        case MarkSource::CompanionSymbol:
        case MarkSource::SenderZipSymbol:
        case MarkSource::RecipientZipSymbol:
            points.push_back(page.bitmaps.at(bitmap++).target.topLeft());
            break;
        default: {
            const RecordingPage::Text& t = page.texts.at(text++);
            QPoint at = t.at;
            if (m.endsAtX) {
                QFont f(t.family);
                f.setPixelSize(t.pixelSize);
                f.setBold(t.bold);
                at.rx() -= page.textWidth(t.text, f);
            }
            points.push_back(at);
        }
        }
    }
    return points;
}

/// The centres of the test page's crosses: a horizontal and a vertical arm of the cross's
/// length whose middles meet.
std::vector<QPoint> crossCentres(const RecordingPage& page, int dpi)
{
    const int span = 2 * TPageFrame::DeviceLength(0.12, dpi) + 1;
    std::vector<QPoint> horizontal, vertical;
    for (const auto& b : page.bitmaps) {
        const QRect& r = b.target;
        const QPoint middle(r.left() + r.width() / 2, r.top() + r.height() / 2);
        if (r.width() == span && r.height() < span)
            horizontal.push_back(middle);
        else if (r.height() == span && r.width() < span)
            vertical.push_back(middle);
    }
    std::vector<QPoint> centres;
    for (const QPoint& h : horizontal)
        if (std::find(vertical.begin(), vertical.end(), h) != vertical.end())
            centres.push_back(h);
    return centres;
}

bool hasText(const RecordingPage& page, const QString& text)
{
    return std::any_of(page.texts.begin(), page.texts.end(), [&](const auto& t) { return t.text == text; });
}

} // namespace

TEST(AlignmentTestPage, NamesTheFirstMarkOfEveryMainField)
{
    QStringList labels;
    for (const MainField& f : MainFields())
        labels << f.label;
    EXPECT_EQ(labels, QStringList({"A1 mailer bar code",
                                   "A2 companion bar code",
                                   "A3 companion bar code",
                                   "B1 mailer number",
                                   "B2 companion number",
                                   "B3 companion number",
                                   "B4 mailer number",
                                   "B5 mailer number",
                                   "B6 mailer number",
                                   "B7 mailer number",
                                   "C1 sender ZIP bar code",
                                   "C2 recipient ZIP bar code",
                                   "D1 sender",
                                   "D1 sender",
                                   "D1 recipient",
                                   "D1 recipient",
                                   "D1 extra label",
                                   "D2 sender",
                                   "D3 sender",
                                   "D3 recipient",
                                   "D3 fees",
                                   "D4 total"}));
}

TEST(AlignmentTestPage, CrossesLandWhereTheFormsMarksLandForTheSameOffsets)
{
    struct Case
    {
        const char* name;
        int dpi, physical;
        const char *leftRight, *topBottom;
    };
    const Case cases[] = {
        {"300 dpi, no offsets", 300, 0, "0", "0"},
        {"600 dpi, offsets both ways", 600, 0, "12", "-7"},
        {"300 dpi with a printer margin", 300, 50, "-5", "20"},
        {"1200 dpi, large offsets", 1200, 0, "-999", "999"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingPage form(c.dpi, c.physical, c.physical);
        ASSERT_FALSE(DrawMailerForm(everyField(c.leftRight, c.topBottom), true, FontHolder, form).error);
        const std::vector<QPoint> marks = formMarkPoints(form);
        std::vector<QPoint> expected;
        std::size_t i = 0;
        const std::vector<MainField> fields = MainFields();
        for (const FormMark& m : FormMarks()) {
            for (const MainField& f : fields)
                if (f.mark == &m)
                    expected.push_back(marks[i]);
            ++i;
        }

        RecordingPage test(c.dpi, c.physical, c.physical);
        ASSERT_FALSE(PrintAlignmentTestPage(c.leftRight, c.topBottom, FontHolder, test));
        EXPECT_EQ(test.begun, 1);
        EXPECT_EQ(test.ended, 1);
        std::vector<QPoint> crosses = crossCentres(test, c.dpi);
        ASSERT_EQ(crosses.size(), expected.size());
        std::sort(crosses.begin(), crosses.end(), samePoint);
        std::sort(expected.begin(), expected.end(), samePoint);
        EXPECT_EQ(crosses, expected);
        for (const MainField& f : fields)
            EXPECT_TRUE(hasText(test, f.label)) << f.label.toStdString();
    }
}

TEST(AlignmentTestPage, ShowsItsTitleTheOffsetsAndRulersInInches)
{
    const int dpi = 600, physical = 90; // 0.15 inch of margin
    RecordingPage page(dpi, physical, physical);
    ASSERT_FALSE(PrintAlignmentTestPage("12", "-7", FontHolder, page));
    EXPECT_TRUE(hasText(page, "Alignment Test Page"));
    EXPECT_TRUE(hasText(page, "Left & Right: 12      Up and Down: -7"));
    EXPECT_TRUE(
        hasText(page, "One unit moves the print 3 dots: 1/200 inch at this printer's 600 dots per inch."));
    EXPECT_EQ(page.documentName(), "AlignmentTestPage");

    // Each whole inch has the longest tick of its ruler, 0.2 inch, and its number; the ruler
    // moves with the offsets as everything else does, 3 device pixels per unit.
    const int longTick = TPageFrame::DeviceLength(0.2, dpi) + 1;
    std::vector<int> topInches, leftInches;
    for (const auto& b : page.bitmaps) {
        const QRect& r = b.target;
        if (r.height() == longTick && r.width() < 10)
            topInches.push_back(r.left() + r.width() / 2);
        if (r.width() == longTick && r.height() < 10)
            leftInches.push_back(r.top() + r.height() / 2);
    }
    ASSERT_EQ(topInches.size(), 8u);
    ASSERT_EQ(leftInches.size(), 10u);
    for (int k = 1; k <= 8; ++k) {
        EXPECT_EQ(topInches[static_cast<std::size_t>(k - 1)], k * dpi - physical + 3 * 12) << k;
        EXPECT_TRUE(hasText(page, QString::number(k)));
    }
    for (int k = 1; k <= 10; ++k)
        EXPECT_EQ(leftInches[static_cast<std::size_t>(k - 1)], k * dpi - physical + 3 * -7) << k;
    EXPECT_TRUE(hasText(page, "10"));
}

TEST(AlignmentTestPage, AJobThatCannotBeginDrawsNothing)
{
    RecordingPage page(300);
    page.failBegin = QString("The printer \"Front desk\" is not available.");
    EXPECT_EQ(PrintAlignmentTestPage("0", "0", FontHolder, page), page.failBegin);
    EXPECT_TRUE(page.texts.empty());
    EXPECT_TRUE(page.bitmaps.empty());
}

TEST(AlignmentTestPage, PrintsLegiblyOnARasterPage)
{
    // The crosses are ink where the form's symbols would start: A1's corner at (0.62, 4.1) inch.
    RasterPage page(300);
    ASSERT_FALSE(PrintAlignmentTestPage("4", "-2", FontHolder, page));
    const QPoint a1(186 + 12, 1230 - 6);
    EXPECT_LT(page.image().pixelColor(a1).value(), 64);
    EXPECT_LT(page.image().pixelColor(a1 + QPoint(30, 0)).value(), 64);   // the horizontal arm
    EXPECT_LT(page.image().pixelColor(a1 + QPoint(0, -30)).value(), 64);  // the vertical arm
    EXPECT_GT(page.image().pixelColor(a1 + QPoint(12, 12)).value(), 192); // white between the arms
}

TEST(FormMarkBoxes, EveryBoxMovesThreeDevicePixelsPerUnit)
{
    for (int dpi : {300, 600}) {
        FormData home = everyField("0", "0");
        FormData moved = everyField("10", "-4");
        const auto a = FormMarkBoxes(home, true, FontHolder, dpi, dpi);
        const auto b = FormMarkBoxes(moved, true, FontHolder, dpi, dpi);
        ASSERT_EQ(a.size(), b.size());
        ASSERT_GT(a.size(), 50u);
        EXPECT_EQ(std::count_if(a.begin(), a.end(), [](const MarkBox& m) { return m.symbol; }), 5);
        for (std::size_t i = 0; i < a.size(); ++i)
            EXPECT_EQ(b[i].area, a[i].area.translated(30, -12)) << dpi << " dpi, box " << i;
    }
}

TEST(FormMarkBoxes, TextBoxesAreTheCellsTheFormDraws)
{
    // The mailer number's cell at 180 degrees spans from its point back by its width and height.
    RasterPage page(300);
    FormData d = everyField("0", "0");
    ASSERT_FALSE(DrawMailerForm(d, true, FontHolder, page).error);
    const auto boxes = FormMarkBoxes(d, true, FontHolder, 300, 300);
    const QRect b1 = boxes.at(3).area; // after the three Code 128 symbols: B1, then B2...
    EXPECT_FALSE(boxes.at(3).symbol);
    EXPECT_EQ(b1.right() + 1, 924);   // 3.08 inch
    EXPECT_EQ(b1.bottom() + 1, 1206); // 4.02 inch
    const QRect ink = InkBounds(page.image(), b1.adjusted(-20, -20, 20, 20));
    EXPECT_TRUE(b1.contains(ink)) << "ink of B1 outside its box";
    EXPECT_GT(ink.width(), b1.width() * 9 / 10);
}
