#pragma once

#include <string>

namespace dorvane::test {

// The companion on headless KWin:
//   kwin-latency  a test script's activation → LAYER line on the pad, 100 switches
bool isKWinMode(const std::string& mode);
int runKWinMode(const std::string& mode, const std::string& binary);

}  // namespace dorvane::test
