#pragma once

// Faults a test cannot give its own process without harm: a disk that fills up (a file-size
// limit) and, for a test run as root, the rights of an ordinary user, under which permission
// bits count again. Each runs in a forked child that hands back a text and ends.

#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <exception>
#include <functional>
#include <optional>
#include <string>

namespace faulttest {

struct ChildFaults
{
    /// Files may not grow past this many bytes (writes fail with EFBIG, as on a full disk).
    std::optional<rlim_t> fileSizeLimit;
    /// Run as the user nobody when the test runs as root; an ordinary user stays itself.
    bool asOrdinaryUser = false;
};

struct ChildResult
{
    bool ran = false; // the child got as far as the body
    std::string text; // what the body returned, or why it did not run
};

/// The uid and gid of an ordinary user for a root test run (nobody, as on every Linux).
inline constexpr uid_t NobodyId = 65534;
/// What a child says when it runs as root but may not become an ordinary user.
inline constexpr const char* CannotDropPrivileges = "cannot become an ordinary user";

/// Runs `body` in a forked child under `faults` and returns what it returned.
inline ChildResult RunInChild(const ChildFaults& faults, const std::function<std::string()>& body)
{
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return {false, "no pipe"};
    const pid_t pid = ::fork();
    if (pid < 0)
        return {false, "no fork"};
    if (pid == 0) {
        ::close(pipeFds[0]);
        auto say = [&](char tag, const std::string& text) {
            std::string all = tag + text;
            const char* p = all.data();
            std::size_t left = all.size();
            while (left > 0) {
                const ssize_t n = ::write(pipeFds[1], p, left);
                if (n <= 0)
                    break;
                p += n;
                left -= static_cast<std::size_t>(n);
            }
        };
        if (faults.asOrdinaryUser && ::geteuid() == 0) {
            if (::setgroups(0, nullptr) != 0 || ::setgid(NobodyId) != 0 || ::setuid(NobodyId) != 0) {
                say('!', CannotDropPrivileges);
                ::_exit(3);
            }
        }
        if (faults.fileSizeLimit) {
            ::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead of ending the child
            const rlimit limit{*faults.fileSizeLimit, *faults.fileSizeLimit};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
                say('!', "cannot limit the file size");
                ::_exit(3);
            }
        }
        std::string text;
        try {
            text = body();
        } catch (const std::exception& e) {
            text = std::string("exception: ") + e.what();
        } catch (...) {
            text = "exception";
        }
        say('=', text);
        ::_exit(0); // no destructors or exit handlers of the test program run twice
    }
    ::close(pipeFds[1]);
    std::string all;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        all.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (all.empty())
        return {false, "the child ended without a word (status " + std::to_string(status) + ")"};
    return {all[0] == '=', all.substr(1)};
}

/// A fresh folder under /tmp that the user nobody may enter, for faults run as that user.
inline std::string OpenScratchFolder()
{
    char name[] = "/tmp/quill-fault-XXXXXX";
    if (!::mkdtemp(name))
        return {};
    ::chmod(name, 0755);
    return name;
}

} // namespace faulttest
