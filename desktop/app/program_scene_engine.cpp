// The program's scene engine: its services, the first run, scene files and
// the frame's steps.
#include "desktop/app/program_scene_engine.h"

#include "desktop/app/app_scene_application.h"
#include "desktop/display/font/bitmap_font.h"
#include "desktop/display/hud/hud.h"
#include "desktop/display/textures/texture_manager.h"
#include "desktop/scene/command/command_interface.h"
#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/math_tables.h"
#include "desktop/scene/object/model_load_state.h"
#include "desktop/scene/object/orbit_lines.h"
#include "desktop/scene/object/sequencer.h"
#include "desktop/scene/sound/music_player.h"
#include "desktop/scene/sound/sound_manager.h"
#include "desktop/scene/world/message_queue.h"
#include "desktop/scene/world/model_library.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/scene_hooks.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/scene/world/trigger_action.h"
#include "desktop/scene/world/world.h"
#include "desktop/units/unit_classes.h"

#include <ctime>

namespace lumivane {

namespace {

constexpr const char* kLogo = "logo";
constexpr const char* kLogoScreensaverSequence = "screensaver";
constexpr const char* kLogoOnSequence = "on";
constexpr const char* kFadeIn = "fadein";
constexpr const char* kFadeOut = "fadeout";

// Plays one of the logo's sequences: the screen saver's looping, "on" once.
void PlayLogoSequence(Entity* logo, bool screensaverSequence) {
    if (!IsA(logo, ClassId::Entity) || !logo->sequencer) return;
    const Sequencer& sequencer = *logo->sequencer;
    sequencer.Stop(screensaverSequence ? kLogoOnSequence : kLogoScreensaverSequence,
                   logo->sequenceStates);
    sequencer.Play(screensaverSequence ? kLogoScreensaverSequence : kLogoOnSequence,
                   logo->sequenceStates, screensaverSequence ? 1 : 0);
}

} // namespace

ProgramSceneEngine::ProgramSceneEngine(Sources sources) : sources_(std::move(sources)) {}

ProgramSceneEngine::~ProgramSceneEngine() {
    Term();
}

void ProgramSceneEngine::CreateServices() {
    if (world_) return;
    RegisterUnitClasses();
    InitMathTables();
    SeedRandomRange(uint32_t(std::time(nullptr)));
    // Scene files resolve below the data root from the start, not only once
    // the models have loaded.
    if (sources_.dataRoot) GetModelLoadState().dataRoot = sources_.dataRoot();
    world_ = std::make_unique<World>();
    SetWorld(world_.get());
    library_ = std::make_unique<ModelLibrary>();
    SetModelLibrary(library_.get());
    queue_ = std::make_unique<MessageQueue>();
    SetMessageQueue(queue_.get());
}

bool ProgramSceneEngine::LoadModels(const std::function<bool()>& shouldAbort,
                                    const std::function<void(float)>& progress) {
    if (!library_ || !sources_.dataRoot) return false;
    library_->shouldAbort = shouldAbort;
    library_->onProgress = progress;
    const bool loaded = library_->LoadAll(sources_.dataRoot()) != 0;
    library_->shouldAbort = nullptr;
    library_->onProgress = nullptr;
    return loaded;
}

void ProgramSceneEngine::SetUpFirstRun() {
    if (const ScriptConfig* script = sources_.script ? sources_.script() : nullptr) {
        OrbitLines::LoadTexture(*script);
        Grid::LoadTexture(*script);
        GetCommandInterface().LoadSettings(*script);
        GetHud().LoadSettings(*script);
    }
    players_ = std::make_unique<PlayerSet>(0);
    for (auto& player : *players_)
        player->Reset(); // build lists from the loaded library
    SetUpFontAndOverlays();
}

bool ProgramSceneEngine::CreateTextureSlots() {
    if (!gpTextureManager) return false;
    gpTextureManager->BuildSlotPool();
    return true;
}

void ProgramSceneEngine::ResetRun() {
    if (queue_) queue_->Clear();
}

void ProgramSceneEngine::CreateScene() {
    if (scene_) return;
    scene_ = std::make_unique<Scene>();
    SetScene(scene_.get());
}

bool ProgramSceneEngine::LoadScene(const std::string& path) {
    return scene_ && scene_->Load(path) == 1;
}

void ProgramSceneEngine::SaveState(const std::string& path) {
    if (scene_) scene_->SaveState(path);
}

void ProgramSceneEngine::LoadState(const std::string& path) {
    if (scene_) scene_->LoadState(path);
}

void ProgramSceneEngine::StartScene() {
    ResetSoundForScene();
    GetSceneApplication().SetSwitch(kUnitSwitchAction, 0);
    // Orders name units by handle, and the new scene hands the same handles
    // to other units: what was queued for the old scene goes.
    if (queue_) queue_->Clear();
    GetCommandInterface().ForgetUnits();
    if (world_) world_->Reset();
    if (scene_) scene_->Restart();
    ShowStartedScene();
}

void ProgramSceneEngine::AfterLoadRequest(bool firstLoadOfRun) {
    FadeInLoadedScene();
    if (!firstLoadOfRun) return;
    SceneDisplay& display = GetSceneDisplay();
    display.RemoveOverlay(kFadeIn);
    display.RemoveOverlay(kFadeOut);
    if (Entity* fade = library_ ? library_->CreateInstance(kFadeIn, false) : nullptr)
        display.AddOverlayModel(fade);
}

void ProgramSceneEngine::ShowLogo(bool shown, bool screensaverSequence) {
    SceneDisplay& display = GetSceneDisplay();
    if (!shown) {
        display.RemoveOverlay(kLogo);
        return;
    }
    if (display.HasOverlay(kLogo) || !library_) return;
    Entity* logo = library_->CreateInstance(kLogo, false);
    if (!logo) return;
    PlayLogoSequence(logo, screensaverSequence);
    display.AddOverlayModel(logo);
}

void ProgramSceneEngine::SwitchLogoSequence(bool screensaverSequence) {
    PlayLogoSequence(GetSceneDisplay().FindOverlay(kLogo), screensaverSequence);
}

bool ProgramSceneEngine::Paused() const {
    return GetLoopHooks().paused;
}

void ProgramSceneEngine::Step(FrameStep step) {
    switch (step) {
    case FrameStep::DeliverMessages:
        if (queue_) queue_->Deliver(GetSceneClock().frame);
        return;
    case FrameStep::ForgetTextureRequests:
        // The frame asks afresh for the levels it draws.
        if (gpTextureManager) gpTextureManager->ClearRequests();
        return;
    case FrameStep::Triggers:
        if (scene_) scene_->UpdateTriggers();
        return;
    case FrameStep::CommandInterface: {
        UserInputWords& words = GetUserInputWords();
        words.events[0] = words.events[1] = 0;
        GetCommandInterface().Update();
        GetHud().UpdateFade(GetSceneClock().realFrameTime);
        return;
    }
    case FrameStep::Players:
        if (players_)
            for (auto& player : *players_)
                player->Update();
        return;
    case FrameStep::World:
        if (world_) world_->Update();
        return;
    case FrameStep::Camera:
        StepCamera();
        return;
    case FrameStep::Sound:
        UpdateSound();
        return;
    case FrameStep::FlushRemovals:
        if (world_) world_->FlushRemovals();
        return;
    }
}

void ProgramSceneEngine::Term() {
    if (queue_) {
        queue_->Clear();
        if (GetMessageQueue() == queue_.get()) SetMessageQueue(nullptr);
        queue_.reset();
    }
    // Entities go before the players whose units they are and before the
    // prototypes they were cloned from.
    if (world_) {
        world_->Clear();
        if (GetWorld() == world_.get()) SetWorld(nullptr);
        world_.reset();
    }
    players_.reset();
    ReleaseSound();
    OrbitLines::sharedTexture = nullptr;
    Grid::sharedTexture = nullptr;
    if (library_) {
        library_->Shutdown();
        if (GetModelLibrary() == library_.get()) SetModelLibrary(nullptr);
        library_.reset();
    }
    if (scene_) {
        if (GetScene() == scene_.get()) SetScene(nullptr);
        scene_.reset();
    }
    ReleaseFont();
}

} // namespace lumivane
