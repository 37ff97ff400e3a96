// The display's overlay layer and modes: the overlay node whose children
// (logo, fades, scene texts, lens-flare sprites) are drawn in view space
// over the scene every frame, the two overlay nodes drawn with the head-up
// display, the statistics text, the sixteen mode words in the order the
// scene-state file keeps them, and the overlay textures.
#pragma once

#include "desktop/scene/world/display_block.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace lumivane {

class AnimText;
class Matrix;
class Node;
class TextureSet;
class TransNode;

// Mode words beyond those the scene file's block names.
inline constexpr int kModeCinematicHud = 3;         // HUD visibility kept by cinematic mode
inline constexpr int kModeCinematicFadeIn = 4;      // fade-in kept by cinematic mode
inline constexpr int kModeCinematicPermission0 = 5; // user-input permission words kept
inline constexpr int kModeCinematicPermission1 = 6;
inline constexpr int kModeUnitSwitch = 8;
inline constexpr int kModeFadeIn = 11;
inline constexpr int kModeFadeAmount = kModeFadeAmountWord;
inline constexpr int kTextSlots = 5;

// Half the width and the height that the overlay view shows at depth 1 (from
// its projection). Texts and labels are placed in shares of these, so they
// keep their places on the picture whatever its shape.
struct OverlayExtent {
    float halfWidth = 1.0f;
    float halfHeight = 1.0f;
};
OverlayExtent OverlayExtentOf(const Matrix& projection);

class OverlayState {
public:
    OverlayState();
    ~OverlayState();
    OverlayState(const OverlayState&) = delete;
    OverlayState& operator=(const OverlayState&) = delete;

    // The mode words; float words hold their bits.
    std::array<int32_t, kModeWordCount> modes{};
    std::array<uint32_t, 2> spare{};
    float ModeFloat(int word) const;
    void SetModeFloat(int word, float value);
    bool Mode(int word) const { return modes[size_t(word)] > 0; }

    // The overlay node (always there) and the head-up display's two (made
    // with the first frame).
    Node* overlay = nullptr;
    Node* hudOverlay = nullptr;
    TransNode* hudOverlayTransform = nullptr;
    void MakeHudOverlays();

    // The overlay node's first child of that name (any case), or null.
    Node* Find(std::string_view name) const;
    // Every child of that name leaves the overlay node.
    void Remove(std::string_view name);

    AnimText* statisticsText = nullptr; // held while shown
    void SetStatisticsText(AnimText* text);

    TextureSet* pictureInPicture = nullptr;
    TextureSet* environmentMap = nullptr;
};

} // namespace lumivane
