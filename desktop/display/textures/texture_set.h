// The texture records of the desktop program: a TextureSet per file path
// (one or more frames of a numbered sequence), each frame with its levels
// (square, 8 x 8 up to 1024 x 1024) kept in system memory as the file held
// them (DXT blocks) or as 16-bit texels, and the video-memory TextureSlots
// that show levels to the renderer. A level index i stands for a side of
// 2^(i+3) texels.
#pragma once

#include "platform/image/image.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform::render {
class Texture;
}

namespace lumivane {

inline constexpr int kTextureLevelCount = 8;  // 8 x 8 to 1024 x 1024
inline constexpr int kMaxRequestLevel = 7;    // the highest level requests may use
inline constexpr int kBestAvailableLevel = 6; // callers' "best you have"
inline constexpr int kMaxPathLength = 259;    // a path and its terminator fit 260 bytes

constexpr int LevelSide(int level) {
    return 1 << (level + 3);
}

class TextureFrame;
class TextureManager;
class TextureSet;
class TextureSlot;

// One level of one frame: its pixels in system memory and the slot that
// shows it now, if any.
struct TextureLevel {
    platform::image::Image pixels;    // DXT1/DXT3 blocks, or 16-bit texels; empty: skipped
    TextureSlot* slot = nullptr;      // the slot showing it
    TextureSlot* dedicated = nullptr; // the slot made for it alone, if any
    TextureFrame* frame = nullptr;
    int index = 0; // the level index

    bool Loaded() const { return !pixels.Empty(); }
};

class TextureFrame {
public:
    explicit TextureFrame(TextureSet* owner) : owner_(owner) {}
    TextureFrame(const TextureFrame&) = delete;
    TextureFrame& operator=(const TextureFrame&) = delete;

    TextureSet* Owner() const { return owner_; }
    // 0 plain, 1 alpha, 2 bump (see engine_services.h).
    int PixelKind() const { return pixelKind_; }
    int LevelCount() const { return int(levels_.size()); }
    TextureLevel* Level(int index) {
        return index >= 0 && index < LevelCount() ? levels_[size_t(index)].get() : nullptr;
    }

private:
    friend class TextureManager;
    friend class TextureSet;
    TextureSet* owner_;
    int pixelKind_ = 0;
    std::vector<std::unique_ptr<TextureLevel>> levels_;
};

class TextureSet {
public:
    TextureSet() = default;
    TextureSet(const TextureSet&) = delete;
    TextureSet& operator=(const TextureSet&) = delete;

    const std::string& Path() const { return path_; }
    bool Resident() const { return resident_; }
    bool Compressed() const { return compressed_; }
    int FrameCount() const { return int(frames_.size()); }
    // The frame at index; an index at or past the count gives frame 0.
    TextureFrame* GetFrame(int index);
    // The kind of the first frame whose kind is not plain (2 bump, 1 alpha),
    // else 0 (plain).
    int GetPixelKind() const;
    // The texture to draw with for that level (kBestAvailableLevel: the best
    // there is) and frame: the nearest level at or below it that a slot
    // shows; null when none does.
    platform::render::Texture* GetSurface(int level, int frameIndex);

private:
    friend class TextureManager;
    std::string path_;
    bool resident_ = false;
    bool compressed_ = true;
    std::vector<std::unique_ptr<TextureFrame>> frames_;
};

} // namespace lumivane
