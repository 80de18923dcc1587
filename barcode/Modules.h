#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quill::barcode {

/// One symbol as a row of modules from its first bar to its last element, quiet zones not
/// included. Each entry is one module.
enum Module : uint8_t { Space = 0, Bar = 1, ShortBar = 2 };
using Modules = std::vector<uint8_t>;

/// Appends a pattern written as modules, "1" a dark one and "0" a light one ("101").
void AppendBits(Modules& out, std::string_view bits);

/// Appends a pattern written as element widths in modules, alternating dark and light and
/// starting with a dark element ("212222").
void AppendWidths(Modules& out, std::string_view widths);

/// Appends elements from a pattern of narrow and wide flags: each element is `narrow` or
/// `wide` modules, dark and light alternating from `dark`.
void AppendElements(Modules& out, const bool* wideFlags, int count, int narrow, int wide, bool dark);

/// The digits of `text`, cut to its first `maxLength` of them (0: no cut).
std::string KeepDigits(std::string_view text, std::size_t maxLength = 0);

/// The characters with codes 1 to 127.
std::string KeepAscii(std::string_view text);

/// `text` padded with "0" on the left to `width` characters.
std::string PadZeros(std::string_view text, std::size_t width);

/// Sum of the widths in a width pattern, for the static checks of the tables.
constexpr int PatternWidth(std::string_view widths)
{
    int sum = 0;
    for (char c : widths)
        sum += c - '0';
    return sum;
}

} // namespace quill::barcode
