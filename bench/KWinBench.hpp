#pragma once

#include <string>

namespace dorvane::test {

// The companion on headless KWin:
//   kwin-latency  a test script's activation → LAYER line on the pad, 100 switches, beside a
//                 bare D-Bus listener of the focus script's report
bool isKWinMode(const std::string& mode);
int runKWinMode(const std::string& mode, const std::string& binary);

}  // namespace dorvane::test
