// Screen sizes and the full-screen switch of the display's window.
#include "Jentra/render/screen_mode.h"

#include "Jentra/JTGame.h"
#include "platform/render/adapters.h"
#include "platform/window.h"

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

bool TakeFullScreen(platform::Window& window, int adapter, int width, int height) {
    // Only the sizes the screen itself offers, as a driver refuses others.
    const auto& screens = platform::render::QueryAdapters();
    if (adapter < 0 || adapter >= int(screens.size())) return false;
    bool offered = false;
    for (const D3DDISPLAYMODE& mode : screens[size_t(adapter)].modes)
        offered = offered || (int(mode.Width) == width && int(mode.Height) == height);
    if (!offered) return false;
    window.SetSize(width, height);
    if (!window.SetMode(platform::WindowMode::Fullscreen)) return false;
    // The screen may pick the nearest mode it has: not the size asked for.
    if (window.Width() == width && window.Height() == height) return true;
    window.SetMode(platform::WindowMode::Windowed);
    return false;
}

bool MultisampleWanted() {
    return gpJTGame && gpJTGame->GetUserOptions()->Multisample;
}

} // namespace jentra::render
