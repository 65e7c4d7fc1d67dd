#pragma once

namespace dorvane {

// Initialises GTK for the tray and the dialogs; false when it cannot start (no display, say).
//
// GDK on X11 otherwise asks GLX at start-up which visuals suit OpenGL, which loads the OpenGL
// driver: on a machine without a GPU that is Mesa's software renderer with all of LLVM, some
// 50 MB resident in a program that never draws with OpenGL. GDK skips the question when another
// GTK 3 program has left its answer on the root window, so the cost showed only on desktops
// without one (a bare window manager, an XEmbed tray such as trayer).
bool startGtk();

}  // namespace dorvane
