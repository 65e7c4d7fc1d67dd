# Linux adapters: libudev for pad discovery, ICU for Unicode case mapping, GLib's loop for
# udev's announcements.
find_package(PkgConfig REQUIRED)
pkg_check_modules(UDEV REQUIRED IMPORTED_TARGET libudev)
pkg_check_modules(ICU REQUIRED IMPORTED_TARGET icu-uc)
pkg_check_modules(GIO REQUIRED IMPORTED_TARGET gio-unix-2.0)

target_sources(dorvane_core PRIVATE
    src/platform/linux/UdevRegistry.cpp
    src/platform/linux/UdevMonitor.cpp
    src/platform/linux/PlatformRegistry.cpp
    src/platform/linux/UnicodeICU.cpp
    src/platform/linux/RulesLocation.cpp
    src/platform/linux/HomeFolder.cpp
)
target_link_libraries(dorvane_core PUBLIC PkgConfig::UDEV PkgConfig::ICU PkgConfig::GIO)

# The logo drawn with cairo, for the tray at run time and for the icon theme at build time.
pkg_check_modules(CAIRO REQUIRED IMPORTED_TARGET cairo)
add_library(dorvane_logo_drawing STATIC src/platform/linux/CairoLogo.cpp)
target_include_directories(dorvane_logo_drawing PUBLIC src)
target_link_libraries(dorvane_logo_drawing PUBLIC PkgConfig::CAIRO)

# The Linux shell: the frontmost window through a wlroots compositor's toplevel list or X11 (xcb,
# EWMH, and X-Resource for the process behind a window), chosen at start; GIO (found above) for
# desktop entries, GLib's loop, and the tray: a StatusNotifierItem with a GTK menu.
pkg_check_modules(XCB REQUIRED IMPORTED_TARGET xcb xcb-ewmh xcb-res)
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

# KWin's focus script, carried in the binary so that the companion needs no data file.
set(DORVANE_KWIN_SCRIPT ${PROJECT_SOURCE_DIR}/data/kwin/dorvane-focus.js)
set(DORVANE_KWIN_SCRIPT_CODE ${PROJECT_BINARY_DIR}/embedded/KWinFocusScript.cpp)
add_custom_command(
    OUTPUT ${DORVANE_KWIN_SCRIPT_CODE}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${DORVANE_KWIN_SCRIPT} -DOUTPUT=${DORVANE_KWIN_SCRIPT_CODE}
            -DNAME=kwinFocusScript -P ${PROJECT_SOURCE_DIR}/cmake/EmbedText.cmake
    DEPENDS ${DORVANE_KWIN_SCRIPT} ${PROJECT_SOURCE_DIR}/cmake/EmbedText.cmake
            ${PROJECT_SOURCE_DIR}/cmake/CxxLiteral.cmake
    COMMENT "Embedding KWin's focus script"
    VERBATIM)

# The GNOME Shell extension, in a variant for each format of GNOME Shell, generated from one
# shared source and embedded in the binary for `dorvane gnome-extension install`.
set(DORVANE_GNOME_EXTENSION_UUID dorvane@dorvane.app)
set(DORVANE_GNOME_EXTENSION_VARIANTS "legacy:43:44;modules:45:50")
set(DORVANE_GNOME_EXTENSION_SOURCE ${PROJECT_SOURCE_DIR}/data/gnome-shell-extension)
set(DORVANE_GNOME_EXTENSION_DIR ${PROJECT_BINARY_DIR}/gnome-shell-extension)
set(DORVANE_GNOME_EXTENSION_CODE ${DORVANE_GNOME_EXTENSION_DIR}/GnomeExtensionVariants.cpp)
set(dorvane_gnome_extension_files)
foreach(variant IN LISTS DORVANE_GNOME_EXTENSION_VARIANTS)
    string(REGEX REPLACE ":.*" "" variant ${variant})
    list(APPEND dorvane_gnome_extension_files ${DORVANE_GNOME_EXTENSION_DIR}/${variant}/extension.js
                                              ${DORVANE_GNOME_EXTENSION_DIR}/${variant}/metadata.json)
endforeach()
add_custom_command(
    OUTPUT ${DORVANE_GNOME_EXTENSION_CODE} ${dorvane_gnome_extension_files}
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${DORVANE_GNOME_EXTENSION_SOURCE}
            -DOUTPUT_DIR=${DORVANE_GNOME_EXTENSION_DIR} -DUUID=${DORVANE_GNOME_EXTENSION_UUID}
            "-DVARIANTS=${DORVANE_GNOME_EXTENSION_VARIANTS}"
            -P ${PROJECT_SOURCE_DIR}/cmake/generate-gnome-shell-extension.cmake
    DEPENDS ${PROJECT_SOURCE_DIR}/cmake/generate-gnome-shell-extension.cmake
            ${PROJECT_SOURCE_DIR}/cmake/CxxLiteral.cmake
            ${DORVANE_GNOME_EXTENSION_SOURCE}/focus-reporter.js
            ${DORVANE_GNOME_EXTENSION_SOURCE}/extension-legacy.js.in
            ${DORVANE_GNOME_EXTENSION_SOURCE}/extension-modules.js.in
            ${DORVANE_GNOME_EXTENSION_SOURCE}/metadata.json.in
    COMMENT "Generating the GNOME Shell extension's variants"
    VERBATIM)

add_library(dorvane_shell STATIC
    ${DORVANE_PROTOCOL_HEADER}
    ${DORVANE_PROTOCOL_CODE}
    ${DORVANE_KWIN_SCRIPT_CODE}
    src/platform/linux/WaylandDisplay.cpp
    src/platform/linux/WlrWorkspace.cpp
    src/platform/linux/ReportedWorkspace.cpp
    src/platform/linux/SessionBus.cpp
    src/platform/linux/FocusReportEndpoint.cpp
    src/platform/linux/KWinWorkspace.cpp
    src/platform/linux/KWinScript.cpp
    src/platform/linux/GnomeShellWorkspace.cpp
    ${DORVANE_GNOME_EXTENSION_CODE}
    src/platform/linux/GnomeExtensionSetup.cpp
    src/platform/linux/GnomeExtensionCommand.cpp
    src/platform/linux/WorkspaceFactory.cpp
    src/platform/linux/LinuxFrontmost.cpp
    src/platform/linux/X11Workspace.cpp
    src/platform/linux/DesktopEntryIdentity.cpp
    src/platform/linux/IdentityResolver.cpp
    src/platform/linux/GLibMainLoop.cpp
    src/platform/linux/GtkStartup.cpp
    src/platform/linux/GdkDisplayLoss.cpp
    src/platform/linux/TrayStatusItem.cpp
    src/platform/linux/GioOpener.cpp
    src/platform/linux/GtkDialogs.cpp
    src/platform/linux/GioRulesFolderWatch.cpp
    src/platform/linux/GDBusNotifier.cpp
    src/platform/linux/LinuxCompanion.cpp
    src/platform/linux/InstanceLockFile.cpp
)
target_include_directories(dorvane_shell PUBLIC ${DORVANE_PROTOCOL_DIR})
target_link_libraries(dorvane_shell PUBLIC dorvane_core dorvane_logo_drawing PkgConfig::XCB
                                           PkgConfig::GIO PkgConfig::TRAY PkgConfig::WAYLAND)

target_link_libraries(dorvane PRIVATE dorvane_shell)

# The icon theme's icons are committed SVGs, so that a build, native or cross, runs nothing it
# built. dorvane_logo redraws them from the tray's geometry (`make icons`); a test checks that the
# committed files still match what it draws.
add_executable(dorvane_logo EXCLUDE_FROM_ALL src/platform/linux/WriteLogo.cpp)
target_link_libraries(dorvane_logo PRIVATE dorvane_logo_drawing)

# udev reads rules from /etc and /usr/lib only. An install into /usr follows udev's own folder; one
# elsewhere (/usr/local) puts the rule where udev still finds it.
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
    pkg_get_variable(DORVANE_UDEV_DIR udev udevdir)
    if(NOT DORVANE_UDEV_DIR)
        set(DORVANE_UDEV_DIR /usr/lib/udev)
    endif()
    set(dorvane_default_udev_rules_dir ${DORVANE_UDEV_DIR}/rules.d)
else()
    set(dorvane_default_udev_rules_dir /etc/udev/rules.d)
endif()
set(DORVANE_UDEV_RULES_DIR ${dorvane_default_udev_rules_dir}
    CACHE PATH "Where the udev rule is installed")
option(DORVANE_INSTALL_AUTOSTART "Install an XDG autostart entry: the companion starts at every login" OFF)

install(FILES data/dorvane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/icons/dorvane.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES data/icons/dorvane-symbolic.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/symbolic/apps)
install(FILES data/app.dorvane.companion.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES data/dorvane.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME dorvane)
install(FILES docs/dorvane.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES data/70-dorvane.rules DESTINATION ${DORVANE_UDEV_RULES_DIR})
if(DORVANE_INSTALL_AUTOSTART)
    install(FILES data/autostart/dorvane.desktop
            DESTINATION ${CMAKE_INSTALL_FULL_SYSCONFDIR}/xdg/autostart)
endif()

# The GNOME Shell extension for every user, in the variant that the GNOME Shell of the target
# system loads: `auto` asks this machine's gnome-shell (the newest variant without one); a package
# names the variant for its distribution.
set(DORVANE_GNOME_SHELL_EXTENSION auto CACHE STRING
    "The GNOME Shell extension installed for every user: legacy (GNOME Shell 43-44), modules (45 and later), auto or none")
set(dorvane_gnome_extension_variant ${DORVANE_GNOME_SHELL_EXTENSION})
if(dorvane_gnome_extension_variant STREQUAL "auto")
    list(GET DORVANE_GNOME_EXTENSION_VARIANTS -1 newest)
    string(REGEX REPLACE ":.*" "" dorvane_gnome_extension_variant ${newest})
    execute_process(COMMAND gnome-shell --version OUTPUT_VARIABLE shell_version ERROR_QUIET)
    if(shell_version MATCHES "^GNOME Shell ([0-9]+)")
        foreach(variant IN LISTS DORVANE_GNOME_EXTENSION_VARIANTS)
            string(REPLACE ":" ";" fields ${variant})
            list(GET fields 1 oldest)
            list(GET fields 2 newest)
            if(CMAKE_MATCH_1 GREATER_EQUAL oldest AND CMAKE_MATCH_1 LESS_EQUAL newest)
                list(GET fields 0 dorvane_gnome_extension_variant)
            endif()
        endforeach()
    endif()
endif()
if(NOT dorvane_gnome_extension_variant STREQUAL "none")
    install(FILES ${DORVANE_GNOME_EXTENSION_DIR}/${dorvane_gnome_extension_variant}/extension.js
                  ${DORVANE_GNOME_EXTENSION_DIR}/${dorvane_gnome_extension_variant}/metadata.json
            DESTINATION ${CMAKE_INSTALL_DATADIR}/gnome-shell/extensions/${DORVANE_GNOME_EXTENSION_UUID})
endif()
