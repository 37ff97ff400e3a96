// Whether any part of an X11 window of another program shows on the screen
// (the desktop's window behind a maximised application shows none). The X
// server tells every client that asks whenever that changes: no part, a
// part or all of the window shows. It tells nothing about the state when
// one starts asking, so that is worked out once from the stacking order:
// what is left of the window once every mapped window above it is taken
// away, by its shape.
// Under a compositing manager every window is drawn off screen and X
// reports each one as wholly shown, whatever lies above it: there only a
// window that is not mapped counts as hidden (which the caller asks apart).
#pragma once

#include <cstdint>
#include <memory>

namespace platform {

class WindowVisibility {
public:
    // A connection of its own to $DISPLAY; null when there is no X server
    // or no such window.
    static std::unique_ptr<WindowVisibility> Open(uint64_t window);
    ~WindowVisibility();
    WindowVisibility(const WindowVisibility&) = delete;
    WindowVisibility& operator=(const WindowVisibility&) = delete;

    // True while windows above it cover all of the window, as last told.
    // Cheap: it reads what the server sent and waits for nothing.
    bool FullyCovered();

    struct Impl;

private:
    explicit WindowVisibility(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

} // namespace platform
