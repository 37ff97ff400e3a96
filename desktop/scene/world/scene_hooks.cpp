// The scene's seams and their stand-ins.
#include "desktop/scene/world/scene_hooks.h"

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/world/scene_services.h"

namespace lumivane {

namespace {

SceneApplication standInApplication;
SceneDisplay standInDisplay;
SceneCamera standInCamera;
SceneSounds standInSounds;

SceneApplication* application = nullptr;
SceneDisplay* display = nullptr;
SceneCamera* camera = nullptr;
SceneSounds* sounds = nullptr;

int SwitchIndex(int action) {
    switch (action) {
    case 7:
        return 0;
    case 38:
        return 1;
    case 39:
        return 2;
    case 41:
        return 3;
    default:
        return -1;
    }
}

} // namespace

UserInputWords& GetUserInputWords() {
    static UserInputWords words;
    return words;
}

std::string SceneApplication::LanguageText(int32_t) const {
    return {};
}

std::unique_ptr<TextTable> SceneApplication::LoadTextTable(const std::filesystem::path&) const {
    return nullptr;
}

void SceneApplication::SetSwitch(int action, int mode) {
    int index = SwitchIndex(action);
    if (index >= 0) switches[index] = ApplySwitchMode(switches[index], mode);
}

int SceneApplication::Switch(int action) const {
    int index = SwitchIndex(action);
    return index >= 0 ? switches[index] : 0;
}

bool SceneApplication::SetRegistryFlag(std::string_view) {
    return false;
}

void SetSceneApplication(SceneApplication* installed) {
    application = installed;
}

SceneApplication& GetSceneApplication() {
    return application ? *application : standInApplication;
}

void SceneDisplay::ShowText(int slot, std::string_view text, bool) {
    if (slot < 1 || slot > kSavedTextSlots) return; // slot 0 is not saved
    block.textPresent[size_t(slot - 1)] = true;
    block.texts[size_t(slot - 1)] = std::string(text.substr(0, kSavedTextBytes - 1));
}

void SceneDisplay::SetLetterbox(int mode, bool) {
    block.modes[kModeLetterbox] = ApplySwitchMode(block.modes[kModeLetterbox], mode);
}

void SceneDisplay::SetHudVisible(int mode, bool) {
    int32_t shown = ApplySwitchMode(block.modes[kModeHudVisible], mode);
    block.modes[kModeHudVisible] = shown;
    block.modes[kModeHudRequested] = shown;
}

void SceneDisplay::SetCinematicMode(int mode, bool) {
    const bool was = CinematicMode();
    block.modes[kModeCinematic] = ApplySwitchMode(was, mode);
    // Waiting announcements are dropped as a cut scene begins.
    if (!was && CinematicMode())
        if (SoundCues* cues = GetSoundCues()) cues->ClearAnnouncements();
}

void SceneDisplay::SetSwitch(int mode, int refresh) {
    SetFadeSwitch(block.modes, mode, refresh);
}

void SceneDisplay::SetFlags(int value) {
    SetDisplayFlags(block.modes, value);
}

void SceneDisplay::AddOverlayModel(Entity* entity) {
    if (entity) entity->Release();
}

void SceneDisplay::SetWireframe(int mode) {
    wireframe = ApplySwitchMode(wireframe, mode) != 0;
}

void SetSceneDisplay(SceneDisplay* installed) {
    display = installed;
}

SceneDisplay& GetSceneDisplay() {
    return display ? *display : standInDisplay;
}

void SetSceneCamera(SceneCamera* installed) {
    camera = installed;
}

SceneCamera& GetSceneCamera() {
    return camera ? *camera : standInCamera;
}

void SetSceneSounds(SceneSounds* installed) {
    sounds = installed;
}

SceneSounds& GetSceneSounds() {
    return sounds ? *sounds : standInSounds;
}

} // namespace lumivane
