// Facts about X11 windows that other programs made and hand over by id (the
// desktop host, the screensaver host): whether one still exists, its size,
// and whether any of it can be seen.
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

} // namespace platform
