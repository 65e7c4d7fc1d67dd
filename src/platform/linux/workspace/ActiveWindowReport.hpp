#pragma once

#include <string>

namespace dorvane {

// What code running inside the compositor (a KWin script, a GNOME Shell extension) tells of the
// active window. Any text may be empty when the compositor does not know it. The report's title
// argument, kept empty by both reporters, is not read.
struct ActiveWindowReport {
    std::string desktopId;  // the desktop entry the compositor matched, with or without ".desktop"
    std::string appName;    // the compositor's name for the application
    std::string windowClass;     // the window's app ID (its resource class under XWayland)
    bool nothingActive = false;  // no window has the focus: the desktop, or between two windows
};

}  // namespace dorvane
