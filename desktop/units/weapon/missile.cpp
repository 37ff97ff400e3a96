// Missile: the rack drop, the coast, homing on the nearest enemy and the
// late side thrust.
#include <cmath>

#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/world/world.h"
#include "desktop/units/weapon/projectiles.h"

namespace lumivane {

Node* Missile::Clone() {
    auto* copy = new Missile(*this);
    copy->InitClone(this);
    return copy;
}

int32_t Missile::SinceLaunch() const {
    return int32_t(int64_t(GetSceneClock().gameTime) - int64_t(launchTime));
}

void Missile::Launch(Ship* from, const Vec3& at, const Quat& rotation, EntityHandle aim) {
    target = aim;
    orderState = kOrderAttack;
    owner = from ? from->owner : nullptr;
    shooter = from ? from->handle : kNoEntity;
    orientation = rotation;
    spin = Quat();
    Vec3 drop(0.0f, -1.0f, 0.0f);
    orientation.RotateVector(drop);
    velocity = drop * Speed() + (from ? from->velocity : Vec3());
    position = at;
    launchTime = int32_t(GetSceneClock().gameTime);
    PlaceLocalMatrix();
}

void Missile::Update() {
    if (SinceLaunch() < kCoastMs) {
        if (SinceLaunch() == 0) {
            const Vec3 kept = velocity;
            velocity = Vec3();
            Entity::Update();
            velocity = kept;
        } else {
            Entity::Update();
        }
        return;
    }
    if (orderState == kOrderIdle || orderState == kOrderFollow) {
        World* world = GetWorld();
        Entity* enemy = world ? world->FindNearestEnemy(handle, owner, seeAll != 0) : nullptr;
        target = enemy ? enemy->handle : kNoEntity;
        orderState = kOrderAttack;
    }
    Weapon::Update();
}

void Missile::ThrustForward(float) {
    const ShipPropFields& f = ShipFields();
    const float dt = GetSceneClock().frameTime;
    Accelerate({0.0f, 0.0f, ShipFloat(f.thrust, 0.2f)}, false);
    thrusters[kMain] += 1.0f - std::pow(ShipFloat(f.cThrustDecay, 0.6f), dt);
    if (ShipFlag(f.cThrustInLr, true)) {
        const float lr = 1.0f - std::pow(ShipFloat(f.lrThrustDecay, 0.6f), dt);
        thrusters[kTurnLeft] += lr;
        thrusters[kTurnRight] += lr;
    }
}

void Missile::ThrustLateral(float amount) {
    if (SinceLaunch() >= kNoSteerMs) Ship::ThrustLateral(2.0f * amount);
}

void Missile::ThrustVertical(float amount) {
    if (SinceLaunch() >= kNoSteerMs) Ship::ThrustVertical(2.0f * amount);
}

void Missile::OnExpire() {
    Explode();
}

} // namespace lumivane
