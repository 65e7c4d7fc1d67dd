#include "rules/RulesFile.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>
#include <utility>

#include "rules/RulesError.hpp"
#include "text/Unicode.hpp"

namespace dorvane::rulesfile {
namespace {

constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

[[noreturn]] void throwSystemError(const std::filesystem::path& path) {
    throw FileError(path, std::generic_category().message(errno));
}

[[noreturn]] void throwTooLarge(const std::filesystem::path& path) {
    throw FileError(path, "larger than 1 MiB");
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }

    // Closes now, so that a failure can be reported; false with errno set when it fails.
    bool close() { return ::close(std::exchange(fd_, -1)) == 0; }

private:
    int fd_;
};

// mkstemp makes a private file (0600); the rules file keeps the permissions it had, or gets
// those of any new file.
mode_t permissionsFor(const std::filesystem::path& target) {
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0) {
        return existing.st_mode & 07777;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// A new file beside the target that replaces it on commit(), and is removed when it never does.
// mkstemp keeps it in the target's folder, so the rename stays on one file system.
class ReplacementFile {
public:
    explicit ReplacementFile(const std::filesystem::path& target)
        : target_(target),
          path_(target.parent_path() / ("." + target.filename().string() + ".XXXXXX")),
          file_(::mkstemp(path_.data())) {
        if (file_.get() < 0) {
            throwSystemError(target_);
        }
        ::fchmod(file_.get(), permissionsFor(target_));
    }
    ~ReplacementFile() {
        if (!committed_) {
            ::unlink(path_.c_str());
        }
    }
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    void write(std::string_view text) {
        while (!text.empty()) {
            const ssize_t count = ::write(file_.get(), text.data(), text.size());
            if (count < 0 && errno == EINTR) {
                continue;
            }
            if (count < 0) {
                throwSystemError(target_);
            }
            text.remove_prefix(static_cast<std::size_t>(count));
        }
    }

    void commit() {
        if (::fsync(file_.get()) != 0 || !file_.close() ||
            ::rename(path_.c_str(), target_.c_str()) != 0) {
            throwSystemError(target_);
        }
        committed_ = true;
    }

private:
    std::filesystem::path target_;
    std::string path_;
    FileDescriptor file_;
    bool committed_ = false;
};

// O_NONBLOCK: opening a FIFO without a writer, or some devices, would otherwise wait for ever.
// It changes nothing for the regular files that are then the only ones read.
FileDescriptor openRegularFile(const std::filesystem::path& path) {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat status {};
    if (file.get() < 0 || ::fstat(file.get(), &status) != 0) {
        throwSystemError(path);
    }
    if (!S_ISREG(status.st_mode)) {
        throw FileError(path, "not a regular file");
    }
    if (static_cast<std::uintmax_t>(status.st_size) > maxFileSize) {
        throwTooLarge(path);
    }
    return file;
}

// The size checked on opening is only a hint: the file may grow meanwhile, and some (those of
// /proc) report none at all. So the cap holds for the bytes actually read.
std::string readAll(const std::filesystem::path& path) {
    const FileDescriptor file = openRegularFile(path);
    std::string bytes;
    char buffer[16384];
    for (;;) {
        const ssize_t count = ::read(file.get(), buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            throwSystemError(path);
        }
        if (count == 0) {
            return bytes;
        }
        bytes.append(buffer, static_cast<std::size_t>(count));
        if (bytes.size() > maxFileSize) {
            throwTooLarge(path);
        }
    }
}

}  // namespace

std::optional<std::filesystem::file_time_type> modificationTime(const std::filesystem::path& path) {
    std::error_code error;
    const auto time = std::filesystem::last_write_time(path, error);
    if (error) {
        return std::nullopt;
    }
    return time;
}

std::string readTextFile(const std::filesystem::path& path) {
    std::string text = readAll(path);
    if (text.starts_with(byteOrderMark)) {
        text.erase(0, byteOrderMark.size());
    }
    if (!unicode::decodeUTF8(text)) {
        throw FileError(path, "not valid UTF-8 text");
    }
    return text;
}

void createFolder(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        throw FileError(folder, error.message());
    }
}

void writeFileAtomically(const std::filesystem::path& path, std::string_view text) {
    ReplacementFile replacement(path);
    replacement.write(text);
    replacement.commit();
}

}  // namespace dorvane::rulesfile
