#include "support/Process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <sstream>
#include <stdexcept>
#include <string_view>

#include "support/Eventually.hpp"

extern char** environ;

namespace dorvane::test {
namespace {

std::vector<std::string> environmentWith(const std::map<std::string, std::string>& extra) {
    std::map<std::string, std::string> merged = extra;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string_view variable = *entry;
        const auto equals = variable.find('=');
        if (equals != std::string_view::npos) {
            merged.emplace(variable.substr(0, equals), variable.substr(equals + 1));
        }
    }
    std::vector<std::string> assignments;
    for (const auto& [name, value] : merged) {
        assignments.push_back(name + "=" + value);
    }
    return assignments;
}

bool isExecutableFile(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
           access(path.c_str(), X_OK) == 0;
}

// As execvp() searches, but in the child's PATH; a program not found is left as it is, so
// execve() fails and the child exits with 127 as a shell's would.
std::string resolveProgram(const std::string& program,
                           const std::vector<std::string>& environment) {
    if (program.find('/') != std::string::npos) {
        return program;
    }
    std::string path = "/usr/local/bin:/usr/bin:/bin";
    for (const auto& assignment : environment) {
        if (assignment.starts_with("PATH=")) {
            path = assignment.substr(5);
        }
    }
    std::istringstream folders(path);
    for (std::string folder; std::getline(folders, folder, ':');) {
        const std::string candidate = (folder.empty() ? "." : folder) + "/" + program;
        if (isExecutableFile(candidate)) {
            return candidate;
        }
    }
    return program;
}

std::vector<char*> pointersTo(const std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (const auto& text : strings) {
        pointers.push_back(const_cast<char*>(text.c_str()));
    }
    pointers.push_back(nullptr);
    return pointers;
}

// Everything the child needs, prepared before fork(): in a test process GDBus and umockdev
// threads may hold the allocator's or the environment's lock at the moment of the fork, so the
// child may only make async-signal-safe calls until it execs.
class Launch {
public:
    Launch(const std::vector<std::string>& argv,
           const std::map<std::string, std::string>& extraEnvironment,
           const std::filesystem::path& workingDirectory = {})
        : arguments_(argv),
          environment_(environmentWith(extraEnvironment)),
          program_(resolveProgram(argv.at(0), environment_)),
          argumentPointers_(pointersTo(arguments_)),
          environmentPointers_(pointersTo(environment_)),
          workingDirectory_(workingDirectory),
          parent_(getpid()) {}
    Launch(const Launch&) = delete;
    Launch& operator=(const Launch&) = delete;

    // Forks; the child wires stdout and stderr (to `outFd` and `errFd` unless negative) and
    // execs. The child's pid.
    pid_t start(int outFd = -1, int errFd = -1) const {
        const pid_t pid = fork();
        if (pid == 0) {
            execInChild(outFd, errFd);
        }
        if (pid < 0) {
            throw std::runtime_error("fork failed");
        }
        return pid;
    }

private:
    [[noreturn]] void execInChild(int outFd, int errFd) const {
        // A test that crashes must not leave servers behind that hold its output pipes open.
        // The parent may have died before the signal was asked for.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent_) {
            _exit(127);
        }
        if (outFd >= 0) {
            dup2(outFd, STDOUT_FILENO);
        }
        if (errFd >= 0) {
            dup2(errFd, STDERR_FILENO);
        }
        const int devNull = open("/dev/null", O_RDONLY);
        dup2(devNull, STDIN_FILENO);
        // Only stdio is inherited: a stray copy of a pseudo-terminal master, say, would keep the
        // port from ever hanging up.
        close_range(3, ~0U, 0);
        if (!workingDirectory_.empty() && chdir(workingDirectory_.c_str()) != 0) {
            _exit(127);
        }
        execve(program_.c_str(), argumentPointers_.data(), environmentPointers_.data());
        _exit(127);
    }

    std::vector<std::string> arguments_;
    std::vector<std::string> environment_;
    std::string program_;
    std::vector<char*> argumentPointers_;
    std::vector<char*> environmentPointers_;
    std::string workingDirectory_;
    pid_t parent_;
};

int decodeStatus(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Both ends are closed when it goes; the parent closes the write end as soon as the child has
// its copy, so that reading ends when the child does.
class Pipe {
public:
    Pipe() {
        int ends[2];
        if (pipe2(ends, O_CLOEXEC) != 0) {
            throw std::runtime_error("pipe failed");
        }
        readEnd_ = ends[0];
        writeEnd_ = ends[1];
    }
    ~Pipe() {
        closeWriteEnd();
        close(readEnd_);
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;

    int readEnd() const { return readEnd_; }
    int writeEnd() const { return writeEnd_; }
    void closeWriteEnd() {
        if (writeEnd_ >= 0) {
            close(writeEnd_);
        }
        writeEnd_ = -1;
    }

private:
    int readEnd_ = -1;
    int writeEnd_ = -1;
};

void drain(const Pipe& outPipe, const Pipe& errPipe, std::string& out, std::string& err) {
    pollfd fds[2] = {{outPipe.readEnd(), POLLIN, 0}, {errPipe.readEnd(), POLLIN, 0}};
    int streams = 2;
    char buffer[4096];
    while (streams > 0) {
        if (poll(fds, 2, -1) < 0 && errno != EINTR) {
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) {
                continue;
            }
            ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n <= 0) {
                fds[i].fd = -1;
                --streams;
            } else {
                (i == 0 ? out : err).append(buffer, static_cast<std::size_t>(n));
            }
        }
    }
}

}  // namespace

CommandResult runCommand(const std::vector<std::string>& argv,
                         const std::map<std::string, std::string>& extraEnvironment) {
    const Launch launch(argv, extraEnvironment);
    Pipe outPipe;
    Pipe errPipe;
    const pid_t pid = launch.start(outPipe.writeEnd(), errPipe.writeEnd());
    outPipe.closeWriteEnd();
    errPipe.closeWriteEnd();
    CommandResult result;
    drain(outPipe, errPipe, result.out, result.err);
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitCode = decodeStatus(status);
    return result;
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv,
                           const std::map<std::string, std::string>& extraEnvironment,
                           const std::filesystem::path& workingDirectory)
    : pid_(Launch(argv, extraEnvironment, workingDirectory).start()) {}

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
