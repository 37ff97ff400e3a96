// The scene engine as far as the program has it: the model library, loaded
// on the first run with the load screen's bar and the abort test, and the
// texture manager's slot pool built once the models are in. The world,
// scenes, players and sound join behind the same interface.
#pragma once

#include "desktop/app/scene_engine.h"

#include <filesystem>
#include <functional>
#include <memory>

namespace lumivane {

class ModelLibrary;

class ModelSceneEngine : public SceneEngine {
public:
    // The models are read below the folder `dataRoot` names when they load.
    explicit ModelSceneEngine(std::function<std::filesystem::path()> dataRoot);
    ~ModelSceneEngine() override;

    ModelLibrary* Library() const { return library_.get(); }

    void CreateServices() override;
    bool LoadModels(const std::function<bool()>& shouldAbort,
                    const std::function<void(float)>& progress) override;
    // The pool; a card too small for one still draws with the dedicated
    // slots, so only a missing texture manager fails.
    bool CreateTextureSlots() override;
    void Term() override;

private:
    std::function<std::filesystem::path()> dataRoot_;
    std::unique_ptr<ModelLibrary> library_;
};

} // namespace lumivane
