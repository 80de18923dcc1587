#include "Interleaved2of5.h"

#include <array>

namespace quill::barcode {

namespace {
// Wide elements of the digits 0-9 (ISO/IEC 16390 table 1); N = narrow, W = wide.
constexpr std::array<std::string_view, 10> Digits{"NNWWN", "WNNNW", "NWNNW", "WWNNN", "NNWNW",
                                                  "WNWNN", "NWWNN", "NNNWW", "WNNWN", "NWNWN"};
} // namespace

Modules Interleaved2of5Modules(std::string_view text)
{
    const std::string digits = PadZeros(text, text.size() + text.size() % 2);
    Modules out;
    out.reserve(digits.size() * 9 + 9);
    AppendBits(out, "1010");
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2) {
        std::string_view bars = Digits[static_cast<std::size_t>(digits[i] - '0')];
        std::string_view spaces = Digits[static_cast<std::size_t>(digits[i + 1] - '0')];
        for (int e = 0; e < 5; ++e) {
            out.insert(out.end(), bars[e] == 'W' ? 3 : 1, Bar);
            out.insert(out.end(), spaces[e] == 'W' ? 3 : 1, Space);
        }
    }
    AppendBits(out, "11101");
    return out;
}

} // namespace quill::barcode
