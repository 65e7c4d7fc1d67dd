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
    src/platform/linux/GLibMainLoop.cpp
    src/platform/linux/LinuxCompanion.cpp
)
target_link_libraries(dorvane_shell PUBLIC dorvane_core PkgConfig::XCB PkgConfig::GIO)

target_link_libraries(dorvane PRIVATE dorvane_shell)

# udev reads rules from /etc and /usr/lib only, whatever the install prefix.
set(DORVANE_UDEV_RULES_DIR "/etc/udev/rules.d" CACHE PATH "Where make install puts the udev rule")
install(FILES data/dorvane.desktop DESTINATION share/applications)
install(FILES data/70-dorvane.rules DESTINATION ${DORVANE_UDEV_RULES_DIR})
