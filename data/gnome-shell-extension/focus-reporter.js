// Tells the Dorvane companion which application has the focus, by calling its method on the
// session bus. Both formats of the extension hold this text as it is, after their own imports of
// Gio, GLib and Shell. `global` is GNOME Shell's own.

const COMPANION_NAME = 'app.dorvane.Companion';
const COMPANION_PATH = '/app/dorvane/Companion';
const COMPANION_INTERFACE = 'app.dorvane.Companion1';

// What ReportActiveWindow takes: desktop_id, app_name, window_class, title, nothing_active.
// The title stays empty: the companion never uses it, and a window's title ("Bank statement.pdf")
// must not reach whichever program owns the companion's name.
// A window-backed app is GNOME's stand-in for a window that matches no desktop entry: its ID
// names no entry, so none is reported and the companion goes by the window's class.
function focusFacts(app, window) {
    if (!app)
        return ['', '', '', '', true];
    return [
        app.is_window_backed() ? '' : app.get_id() ?? '',
        app.get_name() ?? '',
        window?.get_wm_class() ?? '',
        '',
        false,
    ];
}

class FocusReporter {
    enable() {
        this._tracker = Shell.WindowTracker.get_default();
        this._focusHandler = this._tracker.connect('notify::focus-app', () => this._report());
        // The watch calls back at once when the companion already runs, which is the report on
        // enabling; later, it brings a companion that starts after the shell up to date.
        this._companionWatch = Gio.bus_watch_name(Gio.BusType.SESSION, COMPANION_NAME,
            Gio.BusNameWatcherFlags.NONE,
            () => {
                this._companionPresent = true;
                this._report();
            },
            () => {
                this._companionPresent = false;
            });
    }

    disable() {
        Gio.bus_unwatch_name(this._companionWatch);
        this._tracker.disconnect(this._focusHandler);
        this._companionWatch = 0;
        this._focusHandler = 0;
        this._tracker = null;
        this._companionPresent = false;
    }

    // Without the companion there is no one to tell: no call, and nothing in the journal. A
    // companion that quits between the check and the call makes the call fail, which is ignored.
    _report() {
        if (!this._companionPresent)
            return;
        const facts = focusFacts(this._tracker.focus_app, global.display.focus_window);
        Gio.DBus.session.call(COMPANION_NAME, COMPANION_PATH, COMPANION_INTERFACE,
            'ReportActiveWindow', new GLib.Variant('(ssssb)', facts), null,
            Gio.DBusCallFlags.NO_AUTO_START, -1, null, (connection, result) => {
                try {
                    connection.call_finish(result);
                } catch (e) {
                }
            });
    }
}
