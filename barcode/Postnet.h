#pragma once

#include "Modules.h"

#include <string_view>

namespace quill::barcode {

/// 10 minus the last digit of the digit sum, 0 when that is 0.
char PostnetCheckDigit(std::string_view digits);

/// Frame bar, five bars per digit (check digit included) at a pitch of two modules, a space
/// and the closing frame bar; short bars are ShortBar.
Modules PostnetModules(std::string_view digits);

} // namespace quill::barcode
