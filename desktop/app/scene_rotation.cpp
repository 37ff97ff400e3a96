// Choosing scenes: a requested one, a random one of "scenes\*.mis", and
// starting a freshly loaded one.
#include "desktop/app/desktop_app.h"

#include "desktop/app/exit_signal.h"
#include "desktop/app/scene_files.h"
#include "desktop/shell/registry.h"
#include "desktop/scene/object/engine_services.h"
#include "platform/paths.h"

namespace lumivane {

void DesktopApp::RequestScene(std::string_view path, bool resetTimer) {
    nextScenePath_ = std::string(path.substr(0, kMaxSettingString - 1));
    loadRequest_ = true;
    if (resetTimer) randomTimerMs_ = 0;
}

void DesktopApp::PickRandomScene() {
    const std::vector<std::string> names = ListSceneFiles(dataRoot_);
    if (names.empty()) return;
    const std::string name = ChooseRandomScene(names, currentScene_, sceneChoice_);
    if (DesktopMode() && registry_) {
        const ExitWatchdogHold hold;
        registry_->Write(values::kScene, name);
    }
    currentScene_ = name;
    nextScenePath_ = "scenes\\" + name;
    randomTimerMs_ = 0;
    loadRequest_ = true;
}

void DesktopApp::AnswerRandomNowAtEnd() {
    if (!DesktopMode() || !registry_ || !registry_->IsOpen()) return;
    if (registry_->Read(values::kRandomNow) == 0) return;
    {
        const ExitWatchdogHold hold;
        registry_->Write(values::kRandomNow, uint8_t(0));
    }
    PickRandomScene();
}

void DesktopApp::StartScene() {
    // The scene restarts on a clock at 0: its start time is game time 0.
    clock_.SetTimeScale(1.0f);
    clock_.ResetGameTime();
    SceneClock& sceneClock = GetSceneClock();
    sceneClock.frame = 0;
    sceneClock.gameTime = 0;
    services_.scene->StartScene();
}

} // namespace lumivane
