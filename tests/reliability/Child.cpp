#include "Child.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace reliability {

std::filesystem::path BinFolder()
{
    return std::filesystem::read_symlink("/proc/self/exe").parent_path();
}

Child::Child(const std::filesystem::path& program, const std::vector<std::string>& args,
             const std::filesystem::path& output)
    : m_output(output)
{
    std::vector<std::string> all{program.string()};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        m_pid = -1;
    posix_spawn_file_actions_destroy(&actions);
}

Child::~Child()
{
    if (started() && !ended())
        kill();
}

bool Child::ended()
{
    if (m_ended || m_pid <= 0)
        return true;
    int status = 0;
    const pid_t r = ::waitpid(m_pid, &status, WNOHANG);
    if (r == m_pid) {
        m_status = status;
        m_ended = true;
    }
    return m_ended;
}

bool Child::wait(std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!ended()) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

void Child::kill()
{
    if (m_pid <= 0 || ended())
        return;
    ::kill(m_pid, SIGKILL);
    int status = 0;
    if (::waitpid(m_pid, &status, 0) == m_pid) {
        m_status = status;
        m_ended = true;
    }
}

std::optional<int> Child::exitStatus() const
{
    if (!m_ended || !WIFEXITED(m_status))
        return std::nullopt;
    return WEXITSTATUS(m_status);
}

int Child::endingSignal() const
{
    return m_ended && WIFSIGNALED(m_status) ? WTERMSIG(m_status) : 0;
}

std::string Child::output() const
{
    std::ifstream in(m_output);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

RunResult Run(const std::filesystem::path& program, const std::vector<std::string>& args,
              const std::filesystem::path& scratch, std::chrono::milliseconds limit)
{
    Child child(program, args, scratch);
    RunResult result;
    if (!child.started())
        return result;
    if (child.wait(limit))
        result.status = child.exitStatus().value_or(-1);
    else
        child.kill();
    result.output = child.output();
    return result;
}

} // namespace reliability
