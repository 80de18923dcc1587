#pragma once

// Name-and-address text files: one recipient a line, seven comma-separated fields (four
// address lines, city, state, ZIP), each optionally in double quotes.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace quill::tables {

class TTzDbf;

using AddressFields = std::array<std::string, 7>;

/// The seven fields of a line (already trimmed). A quoted field runs to the quote that is
/// followed by a comma, a doubled quote inside it standing for one; a bare field runs to the
/// next comma; the seventh runs to the end of the line; anything after it is ignored. A line
/// that ends before its seventh field, or has no comma at all, gives seven empty fields.
AddressFields SplitAddressLine(std::string_view line);

/// One line of an export, without its line end: every field quoted, a double quote inside a
/// field written twice so that the import reads it back as it was.
std::string AddressLine(const AddressFields& fields);

/// The text of a file as UTF-8: a file that is valid UTF-8 (a byte-order mark is skipped) as it
/// is, any other as Windows-1252, the code page older programs wrote.
std::string TextFileToUtf8(std::string_view bytes);

/// The lines of a text, split at CR LF, LF or CR; a line end at the very end makes no line.
std::vector<std::string_view> TextLines(std::string_view text);

/// The field list of an address table the import creates.
const std::vector<std::string>& ImportTableFields();

/// The save-file name the import proposes for `textFile`: its name up to and including its
/// first ".", then "dbf".
std::string ProposedTableName(std::string_view textFile);
/// The name the export proposes for `tableFile`: its name with its first ".dbf" (or else
/// ".DBF") removed, then ".txt".
std::string ProposedTextName(std::string_view tableFile);

/// Appends one record a line of `utf8Text` to the open table, under its append lock. A table
/// without the fields City, State or Zip is a DatasetError ("Field 'City' not found"); one
/// without a memo field Address is a TableError.
void ImportAddresses(TTzDbf& table, std::string_view utf8Text);
/// Every record of the open table (deleted ones too) as lines ending in CR LF, in UTF-8.
std::string ExportAddresses(TTzDbf& table);

} // namespace quill::tables
