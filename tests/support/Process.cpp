#include "support/Process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <thread>

#include "support/Eventually.hpp"

namespace dorvane::test {
namespace {

std::vector<char*> argvPointers(const std::vector<std::string>& argv) {
    std::vector<char*> pointers;
    for (const auto& argument : argv) {
        pointers.push_back(const_cast<char*>(argument.c_str()));
    }
    pointers.push_back(nullptr);
    return pointers;
}

// Runs in the forked child only: sets the environment, wires stdout/stderr, and execs.
[[noreturn]] void execChild(const std::vector<std::string>& argv,
                            const std::map<std::string, std::string>& extraEnvironment, int outFd,
                            int errFd) {
    // A test that crashes must not leave servers behind that hold its output pipes open.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    for (const auto& [name, value] : extraEnvironment) {
        setenv(name.c_str(), value.c_str(), 1);
    }
    if (outFd >= 0) {
        dup2(outFd, STDOUT_FILENO);
    }
    if (errFd >= 0) {
        dup2(errFd, STDERR_FILENO);
    }
    int devNull = open("/dev/null", O_RDONLY);
    dup2(devNull, STDIN_FILENO);
    // Only stdio is inherited: a stray copy of a pseudo-terminal master, say, would keep the
    // port from ever hanging up.
    close_range(3, ~0U, 0);
    auto pointers = argvPointers(argv);
    execvp(pointers[0], pointers.data());
    _exit(127);
}

int decodeStatus(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void drain(int outFd, int errFd, std::string& out, std::string& err) {
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    int open = 2;
    char buffer[4096];
    while (open > 0) {
        if (poll(fds, 2, -1) < 0 && errno != EINTR) {
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) {
                continue;
            }
            ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n <= 0) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            } else {
                (i == 0 ? out : err).append(buffer, static_cast<std::size_t>(n));
            }
        }
    }
}

}  // namespace

CommandResult runCommand(const std::vector<std::string>& argv,
                         const std::map<std::string, std::string>& extraEnvironment) {
    int outPipe[2];
    int errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    pid_t pid = fork();
    if (pid == 0) {
        execChild(argv, extraEnvironment, outPipe[1], errPipe[1]);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    CommandResult result;
    drain(outPipe[0], errPipe[0], result.out, result.err);
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitCode = decodeStatus(status);
    return result;
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv,
                           const std::map<std::string, std::string>& extraEnvironment) {
    pid_ = fork();
    if (pid_ == 0) {
        execChild(argv, extraEnvironment, -1, -1);
    }
    if (pid_ < 0) {
        throw std::runtime_error("fork failed");
    }
}

ChildProcess::~ChildProcess() {
    if (!exitCode_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

void ChildProcess::signal(int signalNumber) const {
    kill(pid_, signalNumber);
}

std::optional<int> ChildProcess::waitFor(std::chrono::milliseconds timeout) {
    if (exitCode_) {
        return exitCode_;
    }
    eventually(
        [&] {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                exitCode_ = decodeStatus(status);
            }
            return exitCode_.has_value();
        },
        timeout);
    return exitCode_;
}

}  // namespace dorvane::test
