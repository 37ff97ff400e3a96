// The scene engine as the application drives it: the services made at
// start-up, the models and players of the first run, scene files, and the
// steps of one frame. This base does nothing and loads no scene; the world,
// scene, player and sound services are wired in behind it as they come, and
// tests record the calls.
#pragma once

#include <functional>
#include <string>

namespace lumivane {

// The frame's work after the clock, in the order the main loop runs it (the
// display's frame comes between Sound and FlushRemovals).
enum class FrameStep {
    DeliverMessages, // the queued messages of this frame number; late ones are dropped
    ForgetTextureRequests,
    Triggers,
    CommandInterface, // clears its per-frame words, then the command step and the HUD step
    Players,
    World,
    Camera,
    Sound,
    FlushRemovals,
};

class SceneEngine {
public:
    virtual ~SceneEngine() = default;

    // Start-up: the sound manager (when sound is on) and the music player.
    virtual void CreateSound() {}
    // The three volume levels (master, music, effects) the sound code reads.
    virtual void SetVolume(float level) { (void)level; }
    // Lets a volume change reach the playing sounds at once.
    virtual void UpdateSound() {}
    // Start-up: the math tables, the world, the texture manager, the model
    // library, the command interface and the class table.
    virtual void CreateServices() {}

    // First run: loads the model library, asking shouldAbort between files
    // and telling progress (0..1) to the load screen's bar; false when it
    // could not load or was stopped.
    virtual bool LoadModels(const std::function<bool()>& shouldAbort,
                            const std::function<void(float)>& progress) {
        (void)shouldAbort;
        (void)progress;
        return true;
    }
    // First run after the models: the font, the display's overlay models,
    // the command settings, the HUD, the orbit-line and grid textures and
    // the six players.
    virtual void SetUpFirstRun() {}
    // The texture manager's slots for the display's device; false on failure.
    virtual bool CreateTextureSlots() { return true; }
    // Each run: the counters and flags of the command interface and the HUD,
    // and the messages still queued.
    virtual void ResetRun() {}
    // Each run: the Scene, unless there is one already.
    virtual void CreateScene() {}

    // Scene files ("scenes\x.mis" below the data root).
    virtual bool LoadScene(const std::string& path) {
        (void)path;
        return false;
    }
    virtual void SaveState(const std::string& path) { (void)path; }
    virtual void LoadState(const std::string& path) { (void)path; }
    // The engine's part of starting a freshly loaded scene: sound reset,
    // camera, world, scene restart, HUD and selection.
    virtual void StartScene() {}
    // After every load request: the display's scene-start fields, the HUD
    // hidden, the selection words; after the first load of a run also the
    // "fadein" overlay model.
    virtual void AfterLoadRequest(bool firstLoadOfRun) { (void)firstLoadOfRun; }
    // After a state restore: the camera director's pending view is cleared.
    virtual void AfterStateRestore() {}

    // The overlay model "logo": shown or removed, and which of its
    // sequences plays ("screensaver" looping, or "on" once).
    virtual void ShowLogo(bool shown, bool screensaverSequence) {
        (void)shown;
        (void)screensaverSequence;
    }
    // Switches a shown logo between its two sequences.
    virtual void SwitchLogoSequence(bool screensaverSequence) { (void)screensaverSequence; }

    // The engine's pause switch: while set the game step is 0.
    virtual bool Paused() const { return false; }
    virtual void Step(FrameStep step) { (void)step; }

    virtual void StopAllSounds() {}
    // Deletes what CreateSound, CreateServices and the first run made.
    virtual void Term() {}
};

} // namespace lumivane
