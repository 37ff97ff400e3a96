// Camera::AimPictureInPicture: the second view, which the frame's inset
// picture draws one entity through. It looks at the entity along the line
// from the camera, with the camera's own up, from just far enough for the
// entity (at the size the frame draws it) to fill the square inset.
#include <cmath>

#include "desktop/display/camera/camera.h"
#include "desktop/display/camera/view_math.h"
#include "desktop/scene/entity/entity.h"

namespace lumivane {

namespace {

constexpr float kInsetFov = 0.7853982f; // a quarter of a half turn, as the camera's own
constexpr float kInsetAspect = 1.0f;    // the inset is square
constexpr float kInsetFill = 0.8f;      // of the inset's half side the entity's reach spans
constexpr float kInsetNearShare = 0.5f; // of the entity's reach before its near side
constexpr float kInsetFarReaches = 4.0f;
constexpr float kNearest = 0.01f;

bool Finite(const Vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

} // namespace

bool Camera::AimPictureInPicture(const Entity& entity, Matrix& view, Matrix& projection) {
    // The frame draws the entity grown by its distance scale.
    const float reach = entity.radius * entity.GetDistanceScale();
    const Vec3 toward = entity.position - current_.position;
    const float distance = toward.Length();
    // A damaged entity (no size, no place) gets no picture.
    if (!std::isfinite(reach) || !(reach > 0.0f) || !Finite(entity.position) ||
        !std::isfinite(distance) || !(distance > reach))
        return false;

    CameraView& inset = pictureInPicture_;
    inset.direction = toward * (1.0f / distance);
    // The camera's up, unless it runs along the line of sight.
    const Vec3 up =
        std::fabs(Vec3::Dot(current_.up, inset.direction)) < 0.999f ? current_.up : current_.right;
    inset.right = Normalized(Vec3::Cross(up, inset.direction));
    inset.up = Normalized(Vec3::Cross(inset.direction, inset.right));
    const float standOff = reach / (kInsetFill * std::tan(kInsetFov / 2.0f));
    inset.position = entity.position - inset.direction * standOff;
    inset.offset = inset.position - entity.position;
    inset.targets = {entity.handle};
    inset.chase = 0;

    view.MakeView(inset.position, inset.direction, inset.up);
    const float nearPlane = std::fmax(standOff - reach * (1.0f + kInsetNearShare), kNearest);
    projection.MakePerspective(nearPlane, standOff + reach * kInsetFarReaches, kInsetFov,
                               kInsetAspect);
    return true;
}

} // namespace lumivane
