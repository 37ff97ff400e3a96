// Ship: the turret helpers of multi-turret classes (picking a target in a
// turret's arc, aiming it at turret speed within its ranges, the idle
// sweep, posing its nodes and the fire cone) and the turret block record.
#include "desktop/units/combat/turret_block.h"

#include <algorithm>
#include <cmath>

#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/math_tables.h"
#include "desktop/scene/object/random_generator.h"
#include "desktop/scene/object/trans_node.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/world.h"
#include "desktop/units/combat/target_rules.h"
#include "desktop/units/ship/node_pose.h"
#include "desktop/units/ship/ship.h"
#include "desktop/units/ship/steering_math.h"
#include "platform/binary_io.h"

namespace lumivane {

namespace {

constexpr float kTwoPi = 2.0f * kPi;
constexpr float kStillShare = 0.75f;
constexpr int32_t kWanderBaseMs = 3000;
constexpr float kWanderReach = 100.0f;

float WrapAngle(float a) {
    while (a > kPi)
        a -= kTwoPi;
    while (a < -kPi)
        a += kTwoPi;
    return a;
}

// One step of at most `step` from `angle` toward `wanted`, the short way.
float TurnToward(float angle, float wanted, float step) {
    return angle + std::clamp(WrapAngle(wanted - angle), -step, step);
}

Vec3 NodePosition(const Node* node, const Entity& unit) {
    return node ? node->WorldMatrix().GetTranslation() : unit.position;
}

} // namespace

void StandardTurretAngles(const Vec3& local, float& yaw, float& pitch) {
    Vec3 direction = local;
    direction.Normalize();
    direction.GetYawPitch(yaw, pitch);
}

bool YawInRange(const TurretBlock& block, float yaw, float widen) {
    if (block.yawMin <= block.yawMax)
        return yaw >= block.yawMin - widen && yaw <= block.yawMax + widen;
    // Wrapping through +-pi: the arc runs from the minimum up to pi and on
    // from -pi up to the maximum.
    return yaw >= 0.0f ? yaw >= block.yawMin - widen : yaw <= block.yawMax + widen;
}

void Ship::PickTurretTarget(TurretBlock& block, TurretAngles angles) {
    World* world = GetWorld();
    Entity* own = world ? world->GetEntity(target) : nullptr;
    if (!own) return;
    const float widen = ShipFloat(ShipFields().fireAngle, 0.5236f);
    auto inArc = [&](const Entity& candidate) {
        float yaw = 0.0f, pitch = 0.0f;
        angles(ToLocal(orientation, candidate.position - position), yaw, pitch);
        return YawInRange(block, yaw, widen) && pitch >= block.pitchMin - widen &&
               pitch <= block.pitchMax + widen;
    };
    if (inArc(*own)) {
        block.target = own->handle;
        return;
    }
    block.target = kNoEntity;
    if (!owner) return;
    float best = ShipFloat(ShipFields().fireRange, 20.0f);
    for (int i = 0; i < kPlayerCount; ++i) {
        const Player* side = PlayerAt(i);
        if (!side || !owner->CountsAsEnemy(i)) continue;
        for (Ship* unit : Ships(side->units)) {
            if (!unit || !CanSee(*this, *unit)) continue;
            const float distance = world->Distance(handle, unit->handle);
            if (distance < best && inArc(*unit)) {
                best = distance;
                block.target = unit->handle;
            }
        }
    }
}

void Ship::AimTurret(TurretBlock& block, const Vec3& point, int soundKey, TurretAngles angles) {
    float wantYaw = 0.0f, wantPitch = 0.0f;
    angles(ToLocal(orientation, point - NodePosition(block.aimNode, *this)), wantYaw, wantPitch);
    const float step = ShipFloat(ShipFields().turretSpeed, 1.0f) * GetSceneClock().frameTime;
    const float oldYaw = block.yaw, oldPitch = block.pitch;
    float yaw = TurnToward(block.yaw, wantYaw, step);
    float pitch = TurnToward(block.pitch, wantPitch, step);
    yaw = WrapAngle(yaw);
    if (block.yawMin <= block.yawMax) {
        yaw = std::clamp(yaw, block.yawMin, block.yawMax);
    } else if (yaw >= 0.0f && yaw < block.yawMin) {
        yaw = block.yawMin;
    } else if (yaw < 0.0f && yaw > block.yawMax) {
        yaw = block.yawMax;
    }
    pitch = std::clamp(pitch, std::min(block.pitchMin, block.pitchMax), block.pitchMax);
    block.yaw = WrapAngle(yaw);
    block.pitch = WrapAngle(pitch);
    if (soundKey < 0) return;
    const SoundEvent key = SoundEvent(soundKey);
    const bool still = std::fabs(WrapAngle(block.yaw - oldYaw)) < kStillShare * step &&
                       std::fabs(WrapAngle(block.pitch - oldPitch)) < kStillShare * step;
    if (still) {
        StopEventSounds(key);
        return;
    }
    bool playing = false;
    if (props)
        for (int s = 0; s < kSoundSlots; ++s)
            if (props->Int(EntityFields().sound[s].function) == soundKey &&
                soundSlots[s].soundId >= 0)
                playing = true;
    if (!playing) PlayEventSounds(key, 1);
}

void Ship::Wander(TurretBlock& block, int soundKey, TurretAngles angles) {
    const int32_t now = int32_t(GetSceneClock().gameTime);
    if (now >= block.wanderNextTime) {
        block.wanderNextTime = now + kWanderBaseMs + int32_t(MainRandom().Next() & 7) * 1000;
        auto offset = [] { return (MainRandom().NextUnit() * 2.0f - 1.0f) * kWanderReach; };
        const float x = offset(), y = offset(), z = offset();
        block.wanderPoint = position + Vec3(x, y, z);
    }
    AimTurret(block, block.wanderPoint, soundKey, angles);
}

void Ship::PoseTurret(TurretBlock& block) {
    PoseNode(block.yawNode, AxisAngle({0.0f, 1.0f, 0.0f}, block.yaw));
    PoseNode(block.pitchNode, AxisAngle({1.0f, 0.0f, 0.0f}, -block.pitch));
}

int Ship::IsInFireCone(const TurretBlock& block, const Vec3& point) const {
    Vec3 forward(0.0f, 0.0f, 1.0f);
    Vec3 from = position;
    if (block.aimNode) {
        const Matrix world = block.aimNode->WorldMatrix();
        world.TransformVector(forward);
        forward.Normalize();
        from = world.GetTranslation();
    } else {
        orientation.RotateVector(forward);
    }
    const Vec3 direction = DirectionTo(from, point);
    const float fireAngle = ShipFloat(ShipFields().fireAngle, 0.5236f);
    return FastAcos(Vec3::Dot(forward, direction)) <= fireAngle ? 1 : 0;
}

void SaveTurretBlock(platform::BinaryWriter& file, const TurretBlock& block) {
    // The nodes are found by name again; no pointer reaches a file.
    for (int node = 0; node < 3; ++node)
        file.WriteI32(0);
    file.WriteF32(block.yaw);
    file.WriteF32(block.pitch);
    file.WriteI32(block.nextFireTime);
    file.WriteI32(block.wanderNextTime);
    file.WriteF32(block.wanderPoint.x);
    file.WriteF32(block.wanderPoint.y);
    file.WriteF32(block.wanderPoint.z);
    file.WriteI32(block.target);
    file.WriteF32(block.yawMax);
    file.WriteF32(block.yawMin);
    file.WriteF32(block.pitchMax);
    file.WriteF32(block.pitchMin);
}

bool LoadTurretBlock(platform::BinaryReader& file, TurretBlock& block) {
    if (file.Remaining() < kTurretBlockBytes) return false;
    int32_t ignored = 0;
    for (int node = 0; node < 3; ++node)
        file.ReadI32(ignored);
    return file.ReadF32(block.yaw) && file.ReadF32(block.pitch) &&
           file.ReadI32(block.nextFireTime) && file.ReadI32(block.wanderNextTime) &&
           file.ReadF32(block.wanderPoint.x) && file.ReadF32(block.wanderPoint.y) &&
           file.ReadF32(block.wanderPoint.z) && file.ReadI32(block.target) &&
           file.ReadF32(block.yawMax) && file.ReadF32(block.yawMin) &&
           file.ReadF32(block.pitchMax) && file.ReadF32(block.pitchMin);
}

} // namespace lumivane
