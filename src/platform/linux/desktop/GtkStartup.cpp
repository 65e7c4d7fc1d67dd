#include "platform/linux/desktop/GtkStartup.hpp"

#include <gtk/gtk.h>

#include "platform/linux/desktop/GdkDisplayLoss.hpp"

namespace dorvane {
namespace {

constexpr const char* glVariable = "GDK_GL";

}  // namespace

// GDK on X11 otherwise asks GLX at start-up which visuals suit OpenGL, which loads the OpenGL
// driver: on a machine without a GPU that is Mesa's software renderer with all of LLVM, some
// 50 MB resident in a program that never draws with OpenGL. GDK skips the question when another
// GTK 3 program has left its answer on the root window, so the cost showed only on desktops
// without one (a bare window manager, an XEmbed tray such as trayer).
//
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
