// JTRenderer's display creation: the window (given, or made here), the mode,
// multisampling, the device with its sizes stepped down until the screen
// takes one, and what the display records of it.
#include "Jentra/JTRenderer.h"

#include <string>

#include "Jentra/JTDisplay.h"
#include "Jentra/JTGame.h"
#include "Jentra/render/screen_mode.h"
#include "platform/window.h"

using jentra::render::MultisampleWanted;
using jentra::render::StepDownSize;
using jentra::render::TakeFullScreen;
using platform::render::Device;
using platform::render::PresentParams;

JTDisplay* JTRenderer::NewDisplay() {
    auto* display = new JTDisplay();
    displays.Add(display);
    return display;
}

PresentParams JTRenderer::PrepareDisplay(int adapter, platform::Window* window, D3DFORMAT format,
                                         bool fullScreen, JTDisplay* display) const {
    display->window = window;
    display->adapter = adapter;
    display->format = format;
    display->fullScreen = fullScreen;
    // The highest of two or three samples the card offers, kept for later
    // resets even while the user has multisampling off.
    display->multisampleType = 0;
    if (CheckDeviceMultiSampleType(adapter, format, 2)) display->multisampleType = 2;
    if (CheckDeviceMultiSampleType(adapter, format, 3)) display->multisampleType = 3;
    display->hwVertProc = (GetAdapterHALDeviceCaps(adapter).VertexShaderVersion >> 8) != 0;
    // Without vertex shaders multisampling is too slow to be on by default.
    if (!display->hwVertProc && gpJTGame) {
        JTUserOptions* options = gpJTGame->GetUserOptions();
        if (!options->MultisampleSet) options->Multisample = false;
    }
    PresentParams params;
    params.Windowed = !fullScreen;
    params.BackBufferFormat = format;
    params.MultiSampleType = MultisampleWanted() ? display->multisampleType : 0;
    if (fullScreen) params.PresentationInterval = platform::render::D3DPRESENT_INTERVAL_IMMEDIATE;
    return params;
}

bool JTRenderer::GetFullScreenDX8Window(int adapter, int mode, platform::Window* window,
                                        JTDisplay* display) {
    const D3DDISPLAYMODE m = GetModeDesc(adapter, mode);
    PresentParams params = PrepareDisplay(adapter, window, m.Format, true, display);
    int width = int(m.Width), height = int(m.Height);
    for (bool more = width > 0 && height > 0; more; more = StepDownSize(width, height)) {
        if (!TakeFullScreen(*window, adapter, width, height)) continue;
        params.BackBufferWidth = width;
        params.BackBufferHeight = height;
        display->device = Device::Create(GetDeviceKind(), *window, params);
        if (display->device) break;
    }
    if (!display->device && window->SetMode(platform::WindowMode::FullscreenDesktop)) {
        // No size of the list was taken: cover the screen at its own mode.
        window->DrawableSize(params.BackBufferWidth, params.BackBufferHeight);
        display->device = Device::Create(GetDeviceKind(), *window, params);
    }
    return TakeBackBufferSize(display);
}

bool JTRenderer::GetWindowedDX8Window(int adapter, platform::Window* window, JTDisplay* display) {
    PresentParams params =
        PrepareDisplay(adapter, window, GetAdapterDisplayMode(adapter).Format, false, display);
    display->device = Device::Create(GetDeviceKind(), *window, params);
    int width = window->Width(), height = window->Height();
    while (!display->device && StepDownSize(width, height)) {
        params.BackBufferWidth = width;
        params.BackBufferHeight = height;
        display->device = Device::Create(GetDeviceKind(), *window, params);
    }
    return TakeBackBufferSize(display);
}

bool JTRenderer::TakeBackBufferSize(JTDisplay* display) {
    if (!display->device) return false;
    display->width = display->device->BackBufferWidth();
    display->height = display->device->BackBufferHeight();
    return true;
}

JTDisplay* JTRenderer::CreateDisplayFullScreen(int adapter, int mode, platform::Window* window) {
    JTDisplay* display = NewDisplay();
    if (window && GetFullScreenDX8Window(adapter, mode, window, display)) display->Init();
    return display;
}

JTDisplay* JTRenderer::CreateDisplayFullScreen(int adapter, int mode, const char* title) {
    JTDisplay* display = NewDisplay();
    platform::WindowDesc desc;
    desc.title = title ? title : "";
    desc.width = desc.height = 300;
    display->ownedWindow = platform::Window::Create(desc);
    if (display->ownedWindow &&
        GetFullScreenDX8Window(adapter, mode, display->ownedWindow.get(), display))
        display->Init();
    return display;
}

JTDisplay* JTRenderer::CreateDisplayWindowed(int adapter, platform::Window* window) {
    JTDisplay* display = NewDisplay();
    if (window && GetWindowedDX8Window(adapter, window, display)) display->Init();
    return display;
}

JTDisplay* JTRenderer::CreateDisplayWindowed(int adapter, JTRect rect, const char* title) {
    JTDisplay* display = NewDisplay();
    // The window layer places new windows itself; the rectangle gives the
    // size of the drawing area.
    platform::WindowDesc desc;
    desc.title = title ? title : "";
    desc.width = rect.right;
    desc.height = rect.bottom;
    display->ownedWindow = platform::Window::Create(desc);
    if (display->ownedWindow && GetWindowedDX8Window(adapter, display->ownedWindow.get(), display))
        display->Init();
    return display;
}

JTDisplay* JTRenderer::CreateSoftwareDisplay() {
    JTDisplay* display = NewDisplay();
    platform::WindowDesc desc;
    desc.title = "Jentra Software Device";
    desc.width = desc.height = 1;
    desc.hidden = true;
    display->ownedWindow = platform::Window::Create(desc);
    if (!display->ownedWindow) return display;
    display->window = display->ownedWindow.get();
    // Drawn off screen at the size of the desktop: the hidden window only
    // carries the device.
    const D3DDISPLAYMODE desktop = GetAdapterDisplayMode(0);
    PresentParams params;
    params.BackBufferWidth = int(desktop.Width);
    params.BackBufferHeight = int(desktop.Height);
    params.BackBufferFormat = desktop.Format;
    params.PresentationInterval = platform::render::D3DPRESENT_INTERVAL_IMMEDIATE;
    display->device = Device::Create(GetDeviceKind(), *display->window, params);
    display->format = desktop.Format;
    if (TakeBackBufferSize(display)) display->Init();
    return display;
}
