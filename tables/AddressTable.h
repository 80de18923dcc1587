#pragma once

#include "tables/TzDbf.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace quill::tables {

/// The fields an address table is made from when the chosen file does not exist yet.
inline const std::vector<std::string> AddressFields{"address,M,10,0", "city,C,35,0", "state,C,2,0",
                                                    "zip,C,10,0"};

/// The fields the address controls show, named as the controls ask for them.
inline constexpr std::array<const char*, 4> AddressFieldNames{"ADDRESS", "city", "state", "zip"};

/// The recipient one record of an address table holds, as text without trailing blanks.
struct AddressRecord
{
    std::vector<std::string> lines; // the address memo's lines
    std::string city, state, zip;
    bool operator==(const AddressRecord&) const = default;
};

/// The first field the address controls need and the table lacks ("Field '%s' not found" names
/// it); none when the table has them all.
std::optional<std::string> MissingAddressField(const TTzDbf& table);

/// The width of the field in the file; 0 for a table without it.
int AddressFieldWidth(const TTzDbf& table, const char* name);

/// The current record. An ADDRESS that another program made a character field reads as one line.
AddressRecord ReadAddress(TTzDbf& table);

/// Stores the recipient in the record buffer (after Edit or Insert). With `before`, the record as
/// it was shown, only the fields that changed are stored: a field the user did not touch keeps
/// its bytes, as other programs wrote them. Texts longer than the file's fields are cut when the
/// buffer is written; a value a field of another type cannot take is a DatasetError.
void WriteAddress(TTzDbf& table, const AddressRecord& record, const AddressRecord* before = nullptr);

} // namespace quill::tables
