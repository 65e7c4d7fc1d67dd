// Draws the icons committed under data/icons for the hicolor icon theme (`make icons`): the
// application icon and the symbolic one, from the same geometry and drawing as the tray's.
#include <filesystem>
#include <iostream>
#include <system_error>

#include "platform/linux/logo/CairoLogo.hpp"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: dorvane_logo FOLDER\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const bool written = !error && dorvane::writeApplicationLogo(folder / "dorvane.svg") &&
                         dorvane::writeSymbolicLogo(folder / "dorvane-symbolic.svg");
    if (!written) {
        std::cerr << "dorvane_logo: cannot write the icons into " << folder << '\n';
        return 1;
    }
    return 0;
}
