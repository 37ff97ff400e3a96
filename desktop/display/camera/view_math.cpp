// The camera controller's shared geometry.
#include "desktop/display/camera/view_math.h"

#include <algorithm>

#include "desktop/display/camera/camera.h"
#include "desktop/scene/object/math_tables.h"

namespace lumivane {

namespace {

constexpr Vec3 kViewForward{0.0f, 0.0f, -1.0f};
constexpr Vec3 kViewRight{-1.0f, 0.0f, 0.0f};

} // namespace

Vec3 Turned(const Vec3& v, const Vec3& axis, float angle) {
    Vec3 out = v;
    Quat::MakeAxisAngle(axis, angle).RotateVector(out);
    return out;
}

void TurnView(CameraView& view, const Vec3& axis, float angle) {
    const Quat turn = Quat::MakeAxisAngle(axis, angle);
    turn.RotateVector(view.direction);
    turn.RotateVector(view.up);
    turn.RotateVector(view.right);
}

Vec3 Normalized(Vec3 v) {
    return v.Normalize();
}

void RebuildAxes(CameraView& view) {
    view.right = Normalized(Vec3::Cross(view.up, view.direction));
    view.up = Normalized(Vec3::Cross(view.direction, view.right));
}

Quat ViewOrientation(const CameraView& view) {
    const Vec3 direction = Normalized(view.direction);
    const Quat toDirection = Quat::MakeRotationArc(kViewForward, direction);
    Vec3 turnedUp = kWorldUp;
    toDirection.RotateVector(turnedUp);
    const Vec3 up = Normalized(view.up);
    // Both ups are square to the direction; when they point apart the arc
    // has no axis of its own, and the half turn is about the direction.
    const Quat toUp = Vec3::Dot(turnedUp, up) < -0.9999f
                          ? Quat::MakeAxisAngle(direction, 3.14159265f)
                          : Quat::MakeRotationArc(turnedUp, up);
    return toUp * toDirection;
}

void OrientView(CameraView& view, const Quat& orientation) {
    view.direction = kViewForward;
    view.up = kWorldUp;
    view.right = kViewRight;
    orientation.RotateVector(view.direction);
    orientation.RotateVector(view.up);
    orientation.RotateVector(view.right);
}

float TiltFromUp(const Vec3& direction) {
    return FastAcos(std::clamp(direction.y, -1.0f, 1.0f));
}

float EaseMove(uint32_t type, float t) {
    switch (type) {
    case camera_move::kQuartic: {
        if (t < 0.5f) {
            const float u = 2.0f * t;
            return u * u * u * u / 2.0f;
        }
        const float u = 2.0f - 2.0f * t;
        return (2.0f - u * u * u * u) / 2.0f;
    }
    case camera_move::kEaseIn:
        return 1.0f - TableCos(t * kPi / 2.0f);
    case camera_move::kEaseOut:
        return TableCos((1.0f - t) * kPi / 2.0f);
    default:
        return t;
    }
}

Vec3 CatmullRom(const Vec3& p0, const Vec3& p1, const Vec3& p2, const Vec3& p3, float t) {
    const float t2 = t * t;
    const float t3 = t2 * t;
    const Vec3 a = p1 * 2.0f;
    const Vec3 b = p2 - p0;
    const Vec3 c = p0 * 2.0f - p1 * 5.0f + p2 * 4.0f - p3;
    const Vec3 d = p1 * 3.0f - p0 - p2 * 3.0f + p3;
    return (a + b * t + c * t2 + d * t3) * 0.5f;
}

} // namespace lumivane
