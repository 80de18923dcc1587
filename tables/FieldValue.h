#pragma once

#include "tables/DataFile.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace quill::tables {

/// A number as a numeric field of `length` bytes with `decimals` places stores it: right-aligned
/// and blank-padded, rounded half away from zero from its decimal text, so no digit that fits
/// is lost; "*" in every byte when it does not fit; blanks for an empty text. A text that is
/// not a decimal number is a DatasetError.
std::string FormatNumber(std::string_view text, int length, int decimals);

/// A date text as a date field stores it: "YYYYMMDD", or 8 blanks for an empty date. Takes the
/// program's short date form MM/DD/YYYY, M/D/YY, YYYYMMDD and YYYY-MM-DD; anything else is a
/// DatasetError.
std::string DateDigits(std::string_view text);

/// True when a field's stored bytes mean "no value": blanks, or the fill other programs
/// write for a null: "*" for a number, "00000000" for a date, "?" for a logical.
bool IsNullValue(char type, std::string_view raw);

/// The memo block number a memo field holds; 0 for none. A number too large for any file is
/// kept as the largest block, which no file has.
uint32_t MemoBlockOf(std::string_view raw);
/// A memo field's bytes for a block number: right-aligned, blanks for 0.
std::string MemoBlockField(uint32_t block, int length);

/// The day number of a date field's value (days since 4713 BC), 0 for no date: the key of a
/// date in an index.
double DateKey(std::string_view raw);
/// A numeric field's value as an index key, 0 for no value.
double NumberKey(std::string_view raw);

} // namespace quill::tables
