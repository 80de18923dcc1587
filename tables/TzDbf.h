#pragma once

#include "TableError.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace quill::tables {

enum TableLanguage { tlOem, tlAnsi };

/// One field of a table as its descriptor gives it.
struct DbfField
{
    std::string name; // upper case, as in the file
    char type = 'C';  // C, D, N, F, L or M
    int length = 0;
    int decimals = 0;
    int offset = 0;   // within the record, after the deletion flag
};

/// A dBase table: the data file (.dbf), its memo file (.dbt) and, when ordered, its index
/// (.mdx). Text goes in and out as UTF-8 and is stored in code page 437 (tlOem) or
/// Windows-1252 (tlAnsi). Every failure is a TableError; messages that are not failures (the
/// corrections of a field list) go to ShowMessage.
class TTzDbf
{
public:
    TTzDbf() = default;
    ~TTzDbf();
    TTzDbf(const TTzDbf&) = delete;
    TTzDbf& operator=(const TTzDbf&) = delete;

    // Properties
    std::string Name = "TzDbf";
    std::vector<std::string> DbfFields;
    bool CreateIfNotFound = true;
    bool HideDeletedRecs = false;
    TableLanguage Language = tlOem;
    bool ReadOnly = false;
    std::function<void(const std::string&)> ShowMessage;

    const std::string& DbfFileName() const { return m_path; }
    /// Blanks trimmed; ".DBF" appended to a name without extension (not to one ending in ".").
    void setDbfFileName(std::string path);
    bool Exclusive() const { return m_exclusive; }
    void setExclusive(bool exclusive);
    static std::string CompleteFileName(std::string path, const char* extension);

    // Open and close
    void Open();
    void Close();
    bool Active() const { return m_fd >= 0; }

    // Navigation
    uint32_t RecCount() const { return m_count; }
    uint32_t RecNo() const { return m_recNo; }
    void First();
    void Next();
    bool Eof() const { return m_eof; }
    /// Goes to record `recNo` (physical number).
    void Go(uint32_t recNo);
    bool Deleted() const;

    // Fields of the current record or the record buffer
    const std::vector<DbfField>& Fields() const { return m_fields; }
    const DbfField* FindField(std::string_view name) const;
    void ClearRecord();
    void SetFieldText(std::string_view field, std::string_view text);
    void SetDateText(std::string_view field, std::string_view text);
    std::string GetFieldText(std::string_view field) const;
    std::vector<std::string> GetMField(std::string_view field);
    void SetMField(std::string_view field, const std::vector<std::string>& lines);
    /// A memo field's whole text.
    std::string GetMemoText(std::string_view field);
    void SetMemoText(std::string_view field, std::string_view text);

    // Table commands
    bool ALock();
    void UnLock();
    void AppendRec();
    void DeleteRec();
    void RecallRec();
    void Pack();
    void AppendFrom(std::string path);
    void IndexOnOne(std::string_view keyExpression, std::string indexName);

    // Editing as the data-aware controls do it: edit the current record and post it in
    // place under its record lock, or insert a blank record that is appended on post.
    /// False when the record lock cannot be had ("Lock failed [Post]" is the caller's).
    bool Edit();
    void Insert();
    /// Writes the record buffer: in place after Edit, appended after Insert. False when a
    /// lock cannot be had; nothing is written then.
    bool Post();
    void Cancel();
    bool Editing() const { return m_state != State::Browse; }
    /// Toggles the deletion flag of the current record under its lock; false when the lock
    /// cannot be had.
    bool ToggleDeleted();
    /// Reads the current record and the header's count again.
    void Refresh();

    /// The raw bytes of the current record (deletion flag first), as stored.
    const std::string& RecordBytes() const { return m_record; }

private:
    enum class State { Browse, Edit, Insert };

    void create();
    void openFiles();
    void readHeader();
    void writeHeader();
    void readRecord(uint32_t recNo, std::string& into) const;
    void writeRecord(uint32_t recNo, const std::string& bytes);
    void load(uint32_t recNo);
    void startEditing();
    std::string& buffer();
    const DbfField& field(std::string_view name, const char* command) const;
    const DbfField& memoField(std::string_view name, const char* command) const;
    std::string toStored(std::string_view utf8) const;
    std::string fromStored(std::string bytes) const;
    bool lockRange(uint64_t offset, uint64_t length, bool exclusive);
    void unlockRange(uint64_t offset, uint64_t length);
    bool lockRecord(uint32_t recNo);
    void unlockRecord(uint32_t recNo);
    uint64_t recordOffset(uint32_t recNo) const;
    void skipHidden();
    std::string memoPath() const;

    // memo file
    std::string readMemo(uint32_t block);
    uint32_t writeMemo(uint32_t oldBlock, const std::string& bytes);
    void freeRun(uint32_t block, uint32_t blocks);
    uint32_t takeRun(uint32_t blocks);
    uint32_t memoEndBlock() const;
    uint32_t memoBlockField(const std::string& record, const DbfField& f) const;
    void setMemoBlockField(std::string& record, const DbfField& f, uint32_t block) const;

    std::string m_path;
    bool m_exclusive = false;
    int m_fd = -1;
    int m_memoFd = -1;
    std::string m_header; // header and descriptors as read, written back unchanged but for the count and date
    uint8_t m_version = 0x03;
    uint32_t m_count = 0;
    uint16_t m_headerLength = 0;
    uint16_t m_recordLength = 0;
    std::vector<DbfField> m_fields;
    mutable std::size_t m_lastField = 0;
    bool m_changed = false;
    uint32_t m_blockSize = 512;
    bool m_hasMemo = false;

    uint32_t m_recNo = 0;
    bool m_eof = true;
    std::string m_record;
    std::string m_buffer;
    State m_state = State::Browse;
    bool m_bufferStarted = false;

    bool m_appendLock = false;
    std::set<uint32_t> m_recordLocks;

    // Records appended but not yet written: they go out in one write when the table is
    // closed, its locks are released, or anything else touches the file.
    std::string m_pending;
    uint32_t m_pendingFirst = 0;
    void flushPending();
    // A window of consecutive records read in one go, for reading in order.
    mutable std::string m_cache;
    mutable uint32_t m_cacheFirst = 0;
    mutable uint32_t m_cacheCount = 0;
    void dropCache() const { m_cacheCount = 0; }
    void patchCache(uint32_t recNo, std::size_t at, std::string_view bytes) const;
    void writeFlag(char flag);
    void setFlag(char flag, const char* command);

    std::vector<uint32_t> m_order; // record numbers in index order, empty for physical order
    std::size_t m_orderPos = 0;
};

} // namespace quill::tables
