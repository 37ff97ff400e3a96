// The scene engine's part of the program's runs: the first run's font,
// players and overlays, loading and starting scenes, the logo, and the
// frame's steps in the main loop's order.
#include "desktop/app/model_scene_engine.h"

#include "desktop/app/desktop_app.h"
#include "desktop/display/device/display.h"
#include "desktop/display/font/bitmap_font.h"
#include "desktop/display/textures/texture_manager.h"
#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/world/message_queue.h"
#include "desktop/scene/world/model_library.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/scene/world/world.h"

namespace lumivane {

Display* ModelSceneEngine::ProgramDisplayOrNull() const {
    AppDisplay* display = gpDesktopApp ? gpDesktopApp->Display() : nullptr;
    return display ? display->DrawingDisplay() : nullptr;
}

void ModelSceneEngine::SetUpFirstRun() {
    if (!library_) return;
    if (!players_) {
        players_ = std::make_unique<PlayerSet>();
        for (auto& player : *players_)
            player->Reset();
    }
    if (gpDesktopApp) GetLoopHooks().yield = [] { gpDesktopApp->YieldTimeSlice(); };

    font_ = std::make_unique<BitmapFont>();
    font_->SetTextureSource(GetTextureSource());
    if (dataRoot_) font_->SetDataRoot(dataRoot_());
    if (gpDesktopApp) font_->SetUnicode(gpDesktopApp->UnicodeText(), gpDesktopApp->CodePage());
    font_->Load("font1", gpDesktopApp ? gpDesktopApp->Script() : nullptr);
    SetFont(font_.get());
    if (Display* display = ProgramDisplayOrNull(); display && gpDesktopApp)
        display->LoadOverlayTextures(gpDesktopApp->Script(), gpDesktopApp->LogoShown(),
                                     gpDesktopApp->ScreensaverMode());
}

bool ModelSceneEngine::LoadScene(const std::string& path) {
    return scene_ && scene_->Load(path) == 1;
}

void ModelSceneEngine::SaveState(const std::string& path) {
    if (scene_) scene_->SaveState(path);
}

void ModelSceneEngine::LoadState(const std::string& path) {
    if (scene_) scene_->LoadState(path);
}

void ModelSceneEngine::StartScene() {
    if (!scene_) return;
    scene_->Restart();
    if (Display* display = ProgramDisplayOrNull()) {
        display->Camera().ResetToHome();
        display->SetHudVisible(1, false);
    }
}

void ModelSceneEngine::AfterLoadRequest(bool firstLoadOfRun) {
    Display* display = ProgramDisplayOrNull();
    if (!display) return;
    // A new scene fades in from black and starts without bars or HUD.
    display->Overlay().SetModeFloat(kModeFadeAmount, 0.0f);
    display->Overlay().SetModeFloat(kModeLetterboxAmount, 0.0f);
    display->SetHudVisible(0, false);
    if (!firstLoadOfRun || !library_) return;
    display->Overlay().Remove("fadein");
    display->Overlay().Remove("fadeout");
    display->AddOverlayModel(library_->CreateInstance("fadein", false));
}

void ModelSceneEngine::ShowLogo(bool shown, bool screensaverSequence) {
    Display* display = ProgramDisplayOrNull();
    if (!display || !library_) return;
    if (!shown) {
        display->Overlay().Remove("logo");
        return;
    }
    if (display->Overlay().Find("logo")) return;
    Entity* logo = library_->CreateInstance("logo", false);
    if (!logo) return;
    display->AddOverlayModel(logo);
    SwitchLogoSequence(screensaverSequence);
}

void ModelSceneEngine::SwitchLogoSequence(bool screensaverSequence) {
    Display* display = ProgramDisplayOrNull();
    Node* node = display ? display->Overlay().Find("logo") : nullptr;
    if (!node || !IsA(node, ClassId::Entity)) return;
    auto* logo = static_cast<Entity*>(node);
    if (logo->sequencer)
        logo->sequencer->Play(screensaverSequence ? "screensaver" : "on", logo->sequenceStates,
                              screensaverSequence ? 1 : 0);
}

void ModelSceneEngine::Step(FrameStep step) {
    switch (step) {
    case FrameStep::DeliverMessages:
        GetSceneClock().frame = gpDesktopApp ? gpDesktopApp->FrameNumber() : 0;
        if (queue_) queue_->Deliver(GetSceneClock().frame);
        break;
    case FrameStep::ForgetTextureRequests:
        if (gpTextureManager) gpTextureManager->ClearRequests();
        break;
    case FrameStep::Triggers:
        if (scene_) scene_->UpdateTriggers();
        break;
    case FrameStep::CommandInterface:
        break;
    case FrameStep::Players:
        if (players_)
            for (auto& player : *players_)
                player->Update();
        break;
    case FrameStep::World:
        if (world_) world_->Update();
        break;
    case FrameStep::Camera:
        if (Display* display = ProgramDisplayOrNull()) {
            display->Camera().Update();
            display->Camera().Apply();
        }
        break;
    case FrameStep::Sound:
        break;
    case FrameStep::FlushRemovals:
        if (world_) world_->FlushRemovals();
        break;
    }
}

} // namespace lumivane
