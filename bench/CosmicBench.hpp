#pragma once

#include <string>

namespace dorvane::test {

// The companion on the stand-in for COSMIC's compositor, beside a bare client of the same two
// protocols on the same stand-in:
//   cosmic-latency  an activation request → the bare client seeing the batch that activates a
//                   toplevel, and → the LAYER line on the pad, 100 switches; the difference is
//                   the companion's own share
bool isCosmicMode(const std::string& mode);
int runCosmicMode(const std::string& mode, const std::string& binary);

}  // namespace dorvane::test
