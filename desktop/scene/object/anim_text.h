// AnimText: a text node (built by the bitmap font) that can fade in over a
// second and fade out after a delay, by writing the alpha of its vertices.
// A text that has faded out leaves its parent once the walk that updated it
// is over (FlushDeferredRemovals), never in the middle of it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "desktop/scene/object/geo_node.h"

namespace lumivane {

inline constexpr int kAnimTextSize = 1024; // 1023 characters and the terminator

class AnimText : public GeoNode {
public:
    AnimText();

    int Save(platform::BinaryWriter& file, ObjectTable& table) override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    Node* Clone() override;
    void Update() override;

    void Show();
    void Hide();
    void StartAnimation();
    void ScheduleFadeOut(uint32_t delayMs);

    std::string text;
    uint32_t startTime = 0; // game clock, ms
    int32_t animating = 0;
    int32_t fadeOut = 0;
    float step = 0.025f;
    // Wide text: the texture frame of each glyph, in drawing order (glyphs
    // come grouped by frame). Empty: every glyph on frame 0. Not saved.
    std::vector<uint16_t> glyphPages;

protected:
    AnimText(const AnimText& other) = default;

private:
    void SetAlpha(uint32_t alpha);
};

// Removes the nodes that asked to leave their parents during a walk; the
// walker calls it when the walk is over.
void FlushDeferredRemovals();

} // namespace lumivane
