// The program's scene engine: the world, the model library, the six
// players, the one scene and the queue of message records, made at the
// start-up steps the application asks for and stepped once per frame in the
// main loop's order. It installs each as the scene engine's service and
// takes them away again at the end.
#pragma once

#include "desktop/app/scene_engine.h"

#include <filesystem>
#include <functional>
#include <memory>

namespace lumivane {

class MessageQueue;
class ModelLibrary;
class PlayerSet;
class Scene;
class ScriptConfig;
class World;

class ProgramSceneEngine : public SceneEngine {
public:
    // Where the data lies and the script configuration, both known only
    // once start-up has read the settings.
    struct Sources {
        std::function<std::filesystem::path()> dataRoot;
        std::function<const ScriptConfig*()> script;
    };

    explicit ProgramSceneEngine(Sources sources);
    ~ProgramSceneEngine() override;

    World* GetWorldService() const { return world_.get(); }
    ModelLibrary* Library() const { return library_.get(); }
    Scene* CurrentScene() const { return scene_.get(); }
    MessageQueue* Queue() const { return queue_.get(); }
    bool PlayersMade() const { return players_ != nullptr; }

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
    Sources sources_;
    std::unique_ptr<World> world_;
    std::unique_ptr<ModelLibrary> library_;
    std::unique_ptr<PlayerSet> players_;
    std::unique_ptr<MessageQueue> queue_;
    std::unique_ptr<Scene> scene_;
};

} // namespace lumivane
