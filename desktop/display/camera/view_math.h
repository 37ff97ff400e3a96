// The geometry the camera controller shares between its steps: turning a
// vector or a whole view about an axis, a view's orientation as a
// quaternion and back, the tilt from straight up, the easing curves of
// timed moves and the spline of spline moves. Angles go through the scene
// engine's lookup tables.
#pragma once

#include <cstdint>

#include "desktop/scene/object/vec3.h"
#include "desktop/scene/world/camera_view.h"

namespace lumivane {

inline constexpr Vec3 kWorldUp{0.0f, 1.0f, 0.0f};
inline constexpr float kDegree = 0.017453292f;

// v turned by `angle` radians about the unit axis; positive angles turn
// a toward b about a x b.
Vec3 Turned(const Vec3& v, const Vec3& axis, float angle);
// The view's direction, up and right turned alike.
void TurnView(CameraView& view, const Vec3& axis, float angle);
// right = up x direction, up = direction x right, both normalised.
void RebuildAxes(CameraView& view);
Vec3 Normalized(Vec3 v);

// The turn that takes (0, 0, -1) onto the view's direction and (0, 1, 0)
// onto its up vector.
Quat ViewOrientation(const CameraView& view);
// The view's direction, up and right from an orientation.
void OrientView(CameraView& view, const Quat& orientation);

// The angle between the direction and straight up, read safely for
// directions whose y drifted just past +-1.
float TiltFromUp(const Vec3& direction);

// Progress t in 0..1 eased by the move's interpolation type.
float EaseMove(uint32_t type, float t);
// Catmull-Rom spline (tension 0.5) through p1 (t = 0) and p2 (t = 1).
Vec3 CatmullRom(const Vec3& p0, const Vec3& p1, const Vec3& p2, const Vec3& p3, float t);

} // namespace lumivane
