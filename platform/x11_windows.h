// Facts about X11 windows that other programs made and hand over by id (the
// desktop host, the screensaver host): whether one still exists, its size,
// and whether any of it can be seen; and surviving their disappearance.
#pragma once

#include <cstdint>

namespace platform {

struct ForeignWindowState {
    int width = 0;
    int height = 0;
    // Mapped with all its ancestors: not hidden, not minimised.
    bool viewable = false;
};

// Asks the X server of $DISPLAY. False when the window does not exist (or
// there is no X server to ask); `out` is then untouched.
bool QueryX11Window(uint64_t window, ForeignWindowState& out);

// The program draws into this window of another program. Its owner may
// destroy it at any moment, and every request about it then fails: Xlib
// would end the process on the first such error (its default handler). From
// now on the process's X error handler takes the errors about the window
// (and, once it is gone, every error of drawing into what is left of it)
// and marks the window gone; other errors go on to the handler before.
void WatchForeignWindow(uint64_t window);
// True once the X server reported the watched window missing.
bool ForeignWindowGone(uint64_t window);

// Errors on this Xlib connection (a `Display*` of the program's own, for
// windows of its own such as a message box) are taken quietly while it is
// open (`quiet`), instead of ending the process; false before closing it.
void SetQuietXConnection(void* display, bool quiet);

} // namespace platform
