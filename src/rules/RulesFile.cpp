#include "rules/RulesFile.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
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
    throw NotARulesFileError(path, "larger than 1 MiB");
}

// Refuses what cannot hold rules text, from a status that follows links.
void checkRulesFileStatus(const std::filesystem::path& path, const struct stat& status) {
    if (!S_ISREG(status.st_mode)) {
        throw NotARulesFileError(path, "not a regular file");
    }
    if (static_cast<std::uintmax_t>(status.st_size) > maxFileSize) {
        throwTooLarge(path);
    }
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
            .inode = static_cast<std::uintmax_t>(status.st_ino)};
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

// Anything but a regular file is refused before it is opened: opening a FIFO wakes its waiting
// writer, which then dies of SIGPIPE, and opening a terminal raises its modem lines. The status
// is checked again once open, for an item replaced in between; O_NONBLOCK keeps such a FIFO or
// device from holding the open for ever.
FileDescriptor openRegularFile(const std::filesystem::path& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        throwSystemError(path);
    }
    checkRulesFileStatus(path, status);
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0 || ::fstat(file.get(), &status) != 0) {
        throwSystemError(path);
    }
    checkRulesFileStatus(path, status);
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
// system. A new rules file is created with 0666 for the kernel to apply the umask, which gives it
// its final mode at once: reading the umask would mean setting it, for every thread of the
// process at once. One that replaces a file starts private, and is given the original's mode
// before its first byte, so it is never wider open than the file it replaces.
NewFile createFileBeside(const std::filesystem::path& target, bool replacing) {
    const std::string prefix =
        (target.parent_path() / ("." + target.filename().string() + ".")).string();
    const mode_t mode = replacing ? 0600 : 0666;
    for (int attempt = 0; attempt < maxTemporaryNameAttempts; ++attempt) {
        std::string path = prefix + randomSuffix();
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) {
            return {std::move(path), fd};
        }
        if (errno != EEXIST) {
            break;
        }
    }
    throwSystemError(target);
}

// Makes the rename durable: until the folder is synced, a crash may bring back the old name's
// file, or neither. Some file systems cannot sync a folder (EINVAL) and keep what they keep.
void syncFolder(const std::filesystem::path& folder) {
    const FileDescriptor handle(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (handle.get() < 0 || (::fsync(handle.get()) != 0 && errno != EINVAL)) {
        throwSystemError(folder);
    }
}

// The folder's permissions alone would let the rename replace a file that its own forbid
// writing, and a file with other hard links would be parted from them, each keeping its own
// text: both are the user's to decide. Root may write anything, but a file without any write
// permission was made read-only on purpose.
void checkReplaceable(const std::filesystem::path& target, const struct stat& existing) {
    if ((existing.st_mode & 0222) == 0 ||
        ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
        throw FileError(target, "read-only, so it was left as it is");
    }
    if (existing.st_nlink > 1) {
        throw FileError(target,
                        "has other hard links, which a replacement would part from it, so it was "
                        "left as it is");
    }
}

// A file that replaces the target on commit(), and is removed when it never does.
class ReplacementFile {
public:
    // `mode`: the permissions of the file replaced; none for a new file.
    ReplacementFile(const std::filesystem::path& target, std::optional<mode_t> mode)
        : ReplacementFile(target, createFileBeside(target, mode.has_value())) {
        // The delegated constructor has made the object whole, so a throw here removes the file.
        if (mode && ::fchmod(file_.get(), *mode) != 0) {
            throwSystemError(target_);
        }
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
        syncFolder(target_.parent_path());
    }

private:
    ReplacementFile(const std::filesystem::path& target, NewFile file)
        : target_(target), path_(std::move(file.path)), file_(file.fd) {}

    std::filesystem::path target_;
    std::string path_;
    FileDescriptor file_;
    bool committed_ = false;
};

// The mode of the file to be replaced, after checking that it may be; none for a new file.
std::optional<mode_t> replaceableMode(const std::filesystem::path& target) {
    struct stat existing {};
    if (::stat(target.c_str(), &existing) != 0) {
        return std::nullopt;
    }
    if (S_ISREG(existing.st_mode)) {
        checkReplaceable(target, existing);
    }
    return existing.st_mode & 07777;
}

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
        throw NotARulesFileError(path, "not valid UTF-8 text");
    }
    return text;
}

void writeFileAtomically(const std::filesystem::path& path, std::string_view text) {
    const std::filesystem::path target = finalTarget(path);
    createFolder(target.parent_path());
    ReplacementFile replacement(target, replaceableMode(target));
    replacement.write(text);
    replacement.commit();
}

}  // namespace dorvane::rulesfile
