#pragma once

#include "Modules.h"

#include <string_view>
#include <vector>

namespace quill::barcode {

enum Code128Value : int {
    Shift = 98,
    CodeC = 99,
    CodeB = 100,
    CodeA = 101,
    FNC1 = 102,
    StartA = 103,
    StartB = 104,
    StartC = 105,
    Stop = 106,
};

/// The code set a text starts in, also used when leaving set C: 'A', 'B' or 'C'.
char ChooseCode128Set(std::string_view text);

/// The symbol values of a text of codes 0-127: start, FNC1 for EAN-128, data with shifts and
/// code switches, checksum, stop. Every character is encoded in a set that holds it, so every
/// value is one Code128Modules draws.
std::vector<int> EncodeCode128(std::string_view text, bool withFnc1);

/// (start value + sum of value x position) mod 103 over the values after the start.
int Code128Checksum(const std::vector<int>& values);

/// The modules of a value list; drawing stops at a value outside 0-106.
Modules Code128Modules(const std::vector<int>& values);

} // namespace quill::barcode
