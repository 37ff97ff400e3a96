// SceneRunner: the services a scene needs around it, and the frame step.
#include "tools/scenerun/scene_runner.h"

#include <algorithm>
#include <cmath>

#include "desktop/display/camera/camera.h"
#include "desktop/shell/language_table.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/random_generator.h"
#include "desktop/scene/object/script_config.h"
#include "desktop/scene/sound/sound_cues.h"
#include "desktop/scene/sound/sound_manager.h"
#include "desktop/scene/world/trigger.h"
#include "desktop/scene/world/trigger_action.h"
#include "desktop/units/ship_base/ship.h"
#include "desktop/units/unit_classes.h"

namespace lumivane {

namespace {

constexpr uint32_t kRandomRangeSeed = 12345;
constexpr float kPictureDepth = 1600.0f; // the far plane the display draws to

// A far unit may be drawn larger than it is, to be seen at all.
float DrawnRadius(const Entity& entity) {
    return entity.radius * entity.GetDistanceScale();
}

class CompanionTable : public TextTable {
public:
    explicit CompanionTable(const std::filesystem::path& path) { table.Load(path.string(), 3); }
    std::string Text(int32_t id) const override { return table.GetString(id); }

private:
    LanguageTable table;
};

} // namespace

// Reads companion tables with the program's own reader.
class SceneRunner::Application : public SceneApplication {
public:
    std::unique_ptr<TextTable> LoadTextTable(const std::filesystem::path& path) const override {
        return std::make_unique<CompanionTable>(path);
    }
};

// Tells the log the texts a scene shows.
class SceneRunner::Display : public SceneDisplay {
public:
    explicit Display(const std::function<void(std::string_view)>& log) : log(log) {}
    void ShowText(int slot, std::string_view text, bool atOnce) override {
        if (log)
            log("frame " + std::to_string(GetSceneClock().frame) + ": text " +
                std::to_string(slot) + " \"" + std::string(text) + "\"");
        SceneDisplay::ShowText(slot, text, atOnce);
    }
    // The camera block of the loaded scene-state file.
    const CameraBlock& Camera() const { return block.camera; }

private:
    const std::function<void(std::string_view)>& log;
};

SceneRunner::SceneRunner(std::function<void(std::string_view)> logLine, uint32_t variant)
    : log(std::move(logLine)), application(std::make_unique<Application>()),
      display(std::make_unique<Display>(log)) {
    RegisterUnitClasses();
    MainRandom().Seed(0);
    // The generator of collections and wormhole arrivals too, so that a
    // second run in the same process repeats the first.
    CollectionRandom().Seed(variant);
    SeedRandomRange(kRandomRangeSeed + variant);
    GetSceneClock() = {};
    SetSceneApplication(application.get());
    SetSceneDisplay(display.get());
    world.Init();
    SetWorld(&world);
    SetModelLibrary(&library);
    players = std::make_unique<PlayerSet>();
    SetMessageQueue(&queue);
    scene = std::make_unique<Scene>();
    SetScene(scene.get());
    if (log)
        SetTriggerTrace([this](const Trigger& trigger) {
            log("frame " + std::to_string(GetSceneClock().frame) + ": trigger " +
                std::to_string(trigger.id) + " \"" + trigger.name + "\" fired");
        });
}

SceneRunner::~SceneRunner() {
    SetTriggerTrace(nullptr);
    if (camera) {
        SetSceneCamera(nullptr);
        SetCameraLink(nullptr);
    }
    if (sound) InstallSoundManager(nullptr);
    scene.reset();
    SetScene(nullptr);
    queue.Clear();
    SetMessageQueue(nullptr);
    world.Clear();
    SetWorld(nullptr);
    players.reset();
    SetModelLibrary(nullptr);
    SetSceneDisplay(nullptr);
    SetSceneApplication(nullptr);
}

void SceneRunner::EnableSound(const std::filesystem::path& root) {
    // Sounds register while the prototypes' properties load, so before Load.
    config = std::make_unique<ScriptConfig>();
    if (!config->Load(root)) return;
    sound = std::make_unique<SoundManager>();
    sound->Init(root, config.get());
    InstallSoundManager(sound.get());
}

void SceneRunner::EnableCamera(float aspect) {
    camera = std::make_unique<lumivane::Camera>(aspect);
    SetCameraLink(camera.get());
    SetSceneCamera(camera.get());
}

bool SceneRunner::InPicture(const Entity& entity) const {
    if (!camera) return false;
    const CameraView& view = camera->Current();
    const Vec3 offset = entity.position - view.position;
    const float reach = DrawnRadius(entity);
    const float depth = Vec3::Dot(offset, view.direction);
    if (depth < -reach || depth > kPictureDepth + reach) return false;
    for (int side = 0; side < kFrustumSidePlanes; ++side)
        if (Vec3::Dot(offset, camera->SidePlanes()[side]) > reach) return false;
    return true;
}

float SceneRunner::PictureShare(const Entity& entity) const {
    if (!InPicture(entity)) return 0.0f;
    const CameraView& view = camera->Current();
    const float depth = Vec3::Dot(entity.position - view.position, view.direction);
    const float radius = DrawnRadius(entity);
    // Reaching round the camera: it fills the picture.
    if (depth <= radius) return 1.0f;
    const float width = 2.0f * depth * std::tan(camera->HorizontalFov() / 2.0f);
    return std::min(1.0f, 2.0f * radius / width);
}

int SceneRunner::UnitsInPicture(float leastShare) const {
    int count = 0;
    for (int i = 0; i < world.EntityCount(); ++i) {
        const Ship* unit = AsShip(world.EntityAt(i));
        if (unit && unit->owner && !IsA(unit, ClassId::Weapon) && !IsA(unit, ClassId::Mine) &&
            InPicture(*unit) && PictureShare(*unit) >= leastShare)
            ++count;
    }
    return count;
}

bool SceneRunner::Load(const std::filesystem::path& root, const std::string& scenePath,
                       std::string& error) {
    if (!library.LoadAll(root)) {
        error = "cannot load the models below " + root.string();
        return false;
    }
    for (auto& player : *players)
        player->Reset(); // the build lists of the loaded library
    GetSceneClock() = {};
    if (!scene->Load(scenePath)) {
        error = "cannot load " + scenePath;
        return false;
    }
    // The program starts a loaded scene at the home view of its file.
    if (camera) {
        camera->FromBlock(display->Camera());
        camera->ResetToHome();
    }
    return true;
}

void SceneRunner::Step() {
    SceneClock& clock = GetSceneClock();
    clock.frame = frame;
    clock.frameTime = kFrameSeconds;
    clock.realFrameTime = kFrameSeconds;
    queue.Deliver(frame);
    clock.gameTime += kFrameMs;
    clock.realTime += kFrameMs;
    scene->UpdateTriggers();
    for (auto& player : *players)
        player->Update();
    world.Update();
    if (camera) camera->Update();
    if (sound) sound->Update();
    world.FlushRemovals();
    ++frame;
}

bool SceneRunner::QuitRequested() const {
    return application->quitRequested;
}

const std::string& SceneRunner::RequestedScene() const {
    return application->requestedScene;
}

} // namespace lumivane
