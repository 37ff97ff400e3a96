// The windows the program finds or makes for its start mode: a window that
// another program handed over, the screen saver's two full-screen windows,
// the stand-in host of "--window"; and whether the display can be opened,
// the desktop's size and whether the graphics library can be used at all.
// The real one speaks to SDL and the X server; tests script their own.
#pragma once

#include "desktop/display/host_window.h"

#include <cstdint>
#include <memory>
#include <string>

namespace lumivane {

class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // Whether the display the program is to draw on can be opened; false
    // with the words that name it. Every mode needs it: the windows handed
    // over are X windows, and the program's own open there too.
    virtual bool OpenDisplay(std::string* error) = 0;

    // The window of another program by its X11 id (whether it exists is
    // the window's own question).
    virtual std::unique_ptr<HostWindow> Foreign(uint64_t id) = 0;
    // Black over all screens, and top-most above that the window over the
    // primary screen, which is returned; closing it closes both.
    virtual std::unique_ptr<HostWindow> OpenScreensaverWindows(const std::string& title) = 0;
    // A plain window of that size standing in for a host program.
    virtual std::unique_ptr<HostWindow> OpenStandInHost(const std::string& title, int width,
                                                        int height) = 0;
    // The desktop's client area: the primary screen. False when unknown.
    virtual bool DesktopSize(int& width, int& height) = 0;
    // Whether an OpenGL 3.3 context can be made; false with the reason.
    virtual bool ProbeGraphics(std::string* error) = 0;
};

// SDL windows and X11 queries.
std::unique_ptr<WindowSystem> CreateSystemWindows();

} // namespace lumivane
