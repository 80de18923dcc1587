#pragma once

// Small text helpers shared by the table layer and its companion: one trim, one
// case-insensitive name comparison, one UTF-8 codec.

#include <string>
#include <string_view>

namespace quill::tables {

/// The text without the characters of code 32 or less at either end.
std::string Trim(std::string_view s);
/// ASCII letters in upper case; every other byte unchanged.
std::string Upper(std::string s);
/// Equal names, ASCII letters compared without regard to case.
bool SameName(std::string_view a, std::string_view b);
/// True when every byte is below 0x80.
bool IsAscii(std::string_view s);

/// Decodes the UTF-8 character at `at` and moves `at` past it. A byte that does not start a
/// well-formed sequence (a stray continuation byte, a truncated or overlong sequence, a
/// surrogate, anything above U+10FFFF) is one U+FFFD and moves `at` by one byte.
char32_t NextUtf8(std::string_view s, std::size_t& at);
/// Appends `c` in UTF-8; a surrogate or anything above U+10FFFF becomes U+FFFD.
void AppendUtf8(std::string& out, char32_t c);

} // namespace quill::tables
