#include "TzDbf.h"

#include "CodePage.h"
#include "Mdx.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <exception>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace quill::tables {

namespace {

// Writers announce themselves with byte-range locks past any real data, from this base.
constexpr uint64_t LockBase = 0x40000000;
// Every open holds a shared lock on this byte and an exclusive open an exclusive one, so an
// exclusive user and any other user of the table refuse each other.
constexpr uint64_t ShareByte = 0x80000000;

constexpr uint8_t DescriptorEnd = 0x0D;
constexpr uint8_t EndOfFile = 0x1A;

uint16_t get16(const std::string& b, std::size_t at)
{
    return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | (static_cast<uint8_t>(b[at + 1]) << 8));
}
uint32_t get32(const std::string& b, std::size_t at)
{
    return static_cast<uint32_t>(static_cast<uint8_t>(b[at])) | (static_cast<uint32_t>(static_cast<uint8_t>(b[at + 1])) << 8) |
           (static_cast<uint32_t>(static_cast<uint8_t>(b[at + 2])) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24);
}
void put16(std::string& b, std::size_t at, uint16_t v)
{
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>(v >> 8);
}
void put32(std::string& b, std::size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::string trimmedItem(std::string_view s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= 32)
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32)
        --e;
    return std::string(s.substr(b, e - b));
}

std::string upper(std::string s)
{
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

bool ascii(std::string_view s)
{
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// A whole number as the field lists write them: "+" dropped, separators and one "$" removed,
// cut at the first blank, then the leading run of digits and "-".
int listNumber(std::string s)
{
    if (!s.empty() && s[0] == '+')
        s.erase(0, 1);
    std::string t;
    bool dollar = false;
    for (char c : s) {
        if (c == ',' || c == '.')
            continue;
        if (c == '$' && !dollar) {
            dollar = true;
            continue;
        }
        t += c;
    }
    if (auto blank = t.find(' '); blank != std::string::npos)
        t.resize(blank);
    std::string run;
    for (char c : t) {
        if ((c >= '0' && c <= '9') || c == '-')
            run += c;
        else
            break;
    }
    if (run.find_first_of("0123456789") == std::string::npos)
        return 0;
    try {
        return std::clamp(std::stoi(run), -100000, 100000);
    } catch (...) {
        return 0;
    }
}

std::string today()
{
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    std::string d(3, '\0');
    d[0] = static_cast<char>(tm.tm_year);
    d[1] = static_cast<char>(tm.tm_mon + 1);
    d[2] = static_cast<char>(tm.tm_mday);
    return d;
}

int errnoToTable(int e)
{
    switch (e) {
    case ENOENT:
        return 2;
    case ENOTDIR:
        return 3;
    case EMFILE:
    case ENFILE:
        return 4;
    case EACCES:
    case EPERM:
    case EROFS:
        return 5;
    case ENOSPC:
        return 1004;
    default:
        return 100;
    }
}

bool readAll(int fd, uint64_t offset, char* into, std::size_t n)
{
    std::size_t done = 0;
    while (done < n) {
        ssize_t r = ::pread(fd, into + done, n - done, static_cast<off_t>(offset + done));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;
        done += static_cast<std::size_t>(r);
    }
    return true;
}

bool writeAll(int fd, uint64_t offset, const char* from, std::size_t n)
{
    std::size_t done = 0;
    while (done < n) {
        ssize_t r = ::pwrite(fd, from + done, n - done, static_cast<off_t>(offset + done));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;
        done += static_cast<std::size_t>(r);
    }
    return true;
}

uint64_t fileSize(int fd)
{
    struct stat st {};
    return ::fstat(fd, &st) == 0 ? static_cast<uint64_t>(st.st_size) : 0;
}

bool ofdLock(int fd, short type, uint64_t offset, uint64_t length)
{
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(offset);
    fl.l_len = static_cast<off_t>(length);
    fl.l_pid = 0;
    return ::fcntl(fd, F_OFD_SETLK, &fl) == 0;
}

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

// Days since 4713 BC of a Gregorian date: the value of a dBase date key.
double julianDay(int y, int m, int d)
{
    const int a = (14 - m) / 12;
    const int yy = y + 4800 - a;
    const int mm = m + 12 * a - 3;
    return d + (153 * mm + 2) / 5 + 365 * yy + yy / 4 - yy / 100 + yy / 400 - 32045;
}

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
    path = trimmedItem(path);
    if (path.empty() || path.back() == '.')
        return path;
    const std::filesystem::path p(path);
    if (!p.has_extension())
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
    if (!std::filesystem::exists(p)) {
        std::filesystem::path other = p;
        other.replace_extension(lower ? ".DBT" : ".dbt");
        if (std::filesystem::exists(other))
            return other.string();
    }
    return p.string();
}

// Creation ------------------------------------------------------------------------------

void TTzDbf::create()
{
    auto fail = [&] {
        if (ShowMessage)
            ShowMessage("Could not create \"" + m_path + "\"");
        throw TableError(2, "Failure to open " + m_path + " [USE/OpenDbf]");
    };
    if (DbfFields.empty()) {
        if (ShowMessage)
            ShowMessage("FieldList.Count is <= 0 trying to create a database");
        fail();
    }
    std::vector<DbfField> fields;
    for (const std::string& line : DbfFields) {
        if (std::count(line.begin(), line.end(), ',') != 3)
            fail();
        std::vector<std::string> items;
        std::size_t start = 0;
        for (int i = 0; i < 4; ++i) {
            std::size_t comma = line.find(',', start);
            items.push_back(trimmedItem(line.substr(start, comma == std::string::npos ? std::string::npos : comma - start)));
            start = comma + 1;
        }
        DbfField f;
        f.name = items[0].substr(0, 10);
        const char written = items[1].empty() ? ' ' : items[1][0];
        f.type = static_cast<char>(written >= 'a' && written <= 'z' ? written - 'a' + 'A' : written);
        f.length = listNumber(items[2]);
        f.decimals = listNumber(items[3]);
        if (f.type == 'X')
            continue;
        const DbfField asWritten{f.name, written, f.length, f.decimals, 0};
        if (f.type == 'B' || f.type == 'G' || f.type == 'P')
            f.type = 'M';
        if (std::string("CDFLMN").find(f.type) == std::string::npos)
            f.type = 'C';
        if (f.type == 'N') {
            if (f.length > 20)
                f.length = 20;
            if (f.decimals > 18)
                f.decimals = 18;
            if (f.decimals > 0 && f.length - f.decimals < 2)
                f.decimals = std::max(0, f.length - 2);
        }
        if (f.type == 'C' && f.length >= 255) {
            f.length = 254; // a C field holds at most 254 bytes
            f.decimals = 0;
        }
        if (f.type != asWritten.type || f.length != asWritten.length || f.decimals != asWritten.decimals) {
            if (ShowMessage) {
                char text[512];
                std::snprintf(text, sizeof text,
                              "Invalid field definition for %s: %s,%c,%d,%d. Will use corrected definition: %s,%c,%d,%d",
                              Name.c_str(), asWritten.name.c_str(), asWritten.type, asWritten.length,
                              asWritten.decimals, f.name.c_str(), f.type, f.length, f.decimals);
                ShowMessage(text);
            }
        }
        if (f.type == 'D')
            f.length = 8;
        else if (f.type == 'L')
            f.length = 1;
        else if (f.type == 'M')
            f.length = 10;
        if (f.type != 'N' && f.type != 'F')
            f.decimals = 0;
        if (f.length <= 0 || f.length > 254 || f.decimals < 0)
            fail();
        f.name = upper(f.name);
        fields.push_back(f);
    }
    if (fields.empty() || fields.size() > 255)
        fail();

    const bool memo = std::any_of(fields.begin(), fields.end(), [](const DbfField& f) { return f.type == 'M'; });
    const uint16_t headerLength = static_cast<uint16_t>(32 * fields.size() + 33);
    int recordLength = 1;
    for (const DbfField& f : fields)
        recordLength += f.length;
    if (recordLength > 65535)
        fail();
    std::string header(headerLength, '\0');
    header[0] = static_cast<char>(memo ? 0x8B : 0x03);
    header.replace(1, 3, today());
    put32(header, 4, 0);
    put16(header, 8, headerLength);
    put16(header, 10, static_cast<uint16_t>(recordLength));
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::size_t d = 32 + 32 * i;
        header.replace(d, fields[i].name.size(), fields[i].name);
        header[d + 11] = fields[i].type;
        header[d + 16] = static_cast<char>(fields[i].length);
        header[d + 17] = static_cast<char>(fields[i].decimals);
    }
    header[headerLength - 1] = static_cast<char>(DescriptorEnd);
    header += static_cast<char>(EndOfFile);

    const int fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || !writeAll(fd, 0, header.data(), header.size())) {
        if (fd >= 0)
            ::close(fd);
        fail();
    }
    ::close(fd);
    if (memo) {
        std::string mh(24, '\0');
        put32(mh, 0, 1);
        const std::string base = std::filesystem::path(m_path).stem().string().substr(0, 8);
        mh.replace(8, base.size(), base);
        mh[18] = 0x02;
        mh[19] = 0x01;
        put16(mh, 20, 512);
        const std::string mp = memoPath();
        const int mfd = ::open(mp.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (mfd < 0 || !writeAll(mfd, 0, mh.data(), mh.size())) {
            if (mfd >= 0)
                ::close(mfd);
            fail();
        }
        ::close(mfd);
    }
}

// Open and close ------------------------------------------------------------------------

void TTzDbf::Open()
{
    if (Active())
        return;
    if (m_path.empty())
        throw TableError(2, "Failure to open " + m_path + " [USE/OpenDbf]");
    if (!std::filesystem::exists(m_path)) {
        if (!CreateIfNotFound)
            throw TableError(2, "Failure to open " + m_path + " [USE/OpenDbf]");
        create();
    }
    openFiles();
}

void TTzDbf::openFiles()
{
    const int fd = ::open(m_path.c_str(), (ReadOnly ? O_RDONLY : O_RDWR) | O_CLOEXEC);
    if (fd < 0)
        throw TableError(errnoToTable(errno), "Failure to open " + m_path + " [USE/OpenDbf]");
    m_fd = fd;
    if (!ofdLock(m_fd, m_exclusive ? F_WRLCK : F_RDLCK, ShareByte, 1)) {
        ::close(m_fd);
        m_fd = -1;
        throw TableError(32, "Failure to open " + m_path + " [USE/OpenDbf]");
    }
    try {
        readHeader();
        if (m_hasMemo) {
            const std::string mp = memoPath();
            m_memoFd = ::open(mp.c_str(), (ReadOnly ? O_RDONLY : O_RDWR) | O_CLOEXEC);
            if (m_memoFd < 0)
                throw TableError(2, "Memo file not found: " + mp + " [USE]");
            std::string mh(24, '\0');
            m_blockSize = 512;
            if (m_version != 0x83 && readAll(m_memoFd, 0, mh.data(), mh.size())) {
                const uint16_t bs = get16(mh, 20);
                if (bs >= 32 && bs <= 32768)
                    m_blockSize = bs;
            }
        }
    } catch (...) {
        if (m_memoFd >= 0)
            ::close(m_memoFd);
        ::close(m_fd);
        m_fd = m_memoFd = -1;
        throw;
    }
    m_changed = false;
    m_state = State::Browse;
    m_order.clear();
    m_pending.clear();
    dropCache();
    First();
}

void TTzDbf::readHeader()
{
    std::string prolog(32, '\0');
    const std::string notDbase = m_path + " is not a dBASE database.";
    if (!readAll(m_fd, 0, prolog.data(), 32))
        throw TableError(210, notDbase + " (" + "Prolog is less than 32 bytes" + ") [USE/OpenDBF]");
    const auto version = static_cast<uint8_t>(prolog[0]);
    // dBase III and IV tables, with and without memo; the other variants lay out differently.
    if (version != 0x03 && version != 0x83 && version != 0x8B)
        throw TableError(210, notDbase + "(" + "Invalid version byte" + ")+ [USE/OpenDBF]");
    const uint16_t headerLength = get16(prolog, 8);
    const int fieldSlots = headerLength >= 33 ? (headerLength - 33) / 32 : 0;
    if (fieldSlots < 1 || fieldSlots > 255)
        throw TableError(210, notDbase + " (" + "Number of fields is out of range" + ") [Use/OpenDbf]");
    std::string header(headerLength, '\0');
    if (!readAll(m_fd, 0, header.data(), header.size()))
        throw TableError(213, "End of file found unexpectedly: " + m_path + " [USE/OpenDBF]");
    std::vector<DbfField> fields;
    int offset = 0;
    bool memo = false;
    for (int i = 0; i < fieldSlots; ++i) {
        const std::size_t d = 32 + 32 * static_cast<std::size_t>(i);
        if (static_cast<uint8_t>(header[d]) == DescriptorEnd)
            break;
        DbfField f;
        std::string name = header.substr(d, 11);
        name.resize(std::strlen(name.c_str()));
        f.name = upper(trimmedItem(name));
        f.type = header[d + 11];
        f.length = static_cast<uint8_t>(header[d + 16]);
        f.decimals = static_cast<uint8_t>(header[d + 17]);
        if (std::string("CDNFLM").find(f.type) == std::string::npos || f.type == '\0')
            throw TableError(211, "Invalid field type '" + std::string(1, f.type) + "' in " + m_path + " [USE/OpenDBF]");
        if (f.type == 'C' && f.decimals > 0)
            f.length += 256 * f.decimals; // long character fields of other programs
        if (f.length <= 0)
            throw TableError(210, notDbase + " (Field " + f.name + " has no length) [USE/OpenDBF]");
        f.offset = offset;
        offset += f.length;
        memo |= f.type == 'M';
        fields.push_back(f);
    }
    if (fields.empty())
        throw TableError(210, notDbase + " (" + "Number of fields is out of range" + ") [Use/OpenDbf]");
    const uint16_t recordLength = get16(prolog, 10);
    if (offset + 1 > recordLength)
        throw TableError(210, notDbase + " (Record length does not hold the fields) [USE/OpenDBF]");
    m_header = header;
    m_version = version;
    m_count = get32(prolog, 4);
    m_headerLength = headerLength;
    m_recordLength = recordLength;
    m_fields = std::move(fields);
    m_hasMemo = memo;
}

void TTzDbf::writeHeader()
{
    std::string h = m_header.substr(0, 32);
    h.replace(1, 3, today());
    put32(h, 4, m_count);
    if (!writeAll(m_fd, 0, h.data(), h.size()))
        throw TableError(101, "File:  " + m_path + " [Replace/Append/PutDbfRecord]");
    const char eof = static_cast<char>(EndOfFile);
    const uint64_t end = m_headerLength + static_cast<uint64_t>(m_count) * m_recordLength;
    if (!writeAll(m_fd, end, &eof, 1))
        throw TableError(101, "File:  " + m_path + " [Replace/Append/PutDbfRecord]");
}

void TTzDbf::Close()
{
    if (!Active())
        return;
    std::exception_ptr failure;
    try {
        flushPending();
        if (m_changed && !ReadOnly)
            writeHeader();
    } catch (...) {
        failure = std::current_exception();
        m_pending.clear(); // reported below; the files are closed all the same
    }
    UnLock();
    ::close(m_fd);
    if (m_memoFd >= 0)
        ::close(m_memoFd);
    m_fd = m_memoFd = -1;
    m_state = State::Browse;
    m_order.clear();
    m_recNo = 0;
    m_eof = true;
    if (failure)
        std::rethrow_exception(failure);
}

// Records -------------------------------------------------------------------------------

uint64_t TTzDbf::recordOffset(uint32_t recNo) const
{
    return m_headerLength + static_cast<uint64_t>(recNo - 1) * m_recordLength;
}

void TTzDbf::readRecord(uint32_t recNo, std::string& into) const
{
    if (!m_pending.empty())
        const_cast<TTzDbf*>(this)->flushPending();
    if (m_cacheCount == 0 || recNo < m_cacheFirst || recNo >= m_cacheFirst + m_cacheCount) {
        // Read ahead up to 64 KB of the records that follow.
        const uint32_t want = std::max<uint32_t>(1, std::min<uint32_t>(65536 / std::max<uint16_t>(m_recordLength, 1),
                                                                       m_count >= recNo ? m_count - recNo + 1 : 1));
        m_cache.resize(static_cast<std::size_t>(want) * m_recordLength);
        const uint64_t at = recordOffset(recNo);
        ssize_t got = ::pread(m_fd, m_cache.data(), m_cache.size(), static_cast<off_t>(at));
        const uint32_t whole = got > 0 ? static_cast<uint32_t>(static_cast<std::size_t>(got) / m_recordLength) : 0;
        if (whole == 0) {
            m_cacheCount = 0;
            throw TableError(213, "End of file found unexpectedly: record " + std::to_string(recNo) + " of " + m_path);
        }
        m_cacheFirst = recNo;
        m_cacheCount = whole;
    }
    into.assign(m_cache, static_cast<std::size_t>(recNo - m_cacheFirst) * m_recordLength, m_recordLength);
}

void TTzDbf::patchCache(uint32_t recNo, std::size_t at, std::string_view bytes) const
{
    if (m_cacheCount > 0 && recNo >= m_cacheFirst && recNo < m_cacheFirst + m_cacheCount)
        m_cache.replace(static_cast<std::size_t>(recNo - m_cacheFirst) * m_recordLength + at, bytes.size(), bytes);
}

void TTzDbf::flushPending()
{
    if (m_pending.empty())
        return;
    dropCache();
    if (!writeAll(m_fd, recordOffset(m_pendingFirst), m_pending.data(), m_pending.size()))
        throw TableError(101, "File:  " + m_path + " [Replace/Append/PutDbfRecord]");
    m_pending.clear();
    m_changed = true;
    writeHeader();
}

void TTzDbf::writeRecord(uint32_t recNo, const std::string& bytes)
{
    flushPending();
    if (ReadOnly)
        throw TableError(5, "File access denied: " + m_path + " is read-only [Replace/Append/PutDbfRecord]");
    if (!writeAll(m_fd, recordOffset(recNo), bytes.data(), bytes.size()))
        throw TableError(101, "File:  " + m_path + " [Replace/Append/PutDbfRecord]");
    patchCache(recNo, 0, bytes);
    m_changed = true;
}

void TTzDbf::writeFlag(char flag)
{
    flushPending();
    if (!writeAll(m_fd, recordOffset(m_recNo), &flag, 1))
        throw TableError(101, "File:  " + m_path + " [Replace/Append/PutDbfRecord]");
    patchCache(m_recNo, 0, std::string_view(&flag, 1));
    m_record[0] = flag;
    m_changed = true;
}

void TTzDbf::load(uint32_t recNo)
{
    m_recNo = recNo;
    m_eof = recNo == 0 || recNo > m_count;
    if (m_eof)
        m_record.assign(m_recordLength, ' ');
    else
        readRecord(recNo, m_record);
}

void TTzDbf::skipHidden()
{
    while (HideDeletedRecs && !m_eof && !m_record.empty() && m_record[0] == '*')
        Next();
}

void TTzDbf::First()
{
    m_state = State::Browse;
    m_bufferStarted = false;
    if (!m_order.empty()) {
        m_orderPos = 0;
        load(m_order[0]);
    } else {
        load(m_count > 0 ? 1 : 0);
    }
    skipHidden();
}

void TTzDbf::Next()
{
    if (m_eof)
        return;
    m_state = State::Browse;
    m_bufferStarted = false;
    if (!m_order.empty()) {
        ++m_orderPos;
        if (m_orderPos >= m_order.size()) {
            m_eof = true;
            return;
        }
        load(m_order[m_orderPos]);
    } else {
        if (m_recNo >= m_count) {
            m_eof = true;
            return;
        }
        load(m_recNo + 1);
    }
    skipHidden();
}

void TTzDbf::Go(uint32_t recNo)
{
    if (recNo < 1 || recNo > m_count)
        throw TableError(212, "Request beyond range: record " + std::to_string(recNo) + " of " + m_path);
    m_state = State::Browse;
    m_bufferStarted = false;
    load(recNo);
}

bool TTzDbf::Deleted() const { return !m_eof && !m_record.empty() && m_record[0] == '*'; }

void TTzDbf::Refresh()
{
    flushPending();
    dropCache();
    std::string prolog(32, '\0');
    if (readAll(m_fd, 0, prolog.data(), 32))
        m_count = get32(prolog, 4); // another user may have appended or packed
    if (m_recNo >= 1 && m_recNo <= m_count)
        load(m_recNo);
}

// Fields --------------------------------------------------------------------------------

const DbfField* TTzDbf::FindField(std::string_view name) const
{
    // Callers go through the fields in order: try the one after the last found first.
    const std::size_t n = m_fields.size();
    for (std::size_t k = 0; k < n; ++k) {
        const std::size_t i = (m_lastField + 1 + k) % n;
        if (sameName(m_fields[i].name, name)) {
            m_lastField = i;
            return &m_fields[i];
        }
    }
    return nullptr;
}

const DbfField& TTzDbf::field(std::string_view name, const char* command) const
{
    const DbfField* f = FindField(name);
    if (!f)
        throw TableError(220, "Field \"" + std::string(name) + "\" not in \"" + m_path + "\" [" + command + "]");
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
            actual = "Numeric, width: " + std::to_string(f.length) + " decimals: " + std::to_string(f.decimals);
        }
        throw TableError(220, "\"" + std::string(command) + "()\" expects field \"" + f.name + "\" to be of type:\r\n\"" +
                                  "memo\".\"" + f.name + "\" actually is: \"" + actual + "\"");
    }
    return f;
}

std::string TTzDbf::toStored(std::string_view utf8) const
{
    if (ascii(utf8))
        return std::string(utf8); // the same bytes in every code page here
    std::string bytes = Utf8ToAnsi(utf8);
    if (Language == tlOem)
        AnsiToOem(bytes);
    return bytes;
}

std::string TTzDbf::fromStored(std::string bytes) const
{
    if (ascii(bytes))
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
        m_buffer = m_eof ? std::string(m_recordLength, ' ') : m_record;
    }
    m_bufferStarted = true;
}

std::string& TTzDbf::buffer()
{
    startEditing();
    return m_buffer;
}

void TTzDbf::ClearRecord() { buffer().assign(m_recordLength, ' '); }

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
        std::string& buf = buffer();
        const std::string value = toStored(text);
        const std::size_t n = std::min<std::size_t>(value.size(), static_cast<std::size_t>(f.length));
        char* at = buf.data() + 1 + f.offset;
        std::memcpy(at, value.data(), n);
        std::memset(at + n, ' ', static_cast<std::size_t>(f.length) - n);
        return;
    }
    std::string value;
    if (f.type == 'L') {
        const std::string t = trimmedItem(text);
        value = t.empty() ? " " : (std::string("TtYy").find(t[0]) != std::string::npos ? "T" : "F");
    } else { // N, F
        const std::string t = trimmedItem(text);
        if (!t.empty()) {
            char* end = nullptr;
            const double v = std::strtod(t.c_str(), &end);
            if (!end || *end != '\0' || !std::isfinite(v))
                throw std::invalid_argument("'" + t + "' is not a valid floating point value");
            char num[64];
            std::snprintf(num, sizeof num, "%.*f", f.decimals, v);
            value = num;
            if (static_cast<int>(value.size()) > f.length)
                value = std::string(static_cast<std::size_t>(f.length), '*');
            else
                value = std::string(static_cast<std::size_t>(f.length) - value.size(), ' ') + value;
        }
    }
    value.resize(static_cast<std::size_t>(f.length), ' ');
    buffer().replace(static_cast<std::size_t>(1 + f.offset), static_cast<std::size_t>(f.length), value);
}

void TTzDbf::SetDateText(std::string_view name, std::string_view text)
{
    const DbfField& f = field(name, "SetDateText");
    std::string t(text.substr(0, 10));
    while (!t.empty() && t.back() == ' ')
        t.pop_back();
    std::string stored(8, ' ');
    const bool empty = t.empty() || t == "  /  /" || t == "  /  /    " ||
                       std::all_of(t.begin(), t.end(), [](char c) { return c == ' ' || c == '/'; });
    if (!empty) {
        int y = 0, m = 0, d = 0;
        char tail = 0;
        auto number = [&](std::size_t at, std::size_t n) {
            int v = 0;
            for (std::size_t i = at; i < at + n; ++i)
                v = v * 10 + (t[i] - '0');
            return v;
        };
        if (t.size() == 8 && std::all_of(t.begin(), t.end(), ::isdigit)) {
            y = number(0, 4);
            m = number(4, 2);
            d = number(6, 2);
        } else if (t.size() == 10 && t[2] == '/' && t[5] == '/' &&
                   std::all_of(t.begin(), t.end(), [](char c) { return c == '/' || (c >= '0' && c <= '9'); })) {
            m = number(0, 2); // the short date form the program writes: MM/DD/YYYY
            d = number(3, 2);
            y = number(6, 4);
        } else if (std::sscanf(t.c_str(), "%d/%d/%d%c", &m, &d, &y, &tail) == 3) {
            // the system's short date form: month/day/year
        } else if (std::sscanf(t.c_str(), "%d-%d-%d%c", &y, &m, &d, &tail) != 3) {
            throw std::invalid_argument("'" + t + "' is not a valid date");
        }
        if (y < 100 && t.find('/') != std::string::npos)
            y += y < 50 ? 2000 : 1900;
        if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > 31)
            throw std::invalid_argument("'" + t + "' is not a valid date");
        char digits[16];
        std::snprintf(digits, sizeof digits, "%04d%02d%02d", y, m, d);
        stored = digits;
    }
    buffer().replace(static_cast<std::size_t>(1 + f.offset), 8, stored);
}

std::string TTzDbf::GetFieldText(std::string_view name) const
{
    const DbfField& f = field(name, "GetFieldText");
    const std::string& rec = (m_state != State::Browse && m_bufferStarted) ? m_buffer : m_record;
    const std::string_view raw(rec.data() + 1 + f.offset, static_cast<std::size_t>(f.length));
    if (f.type == 'C')
        return fromStored(std::string(raw));
    return trimmedItem(raw);
}

// Memo file -----------------------------------------------------------------------------

uint32_t TTzDbf::memoBlockField(const std::string& record, const DbfField& f) const
{
    const std::string t = trimmedItem(record.substr(static_cast<std::size_t>(1 + f.offset), static_cast<std::size_t>(f.length)));
    if (t.empty() || !std::all_of(t.begin(), t.end(), ::isdigit))
        return 0;
    return static_cast<uint32_t>(std::min<unsigned long long>(std::stoull(t), 0xFFFFFFFFull));
}

void TTzDbf::setMemoBlockField(std::string& record, const DbfField& f, uint32_t block) const
{
    std::string t = block == 0 ? std::string() : std::to_string(block);
    t = std::string(static_cast<std::size_t>(f.length) - std::min<std::size_t>(t.size(), static_cast<std::size_t>(f.length)), ' ') + t;
    record.replace(static_cast<std::size_t>(1 + f.offset), static_cast<std::size_t>(f.length), t);
}

uint32_t TTzDbf::memoEndBlock() const
{
    const uint64_t size = fileSize(m_memoFd);
    return static_cast<uint32_t>((size + m_blockSize - 1) / m_blockSize);
}

std::string TTzDbf::readMemo(uint32_t block)
{
    if (block == 0)
        return {};
    const uint64_t size = fileSize(m_memoFd);
    const uint64_t at = static_cast<uint64_t>(block) * m_blockSize;
    if (at >= size)
        throw TableError(1003, "Invalid memo address: block " + std::to_string(block) + " of " + memoPath());
    char head[8];
    if (m_version == 0x8B && size - at >= 8 && readAll(m_memoFd, at, head, 8) &&
        static_cast<uint8_t>(head[0]) == 0xFF && static_cast<uint8_t>(head[1]) == 0xFF &&
        static_cast<uint8_t>(head[2]) == 0x08 && head[3] == 0) {
        const uint32_t stored = get32(std::string(head, 8), 4);
        if (stored < 8 || at + stored > size)
            throw TableError(1003, "Invalid memo address: the text at block " + std::to_string(block) +
                                       " runs past the end of " + memoPath());
        std::string text(stored - 8, '\0');
        if (!readAll(m_memoFd, at + 8, text.data(), text.size()))
            throw TableError(1003, "Invalid memo address: block " + std::to_string(block) + " of " + memoPath());
        return text;
    }
    // dBase III: the text ends at the first end-of-file byte (or the end of the file).
    std::string text;
    std::string chunk(m_blockSize, '\0');
    for (uint64_t pos = at; pos < size; pos += m_blockSize) {
        const std::size_t n = static_cast<std::size_t>(std::min<uint64_t>(m_blockSize, size - pos));
        if (!readAll(m_memoFd, pos, chunk.data(), n))
            break;
        const std::size_t stop = std::string_view(chunk.data(), n).find(static_cast<char>(EndOfFile));
        text.append(chunk.data(), stop == std::string::npos ? n : stop);
        if (stop != std::string::npos)
            break;
    }
    return text;
}

void TTzDbf::freeRun(uint32_t block, uint32_t blocks)
{
    if (blocks == 0)
        return;
    std::string head(4, '\0');
    readAll(m_memoFd, 0, head.data(), 4);
    std::string link(8, '\0');
    put32(link, 0, get32(head, 0));
    put32(link, 4, blocks);
    std::string newHead(4, '\0');
    put32(newHead, 0, block);
    if (!writeAll(m_memoFd, static_cast<uint64_t>(block) * m_blockSize, link.data(), 8) ||
        !writeAll(m_memoFd, 0, newHead.data(), 4))
        throw TableError(1005, "Memo file write error: " + memoPath());
}

uint32_t TTzDbf::takeRun(uint32_t blocks)
{
    const uint32_t end = memoEndBlock();
    std::string head(4, '\0');
    if (!readAll(m_memoFd, 0, head.data(), 4))
        throw TableError(1003, "Invalid memo address: the header of " + memoPath());
    uint64_t prevAt = 0; // where the pointer to the current link is stored (0: the header)
    uint32_t cur = get32(head, 0);
    auto setPointer = [&](uint64_t where, uint32_t value) {
        std::string v(4, '\0');
        put32(v, 0, value);
        if (!writeAll(m_memoFd, where, v.data(), 4))
            throw TableError(1005, "Memo file write error: " + memoPath());
    };
    for (int examined = 0; examined < 100 && cur != 0 && cur < end; ++examined) {
        std::string link(8, '\0');
        if (!readAll(m_memoFd, static_cast<uint64_t>(cur) * m_blockSize, link.data(), 8))
            break;
        const uint32_t next = get32(link, 0);
        const uint32_t length = get32(link, 4);
        if (length >= blocks && length > 0 && static_cast<uint64_t>(cur) + length <= end) {
            if (length == blocks) {
                setPointer(prevAt, next);
            } else {
                std::string rest(8, '\0');
                put32(rest, 0, next);
                put32(rest, 4, length - blocks);
                if (!writeAll(m_memoFd, static_cast<uint64_t>(cur + blocks) * m_blockSize, rest.data(), 8))
                    throw TableError(1005, "Memo file write error: " + memoPath());
                setPointer(prevAt, cur + blocks);
            }
            return cur;
        }
        if (next == cur)
            break; // a chain that loops on itself
        prevAt = static_cast<uint64_t>(cur) * m_blockSize;
        cur = next;
    }
    // At the end of the file: the link that pointed at the end moves to the new end.
    if (cur == end)
        setPointer(prevAt, end + blocks);
    else
        setPointer(0, get32(head, 0) == end ? end + blocks : get32(head, 0));
    return end;
}

uint32_t TTzDbf::writeMemo(uint32_t oldBlock, const std::string& bytes)
{
    if (m_memoFd < 0)
        throw TableError(1019, "Invalid memo operation: " + m_path + " has no memo file");
    if (bytes.empty()) {
        return 0;
    }
    if (m_version == 0x83) {
        // dBase III: texts are only ever added, ended by two end-of-file bytes.
        std::string head(4, '\0');
        readAll(m_memoFd, 0, head.data(), 4);
        uint32_t block = std::max(get32(head, 0), memoEndBlock());
        block = std::max<uint32_t>(block, 1);
        std::string data = bytes + std::string(2, static_cast<char>(EndOfFile));
        const uint32_t blocks = static_cast<uint32_t>((data.size() + m_blockSize - 1) / m_blockSize);
        data.resize(static_cast<std::size_t>(blocks) * m_blockSize, '\0');
        std::string next(4, '\0');
        put32(next, 0, block + blocks);
        if (!writeAll(m_memoFd, static_cast<uint64_t>(block) * m_blockSize, data.data(), data.size()) ||
            !writeAll(m_memoFd, 0, next.data(), 4))
            throw TableError(1005, "Memo file write error: " + memoPath());
        return block;
    }
    const uint32_t needed = static_cast<uint32_t>((bytes.size() + 8) / m_blockSize + 1);
    uint32_t block = 0;
    if (oldBlock != 0 && static_cast<uint64_t>(oldBlock) * m_blockSize < fileSize(m_memoFd)) {
        char head[8];
        if (readAll(m_memoFd, static_cast<uint64_t>(oldBlock) * m_blockSize, head, 8) &&
            static_cast<uint8_t>(head[0]) == 0xFF && static_cast<uint8_t>(head[1]) == 0xFF) {
            const uint32_t stored = get32(std::string(head, 8), 4);
            const uint32_t had = stored / m_blockSize + 1;
            if (needed <= had) {
                block = oldBlock; // fits in its run: rewrite in place, free the rest
                freeRun(oldBlock + needed, had - needed);
            } else {
                freeRun(oldBlock, had);
            }
        }
    }
    if (block == 0)
        block = takeRun(needed);
    std::string data(8, '\0');
    data[0] = static_cast<char>(0xFF);
    data[1] = static_cast<char>(0xFF);
    data[2] = 0x08;
    put32(data, 4, static_cast<uint32_t>(bytes.size() + 8));
    data += bytes;
    const uint64_t at = static_cast<uint64_t>(block) * m_blockSize;
    const uint64_t runEnd = at + static_cast<uint64_t>(needed) * m_blockSize;
    if (runEnd > fileSize(m_memoFd))
        data.resize(static_cast<std::size_t>(runEnd - at), '\0'); // whole blocks at the end of the file
    if (!writeAll(m_memoFd, at, data.data(), data.size()))
        throw TableError(1005, "Memo file write error: " + memoPath());
    return block;
}

std::string TTzDbf::GetMemoText(std::string_view name)
{
    const DbfField& f = memoField(name, "GetMemoText");
    const std::string& rec = (m_state != State::Browse && m_bufferStarted) ? m_buffer : m_record;
    std::string text = readMemo(memoBlockField(rec, f));
    if (!isText(text))
        return text;
    return fromStored(text);
}

void TTzDbf::SetMemoText(std::string_view name, std::string_view text)
{
    const DbfField& f = memoField(name, "SetMemoText");
    std::string& buf = buffer();
    std::string bytes(text);
    if (isText(bytes)) {
        bytes = Utf8ToAnsi(bytes);
        if (Language == tlOem)
            AnsiToOem(bytes);
    }
    const uint32_t old = m_state == State::Insert ? 0 : memoBlockField(buf, f);
    setMemoBlockField(buf, f, writeMemo(old, bytes));
}

std::vector<std::string> TTzDbf::GetMField(std::string_view name)
{
    const DbfField& f = memoField(name, "GetMField");
    const std::string& rec = (m_state != State::Browse && m_bufferStarted) ? m_buffer : m_record;
    const std::string text = readMemo(memoBlockField(rec, f));
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        lines.push_back(fromStored(line));
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
    std::string& buf = buffer();
    const uint32_t old = m_state == State::Insert ? 0 : memoBlockField(buf, f);
    setMemoBlockField(buf, f, writeMemo(old, bytes));
}

// Locks ---------------------------------------------------------------------------------

bool TTzDbf::lockRange(uint64_t offset, uint64_t length, bool exclusive)
{
    return ofdLock(m_fd, exclusive ? F_WRLCK : F_RDLCK, offset, length);
}

void TTzDbf::unlockRange(uint64_t offset, uint64_t length) { ofdLock(m_fd, F_UNLCK, offset, length); }

bool TTzDbf::ALock()
{
    if (!Active())
        throw TableError(215, "No database in use [ALock]");
    if (m_exclusive || m_appendLock)
        return true;
    if (!m_recordLocks.empty())
        return false;
    m_appendLock = lockRange(LockBase + 1, 1, true);
    return m_appendLock;
}

bool TTzDbf::lockRecord(uint32_t recNo)
{
    if (m_exclusive || m_recordLocks.count(recNo))
        return true;
    if (!lockRange(LockBase + recordOffset(recNo), m_recordLength, true))
        return false;
    m_recordLocks.insert(recNo);
    return true;
}

void TTzDbf::unlockRecord(uint32_t recNo)
{
    if (m_recordLocks.erase(recNo))
        unlockRange(LockBase + recordOffset(recNo), m_recordLength);
}

void TTzDbf::UnLock()
{
    if (m_fd < 0)
        return;
    // Whoever takes the lock next must find every appended record and the count in place.
    flushPending();
    if (m_appendLock)
        unlockRange(LockBase + 1, 1);
    m_appendLock = false;
    for (uint32_t r : m_recordLocks)
        unlockRange(LockBase + recordOffset(r), m_recordLength);
    m_recordLocks.clear();
}

// Commands ------------------------------------------------------------------------------

void TTzDbf::AppendRec()
{
    if (!Active())
        throw TableError(215, "No database in use [APPEND]");
    if (!m_exclusive && !m_appendLock)
        throw TableError(5, "File must be locked to append: " + m_path + " [APPEND]");
    if (ReadOnly)
        throw TableError(5, "File access denied: " + m_path + " is read-only [APPEND]");
    std::string rec = m_bufferStarted || m_state != State::Browse ? m_buffer : std::string(m_recordLength, ' ');
    rec.resize(m_recordLength, ' ');
    if (m_pending.empty())
        m_pendingFirst = m_count + 1;
    m_pending += rec;
    ++m_count;
    m_changed = true;
    m_state = State::Browse;
    m_bufferStarted = false;
    m_record = rec;
    m_recNo = m_count;
    m_eof = false;
    if (m_pending.size() >= (1u << 20))
        flushPending();
}

void TTzDbf::setFlag(char flag, const char* command)
{
    if (m_eof)
        return;
    const bool held = m_exclusive || m_recordLocks.count(m_recNo);
    if (!held && !lockRecord(m_recNo))
        throw TableError(1200, "Record not locked: record " + std::to_string(m_recNo) + " of " + m_path + " [" +
                                   command + "]");
    writeFlag(flag);
    if (!held)
        unlockRecord(m_recNo);
}

void TTzDbf::DeleteRec() { setFlag('*', "DELETE"); }

void TTzDbf::RecallRec() { setFlag(' ', "RECALL"); }

bool TTzDbf::ToggleDeleted()
{
    if (m_eof)
        return true;
    if (!lockRecord(m_recNo))
        return false;
    writeFlag(Deleted() ? ' ' : '*');
    if (!m_exclusive)
        unlockRecord(m_recNo);
    return true;
}

bool TTzDbf::Edit()
{
    if (m_eof) {
        Insert();
        return true;
    }
    if (!lockRecord(m_recNo))
        return false;
    readRecord(m_recNo, m_record); // what is on disk now, under the lock
    m_state = State::Edit;
    m_buffer = m_record;
    m_bufferStarted = true;
    return true;
}

void TTzDbf::Insert()
{
    m_state = State::Insert;
    m_buffer.assign(m_recordLength, ' ');
    m_bufferStarted = true;
}

bool TTzDbf::Post()
{
    if (m_state == State::Browse)
        return true;
    if (m_state == State::Insert) {
        const bool hadLock = m_appendLock || m_exclusive;
        if (!hadLock && !ALock())
            return false;
        AppendRec();
        if (!hadLock)
            UnLock();
        return true;
    }
    const bool hadLock = m_exclusive || m_recordLocks.count(m_recNo);
    if (!hadLock && !lockRecord(m_recNo))
        return false;
    writeRecord(m_recNo, m_buffer);
    m_record = m_buffer;
    m_state = State::Browse;
    m_bufferStarted = false;
    if (!m_exclusive)
        unlockRecord(m_recNo);
    return true;
}

void TTzDbf::Cancel()
{
    if (m_state == State::Edit && !m_exclusive)
        unlockRecord(m_recNo);
    m_state = State::Browse;
    m_bufferStarted = false;
}

void TTzDbf::Pack()
{
    if (!Active())
        throw TableError(215, "No database in use [Pack]");
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
        std::string rec, out;
        uint32_t kept = 0, outFirst = 1;
        // The memo texts of the kept records are copied, in order, into a new memo file.
        std::string newMemo;
        const std::string mp = m_hasMemo ? memoPath() : std::string();
        int newMemoFd = -1;
        if (m_hasMemo) {
            newMemo = mp + ".pack";
            newMemoFd = ::open(newMemo.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            std::string mh(24, '\0');
            readAll(m_memoFd, 0, mh.data(), 24);
            if (newMemoFd < 0 || !writeAll(newMemoFd, 0, mh.data(), 24))
                throw TableError(1012, "Error packing " + m_path);
        }
        uint32_t nextBlock = 1;
        for (uint32_t r = 1; r <= m_count; ++r) {
            readRecord(r, rec);
            if (rec[0] == '*')
                continue;
            if (m_hasMemo) {
                for (const DbfField& f : m_fields) {
                    if (f.type != 'M')
                        continue;
                    const uint32_t old = memoBlockField(rec, f);
                    if (old == 0)
                        continue;
                    const std::string text = readMemo(old);
                    std::string data;
                    uint32_t blocks;
                    if (m_version == 0x83) {
                        data = text + std::string(2, static_cast<char>(EndOfFile));
                        blocks = static_cast<uint32_t>((data.size() + m_blockSize - 1) / m_blockSize);
                    } else {
                        data.assign(8, '\0');
                        data[0] = data[1] = static_cast<char>(0xFF);
                        data[2] = 0x08;
                        put32(data, 4, static_cast<uint32_t>(text.size() + 8));
                        data += text;
                        blocks = static_cast<uint32_t>((text.size() + 8) / m_blockSize + 1);
                    }
                    data.resize(static_cast<std::size_t>(blocks) * m_blockSize, '\0');
                    if (!writeAll(newMemoFd, static_cast<uint64_t>(nextBlock) * m_blockSize, data.data(), data.size()))
                        throw TableError(1012, "Error packing " + m_path);
                    setMemoBlockField(rec, f, nextBlock);
                    nextBlock += blocks;
                }
            }
            ++kept;
            if (kept != r || m_hasMemo) {
                // Kept records only move down, behind what has been read: write them in
                // batches, without disturbing the read-ahead window.
                if (out.empty())
                    outFirst = kept;
                out += rec;
                if (out.size() >= (1u << 20)) {
                    if (!writeAll(m_fd, recordOffset(outFirst), out.data(), out.size()))
                        throw TableError(101, "Error packing " + m_path);
                    out.clear();
                }
            }
        }
        if (!out.empty() && !writeAll(m_fd, recordOffset(outFirst), out.data(), out.size()))
            throw TableError(101, "Error packing " + m_path);
        dropCache();
        if (m_hasMemo) {
            std::string head(4, '\0');
            put32(head, 0, nextBlock); // the free chain is empty: it points past the end
            writeAll(newMemoFd, 0, head.data(), 4);
            ::close(newMemoFd);
            ::close(m_memoFd);
            m_memoFd = -1;
            if (std::rename(newMemo.c_str(), mp.c_str()) != 0)
                throw TableError(1012, "Error packing " + m_path);
            m_memoFd = ::open(mp.c_str(), O_RDWR | O_CLOEXEC);
        }
        m_count = kept;
        const uint64_t end = m_headerLength + static_cast<uint64_t>(kept) * m_recordLength;
        if (::ftruncate(m_fd, static_cast<off_t>(end + 1)) != 0)
            throw TableError(101, "Error packing " + m_path);
        m_changed = true;
        writeHeader();
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

void TTzDbf::AppendFrom(std::string path)
{
    path = CompleteFileName(std::move(path), ".DBF");
    std::error_code ec;
    if (std::filesystem::equivalent(path, m_path, ec))
        throw TableError(214, "Attempting to append file to itself. [AppendFrom(" + path + ")]");
    TTzDbf source;
    source.CreateIfNotFound = false;
    source.Language = Language;
    source.setDbfFileName(path);
    source.Open();
    bool sameFields = source.Fields().size() == m_fields.size();
    for (std::size_t i = 0; sameFields && i < m_fields.size(); ++i) {
        const DbfField &a = m_fields[i], &b = source.Fields()[i];
        sameFields = a.name == b.name && a.type == b.type && a.length == b.length && a.decimals == b.decimals;
    }
    const bool tookLock = !m_exclusive && !m_appendLock;
    if (tookLock && !ALock())
        throw TableError(5, "File must be locked to append: " + m_path + " [APPEND]");
    for (source.First(); !source.Eof(); source.Next()) {
        std::string rec;
        if (sameFields) {
            rec = source.RecordBytes();
            for (const DbfField& f : m_fields)
                if (f.type == 'M')
                    setMemoBlockField(rec, f, writeMemo(0, source.readMemo(source.memoBlockField(rec, f))));
        } else {
            Insert();
            for (const DbfField& f : m_fields) {
                const DbfField* from = source.FindField(f.name);
                if (!from)
                    continue;
                if (f.type == 'M' && from->type == 'M')
                    SetMemoText(f.name, source.GetMemoText(from->name));
                else if (f.type != 'M' && from->type != 'M')
                    SetFieldText(f.name, source.GetFieldText(from->name));
            }
            rec = m_buffer;
            rec[0] = source.RecordBytes()[0];
        }
        m_buffer = rec;
        m_state = State::Insert;
        m_bufferStarted = true;
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
    const DbfField& f = field(trimmedItem(keyExpression), "IndexOnOne");
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
    entries.reserve(m_count);
    std::string rec;
    const bool character = f.type == 'C';
    for (uint32_t r = 1; r <= m_count; ++r) {
        readRecord(r, rec);
        const std::string raw = rec.substr(static_cast<std::size_t>(1 + f.offset), static_cast<std::size_t>(f.length));
        Entry e{std::string(), 0, r};
        if (character) {
            e.text = raw; // stored bytes: compared as the index holds them
        } else if (f.type == 'D') {
            int y = 0, m = 0, d = 0;
            if (std::sscanf(raw.c_str(), "%4d%2d%2d", &y, &m, &d) == 3 && m >= 1 && m <= 12)
                e.number = julianDay(y, m, d);
        } else {
            e.number = std::strtod(trimmedItem(raw).c_str(), nullptr);
        }
        entries.push_back(std::move(e));
    }
    if (character)
        std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.text < b.text; });
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
    std::error_code removeError;
    std::filesystem::remove(index, removeError);
    if (auto error = WriteMdx(index.string(), keys))
        throw TableError(error->first, *error->second ? error->second : "Corrupted index file");

    m_order.clear();
    for (const Entry& e : entries)
        m_order.push_back(e.recNo);
    First();
}

} // namespace quill::tables
