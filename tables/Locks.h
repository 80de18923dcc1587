#pragma once

#include "tables/FileOps.h"

#include <cstdint>
#include <set>

namespace quill::tables {

/// The byte-range locks by which programs that share a table keep out of each other's way.
/// Writers announce themselves past any real data, from a base offset; every lock is tried
/// once, with no wait.
class TableLocks
{
public:
    static constexpr uint64_t Base = 0x40000000;
    static constexpr uint64_t AppendOffset = Base + 1;
    // Every open holds a shared lock on this byte and an exclusive open an exclusive one, so
    // an exclusive user and any other user of the table refuse each other.
    static constexpr uint64_t ShareByte = 0x80000000;

    /// Locks of the table open on `file`, whose records start at `headerLength`.
    void attach(FileHandle& file, uint16_t headerLength, uint16_t recordLength, bool exclusive);
    void detach();

    /// Takes the lock every open holds: shared, or exclusive for exclusive use.
    [[nodiscard]] static bool takeShare(FileHandle& file, bool exclusive);

    bool appendHeld() const { return m_append; }
    bool recordHeld(uint32_t recNo) const { return m_exclusive || m_records.count(recNo) > 0; }
    bool anyRecordHeld() const { return !m_records.empty(); }
    [[nodiscard]] bool takeAppend();
    [[nodiscard]] bool takeRecord(uint32_t recNo);
    void releaseRecord(uint32_t recNo);
    void releaseAll();

private:
    uint64_t recordOffset(uint32_t recNo) const
    {
        return Base + m_headerLength + static_cast<uint64_t>(recNo - 1) * m_recordLength;
    }

    FileHandle* m_file = nullptr;
    uint16_t m_headerLength = 0;
    uint16_t m_recordLength = 0;
    bool m_exclusive = false;
    bool m_append = false;
    std::set<uint32_t> m_records;
};

} // namespace quill::tables
