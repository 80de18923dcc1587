#pragma once

// What the table targets share: a table over in-memory files, and the reading of every record
// the way the program's database mode, export and pack read them.

#include "FuzzCheck.h"
#include "MemoryFiles.h"

#include "tables/AddressTable.h"
#include "tables/FileFormat.h"
#include "tables/MemoFile.h"
#include "tables/TzDbf.h"

#include <algorithm>
#include <string>

namespace quill::fuzz {

inline const std::string TablePath = "/fuzz/T.DBF";
inline const std::string MemoPath = "/fuzz/T.DBT";

/// A dBase IV memo file of block size 512 with texts at blocks 1 and 2, for tables whose
/// data file is the fuzzed part: their memo fields then point at real texts, past the end,
/// or into the middle of a text.
inline std::string MemoFixture()
{
    std::string memo = tables::MemoFile::NewHeader("T");
    tables::Put32(memo, tables::dbt::FreeChain, 3);
    memo.resize(512, '\0');
    for (const std::string_view text :
         {std::string_view("12 Main St\r\nSpringfield"), std::string_view("x\x01y")}) {
        std::string block(tables::dbt::TextMarker);
        block += tables::Le32(static_cast<uint32_t>(text.size() + tables::dbt::TextHeaderSize));
        block += text;
        block.resize(512, '\0');
        memo += block;
    }
    return memo;
}

/// Whether `f` is the only field of its name: a second one of the same name is out of reach
/// by name, so what is asked by that name may be the other's.
inline bool UniqueName(const tables::TTzDbf& table, const tables::DbfField& f)
{
    return std::count_if(table.Fields().begin(), table.Fields().end(),
                         [&](const tables::DbfField& g) { return g.name == f.name; }) == 1;
}

/// Every field of the current record as text, every memo as text and as lines, and the
/// recipient when the table has the address fields.
inline void ReadRecord(tables::TTzDbf& table)
{
    (void)table.Deleted();
    for (const tables::DbfField& f : table.Fields()) {
        Tolerated([&] {
            if (f.type == 'M') {
                (void)table.GetMemoText(f.name);
                (void)table.GetMField(f.name);
            } else {
                const std::string text = table.GetFieldText(f.name);
                // A value is its field's bytes trimmed.
                if (f.type != 'C' && UniqueName(table, f))
                    QUILL_FUZZ_CHECK(text.size() <= static_cast<std::size_t>(f.length));
            }
        });
    }
    if (!tables::MissingAddressField(table))
        Tolerated([&] { (void)tables::ReadAddress(table); });
}

/// Goes through the table in its current order, reading every record. A failure to reach the
/// next record ends the walk, as it ends the program's.
inline void ReadEveryRecord(tables::TTzDbf& table)
{
    Tolerated([&] {
        uint32_t seen = 0;
        for (table.First(); !table.Eof(); table.Next()) {
            ReadRecord(table);
            // Every step moves on: a walk longer than the count would never end.
            QUILL_FUZZ_CHECK(++seen <= table.RecCount());
        }
    });
}

} // namespace quill::fuzz
