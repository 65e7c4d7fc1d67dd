#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace dorvane::test {

// What a finished command printed and how it ended.
struct CommandResult {
    int exitCode = -1;  // -1 when it was killed by a signal
    std::string out;
    std::string err;
};

// Runs a command to completion with extra environment variables, capturing its output.
CommandResult runCommand(const std::vector<std::string>& argv,
                         const std::map<std::string, std::string>& extraEnvironment = {});

// A child process started in the background; killed (SIGKILL) and reaped when destroyed unless it
// has been waited for. It starts in `workingDirectory`, or in the caller's when that is empty: a
// child that runs as another user may not be able to enter the caller's.
class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& argv,
                 const std::map<std::string, std::string>& extraEnvironment = {},
                 const std::filesystem::path& workingDirectory = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    void signal(int signalNumber) const;

    // The exit code once the child has ended within `timeout`; -1 for a death by signal;
    // nullopt when it is still running.
    std::optional<int> waitFor(std::chrono::milliseconds timeout);

private:
    pid_t pid_ = -1;
    std::optional<int> exitCode_;
};

}  // namespace dorvane::test
