#pragma once

#include <filesystem>
#include <string>

#include "app/Opener.hpp"

namespace dorvane {

// Opens addresses and files with the handlers GIO finds for them: the user's defaults from
// mimeapps.list and the desktop entries, or the desktop portal inside a sandbox.
class GioOpener final : public Opener {
public:
    void openURL(const std::string& url) override;

    // `file` must be absolute: a relative path has no file URI, and then nothing opens.
    void openFile(const std::filesystem::path& file) override;
};

}  // namespace dorvane
