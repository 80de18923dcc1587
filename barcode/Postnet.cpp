#include "Postnet.h"

#include <array>

namespace quill::barcode {

namespace {
// Bars of the digits 0-9, 1 = tall (weights 7-4-2-1-0), USPS DMM 708.4.
constexpr std::array<std::string_view, 10> Digits{"11000", "00011", "00101", "00110", "01001",
                                                  "01010", "01100", "10001", "10010", "10100"};
} // namespace

char PostnetCheckDigit(std::string_view digits)
{
    int sum = 0;
    for (char c : digits)
        sum += c - '0';
    const int last = sum % 10;
    return last == 0 ? '0' : static_cast<char>('0' + 10 - last);
}

Modules PostnetModules(std::string_view digits)
{
    const std::string all = std::string(digits) + PostnetCheckDigit(digits);
    Modules out;
    out.reserve(all.size() * 10 + 3);
    out.push_back(Bar);
    for (char c : all) {
        for (char bar : Digits[static_cast<std::size_t>(c - '0')]) {
            out.push_back(Space);
            out.push_back(bar == '1' ? Bar : ShortBar);
        }
    }
    out.push_back(Space);
    out.push_back(Bar);
    return out;
}

} // namespace quill::barcode
