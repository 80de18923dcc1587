#pragma once

#include "Modules.h"

#include <string_view>

namespace quill::barcode {

/// Start 1010, digit pairs (bars from the first digit, spaces from the second, wide = 3),
/// stop 11101. An odd-length text is drawn with a leading "0".
Modules Interleaved2of5Modules(std::string_view digits);

} // namespace quill::barcode
