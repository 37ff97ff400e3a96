// Ship: the flight primitives. Thrust accelerates the unit along its own
// axes and torque turns it; both raise the thruster levels the engines
// show. On them stand the controllers that turn toward a direction (with
// banking), match a velocity and arrive at a point.
#include <cmath>

#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/math_tables.h"
#include "desktop/units/ship_base/ship.h"
#include "desktop/units/ship_base/steering_math.h"

namespace lumivane {

namespace {

constexpr float kFineAngle = 0.05235988f; // 3 degrees
constexpr float kFineRate = 0.06981317f;  // 4 degrees per second
constexpr float kFineGain = 14.323945f;   // 1 / kFineRate
constexpr float kBankShare = 0.25f;
constexpr float kRatePerSecond = 10.0f; // the spin turns per 0.1 s
constexpr float kMatchBand = 0.1f;

// Full command toward the wanted angle until the stopping test says brake;
// near rest the command fades with the rate so the unit settles.
float BangBang(float error, float rate, float angularThrust) {
    const float gain = std::fabs(error) < kFineAngle && std::fabs(rate) < kFineRate
                           ? std::fabs(rate) * kFineGain
                           : 1.0f;
    const float side = error >= 0.0f ? 1.0f : -1.0f;
    const float h = rate * rate - 2.0f * angularThrust * std::fabs(error);
    const bool brake = h >= 0.0f && std::sqrt(h) + rate * side >= 0.0f;
    return brake ? -gain * side : gain * side;
}

// The signed angle of `up` (in the unit's frame) from the unit's own up
// axis, positive toward its right.
float RollAngle(const Vec3& up) {
    const float angle = FastAcos(up.y);
    return up.x >= 0.0f ? angle : -angle;
}

float MatchCommand(float error) {
    if (error > kMatchBand) return 1.0f;
    if (error < -kMatchBand) return -1.0f;
    return error / kMatchBand;
}

} // namespace

void Ship::ThrustForward(float amount) {
    const ShipPropFields& f = ShipFields();
    const float dt = GetSceneClock().frameTime;
    Accelerate({0.0f, 0.0f, amount * ShipFloat(f.thrust, 0.2f)}, false);
    const float c = 1.0f - std::pow(ShipFloat(f.cThrustDecay, 0.6f), dt);
    thrusters[kMain] += amount * c;
    if (amount < 0.0f) thrusters[kReverse] += -amount * c;
    if (ShipFlag(f.cThrustInLr, true)) {
        const float lr = 1.0f - std::pow(ShipFloat(f.lrThrustDecay, 0.6f), dt);
        thrusters[kTurnLeft] += amount * lr;
        thrusters[kTurnRight] += amount * lr;
    }
}

void Ship::ThrustLateral(float amount) {
    Accelerate({amount * ShipFloat(ShipFields().thrust, 0.2f), 0.0f, 0.0f}, false);
}

void Ship::ThrustVertical(float amount) {
    Accelerate({0.0f, amount * ShipFloat(ShipFields().thrust, 0.2f), 0.0f}, false);
}

void Ship::YawTorque(float command) {
    const ShipPropFields& f = ShipFields();
    const float dt = GetSceneClock().frameTime;
    ApplyTorque({0.0f, 0.0f, -1.0f}, {-command * ShipFloat(f.angularThrust, 0.2f), 0.0f, 0.0f},
                false);
    const float lr = 1.0f - std::pow(ShipFloat(f.lrThrustDecay, 0.6f), dt);
    if (command < 0.0f)
        thrusters[kTurnRight] += -command * lr;
    else
        thrusters[kTurnLeft] += command * lr;
    if (ShipFlag(f.lrThrustInC, false))
        thrusters[kMain] +=
            std::fabs(command) * (1.0f - std::pow(ShipFloat(f.cThrustDecay, 0.6f), dt));
}

void Ship::PitchTorque(float command) {
    const ShipPropFields& f = ShipFields();
    const float dt = GetSceneClock().frameTime;
    ApplyTorque({0.0f, 0.0f, -1.0f}, {0.0f, -command * ShipFloat(f.angularThrust, 0.2f), 0.0f},
                false);
    const float ud = 1.0f - std::pow(ShipFloat(f.udThrustDecay, 0.6f), dt);
    if (command < 0.0f)
        thrusters[kPitchDown] += -command * ud;
    else
        thrusters[kPitchUp] += command * ud;
}

void Ship::RollTorque(float command) {
    ApplyTorque({1.0f, 0.0f, 0.0f},
                {0.0f, -command * ShipFloat(ShipFields().angularThrust, 0.2f), 0.0f}, false);
}

void Ship::TurnTowards(const Vec3& direction) {
    // A unit on a tow cable is turned by the cable, not by itself.
    if (TowLocked()) return;
    const float angularThrust = ShipFloat(ShipFields().angularThrust, 0.2f);
    float yawError, pitchError;
    ToLocal(orientation, direction).GetYawPitch(yawError, pitchError);
    float yawRate, pitchRate;
    GetSpinDir().GetYawPitch(yawRate, pitchRate);
    YawTorque(BangBang(yawError, yawRate * kRatePerSecond, angularThrust));
    PitchTorque(BangBang(pitchError, pitchRate * kRatePerSecond, angularThrust));

    // Banking: the unit leans into the turn, measured from the level frame
    // about its forward axis.
    const Vec3 worldUp = ToLocal(orientation, {0.0f, 1.0f, 0.0f});
    Vec3 level(worldUp.x, worldUp.y, 0.0f);
    if (!(level.Length() > 1e-4f)) return; // pointing straight up or down
    level.Normalize();
    const float wanted = yawError * kBankShare * ShipFloat(ShipFields().banking, 1.0f);
    const Vec3 side = Vec3::Cross(level, {0.0f, 0.0f, 1.0f});
    const Vec3 leaning = level * TableCos(wanted) + side * TableSin(wanted);
    Vec3 spinUp(0.0f, 1.0f, 0.0f);
    spin.RotateVector(spinUp);
    RollTorque(BangBang(RollAngle(leaning), RollAngle(spinUp) * kRatePerSecond, angularThrust));
}

void Ship::MatchVelocity(const Vec3& wanted) {
    const Vec3 error = ToLocal(orientation, wanted - velocity);
    ThrustForward(MatchCommand(error.z));
    ThrustLateral(MatchCommand(error.x));
    ThrustVertical(MatchCommand(error.y));
}

void Ship::ArriveAt(const Vec3& point) {
    const Vec3 e = ToLocal(orientation, point - position);
    const Vec3 v = ToLocal(orientation, velocity);
    const float r = radius;
    const float thrust = ShipFloat(ShipFields().thrust, 0.2f);
    // Full thrust from a radius away; closer, it eases off with the speed.
    auto command = [&](float error, float speed) {
        float magnitude = 1.0f;
        if (r > 0.0f && std::fabs(error) < r) {
            const float half = r * 0.5f;
            const float k = std::fabs(speed) < half ? std::fabs(speed) / half : 1.0f;
            magnitude = 1.0f - (1.0f - std::fabs(error) / r) * (1.0f - k);
        }
        const float h = speed * speed - error * thrust;
        return h >= 0.0f && std::sqrt(h) + speed >= 0.0f ? -magnitude : magnitude;
    };
    ThrustForward(command(e.z, v.z));
    ThrustLateral(command(e.x, v.x));
    ThrustVertical(command(e.y, v.y));
}

} // namespace lumivane
