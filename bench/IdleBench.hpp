#pragma once

#include <string>

namespace dorvane::test {

// Which tray the desktop offers the companion while it idles.
enum class IdleTray { none, statusNotifierHost, xembedOnly };

// Runs the companion with the pad open and nothing happening for 60 s (DORVANE_IDLE_SECONDS),
// then prints its CPU time, its wake-ups (in total and per thread) and its resident memory.
int idleBench(const std::string& binary, IdleTray tray);

}  // namespace dorvane::test
