#pragma once

#include <string>

namespace dorvane::test {

// Windows of 10,000 distinct made-up classes (DORVANE_CLASSES), 4 KB each, brought to the front
// one after another on Xvfb + openbox: prints the companion's resident memory before and after,
// and fails when it ends above the idle target plus a small margin.
int classFlood(const std::string& binary);

}  // namespace dorvane::test
