// JTDisplay::ChangeDisplayMode: release what the device made for others,
// reset it for the new mode (stepping the size down until the screen takes
// one) and set the display's states up again.
#include "Jentra/JTDisplay.h"

#include "Jentra/render/screen_mode.h"
#include "platform/window.h"

using jentra::render::FitsOnScreen;
using jentra::render::ModeOffered;
using jentra::render::MultisampleWanted;
using jentra::render::PlaceWindow;
using jentra::render::StepDownSize;
using jentra::render::TakeFullScreen;

bool JTDisplay::ChangeDisplayMode(const D3DDISPLAYMODE* mode) {
    if (!device) return false;
    // A size the screen cannot give is refused before anything changes: the
    // display keeps the size it has, and the reset still takes the rest of
    // the mode (its format, the multisampling).
    const int wantedWidth = mode ? int(mode->Width) : width;
    const int wantedHeight = mode ? int(mode->Height) : height;
    bool sizeRefused = false;
    if (fullScreen && mode) {
        if (ModeOffered(adapter, wantedWidth, wantedHeight)) {
            width = wantedWidth;
            height = wantedHeight;
        } else {
            sizeRefused = true;
        }
        format = mode->Format;
    } else if (mode && window) {
        // A window is any size that fits on its screen, frame and all.
        if (!FitsOnScreen(*window, wantedWidth, wantedHeight))
            sizeRefused = true;
        else if (window->Width() != wantedWidth || window->Height() != wantedHeight)
            PlaceWindow(*window, wantedWidth, wantedHeight);
    }
    ReleaseDynamicBuffers();
    CallReleaseList();

    platform::render::PresentParams params = device->GetPresentParams();
    params.Windowed = !fullScreen;
    params.BackBufferFormat = format;
    params.BackBufferWidth = fullScreen ? width : 0;
    params.BackBufferHeight = fullScreen ? height : 0;
    params.EnableAutoDepthStencil = true;
    params.AutoDepthStencilFormat = D3DFMT_D16;
    params.MultiSampleType = MultisampleWanted() ? multisampleType : 0;
    params.PresentationInterval = 0;

    bool reset = false;
    if (fullScreen) {
        int w = width, h = height;
        for (bool more = w > 0 && h > 0; more && !reset; more = StepDownSize(w, h)) {
            if (!window || !TakeFullScreen(*window, adapter, w, h)) continue;
            params.BackBufferWidth = w;
            params.BackBufferHeight = h;
            reset = device->Reset(params) == D3D_OK;
        }
        if (!reset && window && window->SetMode(platform::WindowMode::FullscreenDesktop)) {
            window->DrawableSize(params.BackBufferWidth, params.BackBufferHeight);
            reset = device->Reset(params) == D3D_OK;
        }
    } else {
        if (window && window->Mode() != platform::WindowMode::Windowed)
            window->SetMode(platform::WindowMode::Windowed);
        reset = device->Reset(params) == D3D_OK;
    }
    // A failed reset leaves the display without working buffers until the
    // next change that succeeds; the device keeps its old back buffer.
    if (!reset) return false;
    width = device->BackBufferWidth();
    height = device->BackBufferHeight();
    Init();
    return !sizeRefused && (!mode || (width == wantedWidth && height == wantedHeight));
}
