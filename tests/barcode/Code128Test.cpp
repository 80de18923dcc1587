#include "Code128.h"
#include "Barcode.h"
#include "BarcodeTestUtil.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <random>

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
        {"mailer number",
         "9214712345678900000015",
         {105, 92, 14, 71, 23, 45, 67, 89, 0, 0, 0, 15, 91, 106},
         176},
        {"letters, even digit run, letters",
         "AB12345678cd",
         {104, 33, 34, 99, 12, 34, 56, 78, 100, 67, 68, 80, 106},
         165},
        {"odd digits from the start", "12345", {105, 12, 34, 100, 21, 54, 106}, 0},
        {"three digits stay in B", "123", {104, 17, 18, 19, 8, 106}, 0},
        {"shift between controls", std::string("\001a\002"), {103, 65, 98, 65, 66, 102, 106}, 0},
        {"odd run met in B: first digit in B",
         "A12345",
         {104, 33, 17, 99, 23, 45, (104 + 33 + 17 * 2 + 99 * 3 + 23 * 4 + 45 * 5) % 103, 106},
         0},
        {"control then plain text switches to A",
         std::string("a\001BC"),
         {104, 65, 101, 65, 34, 35, (104 + 65 + 101 * 2 + 65 * 3 + 34 * 4 + 35 * 5) % 103, 106},
         0},
        {"control left alone in C switches to A",
         std::string("1234\x01"),
         {105, 12, 34, 101, 65, (105 + 12 + 34 * 2 + 101 * 3 + 65 * 4) % 103, 106},
         99},
        {"carriage return left alone after a run in C, started in A",
         std::string("AB1234\r"),
         {103, 33, 34, 99, 12, 34, 101, 77,
          (103 + 33 + 34 * 2 + 99 * 3 + 12 * 4 + 34 * 5 + 101 * 6 + 77 * 7) % 103, 106},
         0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EncodeCode128(c.text, false), c.values) << c.name;
        if (c.modules) {
            EXPECT_EQ(TBarcodeBmp::SymbolWidth(1, bcCode128, c.text), c.modules) << c.name;
        }
    }
    EXPECT_EQ(EncodeCode128("12", true),
              (std::vector<int>{104, 102, 17, 18, (104 + 102 + 17 * 2 + 18 * 3) % 103, 106}));
}

namespace {

// Reads a value list back as a reader does: start set, code switches, shifts, checksum and
// Stop. Empty when the list is no whole symbol or holds a value its set has no meaning for.
std::optional<std::string> readValues(const std::vector<int>& v, bool withFnc1)
{
    const std::size_t first = withFnc1 ? 2 : 1;
    if (v.size() < first + 2 || v.back() != Stop || v[0] < StartA || v[0] > StartC)
        return std::nullopt;
    if (withFnc1 && v[1] != FNC1)
        return std::nullopt;
    const std::vector<int> body(v.begin(), v.end() - 2);
    if (v[v.size() - 2] != Code128Checksum(body))
        return std::nullopt;
    char set = static_cast<char>('A' + (v[0] - StartA));
    bool shifted = false;
    std::string text;
    for (std::size_t k = first; k < body.size(); ++k) {
        const int x = body[k];
        const char current = shifted ? (set == 'A' ? 'B' : 'A') : set;
        shifted = false;
        if (current == 'C') {
            if (x < 100)
                text += {static_cast<char>('0' + x / 10), static_cast<char>('0' + x % 10)};
            else if (x == CodeA || x == CodeB)
                set = x == CodeA ? 'A' : 'B';
            else
                return std::nullopt;
        } else if (x < 96) {
            text += static_cast<char>(current == 'A' && x >= 64 ? x - 64 : x + 32);
        } else if (x == Shift && current == set && k + 1 < body.size()) {
            shifted = true;
        } else if (x == CodeC || (x == CodeA && set == 'B') || (x == CodeB && set == 'A')) {
            set = x == CodeC ? 'C' : x == CodeA ? 'A' : 'B';
        } else {
            return std::nullopt; // FNC1-4 inside the data, or a start or Stop
        }
    }
    return text;
}

// Encodes every text and keeps those whose values are not drawn whole (11 modules per value,
// 13 for Stop) or do not read back as the text: a count and the first few, not a line each.
class WholeSymbolCheck
{
public:
    void operator()(const std::string& text, bool withFnc1)
    {
        const std::vector<int> values = EncodeCode128(text, withFnc1);
        if (readValues(values, withFnc1) == text && Code128Modules(values).size() == 11 * values.size() + 2)
            return;
        if (++m_failures <= 5)
            m_examples += testing::PrintToString(text) + (withFnc1 ? " (EAN-128)" : "") + " -> " +
                          testing::PrintToString(values) + "\n";
    }
    int failures() const { return m_failures; }
    const std::string& examples() const { return m_examples; }

private:
    int m_failures = 0;
    std::string m_examples;
};

} // namespace

TEST(Code128, EveryTextIsEncodedWholeAndReadsBack)
{
    WholeSymbolCheck check;
    // Every text of up to eight characters drawn from the four classes the encoder tells
    // apart (two digits, so pairs are told apart too): this reaches every place where the
    // set changes, a lone last character in C included.
    const std::string alphabet = {'1', '2', '\x01', 'A', 'a'};
    std::vector<std::string> level{""};
    for (int length = 1; length <= 8; ++length) {
        std::vector<std::string> next;
        next.reserve(level.size() * alphabet.size());
        for (const std::string& t : level)
            for (char c : alphabet)
                next.push_back(t + c);
        for (const std::string& t : next) {
            check(t, false);
            check(t, true);
        }
        level = std::move(next);
    }

    // And longer texts over every code the encoder takes, NUL and DEL included.
    std::mt19937 random(128);
    std::uniform_int_distribution<int> code(0, 127), digit('0', '9'), length(1, 40);
    for (int round = 0; round < 20000; ++round) {
        std::string t;
        for (int n = length(random); n > 0; --n)
            t += static_cast<char>(random() % 2 ? digit(random) : code(random)); // digit runs of every length
        check(t, round % 5 == 0);
    }
    EXPECT_EQ(check.failures(), 0) << check.examples();
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
    b.setHeight(2);                             // shorter than the text band
    EXPECT_EQ(b.Bitmap().size(), QSize(2, 88)); // turned: 88 wide becomes 88 high
    b.setFont(nullptr);
    EXPECT_EQ(b.Font().family(), "Courier New");
}

TEST(TBarcodeBmp, BitmapThatCannotBeAllocatedIsAnErrorNotACrash)
{
    // Sizes past any machine's address space (more than 2^47 bytes), so that no allocation
    // can succeed whatever the system's overcommit policy; and a width past what an image
    // can hold at all.
    struct Case
    {
        const char* name;
        int scale;
        int height;
    };
    const Case cases[] = {
        {"huge scale and height", 2'000'000, 1'000'000'000},
        {"wider than any image", std::numeric_limits<int>::max(), 50},
    };
    for (const Case& c : cases) {
        for (int t = bcCode128; t <= bcUPC5ext; ++t) {
            for (TbcRotate rotate : {bcNoRotate, bcRotate90}) {
                TBarcodeBmp b;
                b.BeginLoading();
                b.setBarcodeType(static_cast<TBarCodeType>(t));
                b.setBarcodeText("12");
                b.setScale(c.scale);
                b.setHeight(c.height);
                b.setRotate(rotate);
                b.Loaded();
                const std::string where = std::string(c.name) + " type " + std::to_string(t);
                EXPECT_TRUE(b.Bitmap().isNull()) << where;
                ASSERT_TRUE(b.Error().has_value()) << where;
                EXPECT_EQ(b.Error()->rfind("Not enough memory for a bar-code bitmap of ", 0), 0u)
                    << *b.Error();

                // A size that fits draws again and clears the error.
                b.BeginLoading(); // no step in between at a size that might be had
                b.setScale(1);
                b.setHeight(50);
                b.Loaded();
                EXPECT_FALSE(b.Error().has_value()) << where;
                EXPECT_FALSE(b.Bitmap().isNull()) << where;
            }
        }
    }

    TBarcodeBmp b;
    b.BeginLoading();
    b.setInterpret(false);
    b.setScale(2'000'000);
    b.setHeight(1'000'000'000);
    b.setBarcodeText("9214712345678900000015");
    b.Loaded();
    ASSERT_TRUE(b.Error().has_value());
    EXPECT_EQ(*b.Error(), "Not enough memory for a bar-code bitmap of 352000000 x 1000000000 pixels");
    EXPECT_TRUE(ToMonoBitmap(b.Bitmap()).isNull());
}
