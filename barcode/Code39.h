#pragma once

#include "Modules.h"

#include <string>
#include <string_view>

namespace quill::barcode {

/// Upper-cases letters, then keeps the 43 data characters of Code 39. The framing "*" is
/// dropped too: inside a symbol it would read as its end.
std::string FilterCode39(std::string_view text);

/// "*", the characters, "*": 13 modules each, inter-character spaces included.
Modules Code39Modules(std::string_view text);

/// The Code 39 characters that stand for one character of codes 1-127 in full ASCII, with
/// "-" as "/M" and "." as "/N".
std::string_view Code39Extended(unsigned char c);

/// Full-ASCII Code 39 of a text of codes 1-127.
Modules Code39ExtModules(std::string_view text);

/// Number of Code 39 characters the full-ASCII text takes.
int Code39ExtLength(std::string_view text);

} // namespace quill::barcode
