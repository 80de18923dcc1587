// The table commands that rework whole files: pack, append from another table, index.

#include "tables/TzDbf.h"

#include "tables/FieldValue.h"
#include "tables/FileFormat.h"
#include "tables/Mdx.h"
#include "tables/Text.h"

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <new>

namespace quill::tables {

void TTzDbf::Pack()
{
    if (!Active())
        throw TableError(215, "No database in use [Pack]");
    discardBuffer();
    flushPending();
    const bool shared = !m_exclusive;
    if (shared) {
        Close();
        m_exclusive = true;
        try {
            openFiles();
        } catch (const TableError& e) {
            m_exclusive = false;
            throw TableError(e.number() == 32 ? 225 : e.number(), "Error packing " + m_path);
        }
    }
    try {
        packFiles();
    } catch (const TableError&) {
        if (shared) {
            Close();
            m_exclusive = false;
        }
        throw;
    }
    if (shared) {
        Close();
        m_exclusive = false;
        try {
            openFiles();
        } catch (const TableError& e) {
            throw TableError(e.number(), "Cannot re-open database sharable. " + m_path + " [Pack]");
        }
    } else {
        First();
    }
}

// The kept records and their texts go into new files beside the old ones, and renames put them
// in place as the last step: a pack that fails leaves the table exactly as it was.
void TTzDbf::packFiles()
{
    const std::string failed = "Error packing " + m_path;
    auto fail = [&](int number) { throw TableError(number, failed); };

    TempFile newData(m_files, m_path + ".pack");
    FileHandle data = newData.create(m_file.mode());
    if (!data.valid())
        fail(TableErrorOfErrno(newData.error()));

    const bool memo = m_header.hasMemo;
    const std::string mp = memo ? m_memo.path() : std::string();
    TempFile newMemo(m_files, mp + ".pack");
    FileHandle memoOut;
    const uint32_t blockSize = m_memo.blockSize();
    uint32_t nextBlock = 1;
    std::string memoHeader;
    if (memo) {
        memoOut = newMemo.create(m_file.mode());
        if (!memoOut.valid())
            fail(1012);
        // The old header block as it was (other programs keep things there), the chain empty.
        FileHandle old = FileHandle::Open(m_files, mp, O_RDONLY);
        memoHeader.assign(std::min<std::size_t>(blockSize, static_cast<std::size_t>(old.size())), '\0');
        if (memoHeader.size() < dbt::HeaderSize || !old.readAt(0, memoHeader.data(), memoHeader.size()))
            memoHeader = MemoFile::NewHeader(std::filesystem::path(m_path).stem().string());
    }

    std::string rec, out;
    uint32_t kept = 0;
    uint64_t outAt = m_header.headerLength;
    auto writeOut = [&] {
        if (!data.writeAt(outAt, out))
            fail(101);
        outAt += out.size();
        out.clear();
    };
    for (uint32_t r = 1; r <= m_header.count; ++r) {
        readRecord(r, rec);
        if (rec[0] == dbf::Deleted)
            continue;
        for (const DbfField& f : m_header.fields) {
            if (f.type != 'M')
                continue;
            const std::string_view raw =
                std::string_view(rec).substr(static_cast<std::size_t>(1 + f.offset), f.length);
            const std::string text = m_memo.read(MemoBlockOf(raw));
            if (text.empty()) {
                rec.replace(static_cast<std::size_t>(1 + f.offset), f.length, MemoBlockField(0, f.length));
                continue;
            }
            std::string bytes;
            if (m_header.version == dbf::VersionMemo3) {
                bytes = text + std::string(2, dbf::EndOfFile);
            } else {
                bytes = std::string(dbt::TextMarker) +
                        Le32(static_cast<uint32_t>(text.size() + dbt::TextHeaderSize)) + text;
            }
            const uint32_t blocks = m_header.version == dbf::VersionMemo3
                                        ? static_cast<uint32_t>((bytes.size() + blockSize - 1) / blockSize)
                                        : MemoFile::BlocksFor(text.size(), blockSize);
            bytes.resize(static_cast<std::size_t>(blocks) * blockSize, '\0');
            if (!memoOut.writeAt(static_cast<uint64_t>(nextBlock) * blockSize, bytes))
                fail(1012);
            rec.replace(static_cast<std::size_t>(1 + f.offset), f.length,
                        MemoBlockField(nextBlock, f.length));
            nextBlock += blocks;
        }
        ++kept;
        out += rec;
        if (out.size() >= (1u << 20))
            writeOut();
    }
    out += dbf::EndOfFile;
    writeOut();
    std::string header = m_header.bytes;
    header.replace(0, dbf::PrologSize, UpdatedProlog(m_header.bytes, kept));
    if (!data.writeAt(0, header) || !data.sync())
        fail(101);
    if (memo) {
        Put32(memoHeader, dbt::FreeChain, nextBlock); // no free runs: the chain ends past the end
        if (!memoOut.writeAt(0, memoHeader) || !memoOut.sync() || !memoOut.close())
            fail(1012);
    }
    // The new data file is ours alone before it takes the table's name.
    if (!TableLocks::takeShare(data, true))
        fail(32);

    // The switch: the old memo file steps aside, the new files take the names, and should
    // a rename fail the old memo file comes back.
    const std::string oldMemo = mp + ".old";
    if (memo) {
        if (m_files.rename(mp, oldMemo) != 0)
            fail(1012);
        if (!newMemo.commitTo(mp)) {
            (void)m_files.rename(oldMemo, mp);
            fail(1012);
        }
    }
    if (!newData.commitTo(m_path)) {
        if (memo)
            (void)m_files.rename(oldMemo, mp);
        fail(TableErrorOfErrno(newData.error()));
    }
    if (memo)
        (void)m_files.remove(oldMemo);

    m_locks.detach();
    m_file = std::move(data);
    m_header.count = kept;
    m_header.bytes = header;
    m_locks.attach(m_file, m_header.headerLength, m_header.recordLength, m_exclusive);
    m_changed = false;
    dropCache();
    m_order.clear();
    if (memo) {
        m_memo.close();
        m_memo.open(mp, m_header.version, ReadOnly);
    }
}

void TTzDbf::AppendFrom(std::string path)
{
    path = CompleteFileName(std::move(path), ".DBF");
    std::error_code ec;
    if (std::filesystem::equivalent(path, m_path, ec))
        throw TableError(214, "Attempting to append file to itself. [AppendFrom(" + path + ")]");
    TTzDbf source(m_files);
    source.CreateIfNotFound = false;
    source.Language = Language;
    source.setDbfFileName(path);
    source.Open();
    const std::vector<DbfField>& theirs = source.Fields();
    bool sameFields = theirs.size() == m_header.fields.size();
    for (std::size_t i = 0; sameFields && i < theirs.size(); ++i) {
        const DbfField &a = m_header.fields[i], &b = theirs[i];
        sameFields = a.name == b.name && a.type == b.type && a.length == b.length && a.decimals == b.decimals;
    }
    const bool tookLock = !m_locks.appendHeld();
    if (tookLock && !ALock())
        throw TableError(5, "File must be locked to append: " + m_path + " [APPEND]");
    for (source.First(); !source.Eof(); source.Next()) {
        Insert();
        if (sameFields) {
            m_buffer = source.RecordBytes();
            for (const DbfField& f : m_header.fields)
                if (f.type == 'M') {
                    const std::string_view raw = std::string_view(m_buffer).substr(1 + f.offset, f.length);
                    const std::string text = source.m_memo.read(MemoBlockOf(raw));
                    m_buffer.replace(static_cast<std::size_t>(1 + f.offset), f.length,
                                     MemoBlockField(0, f.length));
                    setMemoBytes(f, text);
                }
        } else {
            for (const DbfField& f : m_header.fields) {
                const DbfField* from = source.FindField(f.name);
                if (!from)
                    continue;
                if (f.type == 'M' && from->type == 'M')
                    SetMemoText(f.name, source.GetMemoText(from->name));
                else if (f.type != 'M' && from->type != 'M')
                    SetFieldText(f.name, source.GetFieldText(from->name));
            }
            m_buffer[0] = source.RecordBytes()[0];
        }
        AppendRec();
    }
    if (tookLock)
        UnLock();
    source.Close();
}

void TTzDbf::IndexOnOne(std::string_view keyExpression, std::string indexName)
{
    if (!Active())
        throw TableError(215, "No database in use [IndexOnOne]");
    flushPending();
    const DbfField& f = field(Trim(keyExpression), "IndexOnOne");
    std::filesystem::path index(CompleteFileName(std::move(indexName), ".MDX"));
    if (!index.has_parent_path())
        index = std::filesystem::path(m_path).parent_path() / index;

    // Keys of every record, in physical order; a stable sort keeps equal keys in that order.
    struct Entry
    {
        std::string text;
        double number;
        uint32_t recNo;
    };
    std::vector<Entry> entries;
    // The header's count may claim more records than the file holds: what is reserved is
    // bounded by the file, and a record that is not there is a short read.
    const uint64_t body = m_file.size() > m_header.headerLength ? m_file.size() - m_header.headerLength : 0;
    const bool character = f.type == 'C';
    try {
        entries.reserve(
            static_cast<std::size_t>(std::min<uint64_t>(m_header.count, body / m_header.recordLength)));
        std::string rec;
        for (uint32_t r = 1; r <= m_header.count; ++r) {
            readRecord(r, rec);
            const std::string_view raw =
                std::string_view(rec).substr(static_cast<std::size_t>(1 + f.offset), f.length);
            Entry e{std::string(), 0, r};
            if (character)
                e.text = raw; // stored bytes: compared as the index holds them
            else if (f.type == 'D')
                e.number = DateKey(raw);
            else
                e.number = NumberKey(raw); // null values sort as blanks do
            entries.push_back(std::move(e));
        }
    } catch (const std::bad_alloc&) {
        throw TableError(217, "Insufficient memory to index " + m_path + " [IndexOnOne]");
    }
    if (character)
        std::stable_sort(entries.begin(), entries.end(),
                         [](const Entry& a, const Entry& b) { return a.text < b.text; });
    else
        std::stable_sort(entries.begin(), entries.end(),
                         [](const Entry& a, const Entry& b) { return a.number < b.number; });

    MdxKeys keys;
    keys.tableName = std::filesystem::path(m_path).stem().string();
    keys.field = f.name;
    keys.type = f.type == 'C' ? 'C' : f.type == 'D' ? 'D' : 'N';
    keys.keyLength = f.type == 'C' ? f.length : f.type == 'D' ? 8 : 12;
    keys.fieldLength = f.length; // numeric keys carry the field's width
    for (const Entry& e : entries) {
        keys.text.push_back(e.text);
        keys.number.push_back(e.number);
        keys.recNo.push_back(e.recNo);
    }
    if (auto error = WriteMdx(m_files, index.string(), keys))
        throw TableError(error->first, std::string(error->second) + ": " + index.string() + " [IndexOnOne]");

    m_order.clear();
    for (const Entry& e : entries)
        m_order.push_back(e.recNo);
    First();
}

} // namespace quill::tables
