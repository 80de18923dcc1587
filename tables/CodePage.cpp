#include "CodePage.h"

#include "CodePageTables.h"

namespace quill::tables {

std::string Utf8ToAnsi(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        char32_t c = 0;
        std::size_t n = 1;
        if (b < 0x80) {
            c = b;
        } else if ((b >> 5) == 0x6 && i + 1 < s.size()) {
            c = ((b & 0x1F) << 6) | (static_cast<unsigned char>(s[i + 1]) & 0x3F);
            n = 2;
        } else if ((b >> 4) == 0xE && i + 2 < s.size()) {
            c = ((b & 0x0F) << 12) | ((static_cast<unsigned char>(s[i + 1]) & 0x3F) << 6) |
                (static_cast<unsigned char>(s[i + 2]) & 0x3F);
            n = 3;
        } else if ((b >> 3) == 0x1E && i + 3 < s.size()) {
            c = 0x10000; // outside every single-byte code page
            n = 4;
        } else {
            c = 0xFFFD; // a broken sequence
        }
        i += n;
        char mapped = '?';
        if (c < 0x80) {
            mapped = static_cast<char>(c);
        } else {
            for (int k = 0x80; k < 256; ++k)
                if (Win1252ToUnicode[static_cast<std::size_t>(k)] == c) {
                    mapped = static_cast<char>(k);
                    break;
                }
        }
        out += mapped;
    }
    return out;
}

std::string AnsiToUtf8(std::string_view ansi)
{
    std::string out;
    out.reserve(ansi.size());
    for (char ch : ansi) {
        const char32_t c = Win1252ToUnicode[static_cast<unsigned char>(ch)];
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

void AnsiToOem(std::string& bytes)
{
    for (char& c : bytes)
        c = static_cast<char>(quill::tables::AnsiToOemTable[static_cast<unsigned char>(c)]);
}

void OemToAnsi(std::string& bytes)
{
    for (char& c : bytes)
        c = static_cast<char>(quill::tables::OemToAnsiTable[static_cast<unsigned char>(c)]);
}

} // namespace quill::tables
