#pragma once

// Helper processes of the reliability tests, started from the folder of the test itself (the
// build's bin folder, wherever the build is).

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace reliability {

/// The folder of the running executable: the helpers are built beside it.
std::filesystem::path BinFolder();

/// A child process whose standard output and error go to one file.
class Child
{
public:
    /// Starts `program` with `args`; `output` receives what it prints.
    Child(const std::filesystem::path& program, const std::vector<std::string>& args,
          const std::filesystem::path& output);
    ~Child(); // kills a child still running
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool started() const { return m_pid > 0; }
    pid_t pid() const { return m_pid; }
    /// Whether it has ended; collects its status when it has.
    bool ended();
    /// Waits for the end, at most `limit`; false when it still runs.
    bool wait(std::chrono::milliseconds limit);
    /// SIGKILL, then waits for the end.
    void kill();
    /// The exit status of a child that ended by itself; none after a signal.
    std::optional<int> exitStatus() const;
    /// The signal that ended it; 0 when it ended by itself (or has not ended).
    int endingSignal() const;
    /// What it printed.
    std::string output() const;

private:
    pid_t m_pid = -1;
    bool m_ended = false;
    int m_status = 0;
    std::filesystem::path m_output;
};

/// Runs a program to its end (at most `limit`) and returns its exit status and output.
struct RunResult
{
    int status = -1; // -1: did not end by itself in time
    std::string output;
};
RunResult Run(const std::filesystem::path& program, const std::vector<std::string>& args,
              const std::filesystem::path& scratch,
              std::chrono::milliseconds limit = std::chrono::seconds(120));

} // namespace reliability
