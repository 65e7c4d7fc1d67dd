# Linux adapters: libudev for pad discovery, ICU for Unicode case mapping.
find_package(PkgConfig REQUIRED)
pkg_check_modules(UDEV REQUIRED IMPORTED_TARGET libudev)
pkg_check_modules(ICU REQUIRED IMPORTED_TARGET icu-uc)

target_sources(dorvane_core PRIVATE
    src/platform/linux/UdevRegistry.cpp
    src/platform/linux/PlatformRegistry.cpp
    src/platform/linux/UnicodeICU.cpp
    src/platform/linux/RulesLocation.cpp
    src/platform/linux/HomeFolder.cpp
)
target_link_libraries(dorvane_core PUBLIC PkgConfig::UDEV PkgConfig::ICU)

# The logo drawn with cairo, for the tray at run time and for the icon theme at build time.
pkg_check_modules(CAIRO REQUIRED IMPORTED_TARGET cairo)
add_library(dorvane_logo_drawing STATIC src/platform/linux/CairoLogo.cpp)
target_include_directories(dorvane_logo_drawing PUBLIC src)
target_link_libraries(dorvane_logo_drawing PUBLIC PkgConfig::CAIRO)

# The Linux shell: the frontmost window through a wlroots compositor's toplevel list or X11 (xcb,
# EWMH, and X-Resource for the process behind a window), chosen at start, GIO for desktop entries, GLib's loop, and the tray: a StatusNotifierItem with
# a GTK menu.
pkg_check_modules(XCB REQUIRED IMPORTED_TARGET xcb xcb-ewmh xcb-res)
pkg_check_modules(GIO REQUIRED IMPORTED_TARGET gio-unix-2.0)
pkg_check_modules(TRAY REQUIRED IMPORTED_TARGET gtk+-3.0 ayatana-appindicator3-0.1)

# wlroots compositors: the toplevel list's client code, generated from our own copy of the protocol
# (Debian ships none), on libwayland-client.
enable_language(C)
pkg_check_modules(WAYLAND REQUIRED IMPORTED_TARGET wayland-client)
pkg_get_variable(WAYLAND_SCANNER wayland-scanner wayland_scanner)
set(DORVANE_PROTOCOL ${PROJECT_SOURCE_DIR}/protocols/wlr-foreign-toplevel-management-unstable-v1.xml)
set(DORVANE_PROTOCOL_DIR ${PROJECT_BINARY_DIR}/protocols)
set(DORVANE_PROTOCOL_HEADER
    ${DORVANE_PROTOCOL_DIR}/wlr-foreign-toplevel-management-unstable-v1-client-protocol.h)
set(DORVANE_PROTOCOL_CODE ${DORVANE_PROTOCOL_DIR}/wlr-foreign-toplevel-management-unstable-v1.c)
add_custom_command(
    OUTPUT ${DORVANE_PROTOCOL_HEADER} ${DORVANE_PROTOCOL_CODE}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${DORVANE_PROTOCOL_DIR}
    COMMAND ${WAYLAND_SCANNER} client-header ${DORVANE_PROTOCOL} ${DORVANE_PROTOCOL_HEADER}
    COMMAND ${WAYLAND_SCANNER} private-code ${DORVANE_PROTOCOL} ${DORVANE_PROTOCOL_CODE}
    DEPENDS ${DORVANE_PROTOCOL}
    COMMENT "Generating the toplevel list's client code"
    VERBATIM)

add_library(dorvane_shell STATIC
    ${DORVANE_PROTOCOL_HEADER}
    ${DORVANE_PROTOCOL_CODE}
    src/platform/linux/WlrWorkspace.cpp
    src/platform/linux/WorkspaceFactory.cpp
    src/platform/linux/LinuxFrontmost.cpp
    src/platform/linux/X11Workspace.cpp
    src/platform/linux/DesktopEntryIdentity.cpp
    src/platform/linux/IdentityResolver.cpp
    src/platform/linux/GLibMainLoop.cpp
    src/platform/linux/TrayStatusItem.cpp
    src/platform/linux/GioOpener.cpp
    src/platform/linux/GtkDialogs.cpp
    src/platform/linux/GioRulesFolderWatch.cpp
    src/platform/linux/GDBusNotifier.cpp
    src/platform/linux/LinuxCompanion.cpp
)
target_include_directories(dorvane_shell PUBLIC ${DORVANE_PROTOCOL_DIR})
target_link_libraries(dorvane_shell PUBLIC dorvane_core dorvane_logo_drawing PkgConfig::XCB
                                           PkgConfig::GIO PkgConfig::TRAY PkgConfig::WAYLAND)

target_link_libraries(dorvane PRIVATE dorvane_shell)

# The icons for the icon theme, drawn at build time from the same geometry as the tray's.
add_executable(dorvane_logo src/platform/linux/WriteLogo.cpp)
target_link_libraries(dorvane_logo PRIVATE dorvane_logo_drawing)
set(DORVANE_ICONS_DIR ${PROJECT_BINARY_DIR}/icons)
add_custom_command(
    OUTPUT ${DORVANE_ICONS_DIR}/dorvane.svg ${DORVANE_ICONS_DIR}/dorvane-symbolic.svg
    COMMAND dorvane_logo ${DORVANE_ICONS_DIR}
    DEPENDS dorvane_logo
    COMMENT "Drawing the icons"
    VERBATIM)
add_custom_target(dorvane_icons ALL
    DEPENDS ${DORVANE_ICONS_DIR}/dorvane.svg ${DORVANE_ICONS_DIR}/dorvane-symbolic.svg)

# udev reads rules from /etc and /usr/lib only, whatever the install prefix.
set(DORVANE_UDEV_RULES_DIR "/etc/udev/rules.d" CACHE PATH "Where make install puts the udev rule")
install(FILES data/dorvane.desktop DESTINATION share/applications)
install(FILES ${DORVANE_ICONS_DIR}/dorvane.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${DORVANE_ICONS_DIR}/dorvane-symbolic.svg
        DESTINATION share/icons/hicolor/symbolic/apps)
install(FILES data/70-dorvane.rules DESTINATION ${DORVANE_UDEV_RULES_DIR})
