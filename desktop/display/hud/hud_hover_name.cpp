// The head-up display's hover label: the name of the one unit under the
// mouse, in its player's colour with a flickering alpha over a black shadow,
// near the top right of the view. Made again every frame.
#include <string>

#include "desktop/display/font/bitmap_font.h"
#include "desktop/display/hud/hud.h"
#include "desktop/display/overlay/overlay_state.h"
#include "desktop/scene/command/command_interface.h"
#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/anim_text.h"
#include "desktop/scene/object/random_generator.h"

namespace lumivane {

namespace {

constexpr float kLabelDepth = 0.2f;
constexpr float kLabelX = 0.84f; // shares of the view's half width and height
constexpr float kLabelY = 0.62f;
constexpr float kCharWidth = 0.00365625f;
constexpr float kCharHeight = 0.0073125f;
constexpr float kShadowOffset = 0.0008f;
constexpr int kAnchorTopRight = 2;
constexpr uint32_t kShadowColour = 0xFF000000u;
constexpr uint32_t kLabelAlpha = 192;
constexpr uint32_t kFlicker = 64;

} // namespace

void Hud::ShowHoverName(OverlayState& overlay, const OverlayExtent& extent) {
    overlay.Remove(kHoverNameShadow);
    overlay.Remove(kHoverName);
    BitmapFont* font = GetFont();
    if (!hudOn || !font || !overlay.overlay) return;
    CommandInterface& commands = GetCommandInterface();
    if (commands.mode == kModeBoxSelect || commands.candidates.Count() != 1) return;
    const std::vector<Entity*> under = commands.Candidates();
    if (under.size() != 1 || under[0]->pulsing) return;
    const Entity& unit = *under[0];
    // A unit without a name still shows its (empty) label.
    const std::string text = unit.Name().empty() ? std::string(" ") : std::string(unit.Name());
    const float x = extent.halfWidth * kLabelDepth * kLabelX;
    const float y = extent.halfHeight * kLabelDepth * kLabelY + kCharHeight;
    const uint32_t alpha = kLabelAlpha + MainRandom().Next() % kFlicker;
    auto add = [&](float atX, float atY, uint32_t colour, const char* name) {
        AnimText* label = font->MakeText(text, 0, kAnchorTopRight, atX, atY, kLabelDepth,
                                         kCharWidth, kCharHeight, colour, 0.0f, 0, nullptr);
        if (!label) return;
        label->SetName(name);
        label->depthTest = 0;
        label->Show();
        overlay.overlay->AddChild(label);
    };
    add(x + kShadowOffset, y - kShadowOffset, kShadowColour, kHoverNameShadow);
    add(x, y, alpha << 24 | UnitColour(unit), kHoverName);
}

} // namespace lumivane
