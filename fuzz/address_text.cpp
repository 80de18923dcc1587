// The import of name-and-address text files: the bytes as the import reads a file (UTF-8 or
// Windows-1252), split into lines and fields, imported into a new address table and exported
// again. The export is the import's own format, so a second import and export change nothing.

#include "FuzzCheck.h"
#include "MemoryFiles.h"

#include "tables/AddressText.h"
#include "tables/TzDbf.h"

using namespace quill::fuzz;
using namespace quill::tables;

namespace {

// The export of a table made by importing `text`; nothing when the table layer refused.
std::optional<std::string> importAndExport(std::string_view text)
{
    MemoryFiles files;
    TTzDbf table(files);
    table.DbfFields = ImportTableFields();
    table.setDbfFileName("/fuzz/IMPORT.DBF");
    std::optional<std::string> exported;
    Tolerated([&] {
        table.Open();
        ImportAddresses(table, text);
        exported = ExportAddresses(table);
        table.Close();
    });
    return exported;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string text = TextFileToUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    for (std::string_view line : TextLines(text)) {
        QUILL_FUZZ_CHECK(line.find_first_of("\r\n") == std::string_view::npos);
        // A line the export writes reads back as the fields it was written from.
        const AddressFields fields = SplitAddressLine(line);
        QUILL_FUZZ_CHECK(SplitAddressLine(AddressLine(fields)) == fields);
    }
    const auto once = importAndExport(text);
    if (!once)
        return 0;
    const auto twice = importAndExport(*once);
    QUILL_FUZZ_CHECK(twice && *twice == *once);
    return 0;
}
