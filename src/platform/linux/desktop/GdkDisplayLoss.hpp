#pragma once

namespace dorvane {

// GDK ends the process by itself when its display goes away: one log line of its own, then an
// immediate exit. The companion's own connection to the same display usually notices first and
// ends in order, but which of the two sockets wakes the loop first is up to the kernel. From this
// call on, GDK's ending says the companion's one line and exits with its code, 1.
void endWithOurLineWhenGdkLosesItsDisplay();

}  // namespace dorvane
