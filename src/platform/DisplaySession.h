#pragma once

// What the windowing system lets the application do with its own windows.
struct DisplaySession {
    // Talking to an X server: a plain one, or XWayland inside a Wayland session.
    bool x11 = false;
    // Inside a Wayland session, natively or through XWayland.
    bool wayland = false;
    // The compositor puts a window where the window asks to be. Native Wayland never
    // does; sway ignores the positions of the X windows it manages.
    bool placesWindows = true;

    // The invisible window only matters to an X window manager of its own.
    bool needsDummyWindow() const { return x11 && !wayland; }

    static DisplaySession detect();
};
