// The camera's part of a shipped scene: the block its scene-state file
// carries, written by the camera controller itself for the scene's radius
// (so the scene starts at its own home view), and a scripted camera tour,
// the camera keys of a trigger's camera-path action.
#pragma once

#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/scene_hooks.h"

namespace databuilder {

// Installed while a scene is saved: the display's block of the file with
// the camera block of a camera set up for the scene.
class SceneCameraDisplay : public lumivane::SceneDisplay {
public:
    explicit SceneCameraDisplay(const lumivane::Scene& scene);
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
};
void AddCameraTour(lumivane::Trigger& trigger, const CameraTourViews& views);

} // namespace databuilder
