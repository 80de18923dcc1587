#pragma once

#include <string>
#include <string_view>

namespace quill::tables {

/// The program's text (UTF-8) as Windows-1252 bytes; characters 1252 lacks become "?".
std::string Utf8ToAnsi(std::string_view utf8);
/// Windows-1252 bytes as UTF-8.
std::string AnsiToUtf8(std::string_view ansi);
/// Windows-1252 to code page 437 and back, byte for byte; "?" where the other lacks a character.
void AnsiToOem(std::string& bytes);
void OemToAnsi(std::string& bytes);

} // namespace quill::tables
