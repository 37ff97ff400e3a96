// The display's five scene text lines: "text1".."text5", each made with the
// bitmap font where the slot puts it, two of them over a black shadow.
#include "desktop/display/device/display.h"

#include "desktop/display/font/bitmap_font.h"
#include "desktop/display/overlay/overlay_state.h"
#include "desktop/scene/object/anim_text.h"

#include <string>

namespace lumivane {

namespace {

constexpr float kTextDepth = 0.2f;
constexpr float kShadowOffset = 0.0015f;
constexpr float kShadowWrap = 0.3f;
constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kShadowColour = 0xFF000000u;

struct TextSlot {
    int anchor;
    float x, y; // shares of the overlay view's half width and height at the text's depth
    float charWidth, charHeight;
    uint32_t colour;
    float wrapWidth;
    int alternate;
    bool shadow;
};

constexpr TextSlot kSlots[kTextSlots] = {
    {0, -0.6f, 0.67f, 0.0039f, 0.0078f, kWhite, 0.24f, 1, false},
    {6, -0.6f, -0.68f, 0.0039f, 0.0078f, kWhite, 0.24f, 1, false},
    {1, 0.0f, 0.77f, 0.0063375f, 0.012675f, 0xFF00FF00u, 0.3f, 0, true},
    {7, 0.0f, -0.7f, 0.004875f, 0.00975f, kWhite, 0.3f, 1, false},
    {3, 0.25f, 0.0f, 0.00585f, 0.016575f, kWhite, 0.3f, 0, true},
};

std::string SlotName(int slot) {
    return "text" + std::to_string(slot + 1);
}

} // namespace

void Display::ShowText(int slot, std::string_view text, bool atOnce) {
    BitmapFont* font = GetFont();
    if (slot < 0 || slot >= kTextSlots || !font) return;
    const TextSlot& s = kSlots[slot];
    const std::string name = SlotName(slot);
    overlay_.Remove(name);
    overlay_.Remove(name + "-shadow");
    // Texts are drawn through the overlay's projection: their places are
    // shares of what it shows at their depth.
    const OverlayExtent extent = OverlayExtentOf(OverlayProjection());
    const float X = kTextDepth * extent.halfWidth;
    const float Y = kTextDepth * extent.halfHeight;
    const float x = s.x * X, y = s.y * Y;
    auto add = [&](AnimText* node, const std::string& nodeName) {
        node->SetName(nodeName);
        node->depthTest = 0; // never hidden by the scene
        if (atOnce) {
            node->Show();
        } else {
            node->StartAnimation();
        }
        overlay_.overlay->AddChild(node);
    };
    // The shadow first, so that it lies behind.
    if (s.shadow)
        add(font->MakeText(text, 0, s.anchor, x + kShadowOffset, y - kShadowOffset, kTextDepth,
                           s.charWidth, s.charHeight, kShadowColour, kShadowWrap, 0, nullptr),
            name + "-shadow");
    add(font->MakeText(text, 0, s.anchor, x, y, kTextDepth, s.charWidth, s.charHeight, s.colour,
                       s.wrapWidth, s.alternate, nullptr),
        name);
}

} // namespace lumivane
