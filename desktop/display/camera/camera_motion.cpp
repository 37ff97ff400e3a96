// Camera: the second half of the frame's step, the motion. A camera that
// lost its last target coasts to a stop; a timed move advances and is
// interpolated; the camera follows its targets, levels the horizon, pans,
// orbits its targets (or looks about freely) within the tilt limits,
// zooms up to the stop point in front of them, and with nothing else to
// do drifts round the Sun.
#include <algorithm>
#include <cmath>

#include "desktop/display/camera/camera.h"
#include "desktop/display/camera/view_math.h"
#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/math_tables.h"
#include "desktop/scene/world/world.h"

namespace lumivane {

namespace {

constexpr float kCoastRate = 0.0005f; // the coast lasts 2 s
constexpr float kMaxTilt = 178.0f * kDegree;
constexpr float kPushBackTilt = 176.0f * kDegree;
constexpr float kMinTilt = 7.0f * kDegree;
constexpr float kLevelRate = 4.0f;
constexpr float kStopGap = 0.01f;
constexpr float kShortOfStop = 1e-6f;
constexpr float kAtStop = 1e-5f;

} // namespace

void Camera::CoastStep() {
    if (!coast_.on) return;
    const SceneClock& clock = GetSceneClock();
    const float u = float(clock.gameTime - coast_.start) * kCoastRate;
    if (u >= 1.0f) {
        coast_.on = 0;
        return;
    }
    current_.position += coast_.velocity * ((1.0f - u * u * u * u) * clock.frameTime);
}

void Camera::AdvanceMove(float dt) {
    if (!transition_.moving) return;
    transition_.progress += transition_.clockSelector ? float(transition_.clockSelector) * dt
                                                      : GetSceneClock().frameTime;
    if (transition_.progress >= transition_.duration) {
        transition_.arrivalSpeed = velocity_.Length();
        if (!goal_.chase) SetView(goal_); // lands exactly on the goal
        transition_.moving = 0;
        transition_.progress = transition_.duration;
        transition_.endVelocity = velocity_;
        transition_.endTurn = transition_.frameTurn;
        return;
    }
    for (CameraView* view : {&prePoint_, &start_, &goal_, &postPoint_, &sequenceOrigin_})
        AnchorToTargets(*view);
    Interpolate();
}

void Camera::Interpolate() {
    const float raw = transition_.duration > 0.0f
                          ? std::clamp(transition_.progress / transition_.duration, 0.0f, 1.0f)
                          : 1.0f;
    const float t = EaseMove(transition_.type, raw);
    const Quat orientation = Quat::Slerp(ViewOrientation(start_), ViewOrientation(goal_), t);
    OrientView(current_, orientation);
    transition_.frameTurn = Quat::Divide(orientation, transition_.previousOrientation);
    transition_.previousOrientation = orientation;

    if (transition_.type == camera_move::kSpline)
        current_.position =
            CatmullRom(prePoint_.position, start_.position, goal_.position, postPoint_.position, t);
    else
        current_.position = start_.position + (goal_.position - start_.position) * t;

    if (!transition_.lookAt) return;
    Vec3 centre;
    float radius = 0.0f;
    if (ComputeTargetBounds(goal_.targets, centre, radius) == 0) return;
    // The look swings onto the goal's targets as the move goes, with the
    // move's own easing: from the view the move began with (t = 0) to
    // pointing straight at them on arrival. Pointing at them from the
    // first frame on would jump the whole picture at the start of a move.
    const Vec3 aim = centre - current_.position;
    if (aim.Length() < 1e-6f) return;
    const Vec3 to = Normalized(aim);
    const float cosine = std::clamp(Vec3::Dot(current_.direction, to), -1.0f, 1.0f);
    Vec3 axis = Vec3::Cross(current_.direction, to);
    if (axis.Length() < 1e-6f) {
        if (cosine > 0.0f) return; // already looking at them
        axis = current_.up;        // straight behind: swing round by the up vector
    }
    current_.direction = Turned(current_.direction, Normalized(axis), FastAcos(cosine) * t);
    RebuildAxes(current_);
}

void Camera::Follow() {
    if (resolvedTargets_ > 0) current_.position += targetCentre_ - previousCentre_;
    previousCentre_ = targetCentre_;
}

void Camera::LevelHorizon(float dt) {
    CameraView& view = current_;
    Vec3 side = Vec3::Cross(kWorldUp, view.direction);
    if (side.Length() < 1e-6f) return; // looking straight up or down: no horizon
    side.Normalize();
    const Vec3 wanted = Normalized(Vec3::Cross(view.direction, side));
    const float angle = FastAcos(std::clamp(Vec3::Dot(Normalized(view.up), wanted), -1.0f, 1.0f));
    if (angle <= kDegree) {
        view.up = wanted;
        view.right = side;
        return;
    }
    Vec3 axis = Vec3::Cross(view.up, wanted);
    axis = axis.Length() < 1e-6f ? Normalized(view.direction) : Normalized(axis);
    TurnView(view, axis, std::min(angle, (angle + kDegree) * dt * kLevelRate));
}

void Camera::Pan() {
    const Vec3 forward = Normalized(Vec3::Cross(current_.right, kWorldUp));
    current_.position += current_.right * rates_.sidePan + forward * rates_.forwardPan;
    current_.position.y += rates_.vertical;
}

void Camera::TurnAboutCentre(const Vec3& axis, float angle) {
    auto turn = [&](CameraView& view) {
        view.position = targetCentre_ + Turned(view.position - targetCentre_, axis, angle);
        view.offset = Turned(view.offset, axis, angle);
        TurnView(view, axis, angle);
    };
    // A running move keeps its shape: its ends turn, and it carries the
    // camera along.
    if (transition_.moving) {
        turn(start_);
        turn(goal_);
    } else {
        turn(current_);
    }
}

void Camera::OrbitAndTilt(float dt) {
    const bool orbit = resolvedTargets_ > 0;
    float pitch = rates_.pitch;
    if (orbit) {
        TurnAboutCentre(kWorldUp, -rates_.yaw);
    } else {
        TurnView(current_, kWorldUp, -rates_.yaw / 2.0f);
        pitch /= 2.0f;
    }

    const float tilt = TiltFromUp(current_.direction);
    float delta = 0.0f;
    if (tilt > kMaxTilt) {
        delta = (kPushBackTilt - tilt) * dt * -4.0f;
    } else {
        delta = std::max(pitch, tilt - kMaxTilt);
        if (sequence_.trigger < 0) delta = std::min(delta, tilt - kMinTilt);
    }
    if (delta == 0.0f) return;
    const Vec3 axis = Normalized(current_.right);
    if (orbit)
        TurnAboutCentre(axis, -delta);
    else
        TurnView(current_, axis, -delta);
}

void Camera::Zoom(const Frame& frame) {
    const float z = rates_.zoom;
    if (z <= 0.0f) {
        current_.position += current_.direction * z;
        if (z < 0.0f) interaction_.zoomAccumulator = 0.0f;
        return;
    }
    const bool framing = resolvedTargets_ > 0;
    const Vec3 stop =
        framing ? targetCentre_ - current_.direction * (targetRadius_ + kStopGap) : targetCentre_;
    const Vec3 toStop = stop - current_.position;
    const float distance = toStop.Length();
    Vec3 way = distance > 0.0f ? toStop * (1.0f / distance) : current_.direction;
    float step = std::min(z, std::max(distance - kShortOfStop, 0.0f));
    if (!framing && Vec3::Dot(way, current_.direction) < 0.0f) {
        // The pivot lies behind: fly on the way the camera looks.
        way = way * -1.0f;
        step = z;
    }
    current_.position += way * step;
    if ((stop - current_.position).Length() < kAtStop) {
        // Pressing on at the stop point counts towards the chase.
        rates_.zoom = 0.0f;
        interaction_.zoomAccumulator += z / frame.F / frame.B;
    } else {
        interaction_.zoomAccumulator = 0.0f;
    }
}

void Camera::SunOrbit() {
    if (transition_.moving || resolvedTargets_ > 0 || current_.chase || sequence_.trigger >= 0)
        return;
    const World* world = GetWorld();
    const Entity* sun = world ? world->Sun() : nullptr;
    if (!sun) return;
    const Vec3& p = current_.position;
    const Vec3 r{p.x - sun->position.x, -sun->position.y, p.z - sun->position.z};
    const float d = r.Length();
    if (d < 0.1f || !(sun->mass > 0.0f)) return;
    const float speed = std::max(std::sqrt(sun->mass / d * 0.0005f), 1e-9f);
    float k = 1.0f;
    if (world->relativisticMode) {
        const float g = 0.025f * std::sqrt(p.x * p.x + p.z * p.z);
        k = 0.25f * (g <= 1.052f ? 0.05f : std::min(g - 1.0f, 1.0f));
    }
    const float frameTime = GetSceneClock().frameTime;
    current_.position += Normalized(Vec3::Cross(r, kWorldUp)) * (speed * k * frameTime);
    const Quat turn = Quat::MakeAxisAngle(kWorldUp, -frameTime * speed / d * k);
    turn.RotateVector(current_.direction);
    turn.RotateVector(current_.up);
    current_.right = Normalized(Vec3::Cross(current_.up, current_.direction));
}

void Camera::Finish(const Vec3& startPosition) {
    current_.direction.Normalize();
    current_.up.Normalize();
    current_.right = Normalized(Vec3::Cross(current_.up, current_.direction));
    current_.offset = current_.position - targetCentre_;
    const float dt = GetSceneClock().realFrameTime;
    velocity_ = dt > 0.0f ? (current_.position - startPosition) * (1.0f / dt) : Vec3{};
}

} // namespace lumivane
