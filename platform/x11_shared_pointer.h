// The pointer over an X11 window that another program owns (the desktop's
// host hands the program its window), read without taking anything from
// that program. X grants a window's button presses to one client only, and
// its owner may ask for them at any time (a desktop turning its click menu
// on): a program drawing into a window it does not own selects no input
// there, so the reading stands on what X shares with every client:
// - where the pointer is, asked each poll (no selection at all): whether it
//   is over the window (the window lies on the path from the root down to
//   the deepest window under the pointer, so one above it hides it), and
//   where in it;
// - the buttons and the wheel: the raw button events that XInput2 shares
//   with every client, counted only while the pointer is over the window;
//   without XInput2, the buttons held, asked with the position (no wheel,
//   and a press shorter than a poll is lost).
#pragma once

#include "platform/events.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace platform {

// Where the shared pointer's buttons come from.
enum class SharedButtons {
    RawEvents, // XInput2 raw button events of the whole screen
    HeldState, // the held buttons, asked each poll
};

class SharedPointer {
public:
    // A connection of its own to $DISPLAY; null when there is no X server
    // or no such window.
    static std::unique_ptr<SharedPointer> Open(uint64_t window);
    ~SharedPointer();
    SharedPointer(const SharedPointer&) = delete;
    SharedPointer& operator=(const SharedPointer&) = delete;

    // Appends what the pointer did since the last poll, in the window's
    // coordinates: PointerEnter and PointerLeave, MouseMove (every poll
    // while over the window, with the motion since the last one), MouseButtonDown
    // and MouseButtonUp (with the clicks counted), MouseWheel. A release
    // always comes for a press that was given, wherever the pointer went.
    void Poll(std::vector<Event>& out);
    SharedButtons Buttons() const;

    struct Impl;

private:
    explicit SharedPointer(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

} // namespace platform
