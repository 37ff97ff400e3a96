// The camera's part of a shipped scene: the block its scene-state file
// carries, written by the camera controller itself (so the scene starts at
// its own home view: the overview for the scene's radius, or a view that
// follows the scene's units), and a scripted camera tour, the camera keys of
// a trigger's camera-path action.
#pragma once

#include <initializer_list>
#include <vector>

#include "desktop/scene/world/entity_handle.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/scene_hooks.h"

namespace lumivane {
class World;
}

namespace databuilder {

// Where a scene with units starts: the camera follows these units, looking
// along `direction` at the centre of their group from as far as makes the
// group (its widest reach from the centre) span `share` of the picture's
// width, or, with a positive `distance`, from that far back.
struct StartView {
    std::vector<lumivane::EntityHandle> targets;
    lumivane::Vec3 direction;
    float share = 0.9f;
    float distance = 0.0f;
};

// The handles of the world's top-level units (no projectiles) that the
// players own.
std::vector<lumivane::EntityHandle> UnitsOf(const lumivane::World& world,
                                            std::initializer_list<int> players);

// Installed while a scene is saved: the display's block of the file with
// the camera block of a camera set up for the scene, whose home (and start)
// view is `start` when given.
class SceneCameraDisplay : public lumivane::SceneDisplay {
public:
    SceneCameraDisplay(const lumivane::Scene& scene, const StartView* start);
    ~SceneCameraDisplay() override;
    SceneCameraDisplay(const SceneCameraDisplay&) = delete;
    SceneCameraDisplay& operator=(const SceneCameraDisplay&) = delete;
};

// A tour on the trigger: a quartic move to `first`, a hold there, a spline
// move to `second`, then a cut to `last`.
struct CameraTourViews {
    lumivane::Vec3 firstAt, firstLookAt;
    lumivane::Vec3 secondAt, secondLookAt;
    lumivane::Vec3 lastAt, lastLookAt;
    // Units the last view goes on following, from where it stands.
    std::vector<lumivane::EntityHandle> lastTargets;
};
void AddCameraTour(lumivane::Trigger& trigger, const CameraTourViews& views);

// A view that follows the units (whichever of them live when it is taken)
// from `distance` back along `direction` from the centre of their group.
lumivane::CameraView FollowView(std::vector<lumivane::EntityHandle> targets,
                                lumivane::Vec3 direction, float distance);

// The overview a camera set up for the scene starts at (its home view).
lumivane::CameraView OverviewOf(const lumivane::Scene& scene);

// One step of a camera path: a move of `kind` lasting `ms` to `view`, or a
// hold there (kind 6). A move that looks at the goal keeps the camera
// pointed at the goal's targets all the way.
struct CameraStep {
    const char* name;
    uint32_t kind;
    uint32_t ms;
    lumivane::CameraView view;
    bool lookAtGoal = false;
};
// The trigger plays the steps as a camera path.
void AddCameraPath(lumivane::Trigger& trigger, const std::vector<CameraStep>& steps);

} // namespace databuilder
