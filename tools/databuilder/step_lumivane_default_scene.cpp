// Writes "scenes\Hell's Heart.mis", the scene Lumivane starts with when it
// does not pick one at random: a sun with four planets and a moon in orbit,
// two fleets facing each other across it, and a title shown after a second.
// It is built in code from the prototypes of the earlier Lumivane steps,
// written by the scene's own Save with its companion table, and read back.
#include "tools/databuilder/data_step.h"
#include "tools/databuilder/lumivane_camera_data.h"

#include <cstdio>
#include <fstream>
#include <memory>

#include "desktop/scene/world/standalone_scene.h"
#include "desktop/scene/world/trigger_action.h"
#include "desktop/scene/world/trigger_condition.h"

namespace {

using namespace lumivane;
using databuilder::SceneCameraDisplay;

constexpr const char* kScenePath = "scenes\\Hell's Heart.mis";
constexpr const char* kCompanionFile = "Hell's Heart.csv";
constexpr uint32_t kCreationTime = 1000000100; // a fixed identity: same bytes every build
constexpr int32_t kTitleText = 1001;
constexpr int32_t kTitleSlot = 3;
constexpr uint32_t kTitleDelayMs = 1000;

void AddTitle(Scene& scene) {
    auto trigger = std::make_unique<Trigger>();
    trigger->name = "title";
    trigger->id = 10;
    auto delay = std::make_unique<TriggerCondition>();
    delay->type = int32_t(ConditionType::Delay);
    delay->delay = kTitleDelayMs;
    delay->owner = trigger.get();
    trigger->conditions.push_back(std::move(delay));
    auto text = std::make_unique<TriggerAction>();
    text->type = action::kShowText;
    text->owner = trigger.get();
    text->id = kTitleText;
    text->text = "Hell's Heart";
    text->values = {kTitleSlot};
    trigger->actions.push_back(std::move(text));
    scene.AddTrigger(std::move(trigger));
}

bool Populate(Scene& scene, World& world) {
    SpawnRecord at;
    bool ok = scene.SpawnByName("Sun", at) != nullptr;
    world.JoinPending(); // the bodies orbit the Sun from here on
    const Vec3 bodies[] = {{60, 0, 0}, {0, 0, 110}, {-150, 0, 0}, {0, 0, -210}};
    for (const Vec3& position : bodies) {
        at.position = position;
        at.orbit = 1;
        ok = ok && scene.SpawnByName("Planet", at);
    }
    at.position = {-158, 0, 0};
    ok = ok && scene.SpawnByName("Moon", at);
    for (int player = 0; player < 2; ++player)
        for (int n = 0; n < 4; ++n) {
            SpawnRecord ship;
            const float side = player == 0 ? -1.0f : 1.0f;
            ship.position = {side * 40.0f, float(n % 2) * 4.0f - 2.0f, float(n) * 9.0f - 13.5f};
            ship.player = player;
            ship.squad = 0;
            ok = ok && scene.SpawnByName("testship", ship);
        }
    world.JoinPending();
    return ok;
}

bool Build(const std::filesystem::path& root) {
    SetSceneTimeSource([] { return kCreationTime; });
    bool ok = false;
    {
        StandaloneScene built(root);
        Scene& scene = built.scene;
        ok = built.Loaded() && Populate(scene, built.world);
        AddTitle(scene);
        scene.title = "Hell's Heart";
        scene.secondTitle = "Hell's Heart";
        scene.text5 = "hellsheart";
        scene.sourcePath = kScenePath;
        const SceneCameraDisplay cameraBlock(scene);
        ok = ok && scene.Save(kScenePath);
    }
    {
        StandaloneScene check(root);
        ok = ok && check.scene.Load(kScenePath) == 1 && check.scene.triggers.size() == 1;
    }
    SetSceneTimeSource(nullptr);
    if (!ok) std::fprintf(stderr, "lumivane_scene_default: the scene could not be built\n");
    return ok;
}

bool WriteCompanionTable(const std::filesystem::path& path) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "Lumivane scene texts\r\nId,Context,English\r\n"
        << kTitleText << ",title,Hell's Heart\r\n";
    if (out.good()) return true;
    std::fprintf(stderr, "lumivane_scene_default: cannot write %s\n", path.c_str());
    return false;
}

} // namespace

// After "lumivane_scene", whose prototypes the fleets use.
DATABUILDER_STEP(LumivaneDefaultScene, "lumivane_scene_default") {
    const std::filesystem::path root = context.runtime / "LumivaneData";
    return WriteCompanionTable(root / "scenes" / kCompanionFile) && Build(root);
}
