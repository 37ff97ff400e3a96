// Xlib queries on one connection of our own, kept open for the process, and
// the process's X error handler. A window that is gone makes the server
// answer BadWindow or BadDrawable, which Xlib's default handler treats as
// fatal: ours takes every error of our own connection (the query answers
// false) and those about the foreign windows the program draws into.
#include "platform/x11_windows.h"

#include "platform/x11_foreign_connection.h"

#include <X11/Xlib.h>

#include <atomic>
#include <mutex>

namespace platform {

namespace {

std::mutex gMutex; // our connection and its queries
Display* gDisplay = nullptr;
bool gTriedToOpen = false;

// Read by the error handler, which may run on any thread that makes an X
// call and must take no lock: plain atomics only.
std::atomic<Display*> gOwnDisplay{nullptr};
std::atomic<bool> gQueryFailed{false};
constexpr int kQuietSlots = 8;
std::atomic<void*> gQuiet[kQuietSlots];

constexpr int kWatchSlots = 16;
std::atomic<uint32_t> gWatched[kWatchSlots];
std::atomic<bool> gGone[kWatchSlots];
std::atomic<bool> gAnyGone{false};

std::once_flag gInstallOnce;
XErrorHandler gPreviousHandler = nullptr;

int WatchedSlot(uint64_t window) {
    for (int i = 0; i < kWatchSlots; ++i)
        if (window != 0 && gWatched[i].load() == window) return i;
    return -1;
}

int OnXError(Display* display, XErrorEvent* error) {
    if (display == gOwnDisplay.load()) {
        gQueryFailed = true;
        return 0;
    }
    for (const auto& quiet : gQuiet)
        if (quiet.load() == display) return 0;
    const int slot = WatchedSlot(error->resourceid);
    if (slot >= 0 && (error->error_code == BadWindow || error->error_code == BadDrawable ||
                      error->error_code == BadMatch)) {
        gGone[slot] = true;
        gAnyGone = true;
        return 0;
    }
    // Drawing into a window that went away fails on the objects made for
    // it too (its graphics contexts, its buffers): the program notices the
    // loss on its next pass and ends; until then such errors are expected.
    if (gAnyGone.load()) return 0;
    if (gPreviousHandler) return gPreviousHandler(display, error);
    return 0;
}

void InstallErrorHandler() {
    std::call_once(gInstallOnce, [] { gPreviousHandler = XSetErrorHandler(OnXError); });
}

Display* Connection() {
    if (!gTriedToOpen) {
        gTriedToOpen = true;
        gDisplay = XOpenDisplay(nullptr);
        gOwnDisplay = gDisplay;
        InstallErrorHandler();
    }
    return gDisplay;
}

} // namespace

bool QueryX11Window(uint64_t window, ForeignWindowState& out) {
    if (window == 0 || window > 0xFFFFFFFFu) return false; // X ids are 32-bit
    std::lock_guard lock(gMutex);
    Display* display = Connection();
    if (!display) return false;
    // The connection makes only these queries, each waiting for its reply
    // or its error: no error of an earlier request can still be on the way.
    gQueryFailed = false;
    XWindowAttributes attributes;
    const Status status = XGetWindowAttributes(display, Window(window), &attributes);
    if (!status || gQueryFailed) {
        if (const int slot = WatchedSlot(window); slot >= 0) {
            gGone[slot] = true;
            gAnyGone = true;
        }
        return false;
    }
    out.width = attributes.width;
    out.height = attributes.height;
    out.viewable = attributes.map_state == IsViewable;
    return true;
}

void WatchForeignWindow(uint64_t window) {
    if (window == 0 || window > 0xFFFFFFFFu) return;
    InstallErrorHandler();
    std::lock_guard lock(gMutex);
    if (WatchedSlot(window) >= 0) return;
    for (int i = 0; i < kWatchSlots; ++i) {
        uint32_t empty = 0;
        if (gWatched[i].compare_exchange_strong(empty, uint32_t(window))) {
            gGone[i] = false;
            return;
        }
    }
    // More windows than slots: the oldest slot is reused.
    gWatched[0] = uint32_t(window);
    gGone[0] = false;
}

void SetQuietXConnection(void* display, bool quiet) {
    if (!display) return;
    InstallErrorHandler();
    for (auto& slot : gQuiet) {
        void* expected = quiet ? nullptr : display;
        if (slot.compare_exchange_strong(expected, quiet ? display : nullptr)) return;
    }
}

bool ForeignWindowGone(uint64_t window) {
    const int slot = WatchedSlot(window);
    return slot >= 0 && gGone[slot].load();
}

bool ForeignXConnection::Open(uint64_t id) {
    if (display || id == 0 || id > 0xFFFFFFFFu) return false; // X ids are 32-bit
    display = XOpenDisplay(nullptr);
    if (!display) return false;
    SetQuietXConnection(display, true);
    window = ::Window(id);
    return XGetWindowAttributes(display, window, &attributes);
}

ForeignXConnection::~ForeignXConnection() {
    if (!display) return;
    XCloseDisplay(display);
    SetQuietXConnection(display, false);
}

} // namespace platform
