// The scene engine's seams answered by the display.
#include "desktop/display/overlay/scene_display_link.h"

#include "desktop/display/device/display.h"
#include "desktop/display/textures/texture_manager.h"
#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/anim_text.h"
#include "desktop/scene/object/class_table.h"

#include <string>

namespace lumivane {

namespace {

constexpr int kHiddenFadeDelayMs = 0;

std::string TextName(int number) {
    return "text" + std::to_string(number);
}

} // namespace

DisplaySceneLink::DisplaySceneLink(Display& display) : display_(display) {
    SetSceneDisplay(this);
    SetFrameDisplay(this);
    SetCameraLink(&display_.Camera());
    SetSceneCamera(&display_.Camera());
    PublishShape();
    PublishBumpSwitch();
}

DisplaySceneLink::~DisplaySceneLink() {
    if (&GetSceneDisplay() == this) SetSceneDisplay(nullptr);
    if (GetFrameDisplay() == this) SetFrameDisplay(nullptr);
    if (GetCameraLink() == &display_.Camera()) SetCameraLink(nullptr);
    if (&GetSceneCamera() == &display_.Camera()) SetSceneCamera(nullptr);
}

void DisplaySceneLink::PublishShape() {
    DisplayState& state = GetDisplayState();
    if (display_.RenderWidth() > 0) state.screenWidth = display_.RenderWidth();
    // Overlay sprites are placed in a view a quarter turn wide.
    state.flareScale = 1.0f;
    state.verticalFactor = display_.Aspect() > 0.0f ? 1.0f / display_.Aspect() : 1.0f;
}

void DisplaySceneLink::ShowText(int slot, std::string_view text, bool atOnce) {
    display_.ShowText(slot, text, atOnce);
}

// The text and its shadow stop and fade away under another name, so that a
// new text can take the slot at once.
void DisplaySceneLink::HideText(int number) {
    OverlayState& overlay = display_.Overlay();
    for (const std::string& name : {TextName(number), TextName(number) + "-shadow"}) {
        Node* node = overlay.Find(name);
        if (!node || !IsA(node, ClassId::AnimText)) continue;
        auto* text = static_cast<AnimText*>(node);
        text->animating = 0;
        text->ScheduleFadeOut(kHiddenFadeDelayMs);
        text->SetName(name + "X");
    }
}

void DisplaySceneLink::RemoveText(int number) {
    display_.Overlay().Remove(TextName(number));
    display_.Overlay().Remove(TextName(number) + "-shadow");
}

void DisplaySceneLink::SetLetterbox(int mode, bool animate) {
    display_.SetLetterbox(mode, animate);
}

void DisplaySceneLink::SetHudVisible(int mode, bool fade) {
    display_.SetHudVisible(mode, fade);
}

void DisplaySceneLink::SetCinematicMode(int mode, bool animate) {
    display_.SetCinematicMode(mode, animate);
}

void DisplaySceneLink::SetSwitch(int mode, int refresh) {
    SetFadeSwitch(display_.Overlay().modes, mode, refresh);
}

void DisplaySceneLink::SetFlags(int value) {
    SetDisplayFlags(display_.Overlay().modes, value);
    PublishBumpSwitch();
}

void DisplaySceneLink::PublishBumpSwitch() {
    display_.Switches().bump = display_.Overlay().Mode(kModeBumpSwitch);
}

bool DisplaySceneLink::HasOverlay(std::string_view name) const {
    return display_.Overlay().Find(name) != nullptr;
}

Entity* DisplaySceneLink::FindOverlay(std::string_view name) const {
    Node* node = display_.Overlay().Find(name);
    return IsA(node, ClassId::Entity) ? static_cast<Entity*>(node) : nullptr;
}

void DisplaySceneLink::RemoveOverlay(std::string_view name) {
    display_.Overlay().Remove(name);
}

void DisplaySceneLink::AddOverlayModel(Entity* entity) {
    display_.AddOverlayModel(entity);
}

void DisplaySceneLink::ClearPauseFlag() {
    if (Node* pause = display_.Overlay().Find("Pause")) pause->visible = 0;
}

void DisplaySceneLink::SetEffectParams(std::span<const int32_t> values) {
    display_.SetEffectParams(values);
}

void DisplaySceneLink::SetWireframe(int mode) {
    SceneDisplay::SetWireframe(mode);
    display_.Switches().wireframe = Wireframe();
}

bool DisplaySceneLink::CinematicMode() const {
    return display_.Overlay().modes[kModeCinematic] > 0;
}

void DisplaySceneLink::ResetForRestart() {
    OverlayState& overlay = display_.Overlay();
    for (int i = 1; i <= kTextSlots; ++i)
        for (const char* suffix : {"", "-shadow", "X", "-shadowX"})
            overlay.Remove(TextName(i) + suffix);
    overlay.modes[kModeCinematic] = -1;
}

void DisplaySceneLink::SaveState(platform::BinaryWriter& file) const {
    display_.SaveState(file);
}

bool DisplaySceneLink::LoadState(platform::BinaryReader& file, uint32_t version) {
    const bool loaded = display_.LoadState(file, version);
    PublishBumpSwitch();
    return loaded;
}

void DisplaySceneLink::RequestTexture(TextureSet* set, int frame, int priority, int level) {
    if (set && gpTextureManager)
        gpTextureManager->RequestLevel(set->GetFrame(frame), float(priority), level);
}

Node* DisplaySceneLink::OverlayNode() {
    return display_.Overlay().overlay;
}

} // namespace lumivane
