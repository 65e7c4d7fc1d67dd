#pragma once

#include <filesystem>
#include <string>

namespace dorvane {

// The companion shows no page and edits no text itself: the configurator is a web page and the
// rules file a text file, each handed to the application the user chose for its kind. Failures
// are silent: the user sees that nothing opened, and there is nobody else to tell.
class Opener {
public:
    virtual ~Opener() = default;

    virtual void openURL(const std::string& url) = 0;

    // By the file's type, so that the rules file opens in the user's own text editor.
    virtual void openFile(const std::filesystem::path& file) = 0;
};

}  // namespace dorvane
