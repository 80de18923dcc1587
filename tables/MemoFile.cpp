#include "tables/MemoFile.h"

#include "tables/FileFormat.h"
#include "tables/TableError.h"

#include <algorithm>
#include <fcntl.h>
#include <new>
#include <unordered_set>

namespace quill::tables {

namespace {

constexpr int LinksExamined = 100; // free runs looked at for a fit before the end of the file is taken

} // namespace

std::string MemoFile::NewHeader(std::string_view baseName)
{
    std::string h(dbt::HeaderSize, '\0');
    Put32(h, dbt::FreeChain, 1); // the block just past the header block
    baseName = baseName.substr(0, 8);
    h.replace(dbt::BaseName, baseName.size(), baseName);
    h[dbt::Marker] = 0x02;
    h[dbt::Marker + 1] = 0x01;
    Put16(h, dbt::BlockSizeAt, dbt::DefaultBlockSize);
    return h;
}

uint32_t MemoFile::BlocksFor(std::size_t length, uint32_t blockSize)
{
    return static_cast<uint32_t>((length + dbt::TextHeaderSize) / blockSize + 1);
}

void MemoFile::open(const std::string& path, uint8_t version, bool readOnly)
{
    m_path = path;
    m_version = version;
    m_file = FileHandle::Open(m_files, path, readOnly ? O_RDONLY : O_RDWR);
    if (!m_file.valid())
        throw TableError(2, "Memo file not found: " + path + " [USE]");
    m_blockSize = dbt::DefaultBlockSize;
    std::string h(dbt::HeaderSize, '\0');
    if (m_version != 0x83 && m_file.readAt(0, h.data(), h.size())) {
        const uint16_t size = Get16(h, dbt::BlockSizeAt);
        if (size >= 32 && size <= 32768)
            m_blockSize = size;
    }
}

uint32_t MemoFile::blocksIn(uint64_t size) const
{
    const uint64_t blocks = (size + m_blockSize - 1) / m_blockSize;
    return static_cast<uint32_t>(std::min<uint64_t>(blocks, 0xFFFFFFFFu));
}

uint32_t MemoFile::endBlock() const
{
    return blocksIn(m_file.size());
}

void MemoFile::writeFailed(int error) const
{
    const int number = TableErrorOfErrno(error);
    throw TableError(number == 1004 ? 1004 : 1005, "Memo file write error: " + m_path);
}

void MemoFile::writeAt(uint64_t offset, std::string_view bytes)
{
    if (!m_file.writeAt(offset, bytes))
        writeFailed(m_file.error());
}

uint32_t MemoFile::chainHead() const
{
    std::string head(4, '\0');
    if (!m_file.readAt(dbt::FreeChain, head.data(), 4))
        throw TableError(1003, "Invalid memo address: the header of " + m_path);
    return Get32(head, 0);
}

void MemoFile::setLink(uint64_t where, uint32_t value)
{
    writeAt(where, Le32(value));
}

std::string MemoFile::read(uint32_t block) const
{
    if (block == 0)
        return {};
    const uint64_t size = m_file.size();
    const uint64_t at = static_cast<uint64_t>(block) * m_blockSize;
    if (at >= size)
        throw TableError(1003, "Invalid memo address: block " + std::to_string(block) + " of " + m_path);
    try {
        std::string head(dbt::TextHeaderSize, '\0');
        if (m_version == dbf::VersionMemo4 && size - at >= head.size() &&
            m_file.readAt(at, head.data(), head.size()) &&
            head.compare(0, dbt::TextMarker.size(), dbt::TextMarker) == 0) {
            const uint32_t stored = Get32(head, dbt::TextLength);
            if (stored < dbt::TextHeaderSize || at + stored > size)
                throw TableError(1003, "Invalid memo address: the text at block " + std::to_string(block) +
                                           " runs past the end of " + m_path);
            std::string text(stored - dbt::TextHeaderSize, '\0');
            if (!m_file.readAt(at + dbt::TextHeaderSize, text.data(), text.size()))
                throw TableError(1003,
                                 "Invalid memo address: block " + std::to_string(block) + " of " + m_path);
            return text;
        }
        // dBase III: the text ends at the first end-of-file byte, or at the end of the file.
        std::string text, chunk(m_blockSize, '\0');
        for (uint64_t pos = at; pos < size; pos += m_blockSize) {
            const ssize_t n = m_file.readSome(pos, chunk.data(), chunk.size());
            if (n <= 0)
                break;
            const std::string_view got(chunk.data(), static_cast<std::size_t>(n));
            const std::size_t stop = got.find(dbf::EndOfFile);
            text.append(got.substr(0, stop));
            if (stop != std::string_view::npos)
                break;
        }
        return text;
    } catch (const std::bad_alloc&) {
        throw TableError(217, "Insufficient memory for the text at block " + std::to_string(block) + " of " +
                                  m_path);
    }
}

uint32_t MemoFile::ownedBlocks(uint32_t block) const
{
    if (block == 0 || m_version != dbf::VersionMemo4)
        return 0;
    const uint64_t size = m_file.size();
    const uint64_t at = static_cast<uint64_t>(block) * m_blockSize;
    std::string head(dbt::TextHeaderSize, '\0');
    if (at >= size || !m_file.readAt(at, head.data(), head.size()) ||
        head.compare(0, dbt::TextMarker.size(), dbt::TextMarker) != 0)
        return 0;
    const uint32_t stored = Get32(head, dbt::TextLength);
    if (stored < dbt::TextHeaderSize || at + stored > size)
        return 0;
    const auto blocks =
        static_cast<uint32_t>((static_cast<uint64_t>(stored) + m_blockSize - 1) / m_blockSize);
    if (stored % m_blockSize != 0)
        return blocks; // the same count either way
    // A text that fills its blocks exactly was given one block more here, but other programs
    // give none: the block after it is this run's only when it is in the file and starts
    // neither a text nor a free run.
    const uint32_t extra = block + blocks;
    if (static_cast<uint64_t>(extra) * m_blockSize >= size)
        return blocks;
    std::string next(dbt::TextMarker.size(), '\0');
    if (!m_file.readAt(static_cast<uint64_t>(extra) * m_blockSize, next.data(), next.size()) ||
        next == dbt::TextMarker)
        return blocks;
    try {
        for (const Run& r : freeRuns())
            if (r.first == extra)
                return blocks;
    } catch (const TableError&) {
        return blocks; // a chain that loops: claim nothing that might be on it
    }
    return blocks + 1;
}

void MemoFile::putRun(uint32_t block, uint32_t blocks)
{
    if (blocks == 0)
        return;
    std::string link(dbt::LinkSize, '\0');
    Put32(link, dbt::NextLink, chainHead());
    Put32(link, dbt::RunBlocks, blocks);
    writeAt(static_cast<uint64_t>(block) * m_blockSize, link);
    setLink(dbt::FreeChain, block);
}

bool MemoFile::fits(uint32_t block, std::size_t length) const
{
    return length > 0 && m_version == dbf::VersionMemo4 &&
           ownedBlocks(block) >= BlocksFor(length, m_blockSize);
}

bool MemoFile::release(uint32_t block, uint32_t blocks) noexcept
{
    try {
        putRun(block, blocks);
        return true;
    } catch (...) {
        return false; // the run is lost to the chain, never handed out twice
    }
}

bool MemoFile::free(uint32_t block) noexcept
{
    if (!isOpen())
        return true;
    try {
        return release(block, ownedBlocks(block));
    } catch (...) {
        return false;
    }
}

MemoFile::Taken MemoFile::take(uint32_t blocks)
{
    const uint64_t size = m_file.size();
    const uint32_t end = blocksIn(size);
    uint64_t linkAt = dbt::FreeChain; // where the pointer to `cur` is kept
    uint32_t cur = chainHead();
    std::unordered_set<uint32_t> seen;
    for (int examined = 0; cur != 0 && cur < end && seen.insert(cur).second;) {
        std::string link(dbt::LinkSize, '\0');
        if (!m_file.readAt(static_cast<uint64_t>(cur) * m_blockSize, link.data(), link.size()))
            break;
        const uint32_t next = Get32(link, dbt::NextLink);
        const uint32_t length = Get32(link, dbt::RunBlocks);
        if (examined++ < LinksExamined && length >= blocks && static_cast<uint64_t>(cur) + length <= end) {
            // The chain lets go of the run before the text goes into it: a failure in between
            // loses the run, never the chain.
            if (length == blocks) {
                setLink(linkAt, next);
            } else {
                std::string rest(dbt::LinkSize, '\0');
                Put32(rest, dbt::NextLink, next);
                Put32(rest, dbt::RunBlocks, length - blocks);
                writeAt(static_cast<uint64_t>(cur + blocks) * m_blockSize, rest);
                setLink(linkAt, cur + blocks);
            }
            return {cur, false, 0, size};
        }
        linkAt = static_cast<uint64_t>(cur) * m_blockSize;
        cur = next;
    }
    // No run fits: the text goes at the end of the file, and the chain's last link (also one
    // that looped back or pointed anywhere but the end) moves to the new end once the text is
    // written.
    return {end, true, linkAt, size};
}

void MemoFile::appendAtEnd(uint64_t oldSize, uint64_t at, std::string_view data, uint64_t linkAt,
                           uint32_t newEnd)
{
    // The text first, then the link. Should either fail, the file is cut back to where it
    // ended, so the chain still ends just past it.
    if (!m_file.writeAt(at, data) || !m_file.writeAt(linkAt, Le32(newEnd))) {
        const int error = m_file.error();
        (void)m_file.truncate(oldSize);
        writeFailed(error);
    }
}

uint32_t MemoFile::appendDbase3(std::string_view bytes)
{
    // dBase III: texts are only ever added, each ended by two end-of-file bytes, at the end of
    // the file; the header's next block is kept up to date for other programs. It is not
    // trusted where it points past the end: a damaged one would put the text anywhere up to
    // 2 TB into the file.
    const uint64_t size = m_file.size();
    const uint32_t block = std::max(blocksIn(size), 1u);
    std::string data(bytes);
    data.append(2, dbf::EndOfFile);
    const auto blocks = static_cast<uint32_t>((data.size() + m_blockSize - 1) / m_blockSize);
    data.resize(static_cast<std::size_t>(blocks) * m_blockSize, '\0');
    appendAtEnd(size, static_cast<uint64_t>(block) * m_blockSize, data, dbt::FreeChain, block + blocks);
    return block;
}

uint32_t MemoFile::write(uint32_t old, std::string_view bytes, OldRun what)
{
    if (!isOpen())
        throw TableError(1019, "Invalid memo operation: " + m_path + " is not open");
    if (m_version == dbf::VersionMemo3)
        return bytes.empty() ? 0 : appendDbase3(bytes);

    const uint32_t had = what == OldRun::Keep ? 0 : ownedBlocks(old);
    if (bytes.empty()) {
        if (what == OldRun::Own)
            release(old, had); // an emptied text gives its blocks back
        return 0;
    }
    const uint32_t needed = BlocksFor(bytes.size(), m_blockSize);
    std::string data(dbt::TextMarker);
    data += Le32(static_cast<uint32_t>(bytes.size() + dbt::TextHeaderSize));
    data += bytes;
    if (had > 0 && needed <= had) {
        // It fits in its run: rewritten in place, the rest of the run freed.
        writeAt(static_cast<uint64_t>(old) * m_blockSize, data);
        release(old + needed, had - needed);
        return old;
    }
    data.resize(static_cast<std::size_t>(needed) * m_blockSize, '\0'); // whole blocks
    const Taken run = take(needed);
    const uint64_t at = static_cast<uint64_t>(run.block) * m_blockSize;
    if (run.atEnd)
        appendAtEnd(run.fileSize, at, data, run.linkAt, run.block + needed);
    else
        writeAt(at, data);
    if (what == OldRun::Own)
        release(old, had); // the run it outgrew
    return run.block;
}

std::vector<MemoFile::Run> MemoFile::freeRuns(uint32_t* chainEnd) const
{
    std::vector<Run> runs;
    const uint32_t end = endBlock();
    uint32_t cur = chainHead();
    std::unordered_set<uint32_t> seen;
    while (cur != 0 && cur < end) {
        if (!seen.insert(cur).second)
            throw TableError(1003, "Invalid memo address: the free chain of " + m_path + " loops at block " +
                                       std::to_string(cur));
        std::string link(dbt::LinkSize, '\0');
        if (!m_file.readAt(static_cast<uint64_t>(cur) * m_blockSize, link.data(), link.size()))
            break;
        runs.push_back({cur, Get32(link, dbt::RunBlocks)});
        cur = Get32(link, dbt::NextLink);
    }
    if (chainEnd)
        *chainEnd = cur;
    return runs;
}

} // namespace quill::tables
