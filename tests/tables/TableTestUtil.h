#pragma once

// Helpers of the table tests: scratch folders, whole files, and a reader of our tables that
// shares no code with the table layer, so it can judge what the layer wrote.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tabletest {

/// A scratch folder, removed with everything in it.
struct Folder
{
    std::filesystem::path path;
    Folder();
    ~Folder();
    std::string operator/(const std::string& name) const { return (path / name).string(); }
    /// The names of the files in it, sorted.
    std::vector<std::string> names() const;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
/// Runs a shell command and returns what it printed on both outputs.
std::string Run(const std::string& command);

/// A table as its bytes say, read without the table layer: each record's bytes with every
/// memo field's block number replaced by the text it points to.
struct RawTable
{
    uint32_t count = 0;
    std::vector<std::string> records;
    bool operator==(const RawTable&) const = default;
};

/// Reads a data file and its dBase IV memo file (`dbt` may be empty for a table without one).
/// Checks the memo file as it goes: every text and every free run lies inside the file, no two
/// of them share a block, and the free chain ends at the block just past the end of the file.
/// With `noLeaks` every block past the header block must also be in a text or a free run.
/// Any fault is put into `problem` (empty when there is none).
RawTable ReadRaw(const std::string& dbf, const std::string& dbt, std::string& problem, bool noLeaks = false);

} // namespace tabletest
