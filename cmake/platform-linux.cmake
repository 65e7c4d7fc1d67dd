# Linux adapters: libudev for pad discovery, ICU for Unicode case mapping.
pkg_check_modules(UDEV REQUIRED IMPORTED_TARGET libudev)
pkg_check_modules(ICU REQUIRED IMPORTED_TARGET icu-uc)

target_sources(dorvane_core PRIVATE
    src/platform/linux/UdevRegistry.cpp
    src/platform/linux/PlatformRegistry.cpp
    src/platform/linux/UnicodeICU.cpp
    src/platform/linux/RulesLocation.cpp
)
target_link_libraries(dorvane_core PUBLIC PkgConfig::UDEV PkgConfig::ICU)

# The Linux shell: X11 (xcb, EWMH) for the frontmost window, GIO for desktop entries, GLib's loop.
pkg_check_modules(XCB REQUIRED IMPORTED_TARGET xcb xcb-ewmh)
pkg_check_modules(GIO REQUIRED IMPORTED_TARGET gio-unix-2.0)

add_library(dorvane_shell STATIC
    src/platform/linux/X11Workspace.cpp
    src/platform/linux/DesktopEntryIdentity.cpp
)
target_link_libraries(dorvane_shell PUBLIC dorvane_core PkgConfig::XCB PkgConfig::GIO)
