#include "Barcode.h"
#include "BarcodeTestUtil.h"
#include "Code128.h"

#include <gtest/gtest.h>

using namespace quill::barcode;

TEST(Code128, WorkedExamplesEncodeExactly)
{
    struct Case
    {
        const char* name;
        std::string text;
        std::vector<int> values;
        int modules;
    };
    const Case cases[] = {
        {"mailer number", "9214712345678900000015",
         {105, 92, 14, 71, 23, 45, 67, 89, 0, 0, 0, 15, 91, 106}, 176},
        {"letters, even digit run, letters", "AB12345678cd",
         {104, 33, 34, 99, 12, 34, 56, 78, 100, 67, 68, 80, 106}, 165},
        {"odd digits from the start", "12345", {105, 12, 34, 100, 21, 54, 106}, 0},
        {"three digits stay in B", "123", {104, 17, 18, 19, 8, 106}, 0},
        {"shift between controls", std::string("\x01" "a" "\x02"), {103, 65, 98, 65, 66, 102, 106}, 0},
        {"odd run met in B: first digit in B", "A12345",
         {104, 33, 17, 99, 23, 45, (104 + 33 + 17 * 2 + 99 * 3 + 23 * 4 + 45 * 5) % 103, 106}, 0},
        {"control then plain text switches to A", std::string("a\x01" "BC"),
         {104, 65, 101, 65, 34, 35, (104 + 65 + 101 * 2 + 65 * 3 + 34 * 4 + 35 * 5) % 103, 106}, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EncodeCode128(c.text, false), c.values) << c.name;
        if (c.modules) {
            EXPECT_EQ(TBarcodeBmp::SymbolWidth(1, bcCode128, c.text), c.modules) << c.name;
        }
    }
    EXPECT_EQ(EncodeCode128("12", true), (std::vector<int>{104, 102, 17, 18, (104 + 102 + 17 * 2 + 18 * 3) % 103, 106}));
}

TEST(Code128, ChooseSet)
{
    EXPECT_EQ(ChooseCode128Set("1234"), 'C');
    EXPECT_EQ(ChooseCode128Set("12345"), 'C');
    EXPECT_EQ(ChooseCode128Set("123a"), 'B');
    EXPECT_EQ(ChooseCode128Set("AB\x01"), 'A');
    EXPECT_EQ(ChooseCode128Set("AB`\x01"), 'B');
    EXPECT_EQ(ChooseCode128Set("HELLO"), 'B');
}

TEST(Code128, PatternsOfValueZeroAndStop)
{
    EXPECT_EQ(Bits(Code128Modules({0})), "11011001100");
    EXPECT_EQ(Bits(Code128Modules({106})), "1100011101011");
    EXPECT_EQ(Bits(Code128Modules({0, 200, 0})), "11011001100"); // stops at a value it cannot draw
}

TEST(TBarcodeBmp, NewComponentIsWhite20By50)
{
    TBarcodeBmp b;
    EXPECT_EQ(b.Bitmap().size(), QSize(20, 50));
    EXPECT_EQ(b.Bitmap().format(), QImage::Format_Grayscale8);
    EXPECT_EQ(b.Bitmap().pixelColor(3, 3), QColor(Qt::white));
    EXPECT_TRUE(TwoColours(b.Bitmap()));
    EXPECT_EQ(b.Font().family(), "Courier New");
    EXPECT_EQ(b.Scale(), 1);
    EXPECT_TRUE(b.Interpret());
}

TEST(TBarcodeBmp, MailerNumberAtScaleNine)
{
    TBarcodeBmp b;
    b.setInterpret(false);
    b.setScale(9);
    b.setHeight(450);
    b.setBarcodeText("9214712345678900000015");
    const QImage& img = b.Bitmap();
    ASSERT_EQ(img.size(), QSize(1584, 450));
    EXPECT_EQ(img.pixelColor(89, 0).red(), 255);
    EXPECT_EQ(img.pixelColor(90, 0).red(), 0);
    for (int x = 1584 - 90; x < 1584; ++x)
        ASSERT_EQ(img.pixelColor(x, 200).red(), 255) << x;
    EXPECT_EQ(img.pixelColor(1584 - 91, 449).red(), 0); // the final bar of Stop
    EXPECT_EQ(RowBits(img, 449, 9), Bits(Code128Modules(EncodeCode128("9214712345678900000015", false))));

    const QImage plain = img.copy();
    b.setRotate(bcRotate180);
    ASSERT_EQ(b.Bitmap().size(), QSize(1584, 450));
    EXPECT_EQ(b.Bitmap(), plain.mirrored(true, true));
    b.setRotate(bcRotate90);
    ASSERT_EQ(b.Bitmap().size(), QSize(450, 1584));
    EXPECT_EQ(b.Bitmap(), plain.transformed(QTransform().rotate(90)));
    b.setRotate(bcRotate270);
    EXPECT_EQ(b.Bitmap(), plain.transformed(QTransform().rotate(270)));
}

TEST(TBarcodeBmp, InterpretationLeavesATextBandAndCentresTheText)
{
    TBarcodeBmp b;
    b.setScale(9);
    b.setHeight(450);
    b.setBarcodeText("9214712345678900000015");
    const QImage& img = b.Bitmap();
    EXPECT_TRUE(TwoColours(img));
    // The first bar, left of the text: black down to 45 pixels above the bottom.
    EXPECT_EQ(img.pixelColor(90, 404).red(), 0);
    EXPECT_EQ(img.pixelColor(90, 405).red(), 255);
    // The text is centred at the bottom, on white: its ink is symmetric about the middle.
    int left = img.width(), right = 0, top = img.height();
    for (int y = 300; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixelColor(x, y).red() == 0 && img.pixelColor(x, 0).red() == 255) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
            }
    EXPECT_LT(top, 405); // the text is taller than its band and covers the bars' ends
    EXPECT_NEAR((left + right) / 2.0, img.width() / 2.0, 20);
    EXPECT_EQ(b.Font().pointSize(), 72);
}

TEST(TBarcodeBmp, TextIsFilteredAndTypeChangesRefilter)
{
    TBarcodeBmp b;
    b.setBarcodeText(std::string("ab\x80") + "\xff" + std::string(1, '\0') + "c");
    EXPECT_EQ(b.BarcodeText(), "abc");
    b.setBarcodeText("12345-678901234");
    b.setBarcodeType(bcUPCA);
    EXPECT_EQ(b.BarcodeText(), "12345678901");
    b.setBarcodeType(bcCode128);
    EXPECT_EQ(b.BarcodeText(), "12345678901"); // what the stricter filter cut stays cut
    b.setBarcodeText("");
    EXPECT_EQ(b.Bitmap().size(), QSize(20, 50));
    b.setScale(3);
    EXPECT_EQ(b.Bitmap().width(), 60);
}

TEST(TBarcodeBmp, OddPropertiesNeverCrash)
{
    TBarcodeBmp b;
    b.setBarcodeText("123");
    for (int scale : {0, -2})
        for (int height : {0, -5, 3}) {
            b.setScale(scale);
            b.setHeight(height);
            b.setRotate(bcRotate90);
        }
    b.setScale(1);
    b.setHeight(2); // shorter than the text band
    EXPECT_EQ(b.Bitmap().size(), QSize(2, 88)); // turned: 88 wide becomes 88 high
    b.setFont(nullptr);
    EXPECT_EQ(b.Font().family(), "Courier New");
}
