// The camera block and camera tours of the shipped scenes.
#include "tools/databuilder/lumivane/lumivane_camera_data.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "desktop/display/camera/camera.h"
#include "desktop/display/camera/view_math.h"
#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/trigger_action.h"
#include "desktop/scene/world/world.h"
#include "desktop/units/ship_base/ship.h"

namespace databuilder {

using namespace lumivane;

namespace {

constexpr uint32_t kFirstMoveMs = 5000;
constexpr uint32_t kHoldMs = 3000;
constexpr uint32_t kSecondMoveMs = 7000;

CameraView Looking(const Vec3& direction) {
    CameraView view;
    view.direction = Normalized(direction);
    view.right = Normalized(Vec3::Cross(kWorldUp, view.direction));
    view.up = Normalized(Vec3::Cross(view.direction, view.right));
    return view;
}

CameraView LookingAt(const Vec3& at, const Vec3& target) {
    CameraView view = Looking(target - at);
    view.position = at;
    return view;
}

// A group of units as the camera frames it: the middle of the box round
// their positions, and the farthest any of them reaches from it.
struct Group {
    Vec3 centre;
    float reach = 0.0f;
    int count = 0;
};

Group GroupOf(const std::vector<EntityHandle>& handles) {
    Group group;
    const World* world = GetWorld();
    std::vector<const Entity*> units;
    for (EntityHandle handle : handles)
        if (const Entity* unit = world ? world->GetEntity(handle) : nullptr) units.push_back(unit);
    if (units.empty()) return group;
    Vec3 low = units.front()->position, high = low;
    for (const Entity* unit : units) {
        const Vec3& p = unit->position;
        low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
    }
    group.centre = (low + high) * 0.5f;
    for (const Entity* unit : units)
        group.reach =
            std::max(group.reach, (unit->position - group.centre).Length() + unit->radius);
    group.count = int(units.size());
    return group;
}

CameraKey Key(const char* name, uint32_t kind, uint32_t ms, const CameraView& view) {
    CameraKey key;
    key.name = name;
    key.kind = kind;
    key.duration = ms;
    key.view = view;
    return key;
}

// The tour's last view; with targets it stays where it is from their
// group's centre and follows them from there.
CameraView LastView(const CameraTourViews& views) {
    CameraView view = LookingAt(views.lastAt, views.lastLookAt);
    const Group group = GroupOf(views.lastTargets);
    if (group.count == 0) return view;
    view.targets = views.lastTargets;
    view.offset = view.position - group.centre;
    return view;
}

} // namespace

std::vector<EntityHandle> UnitsOf(const World& world, std::initializer_list<int> players) {
    std::vector<EntityHandle> handles;
    for (int i = 0; i < world.EntityCount(); ++i) {
        const Ship* unit = AsShip(world.EntityAt(i));
        if (!unit || IsA(unit, ClassId::Weapon) || !unit->owner) continue;
        if (std::find(players.begin(), players.end(), unit->owner->index) != players.end())
            handles.push_back(unit->handle);
    }
    return handles;
}

SceneCameraDisplay::SceneCameraDisplay(const Scene& scene, const StartView* start) {
    // The camera's home view is set up from the scene's radius.
    SceneBounds& bounds = GetSceneBounds();
    const SceneBounds kept = bounds;
    bounds = {scene.heightLimit, scene.radius};
    {
        Camera camera;
        const Group group = start ? GroupOf(start->targets) : Group();
        if (group.count > 0 && start->share > 0.0f) {
            // Far enough back for the group to span its share of the width.
            CameraView view = Looking(start->direction);
            view.targets = start->targets;
            const float distance =
                start->distance > 0.0f
                    ? start->distance
                    : group.reach / (start->share * std::tan(camera.HorizontalFov() / 2.0f));
            view.offset = view.direction * -distance;
            camera.SetView(view);
        } else if (start) {
            std::fprintf(stderr, "databuilder: %s starts at its overview: no unit to follow\n",
                         scene.sourcePath.c_str());
        }
        block.camera = camera.ToBlock();
        // The scene starts (and returns home) where the camera stands.
        if (group.count > 0) block.camera.views[2] = block.camera.views[0];
    }
    bounds = kept;
    SetSceneDisplay(this);
}

SceneCameraDisplay::~SceneCameraDisplay() {
    if (&GetSceneDisplay() == this) SetSceneDisplay(nullptr);
}

void AddCameraTour(Trigger& trigger, const CameraTourViews& views) {
    auto path = std::make_unique<TriggerAction>();
    path->type = action::kCameraPath;
    path->owner = &trigger;
    const CameraView first = LookingAt(views.firstAt, views.firstLookAt);
    path->cameraKeys = {
        Key("approach", camera_move::kQuartic, kFirstMoveMs, first),
        Key("watch", camera_move::kHold, kHoldMs, first),
        Key("sweep", camera_move::kSpline, kSecondMoveMs,
            LookingAt(views.secondAt, views.secondLookAt)),
        Key("overview", camera_move::kCut, 0, LastView(views)),
    };
    trigger.actions.push_back(std::move(path));
}

CameraView FollowView(std::vector<EntityHandle> targets, Vec3 direction, float distance) {
    CameraView view = Looking(direction);
    view.offset = view.direction * -distance;
    const Group group = GroupOf(targets);
    view.position = group.centre + view.offset;
    view.targets = std::move(targets);
    return view;
}

CameraView OverviewOf(const Scene& scene) {
    SceneBounds& bounds = GetSceneBounds();
    const SceneBounds kept = bounds;
    bounds = {scene.heightLimit, scene.radius};
    CameraView home;
    {
        const Camera camera;
        home = camera.Home();
    }
    bounds = kept;
    return home;
}

void AddCameraPath(Trigger& trigger, const std::vector<CameraStep>& steps) {
    auto path = std::make_unique<TriggerAction>();
    path->type = action::kCameraPath;
    path->owner = &trigger;
    for (const CameraStep& step : steps) {
        path->cameraKeys.push_back(Key(step.name, step.kind, step.ms, step.view));
        path->cameraKeys.back().lookAt = step.lookAtGoal ? 1 : 0;
    }
    trigger.actions.push_back(std::move(path));
}

} // namespace databuilder
