#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace dorvane {

// Whether this system's launcher may hand a first launch a process serial number ("-psn_0_…"),
// as Finder does for an application downloaded from the web.
#ifdef __APPLE__
inline constexpr bool launchesWithSerialNumber = true;
#else
inline constexpr bool launchesWithSerialNumber = false;
#endif

// True when the arguments (without the program name) ask for the companion rather than a
// command: none at all, or where the launcher passes one, a lone process serial number.
inline bool runsCompanion(const std::vector<std::string>& args,
                          bool withSerialNumber = launchesWithSerialNumber) {
    return args.empty() || (withSerialNumber && args.size() == 1 && args[0].starts_with("-psn_"));
}

// The commands (check, slot, pads, send, frontmost, status, those of platformCommands(), --help,
// --version). `args` excludes the program name. Returns the exit code. The output formats are
// relied on by scripts.
int runCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace dorvane
