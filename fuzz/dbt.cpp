// The memo file reader: an address table of four records whose memo fields hold fuzzed block
// numbers, over a fuzzed memo file. Every text is read, the free chain is walked, a text is
// rewritten and one appended through that chain, and the table may be packed.
//
// Input: one byte of choices, four memo fields of 10 bytes, then the memo file.

#include "FuzzTables.h"

#include "tables/DataFile.h"

using namespace quill::fuzz;
using namespace quill::tables;

namespace {

constexpr std::size_t Records = 4;
constexpr std::size_t MemoFieldSize = 10;

std::string addressTable(bool dbase3, std::string_view memoFields)
{
    const auto fields = ParseFieldList(AddressFields, "T", nullptr);
    std::string file = NewDataFile(*fields);
    file.pop_back(); // the end-of-file byte goes after the records
    if (dbase3)
        file[dbf::Version] = static_cast<char>(dbf::VersionMemo3);
    int recordLength = 1;
    for (const DbfField& f : *fields)
        recordLength += f.length;
    for (std::size_t r = 0; r < Records; ++r) {
        std::string rec(static_cast<std::size_t>(recordLength), ' ');
        rec.replace(1, MemoFieldSize, memoFields.substr(r * MemoFieldSize, MemoFieldSize));
        rec.replace(11, 6, "City " + std::to_string(r));
        file += rec;
    }
    Put32(file, dbf::RecordCount, Records);
    return file + dbf::EndOfFile;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    constexpr std::size_t head = 1 + Records * MemoFieldSize;
    if (in.size() < head)
        return 0;
    const auto choices = static_cast<uint8_t>(in[0]);
    MemoryFiles files;
    files.put(TablePath, addressTable(choices & 1, in.substr(1, Records * MemoFieldSize)));
    files.put(MemoPath, std::string(in.substr(head)));

    TTzDbf table(files);
    table.CreateIfNotFound = false;
    table.setDbfFileName(TablePath);
    if (!Tolerated([&] { table.Open(); }))
        return 0;
    ReadEveryRecord(table);
    Tolerated([&] {
        uint32_t end = 0;
        const auto runs = table.Memo().freeRuns(&end);
        QUILL_FUZZ_CHECK(runs.size() <= table.Memo().endBlock());
    });

    // A text written through the chain the file gave reads back as it was written.
    const std::string text(static_cast<std::size_t>(choices >> 3) * 37, 'q');
    Tolerated([&] {
        table.First();
        if (table.Edit()) {
            table.SetMemoText("ADDRESS", text);
            if (table.Post())
                QUILL_FUZZ_CHECK(table.GetMemoText("ADDRESS") == text);
        }
    });
    Tolerated([&] {
        table.Insert();
        table.SetMField("ADDRESS", {"Line one", text});
        if (table.Post())
            QUILL_FUZZ_CHECK(table.GetMField("ADDRESS") == (std::vector<std::string>{"Line one", text}));
    });
    ReadEveryRecord(table);
    // Two texts went in: the memo file grows by them and their blocks, whatever its header says.
    const uint64_t grown =
        files.get(MemoPath)->size() - std::min<uint64_t>(files.get(MemoPath)->size(), in.size() - head);
    QUILL_FUZZ_CHECK(grown <= 2 * (text.size() + 64 + 2 * table.Memo().blockSize()));
    if (choices & 2)
        Tolerated([&] { table.Pack(); });
    Tolerated([&] { table.Close(); });
    return 0;
}
