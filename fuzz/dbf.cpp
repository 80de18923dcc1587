// The data file reader: a table opened from the fuzzed bytes and read through record by record
// and field by field, in both code pages and with deleted records hidden, appended to an
// address table, then packed. Its memo fields point into a small memo file of two texts.

#include "FuzzTables.h"

using namespace quill::fuzz;
using namespace quill::tables;

namespace {

// Reads every field and text of every record of a table this program wrote: none may fail.
uint32_t readsWhole(TTzDbf& table)
{
    uint32_t seen = 0;
    for (table.First(); !table.Eof(); table.Next()) {
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
    return seen;
}

} // namespace

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

    // Appended to another table, as a report log is copied: whatever of it arrived there
    // reads back without a single error.
    {
        TTzDbf copy(files);
        copy.DbfFields = AddressFields;
        copy.setDbfFileName("/fuzz/COPY.DBF");
        Tolerated([&] {
            copy.Open();
            copy.AppendFrom(TablePath);
        });
        Tolerated([&] { copy.Close(); });
        Tolerated([&] { copy.Open(); });
        if (copy.Active())
            QUILL_FUZZ_CHECK(readsWhole(copy) == copy.RecCount());
    }

    // A pack reads every kept record and its texts and writes them anew: what it wrote reads
    // back without a single error.
    if (Tolerated([&] { table.Pack(); })) {
        table.HideDeletedRecs = false;
        QUILL_FUZZ_CHECK(readsWhole(table) == table.RecCount());
        table.First();
        QUILL_FUZZ_CHECK(table.Eof() || !table.Deleted());
    }
    Tolerated([&] { table.Close(); });
    return 0;
}
