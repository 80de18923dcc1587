#include "Decode.h"
#include "U_CertPrint.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quill::printing;

namespace {

FormData sampleForm()
{
    FormData d;
    d.sender = {"Harbor Title Company", "200 Water Street", "Portland ME 04101", "", ""};
    d.senderZip = "04101";
    d.recipient = {"Mr. Robert Allard", "18 Cedar Lane", "Augusta ME 04330-1234", "", ""};
    d.recipientZip = "04330-1234";
    d.re = "Parcel 14-220";
    d.comment = "Lien notice";
    d.numberSource = "123456789";
    d.serialNumber = "0000001";
    d.postage = QString(10, ' ') + "0.39";
    d.certifiedFee = QString(10, ' ') + "2.40";
    d.returnReceiptFee = QString(10, ' ') + "1.85";
    d.restrictedFee = " ";
    d.total = QString(10, ' ') + "4.64";
    return d;
}

const QFont FontHolder("Arial", 8);

const RecordingPage::Text* findText(const RecordingPage& page, const QString& text, int angle, int pixelSize)
{
    for (const auto& t : page.texts)
        if (t.text == text && t.angle == angle && t.pixelSize == pixelSize)
            return &t;
    return nullptr;
}

} // namespace

TEST(PageFrame, InchesToDevicePixels)
{
    struct Case
    {
        int dpi, physical;
        const char* lr;
        double inches;
        int expected;
    };
    const Case cases[] = {
        {300, 0, "0", 1.0, 300},  {600, 0, "0", 1.5, 900},    {300, 0, "10", 1.0, 330},
        {600, 0, "10", 1.0, 630}, {300, 0, "-999", 0, -2997}, {300, 50, "0", 0.15, -5},
        {300, 0, "0", 4.1, 1230}, {300, 0, "0", 0.62, 186},   {300, 50, "0", 1.0, 250},
    };
    for (const Case& c : cases) {
        RecordingPage page(c.dpi, c.physical, c.physical);
        TPageFrame f(page, c.lr, "0");
        ASSERT_FALSE(f.Begin(FontHolder));
        EXPECT_EQ(f.InchesToX(c.inches), c.expected) << c.dpi << " " << c.lr << " " << c.inches;
    }
    RecordingPage page(300);
    TPageFrame f(page, "0", "-4");
    ASSERT_FALSE(f.Begin(FontHolder));
    EXPECT_EQ(f.InchesToY(1.0), 288);
}

TEST(PageFrame, LengthsAndFontSizes)
{
    EXPECT_EQ(TPageFrame::DeviceLength(0.75, 150), 112); // 112.5: halves to even
    EXPECT_EQ(TPageFrame::DeviceLength(0.0075, 300), 2); // 2.25
    EXPECT_EQ(TPageFrame::DeviceLength(0.015, 300), 4);  // 4.5
    EXPECT_EQ(TPageFrame::DeviceLength(2.5, 600), 1500);
    EXPECT_EQ(TPageFrame::DeviceLength(0.14, 720), 101);
    for (auto [points, pixels] :
         std::initializer_list<std::pair<int, int>>{{10, 42}, {8, 33}, {6, 25}, {11, 46}})
        EXPECT_EQ(TPageFrame::PointsToPixels(points, 300), pixels) << points;
}

TEST(DrawMailerForm, EveryMarkOfTheFormAt300Dpi)
{
    RecordingPage page(300);
    const PrintResult r = DrawMailerForm(sampleForm(), true, FontHolder, page);
    ASSERT_FALSE(r.error);
    EXPECT_EQ(r.mailerNumber, "9214712345678900000015");
    EXPECT_EQ(page.begun, 1);
    EXPECT_EQ(page.ended, 1);

    // Every text of tables B (7) and D (26 + 7 + 16 + 7) is one call.
    EXPECT_EQ(page.texts.size(), 63u);
    // Table A and C: bitmaps, their places and sizes.
    ASSERT_EQ(page.bitmaps.size(), 5u); // A1, A2, A3, C1, C2
    EXPECT_EQ(page.bitmaps[0].target, QRect(186, 1230, 750, 225));
    EXPECT_EQ(page.bitmaps[0].bitmap.size(), QSize(176 * 4, 225));
    EXPECT_EQ(page.bitmaps[1].target, QRect(1410, 1500, 750, 225));
    EXPECT_EQ(page.bitmaps[2].target, QRect(1560, 240, 750, 120));
    EXPECT_EQ(page.bitmaps[3].target, QRect(1590, 1065, 83 * 7, 42)); // sender ZIP 04101: five digits, x 5.3
    EXPECT_EQ(page.bitmaps[4].target, QRect(45, 1689, 123 * 7, 42));  // recipient ZIP+4 on the extra label

    // Table B: number texts.
    const QString mailer = "9214 7123 4567 8900 0000 15";
    const QString companion = "9290 9123 4567 8900 0000 19";
    struct Expected
    {
        QString text;
        int angle, pixels;
        QPoint at;
        const char* family;
    };
    const Expected numbers[] = {
        {mailer, 1800, 46, {924, 1206}, "OCR A Extended"},                  // B1
        {companion, 1800, 46, {2160, 1476}, "OCR A Extended"},              // B2
        {companion, 1800, 42, {2280, 234}, "OCR A Extended"},               // B3
        {mailer, 1800, 42, {2310, 135}, "OCR A Extended"},                  // B4
        {mailer, 2700, 42, {2373, 1140}, "OCR A Extended"},                 // B5
        {mailer, 2700, 33, {2430, 438}, "OCR A Extended"},                  // B6
        {mailer, 1800, 25, {441, 951}, "Arial"},                            // B7
        {"RE: Parcel 14-220", 1800, 42, {2250, 1185}, "OCR A Extended"},    // D1.6
        {"RE: Parcel 14-220", 2700, 42, {2463, 1140}, "OCR A Extended"},    // D2.2
        {"Lien notice", 2700, 42, {2418, 1140}, "OCR A Extended"},          // D2.3
        {"HARBOR TITLE COMPANY", 2700, 42, {1290, 1140}, "OCR A Extended"}, // D2.1
        {"Harbor Title Company", 1800, 25, {435, 864}, "Arial"},            // D3.1
        {"Mr. Robert Allard", 1800, 25, {435, 639}, "Arial"},               // D3.4, as typed
        {"Postage", 1800, 25, {435, 429}, "Arial"},                         // D3.9
        {"Restricted", 1800, 25, {435, 339}, "Arial"},                      // D3.12
    };
    for (const Expected& e : numbers) {
        const auto* t = findText(page, e.text, e.angle, e.pixels);
        ASSERT_NE(t, nullptr) << e.text.toStdString() << " " << e.angle;
        EXPECT_EQ(t->at, e.at) << e.text.toStdString();
        EXPECT_EQ(t->family, e.family) << e.text.toStdString();
    }
    // Sender and recipient blocks in capitals at 10 pt, 180 degrees.
    for (auto [text, at] :
         std::initializer_list<std::pair<QString, QPoint>>{{"HARBOR TITLE COMPANY", {2250, 1395}},
                                                           {"PORTLAND ME 04101", {2250, 1305}},
                                                           {"MR. ROBERT ALLARD", {2130, 2010}},
                                                           {"AUGUSTA ME 04330-1234", {2265, 510}},
                                                           {"MR. ROBERT ALLARD", {840, 1980}}}) {
        bool found = false;
        for (const auto& t : page.texts)
            found |= t.text == text && t.at == at && t.angle == 1800 && t.pixelSize == 42;
        EXPECT_TRUE(found) << text.toStdString() << " at " << at.x() << "," << at.y();
    }
    // Fees end at 0.3 inch: drawn at their own width plus 90; a blank fee prints nothing.
    const auto* postage = findText(page, "0.39", 1800, 25);
    ASSERT_NE(postage, nullptr);
    EXPECT_EQ(postage->at.y(), 429);
    QFont six("Arial");
    six.setPixelSize(25);
    EXPECT_EQ(postage->at.x(), page.textWidth("0.39", six) + 90);
    QFont eightBold("Arial");
    eightBold.setPixelSize(33);
    eightBold.setBold(true);
    const auto* total = findText(page, "$ 4.64", 1800, 33);
    ASSERT_NE(total, nullptr);
    EXPECT_TRUE(total->bold);
    EXPECT_EQ(total->at, QPoint(page.textWidth("$ 4.64", eightBold) + 90, 294));
    for (const char* caption : {"RECEIPT", "FROM:", "SEND TO:", "FEES:", "TOTAL", "POSTMARK OR DATE"})
        EXPECT_NE(findText(page, caption, 1800, 33), nullptr) << caption;
    EXPECT_NE(findText(page, "", 1800, 25), nullptr); // the blank restricted fee is still one call
}

TEST(DrawMailerForm, BitmapPlacesAt600Dpi)
{
    RecordingPage page(600);
    DrawMailerForm(sampleForm(), true, FontHolder, page);
    ASSERT_EQ(page.bitmaps.size(), 5u);
    EXPECT_EQ(page.bitmaps[0].target, QRect(372, 2460, 1500, 450));
    EXPECT_EQ(page.bitmaps[0].bitmap.size(), QSize(176 * 9, 450));
    EXPECT_EQ(page.bitmaps[1].target, QRect(2820, 3000, 1500, 450));
    EXPECT_EQ(page.bitmaps[2].target, QRect(3120, 480, 1500, 240));
    EXPECT_EQ(page.bitmaps[3].target, QRect(3180, 2130, 83 * 14, 84));
    EXPECT_EQ(page.bitmaps[4].target, QRect(90, 3378, 123 * 14, 84));
}

TEST(DrawMailerForm, PrePrintedModeDrawsNoNumber)
{
    RecordingPage page(300);
    FormData d = sampleForm();
    d.numberSource = "9214799999999912345678";
    d.serialNumber.clear();
    const PrintResult r = DrawMailerForm(d, false, FontHolder, page);
    EXPECT_EQ(r.mailerNumber, "9214799999999912345678");
    ASSERT_EQ(page.bitmaps.size(), 2u); // only the POSTNET symbols
    for (const auto& t : page.texts)
        EXPECT_FALSE(t.text.contains("9214")) << t.text.toStdString();
}

TEST(DrawMailerForm, ExtraLabelAndZipPlaces)
{
    struct Case
    {
        const char* print;
        const char* content;
        const char* senderZip;
        const char* recipientZip;
        int bitmaps;
        int senderZipX;
        int recipientZipX; // -1: no C2
        const char* extraFirstLine;
    };
    const Case cases[] = {
        {"Yes", "Addressed To", "12345-6789", "12345", 2, 1350, 324, "MR. ROBERT ALLARD"},
        {"Yes", "Your Name and Address", "12345", "12345-6789", 1, 1590, -1, "HARBOR TITLE COMPANY"},
        {"No", "Addressed To", "12345", "12345", 1, 1590, -1, nullptr},
        {"yes", "Addressed To", "12345", "12345", 1, 1590, -1, nullptr}, // only "Yes" switches it on
    };
    for (const Case& c : cases) {
        RecordingPage page(300);
        FormData d = sampleForm();
        d.printExtraLabel = c.print;
        d.extraLabel = c.content;
        d.senderZip = c.senderZip;
        d.recipientZip = c.recipientZip;
        DrawMailerForm(d, false, FontHolder, page);
        ASSERT_EQ(static_cast<int>(page.bitmaps.size()), c.bitmaps) << c.print << " " << c.content;
        EXPECT_EQ(page.bitmaps[0].target.x(), c.senderZipX);
        if (c.recipientZipX >= 0) {
            EXPECT_EQ(page.bitmaps[1].target.x(), c.recipientZipX);
        }
        bool extra = false;
        for (const auto& t : page.texts)
            if (t.at == QPoint(840, 1980))
                extra = c.extraFirstLine && t.text == c.extraFirstLine;
        EXPECT_EQ(extra, c.extraFirstLine != nullptr) << c.print << " " << c.content;
    }
}

TEST(DrawMailerForm, AlignmentMovesEveryMarkThreePixelsPerUnit)
{
    RecordingPage plain(600), moved(600);
    FormData d = sampleForm();
    DrawMailerForm(d, true, FontHolder, plain);
    d.leftRight = "5";
    d.topBottom = "-2";
    DrawMailerForm(d, true, FontHolder, moved);
    ASSERT_EQ(plain.texts.size(), moved.texts.size());
    ASSERT_EQ(plain.bitmaps.size(), moved.bitmaps.size());
    for (std::size_t i = 0; i < plain.texts.size(); ++i)
        EXPECT_EQ(moved.texts[i].at - plain.texts[i].at, QPoint(15, -6)) << plain.texts[i].text.toStdString();
    for (std::size_t i = 0; i < plain.bitmaps.size(); ++i)
        EXPECT_EQ(moved.bitmaps[i].target.topLeft() - plain.bitmaps[i].target.topLeft(), QPoint(15, -6));
}

TEST(DrawMailerForm, AJobThatCannotBeginDrawsNothing)
{
    RecordingPage page(300);
    page.failBegin = "No printer is installed.";
    const PrintResult r = DrawMailerForm(sampleForm(), true, FontHolder, page);
    ASSERT_TRUE(r.error);
    EXPECT_EQ(*r.error, "No printer is installed.");
    EXPECT_TRUE(page.texts.empty());
    EXPECT_TRUE(page.bitmaps.empty());
}

TEST(DrawMailerForm, ASymbolTooLargeForMemoryEndsTheJobWithAnError)
{
    // At three million dots per inch the mailer symbol would need terabytes.
    RecordingPage page(3000000);
    const PrintResult r = DrawMailerForm(sampleForm(), true, FontHolder, page);
    ASSERT_TRUE(r.error);
    EXPECT_TRUE(r.error->startsWith("Not enough memory for a bar-code bitmap")) << r.error->toStdString();
    EXPECT_TRUE(r.mailerNumber.isEmpty()); // not a printed piece
    EXPECT_TRUE(page.bitmaps.empty());
}

TEST(DrawMailerForm, PrintedSymbolsDecodeAtBothResolutions)
{
    for (int dpi : {300, 600}) {
        RasterPage page(dpi);
        const PrintResult r = DrawMailerForm(sampleForm(), true, FontHolder, page);
        ASSERT_FALSE(r.error);
        const QImage& img = page.image();
        auto in = [&](double x, double y, double w, double h) {
            return QRect(int(x * dpi), int(y * dpi), int(w * dpi), int(h * dpi));
        };
        const int width = TPageFrame::DeviceLength(2.5, dpi);
        // A1: the mailer symbol, turned half-way, at 0.62, 4.1.
        const QRect a1(int(0.62 * dpi), int(4.1 * dpi), width, TPageFrame::DeviceLength(0.75, dpi));
        EXPECT_EQ(DecodeCode128(img, a1.adjusted(-20, -20, 20, 20)), "9214712345678900000015") << dpi;
        const QRect ink = InkBounds(img, a1);
        const int quiet = width * 10 / 176; // 10 of 176 modules are white on each side
        EXPECT_NEAR(ink.left(), a1.left() + quiet, 2) << dpi;
        EXPECT_NEAR(ink.right(), a1.right() - quiet, 2) << dpi;
        EXPECT_EQ(ink.top(), a1.top()) << dpi;
        EXPECT_EQ(ink.bottom(), a1.bottom()) << dpi;
        // A2 and A3: the companion number.
        EXPECT_EQ(DecodeCode128(img, in(4.65, 4.95, 2.6, 0.85)), "9290912345678900000019") << dpi;
        EXPECT_EQ(DecodeCode128(img, in(5.15, 0.75, 2.6, 0.5)), "9290912345678900000019") << dpi;
        const QRect a3(int(5.2 * dpi), int(0.8 * dpi), width, TPageFrame::DeviceLength(0.4, dpi));
        EXPECT_EQ(InkBounds(img, a3.adjusted(0, -3, 0, 3)).height(), a3.height()) << dpi;
    }
}

TEST(DrawMailerForm, PdfFormIsSmallAndReadsBack)
{
    QTemporaryDir dir;
    PdfFolderPage pdf(dir.filePath("Printed"));
    const PrintResult r = DrawMailerForm(sampleForm(), true, FontHolder, pdf);
    ASSERT_FALSE(r.error);
    const QString file = pdf.fileName();
    ASSERT_TRUE(QFile::exists(file)) << file.toStdString();
    EXPECT_TRUE(file.endsWith("-9214712345678900000015.pdf"));
    EXPECT_LT(QFile(file).size(), 100 * 1024);

    QProcess render;
    render.start("pdftoppm", {"-r", "300", "-gray", "-png", file, dir.filePath("page")});
    ASSERT_TRUE(render.waitForFinished(60000));
    const QImage page = QImage(dir.filePath("page-1.png")).convertToFormat(QImage::Format_Grayscale8);
    ASSERT_EQ(page.size(), QSize(2550, 3300));
    EXPECT_EQ(DecodeCode128(page, QRect(160, 1200, 800, 300)), "9214712345678900000015");
    EXPECT_EQ(DecodeCode128(page, QRect(1390, 1480, 800, 270)), "9290912345678900000019");

    QProcess text;
    text.start("pdftotext", {file, "-"});
    ASSERT_TRUE(text.waitForFinished(60000));
    const QString words = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(words.contains("RECEIPT")) << words.toStdString();
    EXPECT_TRUE(words.contains("9214 7123 4567 8900 0000 15")) << words.toStdString();
}

namespace {

// The marks of a recording page that carry the numbering: the symbols and the number texts.
struct NumberMarks
{
    std::vector<RecordingPage::Text> texts;
    std::vector<RecordingPage::Bitmap> bitmaps;
};

NumberMarks numberMarks(const RecordingPage& page, const QStringList& numbers)
{
    NumberMarks m;
    for (const auto& t : page.texts)
        if (numbers.contains(t.text))
            m.texts.push_back(t);
    for (const auto& b : page.bitmaps)
        if (b.target.height() > 100) // the Code 128 symbols; the POSTNET ones are 0.14 in high
            m.bitmaps.push_back(b);
    return m;
}

} // namespace

TEST(PrePrintBarCodes, ThreeFormsCarryTheirNumbersAndNothingElse)
{
    std::vector<std::shared_ptr<RecordingPage>> jobs;
    const PrePrintResult r = PrePrintBarCodes(3, "123456789", "0000001", "0", "0", FontHolder, [&] {
        jobs.push_back(std::make_shared<RecordingPage>(300));
        return jobs.back();
    });
    EXPECT_EQ(r.printed, 3);
    EXPECT_FALSE(r.error);
    ASSERT_EQ(jobs.size(), 3u);
    const char* mailers[] = {"9214 7123 4567 8900 0000 15", "9214 7123 4567 8900 0000 22",
                             "9214 7123 4567 8900 0000 39"};
    for (int i = 0; i < 3; ++i) {
        const RecordingPage& page = *jobs[static_cast<std::size_t>(i)];
        ASSERT_EQ(page.texts.size(), 7u) << i;   // B1 to B7: no address, fee or caption
        ASSERT_EQ(page.bitmaps.size(), 3u) << i; // A1 to A3: no POSTNET
        int mailerTexts = 0;
        for (const auto& t : page.texts)
            mailerTexts += t.text == mailers[i];
        EXPECT_EQ(mailerTexts, 5) << i; // B1, B4, B5, B6, B7; B2 and B3 are the companion's
    }
    EXPECT_TRUE(findText(*jobs[0], "9290 9123 4567 8900 0000 19", 1800, TPageFrame::PointsToPixels(11, 300)));

    // On paper: each form's mailer symbol (A1) and companion symbol (A2) read back.
    std::vector<std::shared_ptr<RasterPage>> pages;
    PrePrintBarCodes(3, "123456789", "0000100", "0", "0", FontHolder, [&] {
        pages.push_back(std::make_shared<RasterPage>(300));
        return pages.back();
    });
    ASSERT_EQ(pages.size(), 3u);
    const char* decoded[][2] = {{"9214712345678900001005", "9290912345678900001009"},
                                {"9214712345678900001012", "9290912345678900001016"},
                                {"9214712345678900001029", "9290912345678900001023"}};
    for (std::size_t i = 0; i < 3; ++i) {
        const QImage& img = pages[i]->image();
        EXPECT_EQ(DecodeCode128(img, QRect(160, 1200, 820, 270)), decoded[i][0]) << i;
        EXPECT_EQ(DecodeCode128(img, QRect(1385, 1475, 820, 270)), decoded[i][1]) << i;
    }
}

TEST(PrePrintBarCodes, EachFormMatchesTheNumberPartOfAFullFormMarkForMark)
{
    // The full form of the piece with serial 0000100, and the pre-printed form of the same.
    FormData d = sampleForm();
    d.serialNumber = "0000100";
    d.leftRight = "4";
    d.topBottom = "-3";
    RecordingPage full(600);
    ASSERT_FALSE(DrawMailerForm(d, true, FontHolder, full).error);
    std::shared_ptr<RecordingPage> pre;
    PrePrintBarCodes(1, "123456789", "0000100", "4", "-3", FontHolder, [&] {
        pre = std::make_shared<RecordingPage>(600);
        return pre;
    });
    ASSERT_TRUE(pre);
    const QStringList numbers{"9214 7123 4567 8900 0010 05", "9290 9123 4567 8900 0010 09"};
    const NumberMarks a = numberMarks(full, numbers), b = numberMarks(*pre, numbers);
    ASSERT_EQ(a.texts.size(), 7u);
    ASSERT_EQ(b.texts.size(), a.texts.size());
    for (std::size_t i = 0; i < a.texts.size(); ++i) {
        EXPECT_EQ(b.texts[i].text, a.texts[i].text) << i;
        EXPECT_EQ(b.texts[i].at, a.texts[i].at) << i;
        EXPECT_EQ(b.texts[i].family, a.texts[i].family) << i;
        EXPECT_EQ(b.texts[i].pixelSize, a.texts[i].pixelSize) << i;
        EXPECT_EQ(b.texts[i].bold, a.texts[i].bold) << i;
        EXPECT_EQ(b.texts[i].angle, a.texts[i].angle) << i;
    }
    ASSERT_EQ(a.bitmaps.size(), 3u);
    ASSERT_EQ(b.bitmaps.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(b.bitmaps[i].target, a.bitmaps[i].target) << i;
        EXPECT_EQ(b.bitmaps[i].bitmap, a.bitmaps[i].bitmap) << i;
    }
    EXPECT_EQ(pre->texts.size(), 7u);
}

TEST(PrePrintBarCodes, TheRunCountsOnItsOwnAndStopsCleanly)
{
    struct Case
    {
        const char* name;
        int forms;
        const char* start;
        int stopBefore; // the form the progress stops at, 0 never
        bool failBegin;
        std::vector<QString> lastTexts; // the mailer number of each form printed
        int printed;
    };
    const Case cases[] = {
        {"past the last serial",
         2,
         "9999999",
         0,
         false,
         {"9214 7123 4567 8999 9999 93", "9214 7123 4567 8900 0000 15"},
         2},
        {"no forms", 0, "0000001", 0, false, {}, 0},
        {"stopped before the third",
         5,
         "0000001",
         3,
         false,
         {"9214 7123 4567 8900 0000 15", "9214 7123 4567 8900 0000 22"},
         2},
        {"a job that cannot begin", 3, "0000001", 0, true, {}, 0},
    };
    for (const Case& c : cases) {
        std::vector<std::shared_ptr<RecordingPage>> jobs;
        const PrePrintResult r = PrePrintBarCodes(
            c.forms, "123456789", c.start, "0", "0", FontHolder,
            [&] {
                jobs.push_back(std::make_shared<RecordingPage>(300));
                if (c.failBegin)
                    jobs.back()->failBegin = "The printer is off line.";
                return jobs.back();
            },
            [&](int form, int forms) {
                EXPECT_EQ(forms, c.forms) << c.name;
                return form != c.stopBefore;
            });
        EXPECT_EQ(r.printed, c.printed) << c.name;
        EXPECT_EQ(r.stopped, c.stopBefore != 0) << c.name;
        EXPECT_EQ(r.error.has_value(), c.failBegin) << c.name;
        std::vector<QString> seen;
        for (const auto& job : jobs)
            if (!job->texts.empty())
                seen.push_back(job->texts.back().text); // B7: the mailer number in the page font
        EXPECT_EQ(seen, c.lastTexts) << c.name;
    }
}

TEST(DrawMailerForm, ImpbSymbolsReadAsGs1128AndPlainOnesAsCode128)
{
    struct Case
    {
        bool impb;
        const char* id;
    };
    for (const Case c : {Case{true, "]C1"}, Case{false, "]C0"}})
        for (int dpi : {300, 600}) {
            FormData d = sampleForm();
            d.impb = c.impb;
            RasterPage page(dpi);
            ASSERT_FALSE(DrawMailerForm(d, true, FontHolder, page).error);
            auto area = [&](double x, double y, double h) {
                return QRect(int(x * dpi) - 20, int(y * dpi) - 20, TPageFrame::DeviceLength(2.5, dpi) + 40,
                             TPageFrame::DeviceLength(h, dpi) + 40);
            };
            using Read = std::pair<std::string, std::string>;
            EXPECT_EQ(DecodeCode128WithId(page.image(), area(0.62, 4.1, 0.75)),
                      Read(c.id, "9214712345678900000015"))
                << dpi << " A1";
            EXPECT_EQ(DecodeCode128WithId(page.image(), area(4.7, 5.0, 0.75)),
                      Read(c.id, "9290912345678900000019"))
                << dpi << " A2";
            EXPECT_EQ(DecodeCode128WithId(page.image(), area(5.2, 0.8, 0.4)),
                      Read(c.id, "9290912345678900000019"))
                << dpi << " A3";
        }

    // A1 with FNC1 is one symbol character longer in the same 2.5-inch box: its narrowest bar
    // is still at least 13 mils wide, the least an IMpb symbol may have.
    FormData d = sampleForm();
    d.impb = true;
    RecordingPage page(600);
    ASSERT_FALSE(DrawMailerForm(d, true, FontHolder, page).error);
    const auto& a1 = page.bitmaps.at(0);
    const int scale = 9; // the form's module at 600 dpi: 15 mils, to the nearest even pixel
    const double modules = static_cast<double>(a1.bitmap.width()) / scale;
    EXPECT_EQ(modules, 187); // 10 quiet + 11 x 14 (start, FNC1, 11 pairs, check) + 13 stop + 10 quiet
    EXPECT_GE(a1.target.width() / modules / 600.0, 0.013);
}

TEST(PrePrintBarCodes, ImpbFormsReadAsGs1128)
{
    std::vector<std::shared_ptr<RasterPage>> pages;
    PrePrintBarCodes(
        2, "123456789", "0000001", "0", "0", FontHolder,
        [&] {
            pages.push_back(std::make_shared<RasterPage>(300));
            return pages.back();
        },
        {}, true);
    ASSERT_EQ(pages.size(), 2u);
    using Read = std::pair<std::string, std::string>;
    EXPECT_EQ(DecodeCode128WithId(pages[0]->image(), QRect(160, 1200, 820, 270)),
              Read("]C1", "9214712345678900000015"));
    EXPECT_EQ(DecodeCode128WithId(pages[1]->image(), QRect(160, 1200, 820, 270)),
              Read("]C1", "9214712345678900000022"));
}
