#pragma once

#include <string>

namespace dorvane::test {

// The companion on headless GNOME Shell with its extension:
//   gnome-latency  an activation request to the shell → LAYER line on the pad, 100 switches,
//                  beside a bare D-Bus listener of the extension's report
bool isGnomeShellMode(const std::string& mode);
int runGnomeShellMode(const std::string& mode, const std::string& binary);

}  // namespace dorvane::test
