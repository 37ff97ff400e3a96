// Xlib queries on one connection of our own, kept open for the process. A
// window that is gone makes the server answer BadWindow, which Xlib would
// treat as fatal: a trap takes such errors while a query runs.
#include "platform/x11_windows.h"

#include <X11/Xlib.h>

#include <mutex>

namespace platform {

namespace {

std::mutex gMutex;
Display* gDisplay = nullptr;
bool gTriedToOpen = false;
bool gErrorSeen = false;

int TrapError(Display*, XErrorEvent*) {
    gErrorSeen = true;
    return 0;
}

Display* Connection() {
    if (!gTriedToOpen) {
        gTriedToOpen = true;
        gDisplay = XOpenDisplay(nullptr);
    }
    return gDisplay;
}

} // namespace

bool QueryX11Window(uint64_t window, ForeignWindowState& out) {
    if (window == 0 || window > 0xFFFFFFFFu) return false; // X ids are 32-bit
    std::lock_guard lock(gMutex);
    Display* display = Connection();
    if (!display) return false;
    XSync(display, False);
    gErrorSeen = false;
    const auto previous = XSetErrorHandler(TrapError);
    XWindowAttributes attributes;
    const Status status = XGetWindowAttributes(display, Window(window), &attributes);
    XSync(display, False);
    XSetErrorHandler(previous);
    if (!status || gErrorSeen) return false;
    out.width = attributes.width;
    out.height = attributes.height;
    out.viewable = attributes.map_state == IsViewable;
    return true;
}

} // namespace platform
