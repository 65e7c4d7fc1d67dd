#pragma once

#include "app/Opener.hpp"

namespace dorvane {

// NSWorkspace's openURL:, for web addresses and files alike.
class CocoaOpener final : public Opener {
public:
    void openURL(const std::string& url) override;
    void openFile(const std::filesystem::path& file) override;
};

}  // namespace dorvane
