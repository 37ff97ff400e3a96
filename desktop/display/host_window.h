// The window the program draws into: one that another program made and
// handed over by its X11 id (the desktop host, the screensaver host, the
// window of window mode), or one of the program's own (the screensaver's
// full-screen window, the stand-in host of "--window").
#pragma once

#include <cstdint>
#include <vector>

#include "platform/events.h"

namespace platform {
class Window;
}

namespace lumivane {

class HostWindow {
public:
    virtual ~HostWindow() = default;
    // The number logs show: the X11 id, or the program's own window number.
    virtual uint64_t Handle() const = 0;
    // False once the window is gone.
    virtual bool Exists() = 0;
    // The client area's size; false when the window is gone.
    virtual bool ClientSize(int& width, int& height) = 0;
    // Nothing of it can be seen: hidden, minimised, or all of it behind
    // other windows.
    virtual bool IsCovered() = 0;
    // The program's own window behind it, for the display to draw into;
    // null for a window of another program (the display then draws into
    // the X11 window of Handle()).
    virtual platform::Window* OwnWindow() { return nullptr; }
    // What the pointer did over a window of another program since the last
    // call, read without taking its input from that program (nobody sends
    // us that window's input). The program's own windows add nothing: their
    // input comes through the event queue.
    virtual void SharedPointerEvents(std::vector<platform::Event>& out) { (void)out; }
};

} // namespace lumivane
