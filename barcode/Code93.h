#pragma once

#include "Modules.h"

#include <string_view>
#include <vector>

namespace quill::barcode {

/// The Code 93 symbol values (0-46) of a text of codes 1-127, by the full-ASCII table, check
/// characters not included.
std::vector<int> Code93Values(std::string_view text);

/// C and K, modulo 47, weights from the right restarting after 20 and 15.
std::pair<int, int> Code93Checks(const std::vector<int>& values);

/// Start, the values, C, K, stop and the termination bar.
Modules Code93Modules(std::string_view text);

} // namespace quill::barcode
