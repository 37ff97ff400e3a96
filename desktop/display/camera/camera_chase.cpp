// Camera: the chase mode. Zooming on against the stop point in front of a
// single ship puts the camera behind it, where it rides along, smoothed,
// at the offsets the ship's own properties give; the user can still turn
// and tilt the chase and zooms back out of it.
#include "desktop/display/camera/camera.h"
#include "desktop/display/camera/view_math.h"
#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/world/world.h"

namespace lumivane {

namespace {

constexpr float kChaseThreshold = 50.0f;
constexpr float kChaseSmoothing = 0.2f;

} // namespace

bool Camera::ChaseStep(const Frame& frame) {
    World* world = GetWorld();
    Entity* unit =
        world && current_.targets.size() == 1 ? world->GetEntity(current_.targets[0]) : nullptr;
    CameraInteraction& i = interaction_;
    if (current_.chase) {
        // A move towards a chase view hands over to the chase; any other
        // move ends it.
        const bool movingAway = transition_.moving && !goal_.chase;
        if (movingAway || !unit || i.zoomAccumulator < -kChaseThreshold) current_.chase = 0;
    } else if ((GetUserInputWords().permission[0] & camera_bits::kChase) && unit &&
               IsA(unit, ClassId::Ship) && !IsA(unit, ClassId::Structure) && !transition_.moving &&
               i.zoomAccumulator >= kChaseThreshold) {
        current_.chase = 1;
        i.zoomAccumulator = 0.0f;
        GetUserInputWords().events[0] |= camera_bits::kChase;
        chaseYaw_ = unit->PropFloat("chase camera rotate");
        chaseTilt_ = unit->PropFloat("chase camera tilt");
    }
    if (!current_.chase) return false;

    chaseYaw_ += rates_.yaw;
    chaseTilt_ += rates_.pitch;
    Vec3 forward = unit->GetDir();
    Vec3 side{1.0f, 0.0f, 0.0f};
    Vec3 unitUp = kWorldUp;
    unit->orientation.RotateVector(side);
    unit->orientation.RotateVector(unitUp);
    forward = Turned(forward, kWorldUp, -chaseYaw_);
    side = Turned(side, kWorldUp, -chaseYaw_);
    forward = Turned(forward, side, -chaseTilt_);

    const float r = unit->radius;
    const Vec3 wanted = unit->position - forward * (r * unit->PropFloat("chase camera Z")) -
                        side * (r * unit->PropFloat("chase camera X")) +
                        Vec3{0.0f, r * unit->PropFloat("chase camera y"), 0.0f};
    const float s = kChaseSmoothing;
    current_.position = wanted * s + current_.position * (1.0f - s);
    current_.direction = Normalized(forward * s + current_.direction * (1.0f - s));
    current_.up = Normalized(unitUp * s + current_.up * (1.0f - s));
    RebuildAxes(current_);
    if (rates_.zoom < 0.0f) i.zoomAccumulator += rates_.zoom / frame.F / frame.B;
    rates_.zoom = 0.0f;
    return true;
}

} // namespace lumivane
