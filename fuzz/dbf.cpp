// The data file reader: a table opened from the fuzzed bytes and read through record by record
// and field by field, in both code pages and with deleted records hidden, then packed and read
// again. Its memo fields point into a small memo file of two texts.

#include "FuzzTables.h"

using namespace quill::fuzz;
using namespace quill::tables;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    MemoryFiles files;
    files.put(TablePath, std::string(reinterpret_cast<const char*>(data), size));
    files.put(MemoPath, MemoFixture());
    TTzDbf table(files);
    table.CreateIfNotFound = false;
    table.setDbfFileName(TablePath);
    if (!Tolerated([&] { table.Open(); }))
        return 0;
    ReadEveryRecord(table);
    table.Language = tlAnsi;
    table.HideDeletedRecs = true;
    ReadEveryRecord(table);
    Tolerated([&] { table.Go(table.RecCount()); });

    // A pack reads every kept record and its texts and writes them anew: what it wrote reads
    // back without a single error.
    if (Tolerated([&] { table.Pack(); })) {
        table.HideDeletedRecs = false;
        uint32_t seen = 0;
        for (table.First(); !table.Eof(); table.Next()) {
            QUILL_FUZZ_CHECK(!table.Deleted());
            for (const DbfField& f : table.Fields()) {
                if (!UniqueName(table, f))
                    continue;
                if (f.type == 'M')
                    (void)table.GetMemoText(f.name);
                else
                    (void)table.GetFieldText(f.name);
            }
            ++seen;
        }
        QUILL_FUZZ_CHECK(seen == table.RecCount());
    }
    Tolerated([&] { table.Close(); });
    return 0;
}
