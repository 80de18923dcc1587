// The bar-code text filters and encoders: the text filtered and encoded in every symbology, and
// drawn at scale 1 or 2 in the one the first byte picks, with or without its text and turned.
//
// Input: the symbology, one byte of drawing choices, then the text.

#include "FuzzCheck.h"

#include "Barcode.h"
#include "Modules.h"

#include <QGuiApplication>

using namespace quill::barcode;

namespace {

constexpr int Symbologies = bcUPC5ext + 1;

// Drawing the text needs fonts, and fonts need an application.
void needApplication()
{
    static int argc = 1;
    static char name[] = "fuzz_barcode";
    static char* argv[] = {name, nullptr};
    if (!QGuiApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        new QGuiApplication(argc, argv); // lives as long as the process
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::string_view text(reinterpret_cast<const char*>(data) + 2, size - 2);
    for (int t = 0; t < Symbologies; ++t) {
        const auto type = static_cast<TBarCodeType>(t);
        const std::string filtered = TBarcodeBmp::FilterBarcodeText(type, text);
        // Changing the symbology filters the text again: a filtered text stays as it is.
        QUILL_FUZZ_CHECK(TBarcodeBmp::FilterBarcodeText(type, filtered) == filtered);
        if (filtered.empty())
            continue;
        // The bitmap's width is reckoned apart from the drawing: 10 quiet modules each side.
        const Modules modules = SymbolModules(type, filtered);
        QUILL_FUZZ_CHECK(!modules.empty());
        QUILL_FUZZ_CHECK(TBarcodeBmp::SymbolWidth(1, type, filtered) ==
                         static_cast<std::int64_t>(modules.size()) + 20);
    }

    needApplication();
    const uint8_t choices = data[1];
    TBarcodeBmp bmp;
    bmp.BeginLoading();
    bmp.setBarcodeType(static_cast<TBarCodeType>(data[0] % Symbologies));
    bmp.setScale(1 + (choices & 1));
    bmp.setInterpret(choices & 2);
    bmp.setRotate(static_cast<TbcRotate>((choices >> 2) & 3));
    bmp.setHeight(1 + (choices >> 4) * 4);
    bmp.setBarcodeText(text);
    bmp.Loaded();
    QUILL_FUZZ_CHECK(!bmp.Error());
    const std::int64_t width = TBarcodeBmp::SymbolWidth(bmp.Scale(), bmp.BarcodeType(), bmp.BarcodeText());
    const bool quarter = bmp.Rotate() == bcRotate90 || bmp.Rotate() == bcRotate270;
    QUILL_FUZZ_CHECK((quarter ? bmp.Bitmap().height() : bmp.Bitmap().width()) == width);
    // The symbology changed afterwards draws what is left of the text.
    bmp.setBarcodeType(static_cast<TBarCodeType>((data[0] / Symbologies) % Symbologies));
    QUILL_FUZZ_CHECK(!bmp.Error());
    return 0;
}
