#include "platform/linux/GtkStartup.hpp"

#include <gtk/gtk.h>

#include "platform/linux/GdkDisplayLoss.hpp"

namespace dorvane {
namespace {

constexpr const char* glVariable = "GDK_GL";

}  // namespace

// GDK reads the variable once, while it initialises. A value the user set stands; ours is taken
// out again at once, so that the browser and editors the companion opens do not inherit it. No
// other thread of ours exists yet to read the environment meanwhile.
bool startGtk() {
    const bool userChose = g_getenv(glVariable) != nullptr;
    if (!userChose) {
        g_setenv(glVariable, "disable", TRUE);
    }
    const bool started = gtk_init_check(nullptr, nullptr);
    if (!userChose) {
        g_unsetenv(glVariable);
    }
    if (started) {
        endWithOurLineWhenGdkLosesItsDisplay();
    }
    return started;
}

}  // namespace dorvane
