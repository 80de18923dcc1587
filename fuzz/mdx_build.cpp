// The index: the program writes MDX files but never reads one back, so what outside bytes reach
// is the building of an index over a table. Each field of a fuzzed table is indexed in turn, and
// the table is walked in the order the index gives.

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
    const std::vector<DbfField> fields = table.Fields();
    for (const DbfField& f : fields) {
        if (f.type == 'M')
            continue;
        if (!Tolerated([&] { table.IndexOnOne(f.name, "T.MDX"); }))
            continue;
        // The index holds every record once: the walk in its order sees each of them.
        const std::string* mdx = files.get("/fuzz/T.MDX");
        QUILL_FUZZ_CHECK(mdx && mdx->size() % 512 == 0 && mdx->size() >= 4096);
        QUILL_FUZZ_CHECK(Get32(*mdx, 32) == mdx->size() / 512);
        std::vector<bool> visited(table.RecCount() + 1, false);
        uint32_t seen = 0;
        Tolerated([&] {
            for (table.First(); !table.Eof(); table.Next()) {
                QUILL_FUZZ_CHECK(table.RecNo() >= 1 && table.RecNo() <= table.RecCount());
                QUILL_FUZZ_CHECK(!visited[table.RecNo()]);
                visited[table.RecNo()] = true;
                ++seen;
                ReadRecord(table);
            }
        });
        QUILL_FUZZ_CHECK(seen == table.RecCount());
    }
    Tolerated([&] { table.Close(); });
    return 0;
}
