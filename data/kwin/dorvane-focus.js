// Runs inside KWin and tells the Dorvane companion which window is active: once at start, so
// that the pad is right before the first switch, then at every activation. Plasma 6 renamed the
// workspace's window API; which names to use is found by asking this KWin, not by its version.
const plasma6 = typeof workspace.windowList === "function";

// callDBus sends JavaScript values as they are: anything but a string would not fit the
// method's signature, and the call would be refused.
function text(value) {
    return String(value || "");
}

// KWin activates null between two windows: that is reported as nothing active. The title stays
// empty: rules never match it, and a script left loaded by a companion that crashed would tell it
// to whichever program took the companion's name next.
function report(window) {
    callDBus("app.dorvane.Companion", "/app/dorvane/Companion", "app.dorvane.Companion1",
             "ReportActiveWindow", window ? text(window.desktopFileName) : "", "",
             window ? text(window.resourceClass) : "", "", !window);
}

if (plasma6) {
    workspace.windowActivated.connect(report);
    report(workspace.activeWindow);
} else {
    workspace.clientActivated.connect(report);
    report(workspace.activeClient);
}
