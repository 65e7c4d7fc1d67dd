#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace dorvane {

// Text that does not parse as app rules. what() is the message shown to the user, exactly.
class RulesError : public std::runtime_error {
public:
    static constexpr std::string_view domain = "Dorvane";
    static constexpr int code = 1;

    // `line` is where parsing stopped, counted as an editor does (CRLF is one break); none for
    // a file that holds no rule at all.
    RulesError(const std::string& message, std::optional<std::size_t> line)
        : std::runtime_error(message), line_(line) {}

    std::optional<std::size_t> line() const { return line_; }

private:
    std::optional<std::size_t> line_;
};

// A file that could not be read, decoded, created or written. what() is "PATH: REASON", the
// reason being the system's own text or ours.
class FileError : public std::runtime_error {
public:
    FileError(const std::filesystem::path& path, const std::string& reason)
        : std::runtime_error(path.string() + ": " + reason), reason_(reason) {}

    const std::string& reason() const { return reason_; }

private:
    std::string reason_;
};

// An item that can be examined but holds no rules text: it is not a regular file, is too large
// to be a rules file, or its bytes are not UTF-8. Unlike a failure of the system, which may pass
// (a file deleted and created again while it is read), it stays until the user changes it.
class NotARulesFileError : public FileError {
public:
    using FileError::FileError;
};

}  // namespace dorvane
