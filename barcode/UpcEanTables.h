#pragma once

#include "Modules.h"

#include <array>
#include <string_view>

namespace quill::barcode {

// The UPC/EAN digit codes of ISO/IEC 15420 table 1: set A (left-hand, odd parity), set B
// (left-hand, even parity) and set C (right-hand), 7 modules each.
inline constexpr std::array<std::string_view, 10> CodeA{"0001101", "0011001", "0010011", "0111101", "0100011",
                                                        "0110001", "0101111", "0111011", "0110111", "0001011"};
inline constexpr std::array<std::string_view, 10> CodeB{"0100111", "0110011", "0011011", "0100001", "0011101",
                                                        "0111001", "0000101", "0010001", "0001001", "0010111"};
inline constexpr std::array<std::string_view, 10> CodeC{"1110010", "1100110", "1101100", "1000010", "1011100",
                                                        "1001110", "1010000", "1000100", "1001000", "1110100"};

/// Appends `digit` in code set 'A', 'B' or 'C'.
inline void AppendUpcDigit(Modules& out, char digit, char set)
{
    const auto d = static_cast<std::size_t>(digit - '0');
    AppendBits(out, set == 'A' ? CodeA[d] : set == 'B' ? CodeB[d] : CodeC[d]);
}

} // namespace quill::barcode
