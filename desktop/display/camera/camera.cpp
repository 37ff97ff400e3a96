// Camera: set-up, the views and their targets, timed moves, framing units,
// the home view and what happens to the views when an entity leaves.
#include "desktop/display/camera/camera.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "desktop/display/camera/view_math.h"
#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/math_tables.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/world.h"

namespace lumivane {

namespace {

constexpr float kQuarterPi = kPi / 4.0f;
constexpr float kSetUpNear = 0.01f;
constexpr float kSetUpFar = 1600.0f;
constexpr float kNoBox = 999999.0f;
constexpr float kGroupFraming = 1.2f;
constexpr float kHomeToggleSlowdown = 1.5f;
constexpr float kAtHomeShare = 0.9f;
constexpr float kCueShare = 0.75f;

Entity* Resolve(EntityHandle handle) {
    World* world = GetWorld();
    return world ? world->GetEntity(handle) : nullptr;
}

std::vector<EntityHandle> HandlesOf(std::span<Entity* const> entities) {
    std::vector<EntityHandle> handles;
    for (Entity* entity : entities)
        if (entity) handles.push_back(entity->handle);
    return handles;
}

// A pivot on the ray from `position` along the unit `direction`, within
// `radius` of the origin wherever the ray comes that near: where the ray
// meets the floor of the scene (y = -floor), else where it meets the
// scene's sphere, else one scene radius ahead.
Vec3 PivotOnRay(const Vec3& position, const Vec3& direction, float radius, float floor) {
    if (direction.y < -1e-6f) {
        const float t = -(position.y + floor) / direction.y;
        const Vec3 onFloor = position + direction * t;
        if (t >= 0.0f && onFloor.Length() <= radius) return onFloor;
    }
    const float b = Vec3::Dot(position, direction);
    const float c = Vec3::Dot(position, position) - radius * radius;
    const float discriminant = b * b - c;
    if (discriminant >= 0.0f) {
        const float root = std::sqrt(discriminant);
        const float entry = -b - root;
        const float exit = -b + root;
        if (entry >= 0.0f) return position + direction * entry;
        if (exit >= 0.0f) return position + direction * exit;
    }
    return position + direction * radius;
}

float Distance(const Vec3& a, const Vec3& b) {
    return (a - b).Length();
}

} // namespace

Camera::Camera(float aspect) {
    horizontalFov_ = kQuarterPi;
    current_.position = {0.0f, 1.0f, 0.0f};
    current_.direction = {0.0f, 0.0f, 1.0f};
    current_.up = kWorldUp;
    FitPicture(aspect);
    projection_.MakePerspective(kSetUpNear, kSetUpFar, kQuarterPi, aspect_);
    Update();
    ResetToHome();
}

void Camera::SetAspect(float aspect) {
    if (aspect > 0.0f && aspect != aspect_) FitPicture(aspect);
}

void Camera::FitPicture(float aspect) {
    aspect_ = aspect > 0.0f ? aspect : kDefaultAspect;
    verticalFov_ = 2.0f * std::atan(FastTan(kPi / 8.0f) / aspect_);
    const float halfTangent = FastTan(verticalFov_ / 2.0f);
    framingFactor_ = ((1.0f / halfTangent + 1.0f) / std::sqrt(2.0f)) * 750.0f;

    // The home view looks down at 45 degrees towards the origin from where
    // the whole scene fills the picture.
    const float c = TableCos(kQuarterPi);
    const float h = GetSceneBounds().radius * c * (c / halfTangent + c);
    home_.FreeTargets();
    home_.position = {0.0f, h, h};
    home_.direction = {0.0f, 0.0f, -1.0f};
    home_.up = kWorldUp;
    const Quat down = Quat::MakeAxisAngle({1.0f, 0.0f, 0.0f}, -kQuarterPi);
    down.RotateVector(home_.direction);
    down.RotateVector(home_.up);
    home_.right = Normalized(Vec3::Cross(home_.up, home_.direction));
    home_.offset = {};
    home_.chase = 0;
}

Camera::~Camera() {
    FreeViews();
}

int Camera::ComputeTargetBounds(std::span<const EntityHandle> handles, Vec3& centre,
                                float& radius) const {
    centre = {};
    radius = 0.0f;
    Vec3 low{kNoBox, kNoBox, kNoBox};
    Vec3 high{-kNoBox, -kNoBox, -kNoBox};
    float framing = 0.0f;
    std::vector<const Entity*> found;
    for (EntityHandle handle : handles) {
        const Entity* entity = Resolve(handle);
        if (!entity) continue;
        found.push_back(entity);
        const Vec3& p = entity->position;
        low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
        framing = std::max(framing, entity->PropFloat("min zoom dist") * entity->radius);
    }
    // Handles that all went stale frame nothing: the pivot, not the middle
    // of the empty box at the origin.
    if (found.empty()) {
        const SceneBounds& bounds = GetSceneBounds();
        centre = PivotOnRay(current_.position, Normalized(current_.direction), bounds.radius,
                            bounds.heightLimit);
        return 0;
    }
    centre = (low + high) * 0.5f;
    if (found.size() == 1) {
        radius = framing;
        return 1;
    }
    float extent = 0.0f;
    for (const Entity* entity : found)
        extent = std::max(extent, Distance(centre, entity->position) + entity->radius);
    radius = extent / TableSin(horizontalFov_ / 2.0f) * kGroupFraming;
    return int(found.size());
}

void Camera::SetTargets(std::span<Entity* const> entities) {
    current_.targets = HandlesOf(entities);
    resolvedTargets_ = ComputeTargetBounds(current_.targets, targetCentre_, targetRadius_);
    previousCentre_ = targetCentre_;
}

void Camera::DropTargets() {
    SetTargets({});
}

void Camera::SetView(const CameraView& view) {
    current_.Assign(view);
    resolvedTargets_ = ComputeTargetBounds(current_.targets, targetCentre_, targetRadius_);
    previousCentre_ = targetCentre_;
    if (resolvedTargets_ > 0) current_.position = targetCentre_ + current_.offset;
}

void Camera::MoveTo(const CameraView& goal, float duration, bool lookAt, uint32_t clockSelector,
                    uint32_t type, const CameraView* pre, const CameraView* post) {
    // Copies first: a caller may pass one of the camera's own views.
    CameraView goalCopy = goal;
    CameraView preCopy = pre ? *pre : current_;
    CameraView postCopy = post ? *post : goal;
    start_.Assign(current_);
    goal_ = std::move(goalCopy);
    prePoint_ = std::move(preCopy);
    postPoint_ = std::move(postCopy);

    transition_.duration = type == camera_move::kCut ? 0.0f : duration;
    transition_.clockSelector = clockSelector;
    transition_.type = type;
    transition_.lookAt = lookAt ? 1 : 0;
    transition_.progress = 0.0f;
    transition_.moving = 1;

    const CameraView kept = current_;
    SetView(goal_);
    if (goal_.chase) {
        // The chase takes over from where the camera is.
        current_.position = kept.position;
        current_.direction = kept.direction;
        current_.up = kept.up;
        current_.right = kept.right;
        if (!goal_.targets.empty())
            if (const Entity* unit = Resolve(goal_.targets.front())) {
                chaseYaw_ = unit->PropFloat("chase camera rotate");
                chaseTilt_ = unit->PropFloat("chase camera tilt");
            }
    }
    clickFocus_ = 0;
    if (transition_.duration > 0.0f) {
        current_.position = start_.position;
        current_.offset = start_.offset;
    }
}

void Camera::FrameUnits(std::span<Entity* const> units) {
    CameraView framed = current_;
    framed.targets = HandlesOf(units);
    Vec3 centre;
    float radius = 0.0f;
    ComputeTargetBounds(framed.targets, centre, radius);
    if (framed.targets.size() == 1) radius *= 2.0f;
    framed.offset = current_.direction * -radius;
    MoveTo(framed, kMoveDuration, false, 1, camera_move::kQuartic, nullptr, nullptr);
}

void Camera::FocusOnUnits(std::span<Entity* const> units) {
    // A squad without members leaves the camera where it is.
    if (std::none_of(units.begin(), units.end(), [](Entity* unit) { return unit != nullptr; }))
        return;
    interaction_.clickState = 1;
    previous_.Assign(current_);
    FrameUnits(units);
}

void Camera::ToggleHomeView() {
    UserInputWords& words = GetUserInputWords();
    if (!(words.permission[0] & camera_bits::kHomeToggle)) return;
    words.events[0] |= camera_bits::kHomeToggle;
    GetSceneSounds().PlayInterfaceCue(InterfaceCue::ViewToggle, kCueShare);

    const float duration = kHomeToggleSlowdown * kMoveDuration;
    auto moveTo = [&](const CameraView& view) {
        MoveTo(view, duration, false, 1, camera_move::kQuartic, nullptr, nullptr);
    };
    auto goHome = [&] {
        remembered_.Assign(current_);
        moveTo(home_);
    };
    if (transition_.moving) {
        if (goal_.position == home_.position)
            moveTo(remembered_);
        else if (goal_.position == remembered_.position)
            goHome();
        return;
    }
    const bool atHome = current_.position.Length() >= kAtHomeShare * home_.position.Length();
    if (atHome && !(remembered_.position == Vec3{}))
        moveTo(remembered_);
    else
        goHome();
}

void Camera::ResetToHome() {
    SetView(home_);
    sequence_.trigger = -1;
    transition_.moving = 0;
    transition_.endVelocity = {};
    transition_.endTurn = Quat{};
    interaction_.sway = 1.0f;
    clickFocus_ = 0;
}

void Camera::ReplaceTargetInView(CameraView& view, const Entity* entity,
                                 const Entity* replacement) {
    if (!entity) return;
    std::vector<EntityHandle>& list = view.targets;
    for (size_t i = 0; i < list.size();) {
        if (list[i] != entity->handle) {
            ++i;
        } else if (replacement) {
            list[i] = replacement->handle;
            view.chase = 0;
            ++i;
        } else {
            list.erase(list.begin() + std::ptrdiff_t(i));
        }
    }
}

void Camera::ReplaceTarget(Entity* entity, Entity* replacement) {
    const size_t before = current_.targets.size();
    ReplaceTargetInView(current_, entity, replacement);
    const size_t after = current_.targets.size();
    if (before > 0 && after == 0) {
        // The last followed unit is gone: drift on as the camera was moving.
        coast_.on = 1;
        coast_.start = GetSceneClock().gameTime;
        coast_.velocity = velocity_;
    }
    if (before != after) {
        previousCentre_ = targetCentre_;
        velocity_ = {};
    }
    for (CameraView* view : {&previous_, &home_, &remembered_, &goal_, &start_})
        ReplaceTargetInView(*view, entity, replacement);
}

Entity* Camera::GetSingleTarget() const {
    return current_.targets.size() == 1 ? Resolve(current_.targets.front()) : nullptr;
}

Entity* Camera::GetChaseTarget() const {
    return current_.chase && !current_.targets.empty() ? Resolve(current_.targets.front())
                                                       : nullptr;
}

void Camera::FreeViews() {
    for (CameraView* view : {&current_, &previous_, &home_, &remembered_, &spare_, &prePoint_,
                             &start_, &goal_, &postPoint_, &sequenceOrigin_, &pictureInPicture_})
        view->FreeTargets();
}

CameraPose Camera::Pose() const {
    CameraPose pose;
    pose.position = current_.position;
    pose.velocity = velocity_;
    pose.forward = current_.direction;
    pose.right = current_.right;
    pose.up = current_.up;
    pose.fieldOfView = horizontalFov_;
    return pose;
}

bool Camera::Known(const Entity& entity) {
    const Player* local = GetPlayers().local;
    return GetDisplayState().revealAll || !local || local->index >= kIdentifiedPlayers ||
           entity.identification[local->index] == kKnown;
}

void Camera::AnchorToTargets(CameraView& view) const {
    Vec3 centre;
    float radius = 0.0f;
    if (ComputeTargetBounds(view.targets, centre, radius) > 0) view.position = centre + view.offset;
}

} // namespace lumivane
