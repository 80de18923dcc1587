#pragma once

#include "tables/FileOps.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quill::tables {

/// The keys of one index tag in ascending order, ready to be written.
struct MdxKeys
{
    std::string tableName;         // base name of the data file
    std::string field;             // the key expression: one field's name
    char type = 'C';               // C, D or N
    int keyLength = 0;             // C: the field's length; D: 8; N: 12
    int fieldLength = 10;          // N: the field's width, kept in the numeric key
    std::vector<std::string> text; // C keys: the stored bytes
    std::vector<double> number;    // D (Julian day) and N keys
    std::vector<uint32_t> recNo;
};

/// Bytes of one key entry: the key and a 4-byte record number, rounded up to a multiple of 4
/// (a key length that already is one gets 4 bytes more).
int MdxEntryLength(int keyLength);
/// Entries one 1024-byte node holds.
int MdxEntriesPerNode(int keyLength);

/// Writes a dBase IV multiple-index file with the single tag "dummy_tag" holding `keys`. A file
/// already at `path` is replaced only once the new one is whole. Returns the table error number
/// and message on failure.
std::optional<std::pair<int, const char*>> WriteMdx(FileOps& files, const std::string& path,
                                                    const MdxKeys& keys);

} // namespace quill::tables
