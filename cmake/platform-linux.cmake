# The Linux platform's libraries, generated code and installed files; its sources are listed by
# folder in src/platform/linux. The core takes libudev for pad discovery, ICU for Unicode case
# mapping, GLib's loop for udev's announcements.
find_package(PkgConfig REQUIRED)
pkg_check_modules(UDEV REQUIRED IMPORTED_TARGET libudev)
pkg_check_modules(ICU REQUIRED IMPORTED_TARGET icu-uc)
pkg_check_modules(GIO REQUIRED IMPORTED_TARGET gio-unix-2.0)

target_link_libraries(dorvane_core PUBLIC PkgConfig::UDEV PkgConfig::ICU PkgConfig::GIO)

# The logo is drawn with cairo.
pkg_check_modules(CAIRO REQUIRED IMPORTED_TARGET cairo)

# The Linux shell: the frontmost window through a wlroots or COSMIC compositor's toplevel list or
# X11 (xcb, EWMH, and X-Resource for the process behind a window), chosen at start; GIO (found
# above) for desktop entries, GLib's loop, and the tray: a StatusNotifierItem with a GTK menu.
pkg_check_modules(XCB REQUIRED IMPORTED_TARGET xcb xcb-ewmh xcb-res)
pkg_check_modules(TRAY REQUIRED IMPORTED_TARGET gtk+-3.0 ayatana-appindicator3-0.1)

# Wayland compositors: the toplevel lists' code, generated from our own copies of the protocols
# (Debian 12 ships none of them, so every release builds from the same), on libwayland-client.
enable_language(C)
pkg_check_modules(WAYLAND REQUIRED IMPORTED_TARGET wayland-client)
pkg_get_variable(WAYLAND_SCANNER wayland-scanner wayland_scanner)
set(DORVANE_PROTOCOL_DIR ${PROJECT_BINARY_DIR}/protocols)

# dorvane_wayland_protocol(NAME) generates from protocols/NAME.xml its client header, its server
# header (for the tests' stand-in compositors) and its interface tables, which both ends share:
# NAME_PROTOCOL_HEADERS and NAME_PROTOCOL_CODE name them.
function(dorvane_wayland_protocol name)
    set(xml ${PROJECT_SOURCE_DIR}/protocols/${name}.xml)
    set(client ${DORVANE_PROTOCOL_DIR}/${name}-client-protocol.h)
    set(server ${DORVANE_PROTOCOL_DIR}/${name}-server-protocol.h)
    set(code ${DORVANE_PROTOCOL_DIR}/${name}.c)
    add_custom_command(
        OUTPUT ${client} ${server} ${code}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${DORVANE_PROTOCOL_DIR}
        COMMAND ${WAYLAND_SCANNER} client-header ${xml} ${client}
        COMMAND ${WAYLAND_SCANNER} server-header ${xml} ${server}
        COMMAND ${WAYLAND_SCANNER} private-code ${xml} ${code}
        DEPENDS ${xml}
        COMMENT "Generating the code of ${name}"
        VERBATIM)
    set(${name}_PROTOCOL_HEADERS ${client} ${server} PARENT_SCOPE)
    set(${name}_PROTOCOL_CODE ${code} PARENT_SCOPE)
endfunction()

dorvane_wayland_protocol(wlr-foreign-toplevel-management-unstable-v1)
dorvane_wayland_protocol(ext-foreign-toplevel-list-v1)
dorvane_wayland_protocol(cosmic-toplevel-info-unstable-v1)

# COSMIC's two protocols, for the companion and the tests' stand-in compositor alike, with the
# interfaces they name from protocols this program does not use.
add_library(dorvane_cosmic_protocols STATIC
    ${ext-foreign-toplevel-list-v1_PROTOCOL_HEADERS}
    ${ext-foreign-toplevel-list-v1_PROTOCOL_CODE}
    ${cosmic-toplevel-info-unstable-v1_PROTOCOL_HEADERS}
    ${cosmic-toplevel-info-unstable-v1_PROTOCOL_CODE}
    ${PROJECT_SOURCE_DIR}/src/platform/linux/cosmic/CosmicReferencedInterfaces.c
)
# Only libwayland's declarations: each end links the library of its own side.
target_include_directories(dorvane_cosmic_protocols PUBLIC ${DORVANE_PROTOCOL_DIR}
                                                           ${WAYLAND_INCLUDE_DIRS})

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
set(DORVANE_GNOME_EXTENSION_VARIANTS "legacy:43:44;modules:45:51")
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
    ${wlr-foreign-toplevel-management-unstable-v1_PROTOCOL_HEADERS}
    ${wlr-foreign-toplevel-management-unstable-v1_PROTOCOL_CODE}
    ${DORVANE_KWIN_SCRIPT_CODE}
    ${DORVANE_GNOME_EXTENSION_CODE}
)
target_include_directories(dorvane_shell PUBLIC ${DORVANE_PROTOCOL_DIR})
target_link_libraries(dorvane_shell PUBLIC dorvane_core dorvane_logo_drawing
                                           dorvane_cosmic_protocols PkgConfig::XCB PkgConfig::GIO
                                           PkgConfig::TRAY PkgConfig::WAYLAND)

target_link_libraries(dorvane PRIVATE dorvane_shell)
add_subdirectory(src/platform/linux)

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
# A systemd user unit for compositors that do not read XDG autostart (sway, labwc, …): installed,
# never enabled; `systemctl --user enable dorvane.service` enables it. systemd looks for user units
# in lib/systemd/user under /usr and /usr/local alike.
set(DORVANE_SYSTEMD_USER_UNIT_DIR ${CMAKE_INSTALL_PREFIX}/lib/systemd/user
    CACHE PATH "Where the systemd user unit is installed")
configure_file(data/systemd/dorvane.service.in dorvane.service @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/dorvane.service DESTINATION ${DORVANE_SYSTEMD_USER_UNIT_DIR})
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
