#pragma once

#include <optional>
#include <string_view>

namespace quill {

/// Reads a whole number as the program reads every number it keeps as text: blanks around,
/// an optional sign, then decimal digits, or a hexadecimal number after "0x", "0X" or "$",
/// within the signed 32-bit range (hexadecimal up to eight digits, taken as the 32-bit
/// pattern). Anything else gives nothing.
std::optional<int> ParseInteger(std::string_view text);

} // namespace quill
