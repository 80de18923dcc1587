#include "Code93.h"

#include <array>

namespace quill::barcode {

namespace {

constexpr std::string_view Alphabet = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";
constexpr int ShiftDollar = 43, ShiftPercent = 44, ShiftSlash = 45, ShiftPlus = 46;

// The 9-module patterns of the values 0-46, first module in the highest bit (the Code 93
// symbology standard's character table, AIM USS-93).
constexpr std::array<uint16_t, 47> Patterns{
    0x114, 0x148, 0x144, 0x142, 0x128, 0x124, 0x122, 0x150, 0x112, 0x10A, // 0-9
    0x1A8, 0x1A4, 0x1A2, 0x194, 0x192, 0x18A, 0x168, 0x164, 0x162, 0x134, // A-J
    0x11A, 0x158, 0x14C, 0x146, 0x12C, 0x116, 0x1B4, 0x1B2, 0x1AC, 0x1A6, // K-T
    0x196, 0x19A, 0x16C, 0x166, 0x136, 0x13A,                             // U-Z
    0x12E, 0x1D4, 0x1D2, 0x1CA, 0x16E, 0x176, 0x1AE,                      // - . space $ / + %
    0x126, 0x1DA, 0x1D6, 0x132,                                           // ($) (%) (/) (+)
};
constexpr uint16_t StartStop = 0x15E; // 101011110

// Full-ASCII Code 93, codes 0-127: "^" and a shift ($ % / +) stand for the shift value.
constexpr std::array<std::string_view, 128> FullAscii{
    "^%U", "^$A", "^$B", "^$C", "^$D", "^$E", "^$F", "^$G", // 0
    "^$H", "^$I", "^$J", "^$K", "^$L", "^$M", "^$N", "^$O", // 8
    "^$P", "^$Q", "^$R", "^$S", "^$T", "^$U", "^$V", "^$W", // 16
    "^$X", "^$Y", "^$Z", "^%A", "^%B", "^%C", "^%D", "^%E", // 24
    " ",   "^/A", "^/B", "^/C", "$",   "%",   "^/F", "^/G", // 32
    "^/H", "^/I", "^/J", "+",   "^/L", "-",   ".",   "/",   // 40
    "0",   "1",   "2",   "3",   "4",   "5",   "6",   "7",   // 48
    "8",   "9",   "^/Z", "^%F", "^%G", "^%H", "^%I", "^%J", // 56
    "^%V", "A",   "B",   "C",   "D",   "E",   "F",   "G",   // 64
    "H",   "I",   "J",   "K",   "L",   "M",   "N",   "O",   // 72
    "P",   "Q",   "R",   "S",   "T",   "U",   "V",   "W",   // 80
    "X",   "Y",   "Z",   "^%K", "^%L", "^%M", "^%N", "^%O", // 88
    "^%W", "^+A", "^+B", "^+C", "^+D", "^+E", "^+F", "^+G", // 96
    "^+H", "^+I", "^+J", "^+K", "^+L", "^+M", "^+N", "^+O", // 104
    "^+P", "^+Q", "^+R", "^+S", "^+T", "^+U", "^+V", "^+W", // 112
    "^+X", "^+Y", "^+Z", "^%P", "^%Q", "^%R", "^%S", "^%T", // 120
};

void appendPattern(Modules& out, uint16_t pattern)
{
    for (int m = 8; m >= 0; --m)
        out.push_back((pattern >> m) & 1 ? Bar : Space);
}

int shiftValue(char c)
{
    switch (c) {
    case '$':
        return ShiftDollar;
    case '%':
        return ShiftPercent;
    case '/':
        return ShiftSlash;
    default:
        return ShiftPlus;
    }
}

} // namespace

std::vector<int> Code93Values(std::string_view text)
{
    std::vector<int> values;
    for (char c : text) {
        auto u = static_cast<unsigned char>(c);
        if (u >= 128)
            continue;
        std::string_view e = FullAscii[u];
        if (e.size() == 3 && e[0] == '^') {
            values.push_back(shiftValue(e[1]));
            values.push_back(static_cast<int>(Alphabet.find(e[2])));
        } else {
            values.push_back(static_cast<int>(Alphabet.find(e[0])));
        }
    }
    return values;
}

std::pair<int, int> Code93Checks(const std::vector<int>& values)
{
    auto weighted = [](const std::vector<int>& v, int cycle) {
        long sum = 0;
        const std::size_t n = v.size();
        for (std::size_t i = 0; i < n; ++i)
            sum +=
                static_cast<long>(v[n - 1 - i]) * static_cast<long>(i % static_cast<std::size_t>(cycle) + 1);
        return static_cast<int>(sum % 47);
    };
    const int c = weighted(values, 20);
    std::vector<int> withC = values;
    withC.push_back(c);
    return {c, weighted(withC, 15)};
}

Modules Code93Modules(std::string_view text)
{
    const std::vector<int> values = Code93Values(text);
    const auto [c, k] = Code93Checks(values);
    Modules out;
    out.reserve(values.size() * 9 + 37);
    appendPattern(out, StartStop);
    for (int v : values)
        appendPattern(out, Patterns[static_cast<std::size_t>(v)]);
    appendPattern(out, Patterns[static_cast<std::size_t>(c)]);
    appendPattern(out, Patterns[static_cast<std::size_t>(k)]);
    appendPattern(out, StartStop);
    out.push_back(Bar); // termination bar
    return out;
}

} // namespace quill::barcode
