#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// The file operations behind the app rules. Each failure throws FileError.
namespace dorvane::rulesfile {

// Rules files are a few lines long; anything bigger is a mistake (a device, a log, an archive)
// and is refused before it can exhaust memory.
inline constexpr std::size_t maxFileSize = 1024 * 1024;

struct FileTime {
    std::int64_t seconds = 0;
    long nanoseconds = 0;

    auto operator<=>(const FileTime&) const = default;
};

// One version of a file, as one stat() that follows links sees it. The modification time alone
// misses a restore that keeps it (cp -p, rsync -t), which still changes the status-change time,
// and a rename of another file over this one, which changes the inode.
struct FileStamp {
    FileTime modified;
    FileTime statusChanged;
    std::uintmax_t size = 0;
    std::uintmax_t device = 0;
    std::uintmax_t inode = 0;

    bool operator==(const FileStamp&) const = default;
};

// The stamp of whatever the path leads to; nullopt when it cannot be examined, which includes a
// dangling link.
std::optional<FileStamp> fileStamp(const std::filesystem::path& path);

// The whole file as text. Only a regular file of at most maxFileSize bytes is read; anything
// else is refused before it is opened. Invalid UTF-8 is an error; a leading UTF-8 byte-order
// mark is dropped. The refusals are NotARulesFileError, the system's failures FileError.
std::string readTextFile(const std::filesystem::path& path);

// Where a write through `path` must land for a symbolic link there to stay one: the end of its
// chain of links, which need not exist yet. A relative link leads from the link's own folder.
// Throws FileError for a link that cannot be read and for a loop.
std::filesystem::path finalTarget(std::filesystem::path path);

// Replaces the file whole or leaves it as it was: the text goes to a new file in the same folder,
// is synced to disk, and is then renamed over the target, and the folder synced. A symbolic link
// at `path` stays one: the file at the end of its chain is replaced, in that file's own folder,
// which is created when missing. A file that existed keeps its permissions, and the new one is
// never wider open meanwhile; a new one gets those the umask leaves. A read-only file and one
// with other hard links are refused, and left as they are.
void writeFileAtomically(const std::filesystem::path& path, std::string_view text);

}  // namespace dorvane::rulesfile
