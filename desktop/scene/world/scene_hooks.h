// What the scene, its triggers and the players ask of the parts of the
// program around them: the application (quitting, scene changes, switches,
// the language, the time scale, settings flags, system commands), the
// display (text slots, overlays, modes and its block of the scene-state
// file), the camera and the sound cues. Each seam has a stand-in that does
// nothing visible, so the scene engine runs alone in tools and tests; the
// program installs the real services as they are made.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "desktop/scene/world/display_block.h"

namespace platform {
class BinaryReader;
class BinaryWriter;
} // namespace platform

namespace lumivane {

class Entity;
class Message;
class TriggerAction;

// The two user-input permission words (which controls the user may use;
// all bits set until a scene says otherwise) and the two user event words
// (which controls the user did use this frame; cleared by the main loop).
struct UserInputWords {
    uint32_t permission[2] = {0xffffffffu, 0xffffffffu};
    uint32_t events[2] = {0, 0};
};

UserInputWords& GetUserInputWords();

// A table of texts by number: the scene's companion table.
class TextTable {
public:
    virtual ~TextTable() = default;
    // The text of the id, empty when there is none.
    virtual std::string Text(int32_t id) const = 0;
};

// The switches of the application that trigger actions set (the action's
// type names the switch): 7, 38, 39 and 41.
inline constexpr int kApplicationSwitchCount = 4;

class SceneApplication {
public:
    virtual ~SceneApplication() = default;

    // --- Language -------------------------------------------------------
    // The program table's text for an entry; empty without one.
    virtual std::string LanguageText(int32_t entry) const;
    // The program's language setting (0 = the default language).
    virtual int LanguageSetting() const { return 0; }
    // Whether the program's language file is the ".txt" kind; the
    // companion tables then are too.
    virtual bool LanguageFileIsTxt() const { return false; }
    // Reads a companion text table (".txt" or ".csv"); null when there is
    // none.
    virtual std::unique_ptr<TextTable> LoadTextTable(const std::filesystem::path& path) const;

    // --- Requests -------------------------------------------------------
    // The scene asks the program to end.
    virtual void Quit() { quitRequested = true; }
    // Loads another scene ("scenes\name.mis") at the next pass.
    virtual void RequestScene(const std::string& path) { requestedScene = path; }
    // A global switch: 0 off, 1 on, any other value toggles.
    virtual void SetSwitch(int action, int mode);
    virtual int Switch(int action) const;
    virtual void SetStateWord(int32_t value) { stateWord = value; }
    virtual void SetTimeScale(float scale) { timeScale = scale; }
    // Writes the DWORD 1 under the name in the program's settings key.
    virtual bool SetRegistryFlag(std::string_view name);
    // A message record of type 8: a command to the application itself.
    virtual void SystemCommand(const Message& message) { (void)message; }
    // The music player's hooks: a trigger action of type 27, and the music
    // block of a restored saved state. They do nothing in this program.
    virtual void MusicAction(const TriggerAction& action) { (void)action; }
    virtual void RestoreMusic(std::string_view path, uint32_t value) {
        (void)path;
        (void)value;
    }
    // A hook for trigger action 42; it does nothing in this program.
    virtual void ActionHook(const TriggerAction& action) { (void)action; }

    // What the stand-in was asked, for tools and tests.
    bool quitRequested = false;
    std::string requestedScene;
    int32_t stateWord = 0;
    float timeScale = 1.0f;

private:
    int switches[kApplicationSwitchCount] = {};
};

// Null restores the stand-in.
void SetSceneApplication(SceneApplication* application);
SceneApplication& GetSceneApplication();

// The display as the scene drives it: text slots, overlay models, modes,
// and its block of the scene-state file. The stand-in keeps only that
// block, so a file read and written again keeps the display's state.
class SceneDisplay {
public:
    virtual ~SceneDisplay() = default;

    // Text slot `slot` (0..4) shows the text; slots outside are ignored.
    virtual void ShowText(int slot, std::string_view text, bool atOnce);
    // The nodes "text%i" and "text%i-shadow" (number 1..5) fade away.
    virtual void HideText(int number) { (void)number; }
    // The nodes "text%i" and "text%i-shadow" (number 1..5) go at once.
    virtual void RemoveText(int number) { (void)number; }
    // Modes: 0 off, 1 on, any other value toggles.
    virtual void SetLetterbox(int mode, bool animate);
    virtual void SetHudVisible(int mode, bool fade);
    virtual void SetCinematicMode(int mode, bool animate);
    // The fade switch (mode word 11; 0 off, 1 on, any other value
    // toggles): off, the scene fades to black, on, it fades back in. With
    // `refresh` 0 the fade amount follows at once, else the frames ramp it.
    virtual void SetSwitch(int mode, int refresh);
    // Value 0 sets the further switch (mode word 7); 1 clears the bump
    // switch (mode word 13), any other value toggles it.
    virtual void SetFlags(int value);
    // The overlay node's children by name.
    virtual bool HasOverlay(std::string_view name) const {
        (void)name;
        return false;
    }
    virtual void RemoveOverlay(std::string_view name) { (void)name; }
    // The overlay node's first child of that name; the stand-in has none.
    virtual Entity* FindOverlay(std::string_view name) const {
        (void)name;
        return nullptr;
    }
    // Takes an entity made without registration into the overlay node; the
    // stand-in, which has no overlay, releases it.
    virtual void AddOverlayModel(Entity* entity);
    // Clears a flag of the overlay node "Pause" when it exists.
    virtual void ClearPauseFlag() {}
    // A hook of trigger action 14; it does nothing in this program.
    virtual void Hook(int32_t value, std::string_view text) {
        (void)value;
        (void)text;
    }
    virtual void SetEffectParams(std::span<const int32_t> values) { (void)values; }
    // Wireframe drawing: 0 off, 1 on, any other value toggles.
    virtual void SetWireframe(int mode);
    bool Wireframe() const { return wireframe; }
    // Cinematic mode (set by SetCinematicMode) quiets the sound.
    virtual bool CinematicMode() const { return block.modes[kModeCinematic] > 0; }
    // A scene restarts: the text nodes go and the cinematic word becomes -1.
    virtual void ResetForRestart() { block.modes[kModeCinematic] = -1; }

    // The display's block of the scene-state file.
    virtual void SaveState(platform::BinaryWriter& file) const { block.Save(file); }
    virtual bool LoadState(platform::BinaryReader& file, uint32_t version) {
        return block.Load(file, version);
    }

protected:
    DisplayBlock block;
    bool wireframe = false;
};

void SetSceneDisplay(SceneDisplay* display);
SceneDisplay& GetSceneDisplay();

// The camera controller as the scene drives it.
class SceneCamera {
public:
    virtual ~SceneCamera() = default;
    // Starts the camera path of a trigger action (null stops a sequence).
    virtual void StartSequence(const TriggerAction* action, int step, int clockFlag) {
        (void)action;
        (void)step;
        (void)clockFlag;
    }
    // Frames the units (null entries are skipped).
    virtual void FocusOnUnits(std::span<Entity* const> units) { (void)units; }
    // The camera's sway amount, set by trigger action 43.
    virtual void SetSway(float amount) { (void)amount; }
};

void SetSceneCamera(SceneCamera* camera);
SceneCamera& GetSceneCamera();

// Sound cues of the scene. Announcements go through the sound cues of the
// scene services; these are the scene's own sounds.
enum class InterfaceCue {
    SquadSelected,
    SquadEmpty,
    SquadOrdered,
    // The command interface's.
    UnitSelected,
    UnitsSelected,
    OrderRefused,
    MoveAcknowledged,
    FollowAcknowledged,
    AttackAcknowledged,
    // The camera's.
    ViewToggle,
    CameraMove,
};
inline constexpr int kInterfaceCueCount = int(InterfaceCue::CameraMove) + 1;

class SceneSounds {
public:
    virtual ~SceneSounds() = default;
    // A sound file under "sounds\".
    virtual void PlaySceneSound(std::string_view name) { (void)name; }
    // The same, stopping the scene sound that plays.
    virtual void PlaySceneSoundExclusive(std::string_view name) { (void)name; }
    // Sound on (1), off (0) or toggled, fading when asked.
    virtual void ToggleSound(int mode, bool fade) {
        (void)mode;
        (void)fade;
    }
    // The scene's cue at `share` of the sound volume.
    virtual void PlaySceneCue(float share) { (void)share; }
    virtual void PlayInterfaceCue(InterfaceCue cue, float share) {
        (void)cue;
        (void)share;
    }
};

void SetSceneSounds(SceneSounds* sounds);
SceneSounds& GetSceneSounds();

} // namespace lumivane
