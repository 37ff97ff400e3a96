// The program's scene engine: the world, the model library, the six
// players, the one scene and the queue of message records, made at the
// start-up steps the application asks for and stepped once per frame in the
// main loop's order. It installs each as the scene engine's service and
// takes them away again at the end. It also sets up the display's font and
// overlays, steps the display's camera, and owns the sound manager (which
// runs silent on a machine without a sound device) and the music player.
#pragma once

#include "desktop/app/scene_engine.h"

#include <filesystem>
#include <functional>
#include <memory>

namespace lumivane {

class BitmapFont;
class Display;
class MessageQueue;
class ModelLibrary;
class MusicPlayer;
class PlayerSet;
class Scene;
class ScriptConfig;
class SoundManager;
class World;

class ProgramSceneEngine : public SceneEngine {
public:
    // Where the data lies and the script configuration, both known only
    // once start-up has read the settings.
    struct Sources {
        std::function<std::filesystem::path()> dataRoot;
        std::function<const ScriptConfig*()> script;
        // The display that draws the scenes, once it is made.
        std::function<Display*()> display;
        // How text is taken (UTF-16, and the code page of 8-bit text) and
        // the logo setting, known once start-up has read the settings.
        struct TextAndLogo {
            bool unicode = false;
            unsigned codePage = 0;
            bool logo = false;
            bool screensaver = false;
        };
        std::function<TextAndLogo()> textAndLogo;
    };

    explicit ProgramSceneEngine(Sources sources);
    ~ProgramSceneEngine() override;

    World* GetWorldService() const { return world_.get(); }
    ModelLibrary* Library() const { return library_.get(); }
    Scene* CurrentScene() const { return scene_.get(); }
    MessageQueue* Queue() const { return queue_.get(); }
    bool PlayersMade() const { return players_ != nullptr; }
    SoundManager* Sound() const { return sound_.get(); }

    // Sound (program_scene_sound.cpp): the manager and the music player, the
    // three volume levels, and stopping what plays.
    void CreateSound() override;
    void SetVolume(float level) override;
    void UpdateSound() override;
    void StopAllSounds() override;

    void CreateServices() override;
    bool LoadModels(const std::function<bool()>& shouldAbort,
                    const std::function<void(float)>& progress) override;
    void SetUpFirstRun() override;
    // The pool; a card too small for one still draws with the dedicated
    // slots, so only a missing texture manager fails.
    bool CreateTextureSlots() override;
    void ResetRun() override;
    void CreateScene() override;

    bool LoadScene(const std::string& path) override;
    void SaveState(const std::string& path) override;
    void LoadState(const std::string& path) override;
    void StartScene() override;
    void AfterLoadRequest(bool firstLoadOfRun) override;

    void ShowLogo(bool shown, bool screensaverSequence) override;
    void SwitchLogoSequence(bool screensaverSequence) override;

    bool Paused() const override;
    void Step(FrameStep step) override;
    void Term() override;

private:
    // The display's part of a run (program_scene_display.cpp): the font
    // "font1" and the overlay pictures on the first run, the home view and
    // HUD of a started scene, the fade of a loaded one, the camera's step.
    Display* DrawingDisplay() const;
    void SetUpFontAndOverlays();
    void ShowStartedScene();
    void FadeInLoadedScene();
    void StepCamera();
    void ReleaseFont();
    // The sounds of the scene that ends: its positional voices, its scene
    // sounds and its waiting announcements.
    void ResetSoundForScene();
    void ReleaseSound();

    Sources sources_;
    std::unique_ptr<World> world_;
    std::unique_ptr<ModelLibrary> library_;
    std::unique_ptr<PlayerSet> players_;
    std::unique_ptr<MessageQueue> queue_;
    std::unique_ptr<Scene> scene_;
    std::unique_ptr<BitmapFont> font_;
    std::unique_ptr<SoundManager> sound_;
    std::unique_ptr<MusicPlayer> music_;
};

} // namespace lumivane
