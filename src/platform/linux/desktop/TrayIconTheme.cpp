#include "platform/linux/desktop/TrayIconTheme.hpp"

#include <string>
#include <system_error>

#include "platform/linux/logo/CairoLogo.hpp"

namespace dorvane {
namespace {

constexpr const char* panelIconFile = "dorvane-symbolic-panel.symbolic.png";
constexpr int panelIconSizes[] = {16, 22, 24, 32, 48};

// libayatana's XEmbed fallback draws the icon in this process, and prefers the name with "-panel"
// appended when the icon theme has it. Drawn in PNG at the sizes trays use, it spares the process
// the SVG renderer and its XML parser (some 8 MB), while hosts still read the SVG. The fallback
// asks the theme whether the name exists, which sees only icons in a theme's folders.
bool writePanelIcons(const std::filesystem::path& folder) {
    for (const int size : panelIconSizes) {
        const std::string sizeName = std::to_string(size) + "x" + std::to_string(size);
        const std::filesystem::path apps = folder / "hicolor" / sizeName / "apps";
        std::error_code error;
        std::filesystem::create_directories(apps, error);
        if (error || !writeSymbolicLogoPng(apps / panelIconFile, size)) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool writeTrayIconTheme(const std::filesystem::path& folder) {
    return writeSymbolicLogo(folder / (std::string(trayIconName) + ".svg")) &&
           writePanelIcons(folder);
}

}  // namespace dorvane
