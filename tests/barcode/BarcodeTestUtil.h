#pragma once

#include "Modules.h"

#include <QImage>

#include <string>

/// "1" for a dark module, "0" for a light one, "s" for a POSTNET short bar.
inline std::string Bits(const quill::barcode::Modules& m)
{
    std::string out;
    for (uint8_t v : m)
        out += v == quill::barcode::Bar ? '1' : v == quill::barcode::ShortBar ? 's' : '0';
    return out;
}

/// Reads row `y` of an unrotated bitmap back as modules of `scale` pixels after the quiet
/// zone: "1" where the module's first pixel is black.
inline std::string RowBits(const QImage& image, int y, int scale)
{
    std::string out;
    for (int x = 10 * scale; x + scale <= image.width() - 10 * scale; x += scale)
        out += image.pixelColor(x, y).red() == 0 ? '1' : '0';
    while (!out.empty() && out.back() == '0')
        out.pop_back();
    return out;
}

/// True when every pixel is 0 or 255.
inline bool TwoColours(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        const uchar* row = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x)
            if (row[x] != 0 && row[x] != 255)
                return false;
    }
    return true;
}
