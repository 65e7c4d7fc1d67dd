#pragma once

#include <filesystem>
#include <string>

namespace dorvane {

// Hands web addresses and files to the applications the user chose for them. Failures are
// silent: the user sees that nothing opened.
class Opener {
public:
    virtual ~Opener() = default;

    // Opens the address in the default browser.
    virtual void openURL(const std::string& url) = 0;

    // Opens the file in the default application for its type.
    virtual void openFile(const std::filesystem::path& file) = 0;
};

}  // namespace dorvane
