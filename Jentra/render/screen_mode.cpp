// Screen sizes and the full-screen switch of the display's window.
#include "Jentra/render/screen_mode.h"

#include "Jentra/JTGame.h"
#include "platform/render/adapters.h"
#include "platform/window.h"

#include <algorithm>

namespace jentra::render {

bool StepDownSize(int& width, int& height) {
    switch (width) {
    case 1600:
        width = 1280;
        height = 1024;
        return true;
    case 1280:
        width = 1024;
        height = 768;
        return true;
    case 1024:
        width = 800;
        height = 600;
        return true;
    case 800:
        width = 640;
        height = 480;
        return true;
    default:
        return false;
    }
}

bool FitSize(int& width, int& height, int areaWidth, int areaHeight) {
    auto fits = [&] { return width <= areaWidth && height <= areaHeight; };
    if (fits()) return true;
    while (StepDownSize(width, height))
        if (fits()) return false;
    width = std::min(width, areaWidth);
    height = std::min(height, areaHeight);
    return false;
}

bool ModeOffered(int adapter, int width, int height) {
    const auto& screens = platform::render::QueryAdapters();
    if (adapter < 0 || adapter >= int(screens.size())) return false;
    for (const D3DDISPLAYMODE& mode : screens[size_t(adapter)].modes)
        if (int(mode.Width) == width && int(mode.Height) == height) return true;
    return false;
}

namespace {

// The room a drawing area has on the window's screen: the usable part
// less the window manager's frame.
bool RoomOnScreen(const platform::Window& window, platform::ScreenRect& area,
                  platform::Window::Frame& frame) {
    if (!window.UsableScreenArea(area)) return false;
    frame = window.FrameSize();
    area.width -= frame.left + frame.right;
    area.height -= frame.top + frame.bottom;
    return area.width > 0 && area.height > 0;
}

} // namespace

bool FitsOnScreen(const platform::Window& window, int width, int height) {
    if (width <= 0 || height <= 0) return false;
    platform::ScreenRect area;
    platform::Window::Frame frame;
    if (!RoomOnScreen(window, area, frame)) return true;
    return width <= area.width && height <= area.height;
}

void PlaceWindow(platform::Window& window, int width, int height) {
    if (width <= 0 || height <= 0) return;
    platform::ScreenRect area;
    platform::Window::Frame frame;
    if (!RoomOnScreen(window, area, frame)) {
        window.SetSize(width, height);
        return;
    }
    FitSize(width, height, area.width, area.height);
    window.SetSize(width, height);
    window.SetPosition(area.x + frame.left + (area.width - width) / 2,
                       area.y + frame.top + (area.height - height) / 2);
}

bool TakeFullScreen(platform::Window& window, int adapter, int width, int height) {
    // Only the sizes the screen itself offers, as a driver refuses others.
    if (!ModeOffered(adapter, width, height)) return false;
    window.SetSize(width, height);
    if (!window.SetMode(platform::WindowMode::Fullscreen)) return false;
    // The screen may pick the nearest mode it has: not the size asked for.
    // Its mode is known at once, while the window's own size follows only
    // once the window system's answer has been read (until then it is the
    // size just asked for).
    int shownWidth = 0, shownHeight = 0;
    if (!window.ScreenModeSize(shownWidth, shownHeight)) {
        shownWidth = window.Width();
        shownHeight = window.Height();
    }
    if (shownWidth == width && shownHeight == height) return true;
    window.SetMode(platform::WindowMode::Windowed);
    return false;
}

bool MultisampleWanted() {
    return gpJTGame && gpJTGame->GetUserOptions()->Multisample;
}

} // namespace jentra::render
