#include "Modules.h"

namespace quill::barcode {

void AppendBits(Modules& out, std::string_view bits)
{
    for (char c : bits)
        out.push_back(c == '1' ? Bar : Space);
}

void AppendWidths(Modules& out, std::string_view widths)
{
    bool dark = true;
    for (char c : widths) {
        out.insert(out.end(), static_cast<std::size_t>(c - '0'), dark ? Bar : Space);
        dark = !dark;
    }
}

void AppendElements(Modules& out, const bool* wideFlags, int count, int narrow, int wide, bool dark)
{
    for (int i = 0; i < count; ++i) {
        out.insert(out.end(), static_cast<std::size_t>(wideFlags[i] ? wide : narrow), dark ? Bar : Space);
        dark = !dark;
    }
}

std::string KeepDigits(std::string_view text, std::size_t maxLength)
{
    std::string out;
    for (char c : text)
        if (c >= '0' && c <= '9')
            out += c;
    if (maxLength > 0 && out.size() > maxLength)
        out.resize(maxLength);
    return out;
}

std::string KeepAscii(std::string_view text)
{
    std::string out;
    for (char c : text) {
        auto u = static_cast<unsigned char>(c);
        if (u >= 1 && u <= 127)
            out += c;
    }
    return out;
}

std::string PadZeros(std::string_view text, std::size_t width)
{
    std::string out(text);
    if (out.size() < width)
        out.insert(0, width - out.size(), '0');
    return out;
}

} // namespace quill::barcode
