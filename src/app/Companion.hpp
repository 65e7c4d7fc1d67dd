#pragma once

namespace dorvane {

// Runs the companion on this platform's desktop until it is asked to quit; the exit code.
int runCompanion();

}  // namespace dorvane
