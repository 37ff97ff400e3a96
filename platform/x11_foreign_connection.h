// An Xlib connection of the program's own to $DISPLAY, for reading a window
// that another program owns (the desktop's host, the screensaver host).
// Errors on it (the window went away, X refused a request) are taken
// quietly by the process's X error handler instead of ending the process.
// Internal to the platform layer's X11 readers.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>

namespace platform {

struct ForeignXConnection {
    Display* display = nullptr;
    ::Window window = 0;
    XWindowAttributes attributes{}; // as the window was when it was opened

    ForeignXConnection() = default;
    ~ForeignXConnection();
    ForeignXConnection(const ForeignXConnection&) = delete;
    ForeignXConnection& operator=(const ForeignXConnection&) = delete;

    // False when there is no X server or no such window.
    bool Open(uint64_t id);
};

} // namespace platform
