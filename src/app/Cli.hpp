#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace dorvane {

// The diagnostic commands (check, slot, pads, send, --help, --version). `args` excludes the
// program name. Returns the exit code. The output formats are relied on by scripts.
int runCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace dorvane
