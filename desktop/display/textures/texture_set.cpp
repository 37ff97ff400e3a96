// Texture sets: frames, pixel kinds and the surface to draw a level with.
#include "desktop/display/textures/texture_set.h"

#include "desktop/display/textures/texture_slot.h"

#include <algorithm>

namespace lumivane {

TextureFrame* TextureSet::GetFrame(int index) {
    if (frames_.empty()) return nullptr;
    if (index < 0 || index >= FrameCount()) index = 0;
    return frames_[size_t(index)].get();
}

int TextureSet::GetPixelKind() const {
    for (const auto& frame : frames_)
        if (frame->PixelKind() != 0) return frame->PixelKind();
    return 0;
}

platform::render::Texture* TextureSet::GetSurface(int level, int frameIndex) {
    TextureFrame* frame = GetFrame(frameIndex);
    if (!frame || frame->LevelCount() == 0) return nullptr;
    int start = 0;
    if (frame->LevelCount() > 1)
        start = std::min(std::max(std::min(level, frame->LevelCount() - 1), 1), kMaxRequestLevel);
    for (int l = start; l >= 0; --l) {
        const TextureLevel* record = frame->Level(l);
        if (record && record->slot && record->slot->Surface()) return record->slot->Surface();
    }
    return nullptr;
}

} // namespace lumivane
