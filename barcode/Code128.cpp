#include "Code128.h"

#include <array>

namespace quill::barcode {

namespace {

// Bar and space widths of the 107 symbol values, ISO/IEC 15417 table 1, first element a bar.
// clang-format off
constexpr std::array<std::string_view, 107> Patterns{
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212", "221213", // 0
    "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221", "223211", "221132", // 10
    "221231", "213212", "223112", "312131", "311222", "321122", "321221", "312212", "322112", "322211", // 20
    "212123", "212321", "232121", "111323", "131123", "131321", "112313", "132113", "132311", "211313", // 30
    "231113", "231311", "112133", "112331", "132131", "113123", "113321", "133121", "313121", "211331", // 40
    "231131", "213113", "213311", "213131", "311123", "311321", "331121", "312113", "312311", "332111", // 50
    "314111", "221411", "431111", "111224", "111422", "121124", "121421", "141122", "141221", "112214", // 60
    "112412", "122114", "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111", // 70
    "111242", "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141", // 80
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311", "113141", // 90
    "114131", "311141", "411131", "211412", "211214", "211232", "2331112",                              // 100
};
// clang-format on

constexpr bool patternsAreWhole()
{
    for (std::size_t i = 0; i < Patterns.size(); ++i)
        if (PatternWidth(Patterns[i]) != (i == Stop ? 13 : 11))
            return false;
    return true;
}
static_assert(patternsAreWhole(), "every value is 11 modules wide, Stop 13");

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}
// Codes 0-31 have values in set A only. The text filter drops NUL, but a text handed to the
// encoder directly may hold one, and it must not end up in set B, where it has no value.
bool isControl(char c)
{
    return static_cast<unsigned char>(c) <= 31;
}
bool isBOnly(char c)
{
    return static_cast<unsigned char>(c) >= 96 && static_cast<unsigned char>(c) <= 127;
}

std::size_t digitRun(std::string_view text, std::size_t from)
{
    std::size_t n = 0;
    while (from + n < text.size() && isDigit(text[from + n]))
        ++n;
    return n;
}

int valueIn(char set, char c)
{
    const int code = static_cast<unsigned char>(c);
    if (set == 'A')
        return code < 32 ? code + 64 : code - 32;
    return code - 32;
}

} // namespace

char ChooseCode128Set(std::string_view text)
{
    if (digitRun(text, 0) >= 4)
        return 'C';
    for (char c : text) {
        if (isControl(c))
            return 'A';
        if (isBOnly(c))
            return 'B';
    }
    return 'B';
}

std::vector<int> EncodeCode128(std::string_view text, bool withFnc1)
{
    std::vector<int> values;
    char set = ChooseCode128Set(text);
    values.push_back(set == 'A' ? StartA : set == 'B' ? StartB : StartC);
    if (withFnc1)
        values.push_back(FNC1);

    std::size_t i = 0;
    bool shift = false;
    char shiftedFrom = 0; // the set to return to after a shifted character
    while (i < text.size()) {
        if (set == 'C') {
            values.push_back((text[i] - '0') * 10 + (text[i + 1] - '0'));
            i += 2;
        } else {
            values.push_back(valueIn(set, text[i]));
            i += 1;
        }
        if (i >= text.size())
            break;
        if (shift) {
            shift = false;
            set = shiftedFrom;
        }
        if (set == 'A' || set == 'B') {
            std::size_t run = digitRun(text, i);
            if (run >= 4 && run % 2 == 0) {
                values.push_back(CodeC);
                set = 'C';
                continue;
            }
        }
        if (set == 'B' && isControl(text[i])) {
            if (i + 1 < text.size() && isBOnly(text[i + 1])) {
                values.push_back(Shift);
                shift = true;
                shiftedFrom = 'B';
                set = 'A';
            } else {
                values.push_back(CodeA);
                set = 'A';
            }
            continue;
        }
        if (set == 'A' && isBOnly(text[i])) {
            if (i + 1 < text.size() && isControl(text[i + 1])) {
                values.push_back(Shift);
                shift = true;
                shiftedFrom = 'A';
                set = 'B';
            } else {
                values.push_back(CodeB);
                set = 'B';
            }
            continue;
        }
        if (set == 'C' && !(i + 1 < text.size() && isDigit(text[i]) && isDigit(text[i + 1]))) {
            // Leaving C, also for a last lone character: a control character has a value
            // only in A, so the set is chosen from what follows rather than always B.
            set = ChooseCode128Set(text.substr(i));
            values.push_back(set == 'A' ? CodeA : CodeB);
        }
    }
    values.push_back(Code128Checksum(values));
    values.push_back(Stop);
    return values;
}

int Code128Checksum(const std::vector<int>& values)
{
    if (values.empty())
        return 0;
    long sum = values[0];
    for (std::size_t k = 1; k < values.size(); ++k)
        sum += static_cast<long>(values[k]) * static_cast<long>(k);
    return static_cast<int>(sum % 103);
}

Modules Code128Modules(const std::vector<int>& values)
{
    Modules out;
    out.reserve(values.size() * 11 + 2);
    for (int v : values) {
        if (v < 0 || v > Stop)
            break;
        AppendWidths(out, Patterns[static_cast<std::size_t>(v)]);
    }
    return out;
}

} // namespace quill::barcode
