#include "tables/CodePage.h"

#include "tables/CodePageTables.h"
#include "tables/Text.h"

namespace quill::tables {

std::string Utf8ToAnsi(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const char32_t c = NextUtf8(s, i);
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
    for (char ch : ansi)
        AppendUtf8(out, Win1252ToUnicode[static_cast<unsigned char>(ch)]);
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
