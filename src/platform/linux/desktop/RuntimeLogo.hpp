#pragma once

#include <filesystem>
#include <functional>
#include <string_view>

namespace dorvane {

// The logo drawn into a file or a folder of this process's own in the user's runtime folder, for a
// desktop service that reads it by its path. Removed with its contents when destroyed; the
// session clears the runtime folder should the process end first.
class RuntimeLogo {
public:
    enum class Kind { file, folder };
    using Writer = std::function<bool(const std::filesystem::path&)>;

    // The last "XXXXXX" in `pattern` becomes what makes the name this process's own; `write`
    // draws into the file or folder so made.
    RuntimeLogo(Kind kind, std::string_view pattern, const Writer& write);
    ~RuntimeLogo();
    RuntimeLogo(const RuntimeLogo&) = delete;
    RuntimeLogo& operator=(const RuntimeLogo&) = delete;

    // Empty when it could not be made or drawn, and nothing is left behind.
    const std::filesystem::path& path() const { return path_; }

private:
    void remove();

    std::filesystem::path path_;
};

}  // namespace dorvane
