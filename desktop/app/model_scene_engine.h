// The scene engine as the program runs it: the model library, loaded on the
// first run with the load screen's bar, and the texture manager's slot pool
// built once the models are in; the world, the six players, the message
// queue and the scene with its triggers; the font and the display's overlay
// pictures; and the frame's steps, from delivering the queued messages to
// flushing the world's removals.
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
class PlayerSet;
class Scene;
class World;

class ModelSceneEngine : public SceneEngine {
public:
    // The models are read below the folder `dataRoot` names when they load.
    explicit ModelSceneEngine(std::function<std::filesystem::path()> dataRoot);
    ~ModelSceneEngine() override;

    ModelLibrary* Library() const { return library_.get(); }
    Scene* CurrentScene() const { return scene_.get(); }

    void CreateServices() override;
    bool LoadModels(const std::function<bool()>& shouldAbort,
                    const std::function<void(float)>& progress) override;
    // The font "font1", the logo and the display's overlay pictures, and
    // the six players.
    void SetUpFirstRun() override;
    // The pool; a card too small for one still draws with the dedicated
    // slots, so only a missing texture manager fails.
    bool CreateTextureSlots() override;

    bool LoadScene(const std::string& path) override;
    void SaveState(const std::string& path) override;
    void LoadState(const std::string& path) override;
    void StartScene() override;
    void AfterLoadRequest(bool firstLoadOfRun) override;
    void ShowLogo(bool shown, bool screensaverSequence) override;
    void SwitchLogoSequence(bool screensaverSequence) override;
    void Step(FrameStep step) override;
    void Term() override;

private:
    // The display the program draws with, if it has one yet.
    Display* ProgramDisplayOrNull() const;

    std::function<std::filesystem::path()> dataRoot_;
    std::unique_ptr<ModelLibrary> library_;
    std::unique_ptr<World> world_;
    std::unique_ptr<MessageQueue> queue_;
    std::unique_ptr<PlayerSet> players_;
    std::unique_ptr<Scene> scene_;
    std::unique_ptr<BitmapFont> font_;
};

} // namespace lumivane
