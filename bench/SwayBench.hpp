#pragma once

#include <string>

namespace dorvane::test {

// The companion on headless sway:
//   sway-latency  a focus request over sway's IPC socket → LAYER line on the pad, 100 switches,
//                 beside a bare client of the toplevel list
//   sway-idle     CPU time, wake-ups and memory over 60 s with the pad open
bool isSwayMode(const std::string& mode);
int runSwayMode(const std::string& mode, const std::string& binary);

}  // namespace dorvane::test
