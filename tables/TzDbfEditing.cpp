// The record buffer of a table: field values, memo texts, locks and editing.

#include "tables/TzDbf.h"

#include "tables/CodePage.h"
#include "tables/FieldValue.h"
#include "tables/FileFormat.h"
#include "tables/Text.h"

#include <algorithm>
#include <cstring>

namespace quill::tables {

namespace {

// Memo texts that hold control characters other than these are binary and are not translated.
bool isText(std::string_view s)
{
    const std::size_t n = std::min<std::size_t>(s.size(), 32767);
    for (std::size_t i = 0; i < n; ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 32 && c != 0x09 && c != 0x0A && c != 0x0D && c != 0x0F && c != 0x14 && c != 0x15)
            return false;
    }
    return true;
}

} // namespace

// Fields --------------------------------------------------------------------------------

const DbfField* TTzDbf::FindField(std::string_view name) const
{
    // Callers go through the fields in order: try the one after the last found first.
    const std::vector<DbfField>& fields = m_header.fields;
    const std::size_t n = fields.size();
    for (std::size_t k = 0; k < n; ++k) {
        const std::size_t i = (m_lastField + 1 + k) % n;
        if (SameName(fields[i].name, name)) {
            m_lastField = i;
            return &fields[i];
        }
    }
    return nullptr;
}

const DbfField& TTzDbf::field(std::string_view name, const char* command) const
{
    const DbfField* f = FindField(name);
    if (!f)
        throw TableError(220,
                         "Field \"" + std::string(name) + "\" not in \"" + m_path + "\" [" + command + "]");
    return *f;
}

const DbfField& TTzDbf::memoField(std::string_view name, const char* command) const
{
    if (!Active())
        throw TableError(1019, std::string("No database in use [") + command + "]");
    const DbfField& f = field(name, command);
    if (f.type != 'M') {
        std::string actual;
        switch (f.type) {
        case 'C':
            actual = "Character";
            break;
        case 'D':
            actual = "Date";
            break;
        case 'L':
            actual = "Logical";
            break;
        default:
            actual =
                "Numeric, width: " + std::to_string(f.length) + " decimals: " + std::to_string(f.decimals);
        }
        throw TableError(220, "\"" + std::string(command) + "()\" expects field \"" + f.name +
                                  "\" to be of type:\r\n\"" + "memo\".\"" + f.name + "\" actually is: \"" +
                                  actual + "\"");
    }
    return f;
}

std::string TTzDbf::toStored(std::string_view utf8) const
{
    if (IsAscii(utf8))
        return std::string(utf8); // the same bytes in every code page here
    std::string bytes = Utf8ToAnsi(utf8);
    if (Language == tlOem)
        AnsiToOem(bytes);
    return bytes;
}

std::string TTzDbf::fromStored(std::string bytes) const
{
    if (IsAscii(bytes))
        return bytes;
    if (Language == tlOem)
        OemToAnsi(bytes);
    return AnsiToUtf8(bytes);
}

void TTzDbf::startEditing()
{
    if (!Active())
        throw TableError(215, "No database in use: " + m_path);
    if (m_state == State::Browse) {
        m_state = State::Edit;
        m_lockedEdit = false;
        m_buffer = m_eof ? std::string(m_header.recordLength, ' ') : m_record;
    }
}

void TTzDbf::discardBuffer()
{
    // Texts written for a buffer that no record will hold go back to the free chain.
    std::map<int, uint32_t> owned;
    owned.swap(m_ownedMemo);
    m_replacedMemo.clear();
    m_deferredMemo.clear();
    if (m_state == State::Edit && m_lockedEdit)
        m_locks.releaseRecord(m_recNo);
    m_state = State::Browse;
    m_lockedEdit = false;
    for (const auto& [offset, block] : owned)
        (void)m_memo.free(block);
}

std::string& TTzDbf::buffer()
{
    startEditing();
    return m_buffer;
}

void TTzDbf::ClearRecord()
{
    std::string& buf = buffer();
    for (const DbfField& f : m_header.fields)
        if (f.type == 'M')
            setMemoBytes(f, {});
    buf.assign(m_header.recordLength, ' ');
}

void TTzDbf::SetFieldText(std::string_view name, std::string_view text)
{
    const DbfField& f = field(name, "SetFieldText");
    if (f.type == 'M') {
        SetMemoText(name, text);
        return;
    }
    if (f.type == 'D') {
        SetDateText(name, text);
        return;
    }
    if (f.type == 'C') {
        // Text goes straight into the buffer: the report log sets sixteen of these a record.
        std::string converted;
        const std::string_view value = IsAscii(text) ? text : std::string_view(converted = toStored(text));
        const std::size_t n = std::min<std::size_t>(value.size(), static_cast<std::size_t>(f.length));
        char* at = buffer().data() + 1 + f.offset;
        std::memcpy(at, value.data(), n);
        std::memset(at + n, ' ', static_cast<std::size_t>(f.length) - n);
        return;
    }
    std::string value;
    if (f.type == 'L') {
        const std::string t = Trim(text);
        value = t.empty() ? " " : (std::string_view("TtYy").find(t[0]) != std::string_view::npos ? "T" : "F");
    } else { // N, F
        value = FormatNumber(text, f.length, f.decimals);
    }
    value.resize(static_cast<std::size_t>(f.length), ' ');
    buffer().replace(static_cast<std::size_t>(1 + f.offset), static_cast<std::size_t>(f.length), value);
}

void TTzDbf::SetDateText(std::string_view name, std::string_view text)
{
    const DbfField& f = field(name, "SetDateText");
    const std::string stored = DateDigits(text);
    buffer().replace(static_cast<std::size_t>(1 + f.offset), 8, stored);
}

std::string TTzDbf::GetFieldText(std::string_view name) const
{
    const DbfField& f = field(name, "GetFieldText");
    const std::string_view raw(current().data() + 1 + f.offset, static_cast<std::size_t>(f.length));
    if (f.type == 'C')
        return fromStored(std::string(raw));
    if (IsNullValue(f.type, raw))
        return {};
    return Trim(raw);
}

// Memo fields ---------------------------------------------------------------------------

uint32_t TTzDbf::memoBlock(const DbfField& f) const
{
    return MemoBlockOf(std::string_view(current()).substr(static_cast<std::size_t>(1 + f.offset), f.length));
}

std::string TTzDbf::memoBytes(const DbfField& f) const
{
    if (m_state != State::Browse)
        if (const auto d = m_deferredMemo.find(f.offset); d != m_deferredMemo.end())
            return d->second;
    return m_memo.read(memoBlock(f));
}

void TTzDbf::setMemoBytes(const DbfField& f, const std::string& bytes)
{
    std::string& buf = buffer();
    const uint32_t cur = memoBlock(f);
    m_deferredMemo.erase(f.offset);
    const auto owned = m_ownedMemo.find(f.offset);
    const bool ours = cur != 0 && owned != m_ownedMemo.end() && owned->second == cur;
    uint32_t block = 0;
    if (ours) {
        // A run the buffer wrote itself, which no record refers to: the buffer's to rewrite or free.
        block = m_memo.write(cur, bytes, MemoFile::OldRun::Own);
        m_ownedMemo.erase(owned);
    } else if (m_lockedEdit && cur != 0 && m_memo.fits(cur, bytes.size())) {
        // The edited record's own run, and the text fits: it is rewritten there when the
        // record is posted, so a cancelled edit leaves the text as it was.
        m_deferredMemo[f.offset] = bytes;
        return;
    } else {
        // A run that a record on disk still refers to is left to it; once the buffer has
        // replaced that record (Post) it is freed.
        block = bytes.empty() ? 0 : m_memo.write(0, bytes, MemoFile::OldRun::Keep);
        if (cur != 0)
            m_replacedMemo.push_back(cur);
    }
    if (block != 0)
        m_ownedMemo[f.offset] = block;
    buf.replace(static_cast<std::size_t>(1 + f.offset), static_cast<std::size_t>(f.length),
                MemoBlockField(block, f.length));
}

std::string TTzDbf::GetMemoText(std::string_view name)
{
    const DbfField& f = memoField(name, "GetMemoText");
    std::string text = memoBytes(f);
    if (!isText(text))
        return text;
    return fromStored(text);
}

void TTzDbf::SetMemoText(std::string_view name, std::string_view text)
{
    const DbfField& f = memoField(name, "SetMemoText");
    std::string bytes(text);
    if (isText(bytes)) {
        bytes = Utf8ToAnsi(bytes);
        if (Language == tlOem)
            AnsiToOem(bytes);
    }
    setMemoBytes(f, bytes);
}

std::vector<std::string> TTzDbf::GetMField(std::string_view name)
{
    const DbfField& f = memoField(name, "GetMField");
    const std::string text = memoBytes(f);
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        lines.push_back(
            fromStored(text.substr(start, end == std::string::npos ? std::string::npos : end - start)));
        if (end == std::string::npos)
            break;
        start = end + 2;
    }
    return lines;
}

void TTzDbf::SetMField(std::string_view name, const std::vector<std::string>& lines)
{
    const DbfField& f = memoField(name, "SetMField");
    std::string bytes;
    for (const std::string& line : lines)
        bytes += toStored(line) + "\r\n";
    setMemoBytes(f, bytes);
}

// Locks ---------------------------------------------------------------------------------

bool TTzDbf::ALock()
{
    if (!Active())
        throw TableError(215, "No database in use [ALock]");
    const bool had = m_locks.appendHeld();
    if (!m_locks.takeAppend())
        return false;
    if (!had && !m_exclusive) {
        // Others may have appended since the header was read; the next record goes after theirs,
        // never over the last of them.
        std::string prolog(dbf::PrologSize, '\0');
        if (!m_file.readAt(0, prolog.data(), prolog.size())) {
            m_locks.releaseAll();
            throw TableError(100, "Disk read error: " + m_path + " [ALock]");
        }
        if (const uint32_t count = Get32(prolog, dbf::RecordCount); count != m_header.count) {
            m_header.count = count;
            dropCache();
        }
    }
    return true;
}

void TTzDbf::UnLock()
{
    if (!Active())
        return;
    // Whoever takes the lock next must find every appended record and the count in place.
    flushPending();
    m_locks.releaseAll();
}

// Editing -------------------------------------------------------------------------------

void TTzDbf::AppendRec()
{
    if (!Active())
        throw TableError(215, "No database in use [APPEND]");
    if (!m_locks.appendHeld())
        throw TableError(5, "File must be locked to append: " + m_path + " [APPEND]");
    if (ReadOnly)
        throw TableError(5, "File access denied: " + m_path + " is read-only [APPEND]");
    // A header that counts records the file does not hold (a copy cut short, a damaged file)
    // would put the new record past the end and fill the gap with records of zeros, gigabytes
    // of them for a count near 2^32.
    if (m_pending.empty() && recordOffset(m_header.count + 1) > m_file.size())
        throw TableError(213, "End of file found unexpectedly: record " + std::to_string(m_header.count) +
                                  " of " + m_path + " [APPEND]");
    if (m_state != State::Browse) {
        // The new record takes the texts the buffer wrote. A text it would share with the
        // record it was copied from gets a run of its own: two records never share one.
        for (const DbfField& f : m_header.fields)
            if (f.type == 'M' && memoBlock(f) != 0 && m_ownedMemo.count(f.offset) == 0) {
                const uint32_t block = m_memo.write(0, memoBytes(f), MemoFile::OldRun::Keep);
                m_ownedMemo[f.offset] = block;
                m_buffer.replace(static_cast<std::size_t>(1 + f.offset), f.length,
                                 MemoBlockField(block, f.length));
            }
    }
    std::string rec = m_state != State::Browse ? m_buffer : std::string(m_header.recordLength, ' ');
    rec.resize(m_header.recordLength, ' ');
    m_ownedMemo.clear();
    m_replacedMemo.clear();
    m_deferredMemo.clear();
    if (m_state == State::Edit && m_lockedEdit)
        m_locks.releaseRecord(m_recNo);
    if (m_pending.empty())
        m_pendingFirst = m_header.count + 1;
    m_pending += rec;
    ++m_header.count;
    m_changed = true;
    m_state = State::Browse;
    m_lockedEdit = false;
    m_record = rec;
    m_recNo = m_header.count;
    m_eof = false;
    if (m_pending.size() >= (1u << 20))
        flushPending();
}

void TTzDbf::setFlag(char flag, const char* command)
{
    if (m_eof)
        return;
    const bool held = m_locks.recordHeld(m_recNo);
    if (!held && !m_locks.takeRecord(m_recNo))
        throw TableError(1200, "Record not locked: record " + std::to_string(m_recNo) + " of " + m_path +
                                   " [" + command + "]");
    writeFlag(flag);
    if (!held)
        m_locks.releaseRecord(m_recNo);
}

void TTzDbf::DeleteRec()
{
    setFlag(dbf::Deleted, "DELETE");
}

void TTzDbf::RecallRec()
{
    setFlag(dbf::Active, "RECALL");
}

bool TTzDbf::ToggleDeleted()
{
    if (m_eof)
        return true;
    const bool held = m_locks.recordHeld(m_recNo);
    if (!held && !m_locks.takeRecord(m_recNo))
        return false;
    writeFlag(Deleted() ? dbf::Active : dbf::Deleted);
    if (!held)
        m_locks.releaseRecord(m_recNo);
    return true;
}

bool TTzDbf::Edit()
{
    if (m_eof) {
        Insert();
        return true;
    }
    discardBuffer();
    if (!m_locks.takeRecord(m_recNo))
        return false;
    readRecord(m_recNo, m_record); // what is on disk now, under the lock
    m_state = State::Edit;
    m_lockedEdit = true;
    m_buffer = m_record;
    return true;
}

void TTzDbf::Insert()
{
    discardBuffer();
    m_state = State::Insert;
    m_buffer.assign(m_header.recordLength, ' ');
}

bool TTzDbf::Post()
{
    if (m_state == State::Browse)
        return true;
    if (m_state == State::Insert) {
        const bool hadLock = m_locks.appendHeld();
        if (!hadLock && !ALock())
            return false;
        AppendRec();
        if (!hadLock)
            UnLock();
        return true;
    }
    const bool hadLock = m_locks.recordHeld(m_recNo);
    if (!hadLock && !m_locks.takeRecord(m_recNo))
        return false;
    for (const DbfField& f : m_header.fields)
        if (const auto d = m_deferredMemo.find(f.offset); f.type == 'M' && d != m_deferredMemo.end())
            (void)m_memo.write(memoBlock(f), d->second, MemoFile::OldRun::InPlace);
    m_deferredMemo.clear();
    writeRecord(m_recNo, m_buffer);
    m_record = m_buffer;
    // The record now refers to the buffer's texts: the ones it held before are free.
    std::vector<uint32_t> replaced;
    replaced.swap(m_replacedMemo);
    m_ownedMemo.clear();
    m_state = State::Browse;
    m_lockedEdit = false;
    m_locks.releaseRecord(m_recNo);
    // A record whose memo field pointed past the end of its memo file, or at a free run, may
    // have its new text written at that very block: that block is the text's now, not free.
    auto refersTo = [&](uint32_t block) {
        return std::any_of(m_header.fields.begin(), m_header.fields.end(),
                           [&](const DbfField& f) { return f.type == 'M' && memoBlock(f) == block; });
    };
    for (uint32_t block : replaced)
        if (!refersTo(block))
            (void)m_memo.free(block);
    return true;
}

void TTzDbf::Cancel()
{
    discardBuffer();
}

} // namespace quill::tables
