// The scene engine's services: made at start-up, the models of the first
// run, and their end.
#include "desktop/app/model_scene_engine.h"

#include "desktop/display/font/bitmap_font.h"
#include "desktop/display/textures/texture_manager.h"
#include "desktop/scene/world/message_queue.h"
#include "desktop/scene/world/model_library.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/scene/world/world.h"

namespace lumivane {

ModelSceneEngine::ModelSceneEngine(std::function<std::filesystem::path()> dataRoot)
    : dataRoot_(std::move(dataRoot)) {}

ModelSceneEngine::~ModelSceneEngine() {
    Term();
}

void ModelSceneEngine::CreateServices() {
    if (library_) return;
    world_ = std::make_unique<World>();
    world_->Init();
    SetWorld(world_.get());
    library_ = std::make_unique<ModelLibrary>();
    SetModelLibrary(library_.get());
    queue_ = std::make_unique<MessageQueue>();
    SetMessageQueue(queue_.get());
    scene_ = std::make_unique<Scene>();
    SetScene(scene_.get());
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
    GetLoopHooks().yield = nullptr;
    if (GetFont() == font_.get()) SetFont(nullptr);
    if (GetScene() == scene_.get()) SetScene(nullptr);
    scene_.reset();
    players_.reset();
    if (GetMessageQueue() == queue_.get()) SetMessageQueue(nullptr);
    queue_.reset();
    if (world_) world_->Clear();
    if (GetWorld() == world_.get()) SetWorld(nullptr);
    world_.reset();
    if (GetModelLibrary() == library_.get()) SetModelLibrary(nullptr);
    library_.reset();
    font_.reset();
}

} // namespace lumivane
