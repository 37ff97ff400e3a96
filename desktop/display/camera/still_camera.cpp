// The still camera: its home view, projection, frustum and file block.
#include "desktop/display/camera/still_camera.h"

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/math_tables.h"
#include "desktop/scene/world/world.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>

namespace lumivane {

namespace {

constexpr float kNearest = 0.01f;
constexpr float kFarthestNear = 1.0f;
constexpr float kFar = 1920.0001f;
constexpr float kNearMargin = 1.5f; // body radii kept in front of the near plane
constexpr float kFramingScale = 750.0f;
constexpr int kSwayWord = 9;

Entity* Resolve(EntityHandle handle) {
    const World* world = GetWorld();
    return world ? world->GetEntity(handle) : nullptr;
}

float VerticalFovFor(float horizontalFov, float aspect) {
    return 2.0f * std::atan(std::tan(horizontalFov / 2.0f) / aspect);
}

// Removes the entity's handle from the view's targets, or puts the
// replacement's in its place.
void ReplaceInView(CameraView& view, EntityHandle entity, const Entity* replacement) {
    for (size_t i = 0; i < view.targets.size();) {
        if (view.targets[i] != entity) {
            ++i;
            continue;
        }
        if (replacement) {
            view.targets[i++] = replacement->handle;
            view.chase = 0;
        } else {
            view.targets.erase(view.targets.begin() + std::ptrdiff_t(i));
        }
    }
}

} // namespace

StillCamera::StillCamera() {
    SetAspect(aspect_);
    ResetToHome();
}

void StillCamera::SetAspect(float aspect) {
    if (!(aspect > 0.0f) || !std::isfinite(aspect)) return;
    aspect_ = aspect;
    block_.verticalFov = VerticalFovFor(block_.horizontalFov, aspect);
    block_.framingFactor =
        ((1.0f / std::tan(block_.verticalFov / 2.0f) + 1.0f) / std::sqrt(2.0f)) * kFramingScale;
    Apply();
}

CameraView StillCamera::HomeView(float sceneRadius, float verticalFov) {
    const float c = TableCos(kPi / 4.0f);
    const float h = sceneRadius * c * (c / std::tan(verticalFov / 2.0f) + c);
    CameraView home;
    home.position = {0.0f, h, h};
    // (0, 0, -1) and (0, 1, 0) turned 45 degrees down about X.
    const Quat down = Quat::MakeAxisAngle({1.0f, 0.0f, 0.0f}, -kPi / 4.0f);
    home.direction = {0.0f, 0.0f, -1.0f};
    home.up = {0.0f, 1.0f, 0.0f};
    down.RotateVector(home.direction);
    down.RotateVector(home.up);
    home.direction.Normalize();
    home.up.Normalize();
    home.right = Vec3::Cross(home.up, home.direction);
    home.right.Normalize();
    return home;
}

void StillCamera::ResetToHome() {
    block_.views[kHome] = HomeView(GetSceneBounds().radius, block_.verticalFov);
    block_.views[kCurrent] = block_.views[kHome];
    block_.sequenceTrigger = -1;
    block_.moving = 0;
    block_.endVelocity = {};
    block_.endTurn = {};
    block_.interaction[kSwayWord] = std::bit_cast<uint32_t>(1.0f);
    Apply();
}

float StillCamera::NearPlane() const {
    const World* world = GetWorld();
    const CameraView& view = Current();
    float nearest = kLargestDistance;
    for (int i = 0; world && i < world->EntityCount(); ++i) {
        const Entity* entity = world->EntityAt(i);
        if (!entity || !(entity->radius < kLargestDistance) || IsA(entity, ClassId::LensFlare) ||
            IsA(entity, ClassId::PartSys))
            continue;
        const float ahead = Vec3::Dot(entity->position - view.position, view.direction);
        const float margin = kNearMargin * entity->radius;
        if (ahead > -margin) nearest = std::min(nearest, ahead - margin);
    }
    if (nearest == kLargestDistance) return kNearest;
    return std::clamp(nearest, kNearest, kFarthestNear);
}

void StillCamera::Apply() {
    const CameraView& view = Current();
    view_.MakeView(view.position, view.direction, view.up);
    projection_.MakePerspective(NearPlane(), kFar, block_.horizontalFov, aspect_);
    const float h = block_.horizontalFov / 2.0f, v = block_.verticalFov / 2.0f;
    const Vec3 f = view.direction;
    sidePlanes_[0] = view.right * -std::cos(h) - f * std::sin(h);
    sidePlanes_[1] = view.right * std::cos(h) - f * std::sin(h);
    sidePlanes_[2] = view.up * std::cos(v) - f * std::sin(v);
    sidePlanes_[3] = view.up * -std::cos(v) - f * std::sin(v);
    for (Vec3& normal : sidePlanes_)
        normal.Normalize();
}

Entity* StillCamera::GetChaseTarget() const {
    const CameraView& view = Current();
    return view.chase && !view.targets.empty() ? Resolve(view.targets.front()) : nullptr;
}

Entity* StillCamera::GetSingleTarget() const {
    const CameraView& view = Current();
    return view.targets.size() == 1 ? Resolve(view.targets.front()) : nullptr;
}

bool StillCamera::Load(platform::BinaryReader& file, uint32_t version) {
    // The file's view angles are read and dropped: the display's shape
    // decides them.
    const float horizontal = block_.horizontalFov, vertical = block_.verticalFov;
    if (!block_.Load(file, version)) return false;
    block_.horizontalFov = horizontal;
    block_.verticalFov = vertical;
    Apply();
    return true;
}

void StillCamera::ReplaceTarget(Entity* entity, Entity* replacement) {
    if (!entity || entity->handle < 0) return;
    CameraView& current = block_.views[kCurrent];
    const size_t before = current.targets.size();
    ReplaceInView(current, entity->handle, replacement);
    if (current.targets.size() != before) {
        block_.previousCentre = block_.targetCentre;
        block_.velocity = {};
    }
    for (CameraView* view :
         {&block_.views[kPrevious], &block_.views[kHome], &block_.views[kRemembered],
          &block_.transition[kGoal], &block_.transition[kStart]})
        ReplaceInView(*view, entity->handle, replacement);
}

void StillCamera::SetSway(float amount) {
    block_.interaction[kSwayWord] = std::bit_cast<uint32_t>(amount);
}

} // namespace lumivane
