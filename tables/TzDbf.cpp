#include "tables/TzDbf.h"

#include "tables/FieldValue.h"
#include "tables/FileFormat.h"
#include "tables/Text.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace quill::tables {

namespace {

const char* const RecordWriteTail = " [Replace/Append/PutDbfRecord]";

} // namespace

TTzDbf::~TTzDbf()
{
    try {
        Close();
    } catch (...) {
        // a destructor cannot report; Close() is called explicitly where it matters
    }
}

std::string TTzDbf::CompleteFileName(std::string path, const char* extension)
{
    path = Trim(path);
    if (path.empty() || path.back() == '.')
        return path;
    if (!std::filesystem::path(path).has_extension())
        path += extension;
    return path;
}

void TTzDbf::setDbfFileName(std::string path)
{
    const bool wasOpen = Active();
    Close();
    m_path = CompleteFileName(std::move(path), ".DBF");
    if (wasOpen)
        Open();
}

void TTzDbf::setExclusive(bool exclusive)
{
    if (exclusive == m_exclusive)
        return;
    const bool wasOpen = Active();
    Close();
    m_exclusive = exclusive;
    if (wasOpen)
        Open();
}

std::string TTzDbf::memoPath() const
{
    std::filesystem::path p(m_path);
    const std::string ext = p.extension().string();
    // The memo file follows the case of the data file's extension: x.dbf has x.dbt.
    const bool lower = std::any_of(ext.begin(), ext.end(), [](char c) { return c >= 'a' && c <= 'z'; });
    p.replace_extension(lower ? ".dbt" : ".DBT");
    if (!m_files.exists(p.string())) {
        std::filesystem::path other = p;
        other.replace_extension(lower ? ".DBT" : ".dbt");
        if (m_files.exists(other.string()))
            return other.string();
    }
    return p.string();
}

void TTzDbf::writeFailed(const std::string& message) const
{
    throw TableError(101, message);
}

// Creation ------------------------------------------------------------------------------

void TTzDbf::create()
{
    auto fail = [&] {
        if (ShowMessage)
            ShowMessage("Could not create \"" + m_path + "\"");
        throw TableError(2, "Failure to open " + m_path + " [USE/OpenDbf]");
    };
    const auto fields = ParseFieldList(DbfFields, Name, ShowMessage);
    if (!fields)
        fail();
    // Both files are written beside their places and renamed there only when whole, so a
    // failed creation leaves nothing behind. Other programs may find the table missing at the
    // same moment (the report log at the first piece): each writes files of its own, the first
    // to finish makes the table, and the others open that one rather than replace it.
    const std::string mine = OwnTempSuffix();
    TempFile data(m_files, m_path + mine);
    FileHandle file = data.create();
    if (!file.writeAt(0, NewDataFile(*fields)) || !file.close())
        fail();
    if (HasMemo(*fields)) {
        const std::string mp = memoPath();
        TempFile memo(m_files, mp + mine);
        FileHandle mf = memo.create();
        if (!mf.writeAt(0, MemoFile::NewHeader(std::filesystem::path(m_path).stem().string())) || !mf.close())
            fail();
        if (m_files.exists(m_path))
            return; // made meanwhile, with its memo file
        if (!memo.commitTo(mp))
            fail();
    }
    if (!data.commitNew(m_path) && data.error() != EEXIST)
        fail();
}

// Open and close ------------------------------------------------------------------------

void TTzDbf::Open()
{
    if (Active())
        return;
    if (m_path.empty())
        throw TableError(2, "Failure to open " + m_path + " [USE/OpenDbf]");
    if (!m_files.exists(m_path)) {
        if (!CreateIfNotFound)
            throw TableError(2, "Failure to open " + m_path + " [USE/OpenDbf]");
        create();
    }
    openFiles();
}

void TTzDbf::openFiles()
{
    FileHandle file = FileHandle::Open(m_files, m_path, ReadOnly ? O_RDONLY : O_RDWR);
    if (!file.valid())
        throw TableError(TableErrorOfErrno(file.error()), "Failure to open " + m_path + " [USE/OpenDbf]");
    if (!TableLocks::takeShare(file, m_exclusive))
        throw TableError(32, "Failure to open " + m_path + " [USE/OpenDbf]");
    DbfHeader header = ReadDbfHeader(file, m_path);
    if (header.hasMemo)
        m_memo.open(memoPath(), header.version, ReadOnly);
    m_file = std::move(file);
    m_header = std::move(header);
    m_locks.attach(m_file, m_header.headerLength, m_header.recordLength, m_exclusive);
    m_changed = false;
    m_state = State::Browse;
    m_order.clear();
    m_pending.clear();
    dropCache();
    First();
}

void TTzDbf::writeHeader()
{
    if (!m_exclusive && !m_locks.appendHeld()) {
        // In shared use the count belongs to whoever appends: others may have appended since this
        // table last read it. It is read again under the append lock; while another program
        // holds that lock, the header is left to it.
        if (!m_locks.takeAppend()) {
            m_changed = false;
            return;
        }
        std::string prolog(dbf::PrologSize, '\0');
        if (!m_file.readAt(0, prolog.data(), prolog.size()))
            throw TableError(100, "Disk read error: " + m_path + " [Close]");
        m_header.count = Get32(prolog, dbf::RecordCount);
    }
    // The end mark goes after the last record. A header that counts records the file does not
    // hold keeps its short file: the mark there would fill the gap with zeros up to the count.
    const uint64_t end = recordOffset(m_header.count + 1);
    const bool whole = end <= m_file.size();
    if (!m_file.writeAt(0, UpdatedProlog(m_header.bytes, m_header.count)) ||
        (whole && !m_file.writeAt(end, std::string_view(&dbf::EndOfFile, 1))))
        writeFailed("File:  " + m_path + RecordWriteTail);
    m_changed = false;
}

void TTzDbf::closeFiles()
{
    m_locks.detach();
    m_file.close();
    m_memo.close();
    m_state = State::Browse;
    m_lockedEdit = false;
    m_ownedMemo.clear();
    m_replacedMemo.clear();
    m_order.clear();
    m_pending.clear();
    dropCache();
    m_recNo = 0;
    m_eof = true;
}

void TTzDbf::Close()
{
    if (!Active())
        return;
    std::exception_ptr failure;
    try {
        discardBuffer();
        flushPending();
        if (m_changed && !ReadOnly)
            writeHeader();
    } catch (...) {
        failure = std::current_exception(); // reported below; the files are closed all the same
    }
    closeFiles();
    if (failure)
        std::rethrow_exception(failure);
}

// Records -------------------------------------------------------------------------------

uint64_t TTzDbf::recordOffset(uint32_t recNo) const
{
    return m_header.headerLength + static_cast<uint64_t>(recNo - 1) * m_header.recordLength;
}

void TTzDbf::readRecord(uint32_t recNo, std::string& into) const
{
    if (!m_pending.empty())
        const_cast<TTzDbf*>(this)->flushPending();
    const uint16_t length = m_header.recordLength;
    if (m_cacheCount == 0 || recNo < m_cacheFirst || recNo >= m_cacheFirst + m_cacheCount) {
        // Read ahead up to 64 KB of the records that follow.
        const uint32_t left = m_header.count >= recNo ? m_header.count - recNo + 1 : 1;
        const uint32_t want = std::max<uint32_t>(1, std::min<uint32_t>(65536 / length, left));
        m_cache.resize(static_cast<std::size_t>(want) * length);
        const ssize_t got = m_file.readSome(recordOffset(recNo), m_cache.data(), m_cache.size());
        const uint32_t whole = got > 0 ? static_cast<uint32_t>(static_cast<std::size_t>(got) / length) : 0;
        if (whole == 0) {
            m_cacheCount = 0;
            throw TableError(213, "End of file found unexpectedly: record " + std::to_string(recNo) + " of " +
                                      m_path);
        }
        m_cacheFirst = recNo;
        m_cacheCount = whole;
    }
    into.assign(m_cache, static_cast<std::size_t>(recNo - m_cacheFirst) * length, length);
}

void TTzDbf::patchCache(uint32_t recNo, std::size_t at, std::string_view bytes) const
{
    if (m_cacheCount > 0 && recNo >= m_cacheFirst && recNo < m_cacheFirst + m_cacheCount)
        m_cache.replace(static_cast<std::size_t>(recNo - m_cacheFirst) * m_header.recordLength + at,
                        bytes.size(), bytes);
}

void TTzDbf::flushPending()
{
    if (m_pending.empty())
        return;
    dropCache();
    const uint32_t before = m_pendingFirst - 1;
    const uint32_t after = before + static_cast<uint32_t>(m_pending.size() / m_header.recordLength);
    const uint64_t at = recordOffset(m_pendingFirst);
    // What the records go over (the end-of-file byte, as a rule) is kept, so that a failed
    // write leaves the file reading as it did: the old count, the old end.
    const uint64_t size = m_file.size();
    std::string over(static_cast<std::size_t>(std::min<uint64_t>(size > at ? size - at : 0, 4096)), '\0');
    if (!over.empty() && !m_file.readAt(at, over.data(), over.size()))
        over.clear();
    const bool written = m_file.writeAt(at, m_pending);
    if (!written || !m_file.writeAt(0, UpdatedProlog(m_header.bytes, after)) ||
        !m_file.writeAt(recordOffset(after + 1), std::string_view(&dbf::EndOfFile, 1))) {
        if (written)
            (void)m_file.writeAt(0, UpdatedProlog(m_header.bytes, before));
        (void)m_file.truncate(std::max(size, at));
        (void)m_file.writeAt(at, over);
        m_pending.clear();
        m_header.count = before;
        if (m_recNo > before)
            load(0);
        writeFailed("File:  " + m_path + RecordWriteTail);
    }
    m_pending.clear();
    m_header.count = after;
    m_changed = false;
}

void TTzDbf::writeRecord(uint32_t recNo, const std::string& bytes)
{
    flushPending();
    if (ReadOnly)
        throw TableError(5, "File access denied: " + m_path + " is read-only [Replace/Append/PutDbfRecord]");
    if (!m_file.writeAt(recordOffset(recNo), bytes))
        writeFailed("File:  " + m_path + RecordWriteTail);
    patchCache(recNo, 0, bytes);
    m_changed = true;
}

void TTzDbf::writeFlag(char flag)
{
    flushPending();
    if (!m_file.writeAt(recordOffset(m_recNo), std::string_view(&flag, 1)))
        writeFailed("File:  " + m_path + RecordWriteTail);
    patchCache(m_recNo, 0, std::string_view(&flag, 1));
    m_record[0] = flag;
    m_changed = true;
}

void TTzDbf::load(uint32_t recNo)
{
    m_recNo = recNo;
    m_eof = recNo == 0 || recNo > m_header.count;
    if (m_eof)
        m_record.assign(m_header.recordLength, ' ');
    else
        readRecord(recNo, m_record);
}

void TTzDbf::skipHidden()
{
    while (HideDeletedRecs && !m_eof && !m_record.empty() && m_record[0] == dbf::Deleted)
        Next();
}

void TTzDbf::First()
{
    discardBuffer();
    if (!m_order.empty()) {
        m_orderPos = 0;
        load(m_order[0]);
    } else {
        load(m_header.count > 0 ? 1 : 0);
    }
    skipHidden();
}

void TTzDbf::Next()
{
    if (m_eof)
        return;
    discardBuffer();
    if (!m_order.empty()) {
        if (++m_orderPos >= m_order.size()) {
            m_eof = true;
            return;
        }
        load(m_order[m_orderPos]);
    } else {
        if (m_recNo >= m_header.count) {
            m_eof = true;
            return;
        }
        load(m_recNo + 1);
    }
    skipHidden();
}

void TTzDbf::Go(uint32_t recNo)
{
    if (recNo < 1 || recNo > m_header.count)
        throw TableError(212, "Request beyond range: record " + std::to_string(recNo) + " of " + m_path);
    discardBuffer();
    load(recNo);
}

bool TTzDbf::Deleted() const
{
    return !m_eof && !m_record.empty() && m_record[0] == dbf::Deleted;
}

void TTzDbf::Refresh()
{
    flushPending();
    dropCache();
    std::string prolog(dbf::PrologSize, '\0');
    if (m_file.readAt(0, prolog.data(), prolog.size()))
        m_header.count = Get32(prolog, dbf::RecordCount); // another user may have appended or packed
    if (m_recNo >= 1 && m_recNo <= m_header.count)
        load(m_recNo);
}

} // namespace quill::tables
