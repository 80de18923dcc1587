#pragma once

#include "tables/DataFile.h"
#include "tables/FileOps.h"
#include "tables/Locks.h"
#include "tables/MemoFile.h"
#include "tables/TableError.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace quill::tables {

enum TableLanguage { tlOem, tlAnsi };

/// A dBase table: the data file (.dbf), its memo file (.dbt) and, when ordered, its index
/// (.mdx). Text goes in and out as UTF-8 and is stored in code page 437 (tlOem) or
/// Windows-1252 (tlAnsi). Every failure of the files is a TableError, and no other exception
/// leaves the table but a DatasetError for a value that cannot be converted. Messages that are
/// not failures (the corrections of a field list) go to ShowMessage.
class TTzDbf
{
public:
    /// A table whose files are reached through `files` (the real ones unless a test says).
    explicit TTzDbf(FileOps& files = PosixFiles()) : m_files(files), m_memo(files) {}
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
    bool Active() const { return m_file.valid(); }

    // Navigation
    uint32_t RecCount() const { return m_header.count; }
    uint32_t RecNo() const { return m_recNo; }
    void First();
    void Next();
    bool Eof() const { return m_eof; }
    /// Goes to record `recNo` (physical number).
    void Go(uint32_t recNo);
    bool Deleted() const;

    // Fields of the current record or the record buffer
    const std::vector<DbfField>& Fields() const { return m_header.fields; }
    const DbfField* FindField(std::string_view name) const;
    void ClearRecord();
    void SetFieldText(std::string_view field, std::string_view text);
    void SetDateText(std::string_view field, std::string_view text);
    /// A C field padded to its length; any other field trimmed, and "" when it holds no value
    /// (also the null fill other programs write).
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
    /// The memo file, for checks of its free space.
    const MemoFile& Memo() const { return m_memo; }

private:
    enum class State { Browse, Edit, Insert };

    void create();
    void openFiles();
    void closeFiles();
    void writeHeader();
    void readRecord(uint32_t recNo, std::string& into) const;
    void writeRecord(uint32_t recNo, const std::string& bytes);
    void load(uint32_t recNo);
    void startEditing();
    void discardBuffer();
    std::string& buffer();
    const std::string& current() const { return m_state != State::Browse ? m_buffer : m_record; }
    const DbfField& field(std::string_view name, const char* command) const;
    const DbfField& memoField(std::string_view name, const char* command) const;
    std::string toStored(std::string_view utf8) const;
    std::string fromStored(std::string bytes) const;
    uint64_t recordOffset(uint32_t recNo) const;
    void skipHidden();
    std::string memoPath() const;
    [[noreturn]] void writeFailed(const std::string& message) const;
    uint32_t memoBlock(const DbfField& f) const;
    /// A memo field's stored bytes as the current record or the buffer has them.
    std::string memoBytes(const DbfField& f) const;
    void setMemoBytes(const DbfField& f, const std::string& bytes);
    void packFiles();

    FileOps& m_files;
    std::string m_path;
    bool m_exclusive = false;
    FileHandle m_file;
    MemoFile m_memo;
    DbfHeader m_header;
    mutable std::size_t m_lastField = 0;
    bool m_changed = false;
    TableLocks m_locks;

    uint32_t m_recNo = 0;
    bool m_eof = true;
    std::string m_record;
    std::string m_buffer;
    State m_state = State::Browse;
    bool m_lockedEdit = false; // the buffer came from Edit(): it goes back in place

    // Memo runs the record buffer wrote and no record refers to yet, by field offset, and the
    // runs of the record being edited that the buffer no longer refers to: the first are freed
    // when the buffer is dropped, the second once the buffer has replaced the record.
    std::map<int, uint32_t> m_ownedMemo;
    std::vector<uint32_t> m_replacedMemo;
    // Texts that go back into the edited record's own runs when it is posted.
    std::map<int, std::string> m_deferredMemo;

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
