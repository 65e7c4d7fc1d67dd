#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace dorvane {

// One diagnostic command, `dorvane NAME [arguments]`.
struct Command {
    // Gets the arguments after the name. The exit code, or none when the arguments do not fit:
    // the caller then shows the usage, as for every command alike.
    using Run = std::function<std::optional<int>(const std::vector<std::string>& args,
                                                 std::ostream& out, std::ostream& err)>;

    std::string name;
    // Its entry under "commands:" in `dorvane --help`, every line ending in LF.
    std::string help;
    Run run;
};

// The commands that only this platform has, which `--help` lists after the portable ones. Each
// platform defines it, so that the core never names a desktop's setup.
std::vector<Command> platformCommands();

}  // namespace dorvane
