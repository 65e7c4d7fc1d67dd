#pragma once

#include <string>

namespace dorvane::test {

// companion_bench rules-save BINARY: a saved rules change → the LAYER line on the pad, 20 saves.
int rulesSave(const std::string& binary);

}  // namespace dorvane::test
