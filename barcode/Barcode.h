#pragma once

#include <QFont>
#include <QImage>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

/// The symbologies, with the ordinal values stored forms rely on.
enum TBarCodeType {
    bcCode128 = 0,
    bcCode39 = 1,
    bcCode39Ext = 2,
    bcUPCA = 3,
    bcInt2of5 = 4,
    bcCode93 = 5,
    bcEAN13 = 6,
    bcEAN8 = 7,
    bcEAN128 = 8,
    bcPOSTNET = 9,
    bcUPCE = 10,
    bcUPC2ext = 11,
    bcUPC5ext = 12,
};

/// Rotation after drawing: bcRotate90 is a quarter turn clockwise.
enum TbcRotate { bcNoRotate = 0, bcRotate90 = 1, bcRotate180 = 2, bcRotate270 = 3 };

/// Renders one linear symbol into a black-on-white bitmap (8 bits per pixel, only 0 and 255),
/// `Scale` pixels per module, with a 10-module quiet zone on each side, optionally with its
/// text and turned by a multiple of 90 degrees. Every setter rebuilds the bitmap, so it
/// always shows the current properties, or Error() says why it cannot.
class TBarcodeBmp
{
public:
    TBarcodeBmp();

    int Height() const { return m_height; }
    void setHeight(int height);

    const QImage& Bitmap() const { return m_bitmap; }

    /// Set when the last rebuild could not have the memory for its bitmap (a huge scale or
    /// height); the bitmap is then null. Cleared by the next rebuild that succeeds.
    [[nodiscard]] const std::optional<std::string>& Error() const { return m_error; }

    /// The text after this symbology's filter, not the text that was assigned.
    const std::string& BarcodeText() const { return m_text; }
    void setBarcodeText(std::string_view text);

    TBarCodeType BarcodeType() const { return m_type; }
    void setBarcodeType(TBarCodeType type);

    /// The font of the interpretation text; drawing it sets its size to 8 x Scale points.
    const QFont& Font() const { return m_font; }
    void setFont(const QFont* font);

    int Scale() const { return m_scale; }
    void setScale(int scale);

    bool Interpret() const { return m_interpret; }
    void setInterpret(bool interpret);

    TbcRotate Rotate() const { return m_rotate; }
    void setRotate(TbcRotate rotate);

    /// While loading, setters only store their values; Loaded() rebuilds once.
    void BeginLoading() { m_loading = true; }
    void Loaded();

    static std::string FilterBarcodeText(TBarCodeType type, std::string_view text);
    /// Width of the unrotated bitmap in pixels; 64 bits wide, so that a huge scale or text
    /// gives a width too large to draw rather than an overflow.
    static std::int64_t SymbolWidth(int scale, TBarCodeType type, const std::string& text);

private:
    void RebuildSymbol();
    void RenderSymbol();
    void DrawSymbol(int width);
    void DrawInterpretation(int width);

    QImage m_bitmap;
    std::optional<std::string> m_error;
    int m_height = 50;
    std::string m_text;
    TBarCodeType m_type = bcCode128;
    QFont m_font;
    int m_scale = 1;
    bool m_interpret = true;
    TbcRotate m_rotate = bcNoRotate;
    bool m_loading = false;
};

namespace quill::barcode {
/// The modules of one symbol of `type` for an already filtered text, quiet zones excluded.
std::vector<uint8_t> SymbolModules(TBarCodeType type, const std::string& text);

/// The message of a bitmap that could not be allocated: "Not enough memory for a bar-code
/// bitmap of W x H pixels".
std::string BitmapMemoryError(std::int64_t width, std::int64_t height);
} // namespace quill::barcode

/// A copy of a bar-code bitmap as a 1-bit image with the colour table {black, white}, for
/// devices that embed images (a PDF then holds a few hundred bytes instead of a picture).
/// A null image when the copy cannot be allocated.
QImage ToMonoBitmap(const QImage& bitmap);
