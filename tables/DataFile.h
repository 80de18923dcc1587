#pragma once

#include "tables/FileOps.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quill::tables {

/// One field of a table as its descriptor gives it.
struct DbfField
{
    std::string name; // upper case, as in the file
    char type = 'C';  // C, D, N, F, L or M
    int length = 0;
    int decimals = 0;
    int offset = 0; // within the record, after the deletion flag
};

/// The header of a data file: the prolog and the field descriptors.
struct DbfHeader
{
    std::string bytes; // as read; written back unchanged but for the date and the count
    uint8_t version = 0x03;
    uint32_t count = 0;
    uint16_t headerLength = 0;
    uint16_t recordLength = 0;
    std::vector<DbfField> fields;
    bool hasMemo = false;
};

/// Reads and checks the header of the data file at `path`; a file that is not a table it can
/// read is a TableError with the messages the user knows.
DbfHeader ReadDbfHeader(const FileHandle& file, const std::string& path);

/// The first 32 bytes of `header` with today's date and `count` records.
std::string UpdatedProlog(const std::string& header, uint32_t count);

/// The fields a field list ("name,type,length,decimals" a line) describes, corrected as the
/// lists are: each correction is shown through `show`. Nothing when the list cannot make a
/// table (it has shown what it must).
std::optional<std::vector<DbfField>> ParseFieldList(const std::vector<std::string>& lines,
                                                    const std::string& tableName,
                                                    const std::function<void(const std::string&)>& show);

/// A new, empty data file of these fields: header, descriptors and the end-of-file byte.
std::string NewDataFile(const std::vector<DbfField>& fields);

/// Whether a field list's fields include a memo field.
bool HasMemo(const std::vector<DbfField>& fields);

} // namespace quill::tables
