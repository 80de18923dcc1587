#include "Barcode.h"
#include "BarcodeTestUtil.h"
#include "Code128.h"
#include "Code39.h"
#include "Code93.h"
#include "Interleaved2of5.h"
#include "Postnet.h"
#include "UpcEan.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

using namespace quill::barcode;

namespace {

Modules modulesOf(TBarCodeType type, const std::string& text)
{
    return SymbolModules(type, text);
}

// Runs zint, an independent encoder from Debian, and returns its module rows ("1"/"0").
std::vector<std::string> zintRows(const std::string& type, const std::string& data)
{
    const std::string cmd = "zint -b " + type + " --dump -d '" + data + "' 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(cmd.c_str(), "r"), ::pclose);
    std::vector<std::string> rows;
    if (!pipe)
        return rows;
    char line[4096];
    while (std::fgets(line, sizeof line, pipe.get())) {
        std::string bits;
        for (char* p = line; *p; ++p) {
            int v = *p >= '0' && *p <= '9' ? *p - '0' : *p >= 'A' && *p <= 'F' ? *p - 'A' + 10 : -1;
            if (v < 0)
                continue;
            for (int b = 3; b >= 0; --b)
                bits += (v >> b) & 1 ? '1' : '0';
        }
        rows.push_back(bits);
    }
    return rows;
}

std::string trimmed(std::string s)
{
    while (!s.empty() && s.back() == '0')
        s.pop_back();
    return s;
}

} // namespace

TEST(Symbologies, ModulesMatchAnIndependentEncoder)
{
    struct Case
    {
        TBarCodeType type;
        const char* zint;
        std::string text;
    };
    const Case cases[] = {
        {bcCode39, "CODE39", "CODE 39 $/+%"},
        {bcCode39, "CODE39", "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"},
        {bcCode39Ext, "EXCODE39", "Full ascii: a~{}!"},
        {bcCode93, "CODE93", "CODE 93"},
        {bcCode93, "CODE93", "Mixed case, symbols #@!"},
        {bcCode93, "CODE93", "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%"},
        {bcInt2of5, "C25INTER", "0123456789"},
        {bcInt2of5, "C25INTER", "12"},
        {bcUPCA, "UPCA", "12345678901"},
        {bcUPCA, "UPCA", "03600029145"},
        {bcEAN13, "EANX", "590123412345"},
        {bcEAN13, "EANX", "400638133393"},
        {bcEAN8, "EANX", "9638507"},
        {bcUPCE, "UPCE", "123456"},
        {bcUPCE, "UPCE", "654320"},
        {bcUPCE, "UPCE", "123414"},
        {bcUPC2ext, "EANX", "12"},
        {bcUPC2ext, "EANX", "07"},
        {bcUPC2ext, "EANX", "98"},
        {bcUPC5ext, "EANX", "52495"},
        {bcUPC5ext, "EANX", "00000"},
        {bcUPC5ext, "EANX", "86104"},
    };
    for (const Case& c : cases) {
        const auto rows = zintRows(c.zint, c.text);
        ASSERT_FALSE(rows.empty()) << "zint did not run for " << c.text;
        EXPECT_EQ(trimmed(Bits(modulesOf(c.type, c.text))), trimmed(rows.back())) << c.zint << " " << c.text;
    }
}

TEST(Postnet, MatchesAnIndependentEncoderRowByRow)
{
    for (const std::string zip : {"12345", "123456789", "12345678901", "0"}) {
        const auto rows = zintRows("POSTNET", zip);
        ASSERT_EQ(rows.size(), 2u) << zip;
        std::string tall, all;
        for (uint8_t m : PostnetModules(zip)) {
            tall += m == Bar ? '1' : '0';
            all += m == Space ? '0' : '1';
        }
        EXPECT_EQ(trimmed(tall), trimmed(rows[0])) << zip;
        EXPECT_EQ(trimmed(all), trimmed(rows[1])) << zip;
    }
}

TEST(Postnet, BitmapGeometry)
{
    TBarcodeBmp b;
    b.setBarcodeType(bcPOSTNET);
    b.setHeight(20);
    b.setBarcodeText("12345");
    const QImage img = b.Bitmap();
    ASSERT_EQ(img.size(), QSize(83, 20));
    std::string topRow, bottomRow;
    for (int x = 0; x < 83; ++x) {
        topRow += img.pixelColor(x, 9).red() == 0 ? '1' : '0';
        bottomRow += img.pixelColor(x, 19).red() == 0 ? '1' : '0';
    }
    EXPECT_EQ(bottomRow.find('1'), 10u);                                // first frame bar
    EXPECT_EQ(bottomRow.find('1', 11), 12u);                            // first data bar
    EXPECT_EQ(bottomRow.rfind('1'), 72u);                               // closing frame bar
    EXPECT_EQ(std::count(bottomRow.begin(), bottomRow.end(), '1'), 32); // frame, 30 data bars, frame
    EXPECT_EQ(img.pixelColor(14, 10).red(), 0); // "1" starts 00011: a short bar covers rows 10-19
    EXPECT_EQ(img.pixelColor(14, 9).red(), 255);
    EXPECT_EQ(topRow[10], '1');
    EXPECT_EQ(topRow[12], '0');
    b.setInterpret(false);
    EXPECT_EQ(b.Bitmap(), img); // Interpret changes nothing
    b.setBarcodeText("12345-6789");
    EXPECT_EQ(b.BarcodeText(), "123456789");
    EXPECT_EQ(b.Bitmap().width(), 123);
    b.setBarcodeText("123456789012");
    EXPECT_EQ(b.BarcodeText(), "12345678901");
    EXPECT_EQ(PostnetCheckDigit("12345"), '5');
    EXPECT_EQ(PostnetCheckDigit("55"), '0');
}

TEST(Symbologies, FiltersAndWidths)
{
    struct Case
    {
        TBarCodeType type;
        std::string in;
        std::string stored;
        int widthModules;
    };
    const Case cases[] = {
        {bcCode39, "abc*-1", "ABC-1", 13 * 7 + 20},
        {bcCode39Ext, "a-.", "a-.", 13 * (2 + 6) + 20},
        {bcCode93, "a1", "a1", 9 * 3 + 57},
        {bcInt2of5, "1a2b3", "123", 9 * 4 + 29},
        {bcInt2of5, "1234", "1234", 9 * 4 + 29},
        {bcUPCA, "123456789012345", "12345678901", 115},
        {bcEAN13, "12345678901234", "123456789012", 115},
        {bcEAN8, "123456789", "1234567", 87},
        {bcUPCE, "1234567", "123456", 71},
        {bcUPC2ext, "123", "12", 40},
        {bcUPC5ext, "1234567", "12345", 67},
        {bcEAN128,
         "\x80"
         "AB",
         "AB", 11 * 6 + 22}, // start, FNC1, A, B, check, stop
    };
    for (const Case& c : cases) {
        TBarcodeBmp b;
        b.setBarcodeType(c.type);
        b.setInterpret(false);
        b.setScale(2);
        b.setBarcodeText(c.in);
        EXPECT_EQ(b.BarcodeText(), c.stored) << c.in;
        EXPECT_EQ(b.Bitmap().width(), 2 * c.widthModules) << c.in;
        // The width formula and the drawn modules agree: 10 quiet modules each side.
        EXPECT_EQ(static_cast<int>(modulesOf(c.type, c.stored).size()) + 20, c.widthModules) << c.in;
    }
}

TEST(Symbologies, UpcAndEanEdgeCases)
{
    EXPECT_EQ(UpcADigits("12345"), "000000123457");
    EXPECT_EQ(Ean13Modules("0"
                           "12345678901"),
              UpcAModules("12345678901"));
    EXPECT_EQ(UpcEExpansion("123456"), "01234500006");
    EXPECT_EQ(UpcEDigits("123456"), "1234565");
    EXPECT_EQ(UpcEExpansion("123450"), "01200000345");
    EXPECT_EQ(UpcEExpansion("123453"), "01230000045");
    EXPECT_EQ(UpcEExpansion("123454"), "01234000005");
    // Check digit 5 selects even, odd, odd, even, even, odd: B, A, A, B, B, A.
    const std::string bits = Bits(UpcEModules("123456"));
    EXPECT_EQ(bits.substr(3, 7), "0110011");  // 1 in set B
    EXPECT_EQ(bits.substr(10, 7), "0010011"); // 2 in set A
    EXPECT_EQ(bits.substr(45), "010101");
    EXPECT_EQ(UpcEanCheckDigit("03600029145"), '2');
    EXPECT_EQ(Bits(Interleaved2of5Modules("123")), Bits(Interleaved2of5Modules("0123")));
    EXPECT_EQ(Code39Extended('-'), "/M");
    EXPECT_EQ(Code39Extended('.'), "/N");
    EXPECT_EQ(Code39Extended(1), "$A");
    EXPECT_EQ(Code39Extended('a'), "+A");
    EXPECT_EQ(Code39Extended('!'), "/A");
}

TEST(Symbologies, BarHeightsAndTextPlaces)
{
    // Add-ons: text at the top, bars from 3b down to the bottom.
    TBarcodeBmp addOn;
    addOn.setBarcodeType(bcUPC5ext);
    addOn.setScale(2);
    addOn.setHeight(120);
    addOn.setBarcodeText("52495");
    const QImage a = addOn.Bitmap();
    EXPECT_TRUE(TwoColours(a));
    const int firstBar = 20;
    EXPECT_EQ(a.pixelColor(firstBar, 29).red(), 255);
    EXPECT_EQ(a.pixelColor(firstBar, 30).red(), 0);
    EXPECT_EQ(a.pixelColor(firstBar, 119).red(), 0);

    // UPC-A: bars stop 5s above the bottom, digits sit at y = h + 2 - th.
    TBarcodeBmp upc;
    upc.setBarcodeType(bcUPCA);
    upc.setHeight(100);
    upc.setBarcodeText("03600029145");
    const QImage u = upc.Bitmap();
    EXPECT_EQ(u.pixelColor(10, 0).red(), 0);
    EXPECT_EQ(u.pixelColor(10, 94).red(), 0);
    bool inkAtLeft = false;
    for (int y = 60; y < 100; ++y)
        for (int x = 0; x < 8; ++x)
            inkAtLeft |= u.pixelColor(x, y).red() == 0;
    EXPECT_TRUE(inkAtLeft) << "the first digit is drawn at x = 0";
}

TEST(Symbologies, AHalfTurnAndARedrawGiveTheSameBitmapAsAFreshOne)
{
    // The half turn is made in place and a bitmap of the same size is drawn over: both must
    // give what a fresh, plainly mirrored bitmap gives, at odd and even heights, and a copy
    // the caller kept of the last bitmap must stay as it was.
    for (const int height : {7, 8, 51})
        for (const bool text : {false, true})
            for (const TBarCodeType type : {bcCode128, bcPOSTNET}) {
                const char* value = type == bcPOSTNET ? "123456789" : "9214712345678900000015";
                TBarcodeBmp plain;
                plain.setBarcodeType(type);
                plain.setScale(2);
                plain.setHeight(height);
                plain.setInterpret(text);
                plain.setBarcodeText(value);
                const QImage expected = plain.Bitmap().mirrored(true, true);

                TBarcodeBmp turned;
                turned.setBarcodeType(type);
                turned.setScale(2);
                turned.setHeight(height);
                turned.setInterpret(text);
                turned.setRotate(bcRotate180);
                turned.setBarcodeText(value);
                const QImage first = turned.Bitmap();
                EXPECT_EQ(first, expected) << height << " " << text << " " << type;
                turned.setBarcodeText(type == bcPOSTNET ? "987654321" : "9214712345678900000022");
                turned.setBarcodeText(value); // drawn over the bitmap of the other text
                EXPECT_EQ(turned.Bitmap(), expected) << height << " " << text << " " << type;
                EXPECT_EQ(first, expected) << "the kept copy changed";
            }
}
