// Making the display draw into the program's window: the render size, the
// device with its back buffer, the scaling surface that stretches small
// frames to the window (half height on cards with little memory), the
// z-buffer and the dynamic vertex buffer.
#include "desktop/display/device/display.h"
#include "desktop/display/surfaces/heap_return.h"

#include "desktop/shell/language_table.h"
#include "desktop/shell/message_boxes.h"
#include "desktop/scene/object/engine_services.h"
#include "platform/render/device.h"
#include "platform/window.h"

#include <cstring>

namespace lumivane {

namespace {

using platform::render::Device;

constexpr float kNormalQualityScale = 0.625f;

// A side of the render size: the output's in high quality, else 0.625 of
// it, rounded down to a multiple of 4.
int RenderSide(int outputSide, bool highQuality) {
    if (highQuality) return outputSide;
    return int(float(outputSide) * kNormalQualityScale) / 4 * 4;
}

bool UsableColourDepth(int bitsPerPixel) {
    return bitsPerPixel == 16 || bitsPerPixel == 24 || bitsPerPixel == 32;
}

} // namespace

int32_t Display::Create(platform::Window& window, bool fullScreen, int width, int height,
                        int bitsPerPixel) {
    busy_ = true;
    KeepBigBlocksApart();
    Release();

    highQuality_ = host_.HighQualityMode(width);
    outputWidth_ = width;
    outputHeight_ = height;
    renderWidth_ = RenderSide(width, highQuality_);
    renderHeight_ = RenderSide(height, highQuality_);
    bitsPerPixel_ = bitsPerPixel;
    fullScreen_ = fullScreen;
    if (width <= 0 || height <= 0 || renderWidth_ <= 0 || renderHeight_ <= 0) {
        busy_ = false;
        return D3DERR_INVALIDCALL;
    }
    aspect_ = float(width) / float(height);
    inverseAspect_ = float(height) / float(width);

    window_ = &window;
    // Input that came before this window showed does not end a screen saver.
    screensaverMoves_ = 0;
    if (fullScreen) window.SetMode(platform::WindowMode::FullscreenDesktop);
    host_.SetMouseRange(width, height);

    int32_t hr = CreateSurfaces();
    if (hr == D3D_OK) hr = CreateDevice();
    if (hr == D3D_OK) hr = SetupDevice();
    if (hr == D3D_OK) hr = SetupDeviceCaps();
    if (hr != D3D_OK) {
        Release();
        busy_ = false;
        return hr;
    }
    ShowLoadScreen();
    framesToSkip_ = 1;
    busy_ = false;
    return D3D_OK;
}

int32_t Display::Resize(int width, int height) {
    if (!device_ || fullScreen_) return D3DERR_INVALIDCALL;
    const bool highQuality = host_.HighQualityMode(width);
    const int renderWidth = RenderSide(width, highQuality);
    const int renderHeight = RenderSide(height, highQuality);
    if (width <= 0 || height <= 0 || renderWidth <= 0 || renderHeight <= 0)
        return D3DERR_INVALIDCALL;
    platform::render::PresentParams params = device_->GetPresentParams();
    params.BackBufferWidth = renderWidth;
    params.BackBufferHeight = renderHeight;
    // The z-buffer and scaling surface of the old size go first.
    states_.Bind(nullptr);
    device3D_ = nullptr;
    zBuffer_.reset();
    scaling_.reset();
    if (device_->Reset(params) != D3D_OK) return D3DERR_NOTAVAILABLE;
    highQuality_ = highQuality;
    outputWidth_ = width;
    outputHeight_ = height;
    renderWidth_ = renderWidth;
    renderHeight_ = renderHeight;
    aspect_ = float(width) / float(height);
    inverseAspect_ = float(height) / float(width);
    host_.SetMouseRange(width, height);
    if (!highQuality_)
        scaling_ = device_->CreateRenderTarget(
            outputWidth_, lowVideoMemory_ ? outputHeight_ / 2 : outputHeight_, D3DFMT_X8R8G8B8, 0);
    zBuffer_ = device_->CreateDepthStencilSurface(renderWidth_, renderHeight_, zFormat_, 0);
    if (!zBuffer_) return D3DERR_OUTOFVIDEOMEMORY;
    int32_t hr = CreateDevice();
    if (hr == D3D_OK) hr = SetupDevice();
    if (hr == D3D_OK) hr = SetupDeviceCaps();
    return hr;
}

int32_t Display::CreateSurfaces() {
    if (!window_) {
        ReportFatalError(kEntryNoDisplayWindow, "");
        return D3DERR_INVALIDCALL;
    }
    // A desktop in a colour depth the device cannot draw into: told once.
    if (!UsableColourDepth(bitsPerPixel_)) {
        if (!badPixelFormatShown_) ShowProgramBox("Lumivane", LanguageText(kEntryBadPixelFormat));
        badPixelFormatShown_ = true;
        return D3DERR_NOTAVAILABLE;
    }
    badPixelFormatShown_ = false;

    platform::render::PresentParams params;
    params.BackBufferWidth = renderWidth_;
    params.BackBufferHeight = renderHeight_;
    params.BackBufferFormat = D3DFMT_X8R8G8B8;
    params.Windowed = !fullScreen_;
    params.EnableAutoDepthStencil = false;
    params.PresentationInterval = platform::render::D3DPRESENT_INTERVAL_IMMEDIATE;
    std::string error;
    device_ = Device::Create(options_.deviceKind, *window_, params, &error);
    if (!device_) return D3DERR_NOTAVAILABLE;
    device_->SetTextureBudget(options_.textureMemory ? options_.textureMemory
                                                     : kDefaultTextureMemory);
    // The primary: the window's own picture, black until drawn on.
    if (!device_->GetPrimarySurface()) return D3DERR_NOTAVAILABLE;

    lowVideoMemory_ = false;
    if (!fullScreen_ && !highQuality_) {
        lowVideoMemory_ = device_->AvailableTextureMemory() < kLowVideoMemory;
        // Without the scaling surface the back buffer goes to the window
        // directly.
        scaling_ = device_->CreateRenderTarget(
            outputWidth_, lowVideoMemory_ ? outputHeight_ / 2 : outputHeight_, D3DFMT_X8R8G8B8, 0);
    }

    zFormat_ = ChooseZBufferFormat();
    zBuffer_ = device_->CreateDepthStencilSurface(renderWidth_, renderHeight_, zFormat_, 0);
    if (!zBuffer_) return D3DERR_OUTOFVIDEOMEMORY;

    dynamicBuffer_ = std::make_unique<DynamicVertexBuffer>(
        *device_, kModelVertexFormat, kDynamicVertexCapacity, kModelVertexStride, useTnL_);
    batchIndices_ = device_->CreateIndexBuffer(
        sizeof(uint16_t) * kBatchVertices, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_SYSTEMMEM);
    uint8_t* indices = nullptr;
    if (batchIndices_ && batchIndices_->Lock(0, 0, &indices, 0) == D3D_OK) {
        std::memcpy(indices, kBatchIndices, sizeof(uint16_t) * kBatchVertices);
        batchIndices_->Unlock();
    }
    return D3D_OK;
}

} // namespace lumivane
