#include "rules/RulesFile.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <string>
#include <system_error>
#include <utility>

#include "rules/RulesError.hpp"
#include "text/Unicode.hpp"

namespace dorvane::rulesfile {
namespace {

constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

// As many as Linux follows itself before giving up with ELOOP.
constexpr int maxSymbolicLinks = 40;

constexpr int maxTemporaryNameAttempts = 100;

[[noreturn]] void throwSystemError(const std::filesystem::path& path) {
    throw FileError(path, std::generic_category().message(errno));
}

[[noreturn]] void throwTooLarge(const std::filesystem::path& path) {
    throw FileError(path, "larger than 1 MiB");
}

// The one place where the platforms name stat's times differently.
FileStamp stampOf(const struct stat& status) {
#ifdef __APPLE__
    const timespec& modified = status.st_mtimespec;
    const timespec& changed = status.st_ctimespec;
#else
    const timespec& modified = status.st_mtim;
    const timespec& changed = status.st_ctim;
#endif
    return {.modified = {modified.tv_sec, modified.tv_nsec},
            .statusChanged = {changed.tv_sec, changed.tv_nsec},
            .size = static_cast<std::uintmax_t>(status.st_size),
            .device = static_cast<std::uintmax_t>(status.st_dev),
            .inode = static_cast<std::uintmax_t>(status.st_ino),
            .regularFile = S_ISREG(status.st_mode)};
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

void createFolder(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        throw FileError(folder, error.message());
    }
}

std::string randomSuffix() {
    static constexpr std::string_view characters = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device source;
    std::uniform_int_distribution<std::size_t> pick(0, characters.size() - 1);
    std::string suffix(8, '\0');
    for (char& character : suffix) {
        character = characters[pick(source)];
    }
    return suffix;
}

struct NewFile {
    std::string path;
    int fd;
};

// A file of a name no one else has, beside the target so that the rename stays on one file
// system. Mode 0666 lets the kernel apply the umask as for any new file: reading the umask would
// mean setting it, for every thread of the process at once.
NewFile createFileBeside(const std::filesystem::path& target) {
    const std::string prefix =
        (target.parent_path() / ("." + target.filename().string() + ".")).string();
    for (int attempt = 0; attempt < maxTemporaryNameAttempts; ++attempt) {
        std::string path = prefix + randomSuffix();
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            return {std::move(path), fd};
        }
        if (errno != EEXIST) {
            break;
        }
    }
    throwSystemError(target);
}

// A file that replaces the target on commit(), and is removed when it never does.
class ReplacementFile {
public:
    explicit ReplacementFile(const std::filesystem::path& target)
        : ReplacementFile(target, createFileBeside(target)) {}
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
        if (!keepTargetsPermissions() || ::fsync(file_.get()) != 0 || !file_.close() ||
            ::rename(path_.c_str(), target_.c_str()) != 0) {
            throwSystemError(target_);
        }
        committed_ = true;
    }

private:
    ReplacementFile(const std::filesystem::path& target, NewFile file)
        : target_(target), path_(std::move(file.path)), file_(file.fd) {}

    // The user may have narrowed or widened them on purpose; a new file keeps what it got.
    bool keepTargetsPermissions() {
        struct stat existing {};
        return ::stat(target_.c_str(), &existing) != 0 ||
               ::fchmod(file_.get(), existing.st_mode & 07777) == 0;
    }

    std::filesystem::path target_;
    std::string path_;
    FileDescriptor file_;
    bool committed_ = false;
};

}  // namespace

std::filesystem::path finalTarget(std::filesystem::path path) {
    for (int followed = 0; followed <= maxSymbolicLinks; ++followed) {
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            return path;
        }
        std::error_code error;
        const auto target = std::filesystem::read_symlink(path, error);
        if (error) {
            throw FileError(path, error.message());
        }
        path = path.parent_path() / target;
    }
    errno = ELOOP;
    throwSystemError(path);
}

std::optional<FileStamp> fileStamp(const std::filesystem::path& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return std::nullopt;
    }
    return stampOf(status);
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

void writeFileAtomically(const std::filesystem::path& path, std::string_view text) {
    const std::filesystem::path target = finalTarget(path);
    createFolder(target.parent_path());
    ReplacementFile replacement(target);
    replacement.write(text);
    replacement.commit();
}

}  // namespace dorvane::rulesfile
