// SceneBuild and the script pieces.
#include "tools/databuilder/lumivane_scene_build.h"

#include "desktop/scene/world/trigger_action.h"
#include "desktop/scene/world/trigger_condition.h"
#include "tools/databuilder/lumivane_camera_data.h"

namespace databuilder {

using namespace lumivane;

SceneBuild::SceneBuild(const std::filesystem::path& root, uint32_t creationTime) {
    world.Init();
    SetWorld(&world);
    SetModelLibrary(&library);
    SetScene(&scene);
    SetSceneTimeSource([creationTime] { return creationTime; });
    libraryLoaded = library.LoadAll(root) != 0;
    for (auto& player : players)
        player->Reset(); // the build lists of the loaded library
}

SceneBuild::~SceneBuild() {
    SetScene(nullptr);
    SetSceneTimeSource(nullptr);
    world.Clear();
    SetWorld(nullptr);
    SetModelLibrary(nullptr);
}

bool SceneBuild::Save(std::string_view title, std::string_view code, const std::string& path,
                      const std::function<bool(const Scene&)>& accept) {
    scene.title = title;
    scene.secondTitle = title;
    scene.text5 = code;
    scene.sourcePath = path;
    {
        // The scene starts at the home view the camera keeps for its radius.
        const SceneCameraDisplay cameraBlock(scene);
        if (!scene.Save(path)) return false;
    }
    Scene check;
    SetScene(&check);
    const bool ok = check.Load(path) == 1 && accept(check);
    SetScene(&scene);
    return ok;
}

std::unique_ptr<Trigger> DelayTrigger(const char* name, int32_t id, uint32_t delayMs) {
    auto trigger = std::make_unique<Trigger>();
    trigger->name = name;
    trigger->id = id;
    auto condition = std::make_unique<TriggerCondition>();
    condition->type = int32_t(ConditionType::Delay);
    condition->delay = delayMs;
    condition->owner = trigger.get();
    trigger->conditions.push_back(std::move(condition));
    return trigger;
}

TriggerAction& AddAction(Trigger& trigger, int32_t type) {
    auto action = std::make_unique<TriggerAction>();
    action->type = type;
    action->owner = &trigger;
    trigger.actions.push_back(std::move(action));
    return *trigger.actions.back();
}

} // namespace databuilder
