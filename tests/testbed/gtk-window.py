#!/usr/bin/env python3
"""One GTK 3 window whose Wayland app ID is APP_ID: gtk-window.py APP_ID [TITLE].

GTK takes the app ID from the program name, so it is set before the first window exists.
"""
import sys

import gi

gi.require_version("Gtk", "3.0")
from gi.repository import GLib, Gtk  # noqa: E402

app_id = sys.argv[1]
GLib.set_prgname(app_id)
window = Gtk.Window(title=sys.argv[2] if len(sys.argv) > 2 else app_id)
window.set_default_size(320, 200)
window.connect("destroy", Gtk.main_quit)
window.show()
Gtk.main()
