#include "Code39.h"

#include <array>

namespace quill::barcode {

namespace {

constexpr std::string_view Alphabet = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%*";

// Wide elements of each character's nine (bar, space, bar, ...), first element in the
// highest bit: the character table of ISO/IEC 16388, in the order of Alphabet.
constexpr std::array<uint16_t, 44> Wide{
    0x034, 0x121, 0x061, 0x160, 0x031, 0x130, 0x070, 0x025, 0x124, 0x064, // 0-9
    0x109, 0x049, 0x148, 0x019, 0x118, 0x058, 0x00D, 0x10C, 0x04C, 0x01C, // A-J
    0x103, 0x043, 0x142, 0x013, 0x112, 0x052, 0x007, 0x106, 0x046, 0x016, // K-T
    0x181, 0x0C1, 0x1C0, 0x091, 0x190, 0x0D0,                             // U-Z
    0x085, 0x184, 0x0C4, 0x0A8, 0x0A2, 0x08A, 0x02A,                      // - . space $ / + %
    0x094,                                                                // *
};
static_assert(Wide.size() == Alphabet.size());

constexpr bool threeWideEach()
{
    for (uint16_t w : Wide) {
        int n = 0;
        for (int b = 0; b < 9; ++b)
            n += (w >> b) & 1;
        if (n != 3)
            return false;
    }
    return true;
}
static_assert(threeWideEach(), "Code 39: three of nine elements are wide");

// Full-ASCII Code 39 (ISO/IEC 16388 annex), codes 0-127. "-" and "." are written "/M" and
// "/N" here rather than as themselves.
constexpr std::array<std::string_view, 128> FullAscii{
    "%U", "$A", "$B", "$C", "$D", "$E", "$F", "$G", // 0
    "$H", "$I", "$J", "$K", "$L", "$M", "$N", "$O", // 8
    "$P", "$Q", "$R", "$S", "$T", "$U", "$V", "$W", // 16
    "$X", "$Y", "$Z", "%A", "%B", "%C", "%D", "%E", // 24
    " ", "/A", "/B", "/C", "/D", "/E", "/F", "/G", // 32
    "/H", "/I", "/J", "/K", "/L", "/M", "/N", "/O", // 40
    "0", "1", "2", "3", "4", "5", "6", "7", // 48
    "8", "9", "/Z", "%F", "%G", "%H", "%I", "%J", // 56
    "%V", "A", "B", "C", "D", "E", "F", "G", // 64
    "H", "I", "J", "K", "L", "M", "N", "O", // 72
    "P", "Q", "R", "S", "T", "U", "V", "W", // 80
    "X", "Y", "Z", "%K", "%L", "%M", "%N", "%O", // 88
    "%W", "+A", "+B", "+C", "+D", "+E", "+F", "+G", // 96
    "+H", "+I", "+J", "+K", "+L", "+M", "+N", "+O", // 104
    "+P", "+Q", "+R", "+S", "+T", "+U", "+V", "+W", // 112
    "+X", "+Y", "+Z", "%P", "%Q", "%R", "%S", "%T", // 120
};

void appendCharacter(Modules& out, char c)
{
    const std::size_t index = Alphabet.find(c);
    if (index == std::string_view::npos)
        return;
    bool flags[9];
    for (int e = 0; e < 9; ++e)
        flags[e] = (Wide[index] >> (8 - e)) & 1;
    AppendElements(out, flags, 9, 1, 2, true);
    out.push_back(Space); // inter-character gap
}

Modules framed(std::string_view characters)
{
    Modules out;
    out.reserve((characters.size() + 2) * 13);
    appendCharacter(out, '*');
    for (char c : characters)
        appendCharacter(out, c);
    appendCharacter(out, '*');
    return out;
}

} // namespace

std::string FilterCode39(std::string_view text)
{
    std::string out;
    for (char c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (c != '*' && c >= 32 && c <= 90 && Alphabet.find(c) != std::string_view::npos)
            out += c;
    }
    return out;
}

Modules Code39Modules(std::string_view text) { return framed(text); }

std::string_view Code39Extended(unsigned char c) { return c < 128 ? FullAscii[c] : std::string_view(); }

Modules Code39ExtModules(std::string_view text)
{
    std::string characters;
    for (char c : text)
        characters += Code39Extended(static_cast<unsigned char>(c));
    return framed(characters);
}

int Code39ExtLength(std::string_view text)
{
    int n = 0;
    for (char c : text)
        n += static_cast<int>(Code39Extended(static_cast<unsigned char>(c)).size());
    return n;
}

} // namespace quill::barcode
