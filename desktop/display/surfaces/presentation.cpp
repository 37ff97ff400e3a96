// Presenting a finished frame: the back buffer stretched over the window,
// through the scaling surface when there is one (in two halves when that
// surface is half height), and what happens when the window's surfaces are
// lost: everything let go, sound muted, the program told to make the
// display again.
#include "desktop/display/device/display.h"

#include "platform/render/device.h"
#include "platform/window.h"

namespace lumivane {

namespace {

using platform::render::Surface;

constexpr uint32_t kLostPauseMs = 2000;

} // namespace

void Display::Present() {
    if (!device3D_) return;
    lastFrameInPrimary_ = false;
    // The first frame after each creation is drawn but not shown.
    if (framesToSkip_ > 0) {
        --framesToSkip_;
        return;
    }
    if (PresentToWindow() == D3DERR_SURFACELOST) OnSurfacesLost();
}

int32_t Display::PresentToWindow() {
    Surface* back = device_->GetBackBuffer();
    Surface* primary = device_->GetPrimarySurface();
    const D3DRECT source{0, 0, renderWidth_, renderHeight_};
    const int w = primary->Width(), h = primary->Height();
    int32_t hr = D3D_OK;
    if (scaling_ && lowVideoMemory_) {
        // Half height: the top half of the frame, then the bottom half.
        const int half = scaling_->Height();
        const D3DRECT scaled{0, 0, scaling_->Width(), half};
        const D3DRECT halves[2][2] = {
            {{0, 0, renderWidth_, renderHeight_ / 2}, {0, 0, w, h / 2}},
            {{0, renderHeight_ / 2, renderWidth_, renderHeight_}, {0, h / 2, w, h}}};
        for (const auto& [from, to] : halves) {
            if (hr == D3D_OK)
                hr = device_->StretchRect(back, &from, scaling_.get(), &scaled, D3DTEXF_LINEAR);
            if (hr == D3D_OK)
                hr = device_->StretchRect(scaling_.get(), &scaled, primary, &to, D3DTEXF_POINT);
        }
    } else if (scaling_) {
        hr = device_->StretchRect(back, &source, scaling_.get(), nullptr, D3DTEXF_LINEAR);
        if (hr == D3D_OK)
            hr = device_->StretchRect(scaling_.get(), nullptr, primary, nullptr, D3DTEXF_POINT);
    } else {
        // Without scaling a frame of the window's size is shown straight
        // from the back buffer; another size is stretched.
        if (renderWidth_ == w && renderHeight_ == h) {
            hr = device_->ShowBackBuffer();
            lastFrameInPrimary_ = hr == D3D_OK;
            return hr;
        }
        hr = device_->StretchRect(back, &source, primary, nullptr, D3DTEXF_LINEAR);
    }
    if (hr == D3D_OK) hr = device_->ShowPrimary();
    return hr;
}

platform::render::Surface* Display::LastFrameSurface() const {
    if (!device_) return nullptr;
    return lastFrameInPrimary_ ? device_->GetPrimarySurface() : device_->GetBackBuffer();
}

void Display::OnSurfacesLost() {
    Release();
    deviceLost_ = true;
    host_.SetDeviceLost(true);
    host_.SetVolumes(0.0f);
    host_.UpdateSound();
    host_.SetPreload(true);
    host_.Sleep(kLostPauseMs);
    host_.ResetPaint();
}

void Display::HandleDeviceReset() {
    resetPending_ = false;
    busy_ = loadScreenBusy_ = true;
    deviceLost_ = false;
    host_.SetDeviceLost(false);
    int width = 0, height = 0;
    if (!host_.ResetSize(width, height) && window_) window_->DrawableSize(width, height);
    const int32_t hr =
        window_ ? Create(*window_, false, width, height, bitsPerPixel_) : D3DERR_INVALIDCALL;
    bool ready = hr == D3D_OK;
    if (ready) {
        host_.RebuildSharedVertices();
        if (gpTextureManager) ready = gpTextureManager->Restore(*this);
    }
    if (ready) {
        // The sound muted when the surfaces were lost comes back with them.
        host_.RestoreVolumes();
    } else {
        Release();
        deviceLost_ = true;
        host_.SetDeviceLost(true);
    }
    busy_ = loadScreenBusy_ = false;
    host_.SetActive(true);
}

} // namespace lumivane
