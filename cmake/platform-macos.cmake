# macOS adapters: IOKit for pad discovery, CoreFoundation for Unicode case mapping, Foundation for
# the home folder. AppKit code is Objective-C++ with ARC; it takes its language standard from the
# targets' C++ settings. ARC goes into the flags variable because, unlike add_compile_options(),
# that also reaches the core, which exists before this file is read.
enable_language(OBJCXX)
string(APPEND CMAKE_OBJCXX_FLAGS " -fobjc-arc")

target_sources(dorvane_core PRIVATE
    src/platform/macos/IOKitRegistry.cpp
    src/platform/macos/IOKitMonitor.cpp
    src/platform/macos/PlatformRegistry.cpp
    src/platform/macos/CFStrings.cpp
    src/platform/macos/UnicodeCF.cpp
    src/platform/macos/RulesLocation.mm
)
target_link_libraries(dorvane_core PUBLIC
    "-framework CoreFoundation" "-framework IOKit" "-framework Foundation")

# The AppKit shell: the accessory application, the status item, the workspace, panels and alerts.
add_library(dorvane_shell STATIC
    src/platform/macos/CocoaWorkspace.mm
    src/platform/macos/CocoaMainLoop.mm
    src/platform/macos/BrandLogo.mm
    src/platform/macos/StatusBarItem.mm
    src/platform/macos/CocoaOpener.mm
    src/platform/macos/CocoaDialogs.mm
    src/platform/macos/UserNotificationNotifier.mm
    src/platform/macos/MacCompanion.mm
    src/platform/macos/MacFrontmost.mm
    src/platform/macos/MacCommands.cpp
    src/platform/macos/MacStatus.cpp
    src/platform/macos/InstanceLockFile.mm
)
target_link_libraries(dorvane_shell PUBLIC dorvane_core "-framework AppKit"
                                           "-framework UserNotifications")

target_link_libraries(dorvane PRIVATE dorvane_shell)

# Dorvane.app: a menu-bar application without a Dock icon (LSUIElement). The same executable
# answers the diagnostic commands when it is given arguments.
set_target_properties(dorvane PROPERTIES
    OUTPUT_NAME Dorvane
    MACOSX_BUNDLE TRUE
    MACOSX_BUNDLE_INFO_PLIST ${PROJECT_SOURCE_DIR}/data/macos/Info.plist.in
    MACOSX_BUNDLE_BUNDLE_NAME Dorvane
    MACOSX_BUNDLE_GUI_IDENTIFIER app.dorvane.companion
    MACOSX_BUNDLE_SHORT_VERSION_STRING ${PROJECT_VERSION}
    MACOSX_BUNDLE_BUNDLE_VERSION ${PROJECT_VERSION}
    MACOSX_BUNDLE_COPYRIGHT "Dorvane companion")
