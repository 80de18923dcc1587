#pragma once

// Every file access of the table layer goes through FileOps, so that tests can make any write,
// sync or rename fail and check that the table reads as it did before.

#include <cerrno>
#include <cstdint>
#include <string>
#include <sys/types.h>

namespace quill::tables {

/// The file operations the table layer needs. Each returns what the POSIX call returns on
/// success and -errno on failure.
class FileOps
{
public:
    virtual ~FileOps() = default;
    /// A descriptor, or -errno.
    virtual int open(const std::string& path, int flags, mode_t mode) = 0;
    virtual int close(int fd) = 0;
    virtual ssize_t pread(int fd, void* into, std::size_t n, uint64_t offset) = 0;
    virtual ssize_t pwrite(int fd, const void* from, std::size_t n, uint64_t offset) = 0;
    virtual int truncate(int fd, uint64_t size) = 0;
    virtual int sync(int fd) = 0;
    /// The file's size and permission bits.
    virtual int stat(int fd, uint64_t& size, mode_t& mode) = 0;
    virtual int rename(const std::string& from, const std::string& to) = 0;
    /// Renames `from` to `to` only when nothing is called `to` yet; -EEXIST when something is.
    /// The default looks first, which is enough for files no other program sees.
    virtual int renameNew(const std::string& from, const std::string& to)
    {
        return exists(to) ? -EEXIST : rename(from, to);
    }
    virtual int remove(const std::string& path) = 0;
    virtual bool exists(const std::string& path) = 0;
    /// An open-file-description byte-range lock, tried once: F_RDLCK, F_WRLCK or F_UNLCK.
    virtual int lock(int fd, short type, uint64_t offset, uint64_t length) = 0;
};

/// The real files of this system.
FileOps& PosixFiles();

/// The table error number of a failed call's errno (2 "File not found", 5 "File access
/// denied", 1004 "Disk full", ...).
int TableErrorOfErrno(int error);

/// An open descriptor that closes itself.
class FileHandle
{
public:
    FileHandle() = default;
    FileHandle(FileOps& ops, int fd) : m_ops(&ops), m_fd(fd) {}
    ~FileHandle() { close(); }
    FileHandle(FileHandle&& other) noexcept { *this = std::move(other); }
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    /// Opens `path`; an invalid handle with error() set when that fails.
    static FileHandle Open(FileOps& ops, const std::string& path, int flags, mode_t mode = 0644);

    bool valid() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    /// The errno of the last call that failed.
    int error() const { return m_error; }

    /// Reads exactly n bytes; false at a short read or an error.
    [[nodiscard]] bool readAt(uint64_t offset, char* into, std::size_t n) const;
    /// Reads up to n bytes; the count read, -1 on error.
    [[nodiscard]] ssize_t readSome(uint64_t offset, char* into, std::size_t n) const;
    /// Writes all n bytes, retrying short writes.
    [[nodiscard]] bool writeAt(uint64_t offset, const char* from, std::size_t n);
    [[nodiscard]] bool writeAt(uint64_t offset, std::string_view bytes)
    {
        return writeAt(offset, bytes.data(), bytes.size());
    }
    [[nodiscard]] bool truncate(uint64_t size);
    [[nodiscard]] bool sync();
    /// The file's size now; 0 when it cannot be had.
    uint64_t size() const;
    mode_t mode() const;
    [[nodiscard]] bool lock(short type, uint64_t offset, uint64_t length);
    /// Closes now; false when the close reported an error.
    bool close();

private:
    FileOps* m_ops = nullptr;
    int m_fd = -1;
    mutable int m_error = 0;
};

/// A file written beside its final place and removed when it goes out of scope, unless it was
/// committed by renaming it over its target.
/// A suffix for temporary files of this process that no other process or earlier call uses:
/// programs sharing a folder may build the same file at the same moment.
std::string OwnTempSuffix();

class TempFile
{
public:
    TempFile(FileOps& ops, std::string path) : m_ops(ops), m_path(std::move(path)) {}
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::string& path() const { return m_path; }
    /// Creates the file, empty, with the given permission bits.
    [[nodiscard]] FileHandle create(mode_t mode = 0644);
    /// Renames the file to `target`, replacing it; from then on it is the target's to keep.
    [[nodiscard]] bool commitTo(const std::string& target);
    /// Renames the file to `target` only when there is no such file yet (error() is EEXIST
    /// then, and the file is still removed when it goes out of scope).
    [[nodiscard]] bool commitNew(const std::string& target);
    int error() const { return m_error; }

private:
    FileOps& m_ops;
    std::string m_path;
    bool m_created = false;
    int m_error = 0;
};

} // namespace quill::tables
