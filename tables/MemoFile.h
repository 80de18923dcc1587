#pragma once

#include "tables/FileOps.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quill::tables {

/// The memo file of a table: texts in runs of blocks and, in dBase IV files, the chain of free
/// runs that rewrites and emptied texts give back. Every failure is a TableError.
///
/// The chain starts in the header and ends at the block just past the end of the file. A run
/// taken at the end of the file moves that end, and the link that pointed at the old end moves
/// with it, so the chain never reaches into live texts.
class MemoFile
{
public:
    explicit MemoFile(FileOps& files) : m_files(files) {}

    /// The 24-byte header of a new memo file for the data file whose base name is given.
    static std::string NewHeader(std::string_view baseName);
    /// Blocks a text of `length` bytes is given: its 8-byte header and the text, and one more
    /// block (a text of 504 bytes takes two).
    static uint32_t BlocksFor(std::size_t length, uint32_t blockSize);

    /// Opens the memo file of a table of version `version` (0x83 or 0x8B).
    void open(const std::string& path, uint8_t version, bool readOnly);
    void close() { m_file.close(); }
    bool isOpen() const { return m_file.valid(); }
    const std::string& path() const { return m_path; }
    uint32_t blockSize() const { return m_blockSize; }

    /// The text that starts at `block`; empty for block 0.
    std::string read(uint32_t block) const;
    /// What a write may do with the run that holds the field's text now.
    enum class OldRun {
        Keep,    // leave it as it is: a record on disk still refers to it
        InPlace, // rewrite the text there when it fits (freeing the rest); otherwise keep it
        Own,     // as InPlace, and free it when the text moves or is emptied: nothing else refers to it
    };
    /// Stores `bytes` and returns its first block, 0 for an empty text.
    uint32_t write(uint32_t old, std::string_view bytes, OldRun what);
    /// Whether a text of `length` bytes fits in the run of the text at `block`.
    bool fits(uint32_t block, std::size_t length) const;
    /// Gives the run that starts at `block` back to the free chain. Freeing comes after the
    /// text that replaces the run is safely stored, so it cannot fail the operation: a run
    /// that cannot be put on the chain is left out of it (false), never handed out twice.
    bool free(uint32_t block) noexcept;

    /// A run of blocks: a live text's or a free one.
    struct Run
    {
        uint32_t first = 0;
        uint32_t blocks = 0;
    };
    /// The free runs in chain order, and the block the chain ends at. A chain that loops or
    /// leaves the file is a TableError.
    std::vector<Run> freeRuns(uint32_t* chainEnd = nullptr) const;
    /// The block just past the end of the file.
    uint32_t endBlock() const;

private:
    /// The blocks of the run of the text at `block`; 0 when no valid text starts there.
    uint32_t ownedBlocks(uint32_t block) const;
    struct Taken
    {
        uint32_t block;
        bool atEnd; // past the end of the file: the link at linkAt moves when it is written
        uint64_t linkAt;
        uint64_t fileSize; // the memo file's size when the run was taken
    };
    Taken take(uint32_t blocks);
    void appendAtEnd(uint64_t oldSize, uint64_t at, std::string_view data, uint64_t linkAt, uint32_t newEnd);
    /// The blocks a file of `size` bytes holds, a last partial one counted.
    uint32_t blocksIn(uint64_t size) const;
    void putRun(uint32_t block, uint32_t blocks);
    bool release(uint32_t block, uint32_t blocks) noexcept;
    void writeAt(uint64_t offset, std::string_view bytes);
    uint32_t chainHead() const;
    void setLink(uint64_t where, uint32_t value);
    [[noreturn]] void writeFailed(int error) const;
    uint32_t appendDbase3(std::string_view bytes);

    FileOps& m_files;
    FileHandle m_file;
    std::string m_path;
    uint8_t m_version = 0x8B;
    uint32_t m_blockSize = 512;
};

} // namespace quill::tables
