#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace dorvane::test {

// The value below which a share `p` (0 to 1) of `values` lies.
double percentile(std::vector<double> values, double p);

// Prints the CPU time, wake-ups and memory of the running process `pid` over
// DORVANE_IDLE_SECONDS (60 by default), after it has settled; `setting` says where it ran.
void reportIdle(pid_t pid, const std::string& setting);

}  // namespace dorvane::test
