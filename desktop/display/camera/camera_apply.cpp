// Camera::Apply: the matrices the frame is drawn with. The view sways a
// little about its up and right vectors on two slow periods (the stored
// view stays as it is); the near plane comes as close as the nearest
// body in front allows, between 0.01 and 1; the four side planes bound
// what the frame draws; and while a click is framing a unit the cursor
// rides on it.
#include <algorithm>
#include <cmath>

#include "desktop/display/camera/camera.h"
#include "desktop/display/camera/view_math.h"
#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/math_tables.h"
#include "desktop/scene/world/mouse.h"
#include "desktop/scene/world/world.h"

namespace lumivane {

namespace {

constexpr uint32_t kSwayYawPeriodMs = 9000;
constexpr uint32_t kSwayPitchPeriodMs = 12300;
constexpr float kSwayYaw = 0.4f * kDegree;
constexpr float kSwayPitch = 0.2f * kDegree;
constexpr float kNearest = 0.01f;
constexpr float kFarthestNear = 1.0f;
constexpr float kFar = 1920.0001f;

} // namespace

float Camera::DrawNearPlane() const {
    const World* world = GetWorld();
    if (!world) return kNearest;
    float nearest = kLargestDistance;
    for (int i = 0; i < world->EntityCount(); ++i) {
        const Entity* e = world->EntityAt(i);
        if (!e || !(e->radius < kLargestDistance) || e->noFlareOcclusion || !Known(*e)) continue;
        if (IsA(e, ClassId::LensFlare) || IsA(e, ClassId::PartSys)) continue;
        const float ahead = Vec3::Dot(e->position - current_.position, current_.direction);
        const float reach = 1.5f * e->radius;
        if (ahead > -reach) nearest = std::min(nearest, ahead - reach);
    }
    return nearest == kLargestDistance ? kNearest : std::clamp(nearest, kNearest, kFarthestNear);
}

void Camera::Apply() {
    const SceneClock& clock = GetSceneClock();
    CameraView swayed = current_;
    const float amount = std::sqrt(std::max(interaction_.sway, 0.0f));
    const uint32_t t = uint32_t(float(clock.realTime) * interaction_.sway);
    const float yawPhase = float(t % kSwayYawPeriodMs) * 2.0f * kPi / float(kSwayYawPeriodMs);
    const float pitchPhase = float(t % kSwayPitchPeriodMs) * 2.0f * kPi / float(kSwayPitchPeriodMs);
    TurnView(swayed, Normalized(swayed.up), TableSin(yawPhase) * amount * kSwayYaw);
    TurnView(swayed, Normalized(swayed.right), TableCos(pitchPhase) * amount * kSwayPitch);

    view_.MakeView(swayed.position, swayed.direction, swayed.up);
    const float aspect = aspect_;
    nearPlane_ = DrawNearPlane();
    projection_.MakePerspective(nearPlane_, kFar, horizontalFov_, aspect);

    // Outward normals of the side planes through the camera: left, right,
    // top, bottom.
    const Vec3 d = current_.direction;
    const Vec3 up = Normalized(current_.up);
    const Vec3 right = Normalized(current_.right);
    const float h = horizontalFov_ / 2.0f;
    const float v = verticalFov_ / 2.0f;
    sideNormals_[0] = Normalized(Vec3::Cross(Turned(d, up, -h), up));
    sideNormals_[1] = Normalized(Vec3::Cross(up, Turned(d, up, h)));
    sideNormals_[2] = Normalized(Vec3::Cross(Turned(d, right, -v), right));
    sideNormals_[3] = Normalized(Vec3::Cross(right, Turned(d, right, v)));

    FollowWithCursor(aspect);
}

void Camera::FollowWithCursor(float aspect) {
    if (!clickFocus_ || !transition_.moving || goal_.targets.size() != 1) return;
    const World* world = GetWorld();
    const Entity* unit = world ? world->GetEntity(goal_.targets[0]) : nullptr;
    Mouse* mouse = GetMouseHolder();
    if (!unit || !mouse) return;
    Vec3 p = unit->position;
    (view_ * projection_).TransformPoint(p);
    if (p.x > -1.0f && p.x < 1.0f && p.y > -1.0f && p.y < 1.0f && p.z > 0.0f && p.z < 1.0f) {
        // Only the holder's cursor moves; the system pointer stays put.
        mouse->x = p.x;
        mouse->y = -p.y / aspect;
    }
}

} // namespace lumivane
