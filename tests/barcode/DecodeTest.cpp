// Every symbology an independent decoder reads is rendered at several scales and rotations
// and read back with zxing-cpp: a failure to decode is a fault of our bitmap.

#include "Barcode.h"

#define ZX_USE_UTF8
#include <ZXing/ReadBarcode.h>

#include <gtest/gtest.h>

namespace {

ZXing::Result decode(const QImage& image, ZXing::BarcodeFormat format)
{
    // A white margin around the symbol, as on paper.
    QImage page(image.width() + 40, image.height() + 40, QImage::Format_Grayscale8);
    page.fill(255);
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(page.scanLine(y + 20) + 20, image.constScanLine(y),
                    static_cast<std::size_t>(image.width()));
    ZXing::DecodeHints hints;
    hints.setFormats(format);
    hints.setTryHarder(true);
    hints.setTryRotate(true);
    hints.setTryCode39ExtendedMode(true);
    ZXing::ImageView view(page.constBits(), page.width(), page.height(), ZXing::ImageFormat::Lum,
                          static_cast<int>(page.bytesPerLine()));
    return ZXing::ReadBarcode(view, hints);
}

} // namespace

TEST(Decode, EveryReadableSymbologyReadsBack)
{
    using F = ZXing::BarcodeFormat;
    struct Case
    {
        TBarCodeType type;
        std::string text;
        F format;
        std::string decoded;
    };
    const Case cases[] = {
        {bcCode128, "9214712345678900000015", F::Code128, "9214712345678900000015"},
        {bcCode128, "9290912345678900000019", F::Code128, "9290912345678900000019"},
        {bcCode128, "AB12345678cd", F::Code128, "AB12345678cd"},
        {bcCode128, "Quillmark 4.1, ref #77", F::Code128, "Quillmark 4.1, ref #77"},
        {bcCode128, "12345", F::Code128, "12345"},
        {bcCode128, std::string("X\001a\002Z"), F::Code128, std::string("X\001a\002Z")},
        {bcCode128, std::string("1234\x01"), F::Code128, std::string("1234\x01")},
        {bcCode128, std::string("AB1234\r"), F::Code128, std::string("AB1234\r")},
        {bcCode128, std::string("\004123456\037"), F::Code128, std::string("\004123456\037")},
        {bcCode128, std::string("12345\t"), F::Code128, std::string("12345\t")},
        {bcEAN128, "0112345678901231", F::Code128, "0112345678901231"},
        {bcEAN128, std::string("0112345678901231\x1d"), F::Code128, std::string("0112345678901231\x1d")},
        {bcEAN128, std::string("10AB1234\x04"), F::Code128, std::string("10AB1234\x04")},
        {bcCode39, "CERTIFIED-MAIL 42", F::Code39, "CERTIFIED-MAIL 42"},
        {bcCode39Ext, "Mail-No.7 ok!", F::Code39, "Mail-No.7 ok!"},
        {bcCode93, "Certified mail #7", F::Code93, "Certified mail #7"},
        {bcCode93, "CODE 93", F::Code93, "CODE 93"},
        {bcInt2of5, "12345678", F::ITF, "12345678"},
        {bcInt2of5, "1234567", F::ITF, "01234567"},
        {bcUPCA, "03600029145", F::UPCA, "036000291452"},
        {bcUPCA, "12345", F::UPCA, "000000123457"},
        {bcEAN13, "590123412345", F::EAN13, "5901234123457"},
        {bcEAN8, "9638507", F::EAN8, "96385074"},
        {bcUPCE, "123456", F::UPCE, "01234565"},
        {bcUPCE, "654321", F::UPCE, "06543217"},
    };
    for (const Case& c : cases) {
        for (int scale : {1, 2, 3}) {
            for (TbcRotate rotate : {bcNoRotate, bcRotate90, bcRotate180, bcRotate270}) {
                for (bool interpret : {true, false}) {
                    TBarcodeBmp b;
                    b.setBarcodeType(c.type);
                    b.setScale(scale);
                    b.setHeight(60 * scale);
                    b.setInterpret(interpret);
                    b.setRotate(rotate);
                    b.setBarcodeText(c.text);
                    const ZXing::Result r = decode(b.Bitmap(), c.format);
                    EXPECT_TRUE(r.isValid())
                        << c.text << " s=" << scale << " rot=" << rotate << " text=" << interpret;
                    if (r.isValid()) {
                        EXPECT_EQ(r.text(), c.decoded) << c.text << " s=" << scale << " rot=" << rotate;
                    }
                    if (c.type == bcEAN128 && r.isValid()) {
                        EXPECT_EQ(r.symbologyIdentifier(), "]C1"); // FNC1 after the start: GS1
                    }
                }
            }
        }
    }
}

TEST(Decode, MailerNumberAtPrinterScale)
{
    // As the form prints it: s = 9, 450 high, turned half-way, with its text.
    TBarcodeBmp b;
    b.setScale(9);
    b.setHeight(450);
    b.setRotate(bcRotate180);
    b.setBarcodeText("9214712345678900000015");
    const ZXing::Result r = decode(b.Bitmap(), ZXing::BarcodeFormat::Code128);
    ASSERT_TRUE(r.isValid());
    EXPECT_EQ(r.text(), "9214712345678900000015");
}
