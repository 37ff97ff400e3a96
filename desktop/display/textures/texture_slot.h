// A video-memory texture that shows one level of one frame at a time.
// Dedicated slots belong to one level for good and hold that level alone;
// pool slots are shared by all sets and hold a whole chain down to 8 x 8,
// so one attach fills every smaller level as well. A slot shows at most one
// level and a level is shown by at most one slot.
#pragma once

#include "desktop/display/textures/texture_set.h"
#include "platform/render/resources.h"

#include <cstdint>
#include <memory>

namespace lumivane {

class TextureManager;

class TextureSlot {
public:
    TextureSlot(TextureManager& manager, int level, bool dedicated)
        : manager_(manager), level_(level), dedicated_(dedicated) {}
    ~TextureSlot();
    TextureSlot(const TextureSlot&) = delete;
    TextureSlot& operator=(const TextureSlot&) = delete;

    int Level() const { return level_; }
    bool Dedicated() const { return dedicated_; }
    // The kind the surface was made for (-1: none yet).
    int SurfaceKind() const { return surfaceKind_; }
    platform::render::Texture* Surface() const { return surface_.get(); }
    TextureLevel* Shown() const { return shown_; }
    uint32_t LastUsed() const { return lastUsed_; }
    void Stamp(uint32_t frame) { lastUsed_ = frame; }

    // Makes the surface for a kind of pixels (0 plain, 1 alpha, 2 bump); one
    // of another kind is released first, one of the same kind kept. False
    // when the device refuses it.
    bool CreateSurface(int kind);
    void ReleaseSurface();
    // Shows the level (null: shows nothing): the old links on both sides are
    // broken, the surface made for the level's kind, and every level of the
    // chain filled from the frame. False when the surface cannot be made.
    bool Attach(TextureLevel* level);
    // Fills the chain again from the level shown (after the surface was made
    // anew). False without a surface or when a level cannot be filled.
    bool Refill();

private:
    TextureManager& manager_;
    int level_;
    bool dedicated_;
    int surfaceKind_ = -1;
    std::unique_ptr<platform::render::Texture> surface_;
    TextureLevel* shown_ = nullptr;
    uint32_t lastUsed_ = 0;
};

} // namespace lumivane
