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
// reason being the system's own text, or ours: the bytes are not UTF-8, the item is not a
// regular file, or it is too large to be a rules file.
class FileError : public std::runtime_error {
public:
    FileError(const std::filesystem::path& path, const std::string& reason)
        : std::runtime_error(path.string() + ": " + reason) {}
};

}  // namespace dorvane
