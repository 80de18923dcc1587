#include "tables/Locks.h"

#include <fcntl.h>

namespace quill::tables {

void TableLocks::attach(FileHandle& file, uint16_t headerLength, uint16_t recordLength, bool exclusive)
{
    m_file = &file;
    m_headerLength = headerLength;
    m_recordLength = recordLength;
    m_exclusive = exclusive;
    m_append = false;
    m_records.clear();
}

void TableLocks::detach()
{
    releaseAll();
    m_file = nullptr;
}

bool TableLocks::takeShare(FileHandle& file, bool exclusive)
{
    return file.lock(exclusive ? F_WRLCK : F_RDLCK, ShareByte, 1);
}

bool TableLocks::takeAppend()
{
    if (m_exclusive || m_append)
        return true;
    if (!m_records.empty() || !m_file)
        return false;
    m_append = m_file->lock(F_WRLCK, AppendOffset, 1);
    return m_append;
}

bool TableLocks::takeRecord(uint32_t recNo)
{
    if (recordHeld(recNo))
        return true;
    if (!m_file || !m_file->lock(F_WRLCK, recordOffset(recNo), m_recordLength))
        return false;
    m_records.insert(recNo);
    return true;
}

void TableLocks::releaseRecord(uint32_t recNo)
{
    if (m_records.erase(recNo) && m_file)
        (void)m_file->lock(F_UNLCK, recordOffset(recNo), m_recordLength);
}

void TableLocks::releaseAll()
{
    if (m_file) {
        if (m_append)
            (void)m_file->lock(F_UNLCK, AppendOffset, 1);
        for (uint32_t r : m_records)
            (void)m_file->lock(F_UNLCK, recordOffset(r), m_recordLength);
    }
    m_append = false;
    m_records.clear();
}

} // namespace quill::tables
