#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "rules/RunningApplication.hpp"

namespace dorvane {

// What a desktop tells about the application behind a window: X11 properties and the process
// on X11, the toplevel's app ID on Wayland, and what a compositor reports of its active window.
// Every text is valid UTF-8. A window's title is not among them: it changes while the application
// stays the same, and no rule matches it.
struct WindowFacts {
    std::optional<std::string> gtkApplicationId;  // _GTK_APPLICATION_ID
    std::optional<std::string> flatpakAppId;      // [Application] name of the sandbox's info file
    std::optional<std::string> wmClassInstance;   // WM_CLASS, first string
    std::optional<std::string> wmClassClass;      // WM_CLASS, second string
    std::optional<std::string> appId;             // a Wayland toplevel's app ID
    std::optional<std::string> applicationName;   // a reporting compositor's name for it
};

// Names the application through its desktop entry: the entry's ID (without ".desktop") is the
// bundle identifier and its Name the localized name. The entry is the one whose ID the app ID, GTK
// or Flatpak application ID gives, else the one whose StartupWMClass is the window's class (the
// app ID on Wayland), else the one whose ID is the class, instance or app ID, ignoring ASCII case.
// A hidden helper entry gives way to the visible entry of the same application. With no entry,
// both are the class or app ID, but the compositor's name for the application, when it gave one,
// is the name. Both texts are valid UTF-8, as RunningApplication requires.
//
// Reads desktop entries through GIO, uncached (IdentityResolver caches): set XDG_DATA_HOME and
// XDG_DATA_DIRS before the first call in the process.
RunningApplication identifyApplication(const WindowFacts& facts);

// A desktop-file ID ("slack.desktop") as the entry's ID that WindowFacts and rules use ("slack").
std::string withoutDesktopSuffix(std::string_view desktopId);

// The application ID in a Flatpak sandbox's info file (a key file, [Application] name=ID); none
// when the file is missing, unreadable or lacks the key.
std::optional<std::string> flatpakAppIdFromInfoFile(const std::string& path);

}  // namespace dorvane
