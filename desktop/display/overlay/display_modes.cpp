// The display's modes: letterbox, head-up display and cinematic mode (which
// hides the HUD, shows the bars, fades out and takes the controls from the
// user until it ends), the effect parameters and overlay models.
#include "desktop/display/device/display.h"

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/math_tables.h"
#include "desktop/scene/object/trans_node.h"
#include "desktop/scene/world/scene_hooks.h"
#include "desktop/scene/world/scene_services.h"

namespace lumivane {

namespace {

constexpr float kOverlayModelDepth = 0.04f;
constexpr float kOverlayModelScale = 0.02f;

// 0 off, 1 on, anything else the opposite of now.
int32_t ApplyMode(int32_t current, int mode) {
    if (mode == 0 || mode == 1) return mode;
    return current > 0 ? 0 : 1;
}

} // namespace

void Display::SetLetterbox(int mode, bool animate) {
    const int32_t on = ApplyMode(overlay_.modes[kModeLetterbox], mode);
    if (on == overlay_.modes[kModeLetterbox]) return;
    overlay_.modes[kModeLetterbox] = on;
    if (!animate) overlay_.SetModeFloat(kModeLetterboxAmount, on ? 1.0f : 0.0f);
}

void Display::SetHudVisible(int mode, bool fade) {
    const int32_t shown = ApplyMode(overlay_.modes[kModeHudVisible], mode);
    if (shown == overlay_.modes[kModeHudVisible]) return;
    overlay_.modes[kModeHudVisible] = shown;
    overlay_.modes[kModeHudRequested] = shown;
    hooks_->SetHudVisible(shown != 0, fade);
    if (shown) {
        overlay_.MakeHudOverlays();
        overlay_.hudOverlayTransform->visible = 1;
    }
}

void Display::SetCinematicMode(int mode, bool animate) {
    std::array<int32_t, kModeWordCount>& m = overlay_.modes;
    const int32_t on = ApplyMode(m[kModeCinematic], mode);
    if (on == m[kModeCinematic]) return;
    m[kModeCinematic] = on;
    UserInputWords& input = GetUserInputWords();
    if (on) {
        m[kModeCinematicHud] = m[kModeHudVisible];
        SetHudVisible(0, false);
        SetLetterbox(1, animate);
        if (!animate) overlay_.SetModeFloat(kModeLetterboxAmount, 1.0f);
        m[kModeCinematicFadeIn] = m[kModeFadeIn];
        m[kModeFadeIn] = 0;
        if (!animate) overlay_.SetModeFloat(kModeFadeAmount, 0.0f);
        m[kModeCinematicPermission0] = int32_t(input.permission[0]);
        m[kModeCinematicPermission1] = int32_t(input.permission[1]);
        input.permission[0] = input.permission[1] = 0;
        if (SoundCues* cues = GetSoundCues()) cues->ClearAnnouncements();
        return;
    }
    if (m[kModeCinematicHud] > 0) SetHudVisible(1, animate);
    SetLetterbox(0, animate);
    m[kModeFadeIn] = m[kModeCinematicFadeIn];
    if (!animate) overlay_.SetModeFloat(kModeFadeAmount, m[kModeFadeIn] > 0 ? 1.0f : 0.0f);
    input.permission[0] = uint32_t(m[kModeCinematicPermission0]);
    input.permission[1] = uint32_t(m[kModeCinematicPermission1]);
}

void Display::SetEffectParams(std::span<const int32_t>) {
    // Kept for the scenes and triggers that call it; it changes nothing.
}

void Display::AddOverlayModel(Entity* entity) {
    if (!entity) return;
    // The model's origin at the view's top-left corner.
    const float k = kOverlayModelDepth * FastTan(kPi / 4.0f);
    entity->SetScale(kOverlayModelScale * k);
    entity->position = {-k, k * inverseAspect_, kOverlayModelDepth};
    entity->PlaceLocalMatrix();
    overlay_.overlay->AddChild(entity);
}

} // namespace lumivane
