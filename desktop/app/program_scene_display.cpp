// The program scene engine's part in the display: the font "font1" and the
// overlay pictures (logo, inset frame) on the first run, the home view and
// the head-up display of each started scene, the fade from black of each
// loaded one, and the camera's step in the frame.
#include "desktop/app/program_scene_engine.h"

#include "desktop/display/device/display.h"
#include "desktop/display/font/bitmap_font.h"
#include "desktop/display/overlay/overlay_state.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/script_config.h"

namespace lumivane {

Display* ProgramSceneEngine::DrawingDisplay() const {
    return sources_.display ? sources_.display() : nullptr;
}

void ProgramSceneEngine::SetUpFontAndOverlays() {
    const ScriptConfig* script = sources_.script ? sources_.script() : nullptr;
    const Sources::TextAndLogo settings =
        sources_.textAndLogo ? sources_.textAndLogo() : Sources::TextAndLogo{};
    ReleaseFont();
    font_ = std::make_unique<BitmapFont>();
    font_->SetTextureSource(GetTextureSource());
    if (sources_.dataRoot) font_->SetDataRoot(sources_.dataRoot());
    font_->SetUnicode(settings.unicode, settings.codePage);
    font_->Load("font1", script);
    SetFont(font_.get());
    if (Display* display = DrawingDisplay())
        display->LoadOverlayTextures(script, settings.logo, settings.screensaver);
}

void ProgramSceneEngine::ShowStartedScene() {
    Display* display = DrawingDisplay();
    if (!display) return;
    display->Camera().ResetToHome();
    display->SetHudVisible(1, false);
}

void ProgramSceneEngine::FadeInLoadedScene() {
    Display* display = DrawingDisplay();
    if (!display) return;
    // A new scene fades in from black and starts without bars or HUD.
    display->Overlay().SetModeFloat(kModeFadeAmount, 0.0f);
    display->Overlay().SetModeFloat(kModeLetterboxAmount, 0.0f);
    display->SetHudVisible(0, false);
}

void ProgramSceneEngine::StepCamera() {
    if (Display* display = DrawingDisplay()) {
        display->Camera().Update();
        display->Camera().Apply();
    }
}

void ProgramSceneEngine::ReleaseFont() {
    if (!font_) return;
    if (GetFont() == font_.get()) SetFont(nullptr);
    font_.reset();
}

} // namespace lumivane
