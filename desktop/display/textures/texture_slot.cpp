// Texture slots: their surfaces and what they show.
#include "desktop/display/textures/texture_slot.h"

#include "desktop/display/textures/texture_manager.h"
#include "platform/render/device.h"

#include <algorithm>
#include <cstring>

namespace lumivane {

TextureSlot::~TextureSlot() {
    if (shown_) shown_->slot = nullptr;
    if (shown_ && shown_->dedicated == this) shown_->dedicated = nullptr;
}

bool TextureSlot::CreateSurface(int kind) {
    if (surface_ && surfaceKind_ == kind) return true;
    ReleaseSurface();
    platform::render::Device* device = manager_.Device();
    const D3DFORMAT format = manager_.FormatOfKind(kind);
    if (!device || format == D3DFMT_UNKNOWN) return false;
    // A pool slot holds the whole chain down to 8 x 8, a dedicated one its
    // own level only. Refill writes whole levels and nothing reads them
    // back, so the device keeps no copy of the texels beside its own.
    const int levels = dedicated_ ? 1 : level_ + 1;
    surface_ = device->CreateTexture(LevelSide(level_), LevelSide(level_), levels,
                                     D3DUSAGE_WRITEONLY, format, D3DPOOL_DEFAULT);
    if (!surface_) return false;
    surfaceKind_ = kind;
    return true;
}

void TextureSlot::ReleaseSurface() {
    surface_.reset();
    surfaceKind_ = -1;
}

bool TextureSlot::Attach(TextureLevel* level) {
    if (level && shown_ == level) return true;
    if (shown_) {
        shown_->slot = nullptr;
        shown_ = nullptr;
    }
    if (!level) return true;
    if (level->slot) {
        level->slot->shown_ = nullptr;
        level->slot = nullptr;
    }
    if (!CreateSurface(level->frame->PixelKind())) return false;
    shown_ = level;
    level->slot = this;
    return Refill();
}

bool TextureSlot::Refill() {
    if (!surface_ || !shown_) return false;
    TextureFrame* frame = shown_->frame;
    bool whole = true;
    // Chain level m shows the frame's level m steps below the one shown.
    for (int m = 0; m < surface_->LevelCount(); ++m) {
        TextureLevel* source = frame->Level(shown_->index - m);
        const platform::image::Image* texels =
            source ? manager_.TexelsFor(*source, surfaceKind_) : nullptr;
        platform::render::D3DLOCKED_RECT locked;
        if (!texels || texels->width != surface_->LevelWidth(m) ||
            surface_->LockRect(m, &locked, 0) != D3D_OK) {
            whole = false;
            break;
        }
        const size_t rowBytes = platform::image::RowPitch(texels->format, texels->width);
        for (int y = 0; y < texels->height; ++y)
            std::memcpy(static_cast<uint8_t*>(locked.pBits) + size_t(y) * size_t(locked.Pitch),
                        texels->pixels.data() + size_t(y) * rowBytes, rowBytes);
        surface_->UnlockRect(m);
    }
    return whole;
}

} // namespace lumivane
