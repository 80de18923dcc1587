#pragma once

#include <QImage>
#include <QRect>

#define ZX_USE_UTF8
#include <ZXing/ReadBarcode.h>

#include <string>
#include <utility>

/// The symbology identifier and the text of the Code 128 symbol inside `area`: "]C0" for plain
/// Code 128, "]C1" for GS1-128 (FNC1 after the start).
inline std::pair<std::string, std::string> DecodeCode128WithId(const QImage& page, const QRect& area)
{
    QImage crop = page.copy(area).convertToFormat(QImage::Format_Grayscale8);
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::Code128);
    hints.setTryHarder(true);
    hints.setTryRotate(true);
    ZXing::ImageView view(crop.constBits(), crop.width(), crop.height(), ZXing::ImageFormat::Lum,
                          static_cast<int>(crop.bytesPerLine()));
    auto r = ZXing::ReadBarcode(view, hints);
    if (!r.isValid())
        return {"", "<no symbol>"};
    return {r.symbologyIdentifier(), r.text()};
}

/// Decodes the Code 128 symbol inside `area` of a page (a crop: the whole busy page can trip
/// the decoder).
inline std::string DecodeCode128(const QImage& page, const QRect& area)
{
    return DecodeCode128WithId(page, area).second;
}

/// The smallest rectangle holding every dark pixel of `area`.
inline QRect InkBounds(const QImage& page, const QRect& area)
{
    int left = area.right() + 1, right = area.left() - 1, top = area.bottom() + 1, bottom = area.top() - 1;
    for (int y = std::max(0, area.top()); y <= std::min(page.height() - 1, area.bottom()); ++y) {
        const uchar* row = page.constScanLine(y);
        for (int x = std::max(0, area.left()); x <= std::min(page.width() - 1, area.right()); ++x)
            if (row[x] < 128) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    }
    return QRect(QPoint(left, top), QPoint(right, bottom));
}
