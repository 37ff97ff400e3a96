// The model library and the texture slots behind the scene engine.
#include "desktop/app/model_scene_engine.h"

#include "desktop/display/textures/texture_manager.h"
#include "desktop/scene/world/model_library.h"

namespace lumivane {

ModelSceneEngine::ModelSceneEngine(std::function<std::filesystem::path()> dataRoot)
    : dataRoot_(std::move(dataRoot)) {}

ModelSceneEngine::~ModelSceneEngine() {
    Term();
}

void ModelSceneEngine::CreateServices() {
    if (library_) return;
    library_ = std::make_unique<ModelLibrary>();
    SetModelLibrary(library_.get());
}

bool ModelSceneEngine::LoadModels(const std::function<bool()>& shouldAbort,
                                  const std::function<void(float)>& progress) {
    if (!library_ || !dataRoot_) return false;
    library_->shouldAbort = shouldAbort;
    library_->onProgress = progress;
    const bool loaded = library_->LoadAll(dataRoot_()) != 0;
    library_->shouldAbort = nullptr;
    library_->onProgress = nullptr;
    return loaded;
}

bool ModelSceneEngine::CreateTextureSlots() {
    if (!gpTextureManager) return false;
    gpTextureManager->BuildSlotPool();
    return true;
}

void ModelSceneEngine::Term() {
    if (!library_) return;
    if (GetModelLibrary() == library_.get()) SetModelLibrary(nullptr);
    library_.reset();
}

} // namespace lumivane
