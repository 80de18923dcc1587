#pragma once

#include "Modules.h"

#include <string>
#include <string_view>

namespace quill::barcode {

/// The UPC/EAN check digit: weights 3 and 1 from the rightmost digit, which weighs 3.
char UpcEanCheckDigit(std::string_view digits);

/// The 12 digits UPC-A draws: the text padded to 11, then its check digit.
std::string UpcADigits(std::string_view text);
/// The 13 digits EAN-13 draws.
std::string Ean13Digits(std::string_view text);
/// The 8 digits EAN-8 draws.
std::string Ean8Digits(std::string_view text);
/// The 11-digit UPC-A number six UPC-E digits stand for (number system 0).
std::string UpcEExpansion(std::string_view sixDigits);
/// The six UPC-E digits (padded) followed by the check digit of their expansion.
std::string UpcEDigits(std::string_view text);

Modules UpcAModules(std::string_view text);
Modules Ean13Modules(std::string_view text);
Modules Ean8Modules(std::string_view text);
Modules UpcEModules(std::string_view text);
Modules Upc2Modules(std::string_view text);
Modules Upc5Modules(std::string_view text);

} // namespace quill::barcode
