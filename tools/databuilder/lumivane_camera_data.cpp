// The camera block and camera tours of the shipped scenes.
#include "tools/databuilder/lumivane_camera_data.h"

#include "desktop/display/camera/camera.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/scene/world/trigger_action.h"

namespace databuilder {

using namespace lumivane;

namespace {

constexpr uint32_t kFirstMoveMs = 5000;
constexpr uint32_t kHoldMs = 3000;
constexpr uint32_t kSecondMoveMs = 7000;

CameraView LookingAt(const Vec3& at, const Vec3& target) {
    CameraView view;
    view.position = at;
    view.direction = (target - at).Normalize();
    view.right = Vec3::Cross({0.0f, 1.0f, 0.0f}, view.direction).Normalize();
    view.up = Vec3::Cross(view.direction, view.right).Normalize();
    return view;
}

CameraKey Key(const char* name, uint32_t kind, uint32_t ms, const CameraView& view) {
    CameraKey key;
    key.name = name;
    key.kind = kind;
    key.duration = ms;
    key.view = view;
    return key;
}

} // namespace

SceneCameraDisplay::SceneCameraDisplay(const Scene& scene) {
    // The camera's home view is set up from the scene's radius.
    SceneBounds& bounds = GetSceneBounds();
    const SceneBounds kept = bounds;
    bounds = {scene.heightLimit, scene.radius};
    {
        Camera camera;
        block.camera = camera.ToBlock();
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
        Key("overview", camera_move::kCut, 0, LookingAt(views.lastAt, views.lastLookAt)),
    };
    trigger.actions.push_back(std::move(path));
}

} // namespace databuilder
