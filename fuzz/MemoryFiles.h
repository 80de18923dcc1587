#pragma once

// Files held in memory behind the table layer's FileOps seam, so that a fuzz input becomes a
// table without a trip through the disk. Reads, writes and renames behave as the POSIX calls
// do for one process; locks always succeed, as they do for a sole user.

#include "tables/FileOps.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <memory>
#include <string>

namespace quill::fuzz {

class MemoryFiles final : public tables::FileOps
{
public:
    // A write past this makes the disk full: the table layer must get by with that, and a
    // runaway offset cannot take the fuzzer's memory.
    static constexpr uint64_t Capacity = 64u << 20;

    void put(const std::string& path, std::string bytes)
    {
        m_files[path] = std::make_shared<std::string>(std::move(bytes));
    }
    const std::string* get(const std::string& path) const
    {
        auto it = m_files.find(path);
        return it == m_files.end() ? nullptr : it->second.get();
    }

    int open(const std::string& path, int flags, mode_t) override
    {
        auto it = m_files.find(path);
        if (it == m_files.end()) {
            if (!(flags & O_CREAT))
                return -ENOENT;
            it = m_files.emplace(path, std::make_shared<std::string>()).first;
        } else if (flags & O_TRUNC) {
            it->second->clear();
        }
        m_open[++m_lastFd] = it->second;
        return m_lastFd;
    }
    int close(int fd) override { return m_open.erase(fd) ? 0 : -EBADF; }
    ssize_t pread(int fd, void* into, std::size_t n, uint64_t offset) override
    {
        std::string* f = file(fd);
        if (!f)
            return -EBADF;
        if (offset >= f->size())
            return 0;
        const std::size_t got = std::min<uint64_t>(n, f->size() - offset);
        std::memcpy(into, f->data() + offset, got);
        return static_cast<ssize_t>(got);
    }
    ssize_t pwrite(int fd, const void* from, std::size_t n, uint64_t offset) override
    {
        std::string* f = file(fd);
        if (!f)
            return -EBADF;
        if (offset > Capacity || n > Capacity - offset)
            return -ENOSPC;
        if (offset + n > f->size())
            f->resize(offset + n, '\0');
        std::memcpy(f->data() + offset, from, n);
        return static_cast<ssize_t>(n);
    }
    int truncate(int fd, uint64_t size) override
    {
        std::string* f = file(fd);
        if (!f)
            return -EBADF;
        if (size > Capacity)
            return -EFBIG;
        f->resize(size, '\0');
        return 0;
    }
    int sync(int fd) override { return file(fd) ? 0 : -EBADF; }
    int stat(int fd, uint64_t& size, mode_t& mode) override
    {
        std::string* f = file(fd);
        if (!f)
            return -EBADF;
        size = f->size();
        mode = 0644;
        return 0;
    }
    int rename(const std::string& from, const std::string& to) override
    {
        auto it = m_files.find(from);
        if (it == m_files.end())
            return -ENOENT;
        auto bytes = it->second; // descriptors open on either name keep their file
        m_files.erase(it);
        m_files[to] = std::move(bytes);
        return 0;
    }
    int remove(const std::string& path) override { return m_files.erase(path) ? 0 : -ENOENT; }
    bool exists(const std::string& path) override { return m_files.count(path) > 0; }
    int lock(int fd, short, uint64_t, uint64_t) override { return file(fd) ? 0 : -EBADF; }

private:
    std::string* file(int fd)
    {
        auto it = m_open.find(fd);
        return it == m_open.end() ? nullptr : it->second.get();
    }

    std::map<std::string, std::shared_ptr<std::string>> m_files;
    std::map<int, std::shared_ptr<std::string>> m_open;
    int m_lastFd = 2;
};

} // namespace quill::fuzz
