#include "tables/FileOps.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace quill::tables {

namespace {

class Posix final : public FileOps
{
public:
    int open(const std::string& path, int flags, mode_t mode) override
    {
        const int fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
        return fd >= 0 ? fd : -errno;
    }
    int close(int fd) override { return ::close(fd) == 0 ? 0 : -errno; }
    ssize_t pread(int fd, void* into, std::size_t n, uint64_t offset) override
    {
        const ssize_t r = ::pread(fd, into, n, static_cast<off_t>(offset));
        return r >= 0 ? r : -errno;
    }
    ssize_t pwrite(int fd, const void* from, std::size_t n, uint64_t offset) override
    {
        const ssize_t r = ::pwrite(fd, from, n, static_cast<off_t>(offset));
        return r >= 0 ? r : -errno;
    }
    int truncate(int fd, uint64_t size) override
    {
        return ::ftruncate(fd, static_cast<off_t>(size)) == 0 ? 0 : -errno;
    }
    int sync(int fd) override { return ::fsync(fd) == 0 ? 0 : -errno; }
    int stat(int fd, uint64_t& size, mode_t& mode) override
    {
        struct stat st
        {
        };
        if (::fstat(fd, &st) != 0)
            return -errno;
        size = static_cast<uint64_t>(st.st_size);
        mode = st.st_mode & 07777;
        return 0;
    }
    int rename(const std::string& from, const std::string& to) override
    {
        return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : -errno;
    }
    int renameNew(const std::string& from, const std::string& to) override
    {
        if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
            return 0;
        if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
            return -errno;
        // A file system without the no-replace rename: a hard link is refused just the same
        // when the name is taken.
        if (::link(from.c_str(), to.c_str()) == 0) {
            (void)::unlink(from.c_str());
            return 0;
        }
        if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS)
            return -errno;
        // Nor hard links (some shared-folder and FUSE file systems): look first, then rename, as
        // a table was always made there; only two programs making it at one instant can collide.
        return FileOps::renameNew(from, to);
    }
    int remove(const std::string& path) override { return ::unlink(path.c_str()) == 0 ? 0 : -errno; }
    bool exists(const std::string& path) override
    {
        struct stat st
        {
        };
        return ::stat(path.c_str(), &st) == 0;
    }
    int lock(int fd, short type, uint64_t offset, uint64_t length) override
    {
        struct flock fl
        {
        };
        fl.l_type = type;
        fl.l_whence = SEEK_SET;
        fl.l_start = static_cast<off_t>(offset);
        fl.l_len = static_cast<off_t>(length);
        return ::fcntl(fd, F_OFD_SETLK, &fl) == 0 ? 0 : -errno;
    }
};

} // namespace

FileOps& PosixFiles()
{
    static Posix files;
    return files;
}

int TableErrorOfErrno(int error)
{
    switch (error) {
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
    case EAGAIN:
        return 32;
    case ENOSPC:
    case EFBIG:
    case EDQUOT:
        return 1004;
    case ENOMEM:
        return 217;
    default:
        return 100;
    }
}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept
{
    if (this != &other) {
        close();
        m_ops = std::exchange(other.m_ops, nullptr);
        m_fd = std::exchange(other.m_fd, -1);
        m_error = other.m_error;
    }
    return *this;
}

FileHandle FileHandle::Open(FileOps& ops, const std::string& path, int flags, mode_t mode)
{
    const int fd = ops.open(path, flags, mode);
    FileHandle h(ops, fd >= 0 ? fd : -1);
    h.m_ops = &ops;
    if (fd < 0)
        h.m_error = -fd;
    return h;
}

bool FileHandle::readAt(uint64_t offset, char* into, std::size_t n) const
{
    return readSome(offset, into, n) == static_cast<ssize_t>(n);
}

ssize_t FileHandle::readSome(uint64_t offset, char* into, std::size_t n) const
{
    if (m_fd < 0)
        return m_error = EBADF, -1;
    std::size_t done = 0;
    while (done < n) {
        const ssize_t r = m_ops->pread(m_fd, into + done, n - done, offset + done);
        if (r == -EINTR)
            continue;
        if (r < 0) {
            m_error = static_cast<int>(-r);
            return -1;
        }
        if (r == 0)
            break;
        done += static_cast<std::size_t>(r);
    }
    return static_cast<ssize_t>(done);
}

bool FileHandle::writeAt(uint64_t offset, const char* from, std::size_t n)
{
    if (m_fd < 0)
        return m_error = EBADF, false;
    std::size_t done = 0;
    while (done < n) {
        const ssize_t r = m_ops->pwrite(m_fd, from + done, n - done, offset + done);
        if (r == -EINTR)
            continue;
        if (r <= 0) {
            m_error = r < 0 ? static_cast<int>(-r) : ENOSPC;
            return false;
        }
        done += static_cast<std::size_t>(r);
    }
    return true;
}

bool FileHandle::truncate(uint64_t size)
{
    const int r = m_fd < 0 ? -EBADF : m_ops->truncate(m_fd, size);
    if (r < 0)
        m_error = -r;
    return r == 0;
}

bool FileHandle::sync()
{
    const int r = m_fd < 0 ? -EBADF : m_ops->sync(m_fd);
    if (r < 0)
        m_error = -r;
    return r == 0;
}

uint64_t FileHandle::size() const
{
    uint64_t size = 0;
    mode_t mode = 0;
    return m_fd >= 0 && m_ops->stat(m_fd, size, mode) == 0 ? size : 0;
}

mode_t FileHandle::mode() const
{
    uint64_t size = 0;
    mode_t mode = 0;
    return m_fd >= 0 && m_ops->stat(m_fd, size, mode) == 0 ? mode : 0644;
}

bool FileHandle::lock(short type, uint64_t offset, uint64_t length)
{
    const int r = m_fd < 0 ? -EBADF : m_ops->lock(m_fd, type, offset, length);
    if (r < 0)
        m_error = -r;
    return r == 0;
}

bool FileHandle::close()
{
    if (m_fd < 0)
        return true;
    const int r = m_ops->close(m_fd);
    m_fd = -1;
    if (r < 0)
        m_error = -r;
    return r == 0;
}

std::string OwnTempSuffix()
{
    static std::atomic<unsigned> made{0};
    return "." + std::to_string(::getpid()) + "-" + std::to_string(++made) + ".new";
}

TempFile::~TempFile()
{
    if (m_created)
        m_ops.remove(m_path);
}

FileHandle TempFile::create(mode_t mode)
{
    FileHandle h = FileHandle::Open(m_ops, m_path, O_RDWR | O_CREAT | O_TRUNC, mode);
    m_created = h.valid();
    m_error = h.error();
    return h;
}

bool TempFile::commitTo(const std::string& target)
{
    const int r = m_ops.rename(m_path, target);
    if (r < 0) {
        m_error = -r;
        return false;
    }
    m_created = false;
    return true;
}

bool TempFile::commitNew(const std::string& target)
{
    const int r = m_ops.renameNew(m_path, target);
    if (r < 0) {
        m_error = -r;
        return false;
    }
    m_created = false;
    return true;
}

} // namespace quill::tables
