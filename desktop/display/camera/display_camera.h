// The camera as the display draws through it: the view angles, the current
// view with its axes, the view and projection matrices and the four side
// planes of the frustum, the targets the heads-up display and the command
// overlay ask about, the picture-in-picture view, the reset to the home view
// and the camera's block of the scene-state file. The display owns one; the
// still camera (still_camera.h) stands in until the full camera controller
// replaces it behind this interface. The camera also answers the scene
// engine's camera seams (its pose and matrices, target replacement, camera
// paths, framing and sway).
#pragma once

#include "desktop/scene/object/matrix.h"
#include "desktop/scene/object/vec3.h"
#include "desktop/scene/world/camera_view.h"
#include "desktop/scene/world/scene_hooks.h"
#include "desktop/scene/world/scene_services.h"

#include <cstdint>

namespace platform {
class BinaryReader;
class BinaryWriter;
} // namespace platform

namespace lumivane {

class Entity;

inline constexpr int kFrustumSidePlanes = 4; // left, right, top, bottom

class DisplayCamera : public CameraLink, public SceneCamera {
public:
    // The display's shape, width / height, which the projection follows.
    virtual void SetAspect(float aspect) = 0;

    // The per-frame step of the camera director, then its output (the view
    // and projection matrices and the frustum).
    virtual void Update() = 0;
    virtual void Apply() = 0;

    // Horizontal and vertical field of view, radians.
    virtual float HorizontalFov() const = 0;
    virtual float VerticalFov() const = 0;
    // The view being drawn: position, direction, up and right.
    virtual const CameraView& Current() const = 0;
    virtual const Matrix& ViewMatrix() const = 0;
    virtual const Matrix& ProjectionMatrix() const = 0;
    // Outward unit normals of the side planes, which pass through the
    // camera's position.
    virtual const Vec3* SidePlanes() const = 0;

    // The unit a chasing view rides behind, or null.
    virtual Entity* GetChaseTarget() const = 0;
    // The current view's only target when it resolves, else null.
    virtual Entity* GetSingleTarget() const = 0;
    // True while the user drags the view with the mouse.
    virtual bool Dragging() const = 0;
    // Aims the picture-in-picture view at the entity: its view and
    // projection. False when the camera keeps no such view.
    virtual bool AimPictureInPicture(const Entity& entity, Matrix& view, Matrix& projection) = 0;

    // The current view becomes the home view; running moves and camera
    // paths stop.
    virtual void ResetToHome() = 0;

    // The camera's block of the scene-state file.
    virtual void Save(platform::BinaryWriter& file) const = 0;
    // False when the block is cut short; the camera is then as it was.
    virtual bool Load(platform::BinaryReader& file, uint32_t version) = 0;

    // CameraLink.
    CameraPose Pose() const override;
    CameraMatrices Matrices() const override;
};

} // namespace lumivane
