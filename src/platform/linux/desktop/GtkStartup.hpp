#pragma once

namespace dorvane {

// Initialises GTK for the tray and the dialogs, without OpenGL; false when it cannot start (no
// display, say).
bool startGtk();

}  // namespace dorvane
