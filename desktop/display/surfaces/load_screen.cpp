// The load screen: the picture "LoadScreens\LoadScreen.bmp" stretched over
// the window, and the progress bar drawn over it while models load.
#include "desktop/display/surfaces/load_screen.h"

#include "desktop/display/device/display.h"
#include "platform/binary_io.h"
#include "platform/image/bmp.h"
#include "platform/paths.h"
#include "platform/render/device.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace lumivane {

namespace {

constexpr const char* kLoadScreenFolder = "loadscreens\\";
constexpr const char* kLoadScreenName = "LoadScreen.bmp";

} // namespace

ProgressBar LayOutProgress(float fraction, int width, int height) {
    if (std::isnan(fraction)) fraction = 0.0f;
    fraction = std::clamp(fraction, 0.0f, 1.0f);
    const int full = int(float(kProgressSegments) * fraction);
    const int left = int(0.81 * width);
    const int right = int(0.94 * width);
    const int top0 = int(0.582 * height);
    const int step = (int(0.8814 * height) - top0) / kProgressSegments;
    ProgressBar bar;
    bar.count = std::min(full, kProgressSegments - 1) + 1;
    for (int i = 0; i < bar.count; ++i) {
        const int top = top0 + (kProgressSegments - i) * step;
        ProgressSegment& segment = bar.segments[size_t(i)];
        segment.rect = D3DRECT{left, top, right, top + int(0.7 * step)};
        if (i < full) {
            segment.color = D3DCOLOR_ARGB(255, 128, 128, 255);
        } else {
            const float part = float(kProgressSegments) * fraction - float(full);
            segment.color = D3DCOLOR_ARGB(255, uint32_t(part * 128), uint32_t(part * 128),
                                          uint32_t(part * 255));
        }
    }
    return bar;
}

void Display::ShowLoadScreen() {
    if (loadScreenBusy_) return;
    host_.SetPreload(false);
    if (!device_) return;
    const std::string name = std::string(kLoadScreenFolder) + kLoadScreenName;
    const auto path = platform::ResolvePath(options_.dataRoot, name);
    std::vector<uint8_t> bytes;
    platform::image::Image picture;
    if (!path ||
        !platform::ReadWholeFile(*path, bytes, nullptr, platform::image::kMaxPictureFileBytes) ||
        !platform::image::DecodeBmp(bytes, picture))
        return;
    PaintPicture(picture);
}

bool Display::PaintPicture(const platform::image::Image& picture) {
    platform::render::Device* device = device_.get();
    // Without a device (a paused desktop), one is made for the picture.
    std::unique_ptr<platform::render::Device> own;
    if (!device) {
        if (!window_) return false;
        platform::render::PresentParams params;
        params.BackBufferWidth = params.BackBufferHeight = 1;
        params.EnableAutoDepthStencil = false;
        own = platform::render::Device::Create(options_.deviceKind, *window_, params);
        device = own.get();
        if (!device) return false;
    }
    // The picture is held by a texture for the copy, upright (the bitmap
    // reader turns bottom-up files the right way round).
    auto texture = device->CreateTexture(picture.width, picture.height, 1, 0,
                                         D3DFORMAT(picture.format), D3DPOOL_SYSTEMMEM);
    platform::render::D3DLOCKED_RECT locked;
    if (!texture || texture->LockRect(0, &locked, 0) != D3D_OK) return false;
    const size_t rowBytes = platform::image::RowPitch(picture.format, picture.width);
    for (int y = 0; y < picture.height; ++y)
        std::memcpy(static_cast<uint8_t*>(locked.pBits) + size_t(y) * size_t(locked.Pitch),
                    picture.pixels.data() + size_t(y) * rowBytes, rowBytes);
    texture->UnlockRect(0);
    platform::render::Surface* primary = device->GetPrimarySurface();
    const int width =
        outputWidth_ > 0 ? std::min(outputWidth_, primary->Width()) : primary->Width();
    const int height =
        outputHeight_ > 0 ? std::min(outputHeight_, primary->Height()) : primary->Height();
    const D3DRECT whole{0, 0, width, height};
    return device->StretchRect(texture->GetSurfaceLevel(0), nullptr, primary, &whole,
                               D3DTEXF_POINT) == D3D_OK &&
           device->ShowPrimary() == D3D_OK;
}

void Display::DrawProgress(float fraction) {
    if (!device_ || loadScreenBusy_) return;
    if (host_.TakePaint()) ShowLoadScreen();
    if (!host_.ScreensaverMode() && !host_.WindowMode()) host_.IdlePriority();
    platform::render::Surface* primary = device_->GetPrimarySurface();
    const ProgressBar bar = LayOutProgress(fraction, outputWidth_, outputHeight_);
    for (int i = 0; i < bar.count; ++i) {
        D3DRECT rect = bar.segments[size_t(i)].rect;
        rect.x2 = std::min(rect.x2, primary->Width());
        rect.y2 = std::min(rect.y2, primary->Height());
        if (rect.x1 < rect.x2 && rect.y1 < rect.y2)
            device_->ColorFill(primary, &rect, bar.segments[size_t(i)].color);
    }
    device_->ShowPrimary();
}

} // namespace lumivane
