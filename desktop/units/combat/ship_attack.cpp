// Ship: the fighting order states. Attack closes to a stand-off point
// (leading the target by the flight time of the main weapon) and asks to
// fire once the target is in range and in the nose's cone; hunt, auto
// attack (on a leash from where the unit was), the target list, shadowing
// and assisting the squad leader all feed it.
#include <cmath>

#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/math_tables.h"
#include "desktop/scene/object/random_generator.h"
#include "desktop/scene/world/squad.h"
#include "desktop/scene/world/world.h"
#include "desktop/units/combat/target_rules.h"
#include "desktop/units/ship/ship.h"
#include "desktop/units/ship/steering_math.h"

namespace lumivane {

namespace {

constexpr float kLeadLimit = 10.0f; // seconds of flight worth leading
constexpr float kStandOffShare = 0.5f;
constexpr float kCloseShare = 0.6f;
constexpr uint32_t kRepickChance = 10;   // one frame in ten looks for a nearer enemy
constexpr uint32_t kKeepTargetOdds = 31; // the list's target is kept 30 frames in 31
constexpr float kShadowLeash = 25.0f;
constexpr float kLeash = 50.0f;
constexpr float kShadowNear = 0.75f;
constexpr Vec3 kOrbitAxis{0.0f, 1.0f, 0.0f};

float FireRange(const Ship& unit) {
    return unit.ShipFloat(ShipFields().fireRange, 20.0f);
}

} // namespace

void Ship::UpdateAttack() {
    World* world = GetWorld();
    Entity* prey = world ? world->GetEntity(target) : nullptr;
    if (prey && (!CanSee(*this, *prey) || !StillHostile(*this, *prey))) {
        target = kNoEntity;
        prey = nullptr;
    }
    if (!prey) {
        FinishOrder();
        return;
    }

    Vec3 aim = prey->position;
    float surface = SurfaceDistance(position, radius, aim, prey->radius);
    if (projectileSpeed != 0.0f) {
        // Overlapping hulls need no lead.
        const float flight = std::max(surface, 0.0f) / projectileSpeed;
        if (flight < kLeadLimit) {
            aim = prey->position + (prey->velocity - velocity) * flight;
            surface = SurfaceDistance(position, radius, aim, prey->radius);
        }
    }

    const float range = FireRange(*this);
    const Vec3 toAim = DirectionTo(position, aim);
    if (IsA(this, ClassId::Weapon)) {
        ApproachTarget(prey);
    } else {
        const float standOff = range * kStandOffShare + prey->radius + radius;
        const Vec3 point = aim - toAim * standOff;
        if (surface < kCloseShare * range) {
            ArriveAt(point);
            TurnTowards(toAim);
        } else {
            MovingFrame frame(*this, prey);
            SteerTo(point);
        }
    }

    const float fireAngle = ShipFloat(ShipFields().fireAngle, 0.5236f);
    if (surface < range && FastAcos(Vec3::Dot(GetDir(), toAim)) <= fireAngle) fireRequest = 1;
}

void Ship::UpdateHunt() {
    World* world = GetWorld();
    if (!world) return;
    Entity* prey = world->GetEntity(target);
    if (prey && !CanSee(*this, *prey)) {
        target = kNoEntity;
        prey = nullptr;
    }
    if (MainRandom().Next() % kRepickChance == 0 || !prey) {
        const bool seeAllOfThem = owner && owner->index == 1;
        prey = world->FindNearestEnemy(handle, owner, seeAllOfThem);
        target = prey ? prey->handle : kNoEntity;
    }
    if (prey)
        UpdateAttack();
    else
        FinishOrder();
}

void Ship::UpdateAutoTarget() {
    World* world = GetWorld();
    if (world && autoAttack && ShipFlag(ShipFields().taskAutoAttack, true)) {
        Entity* prey = world->GetEntity(target);
        if (prey && !CanSee(*this, *prey)) {
            target = kNoEntity;
            prey = nullptr;
        }
        if (MainRandom().Next() % kRepickChance == 0 || !prey) {
            Entity* nearest = world->FindNearestEnemy(handle, owner, seeAll != 0);
            if (nearest && world->Distance(handle, nearest->handle) < sensorRange) {
                target = nearest->handle;
                prey = nearest;
            }
        }
        const float leash = savedOrder.state == kOrderShadow ? kShadowLeash : kLeash;
        const bool onLeash = (position - returnPoint).Length() < leash;
        if (prey && (autoPursue || onLeash)) {
            UpdateAttack();
            CarrySavedOrder();
            return;
        }
    }
    RestoreSavedOrder();
}

void Ship::CarrySavedOrder() {
    World* world = GetWorld();
    const Entity* sun = world ? world->Sun() : nullptr;
    const float dt = GetSceneClock().frameTime;
    auto orbit = [&](const Vec3& point) {
        return sun ? OrbitVelocity(*sun, point, kOrbitAxis) * dt : Vec3();
    };
    if (savedOrder.state == kOrderMove) savedOrder.movePoint += orbit(savedOrder.movePoint);
    const Entity* shadowed =
        savedOrder.state == kOrderShadow && world ? world->GetEntity(savedOrder.target) : nullptr;
    returnPoint += shadowed ? shadowed->velocity * dt : orbit(returnPoint);
    if (savedOrder.state == kOrderWaypoints) AdvanceWaypoints();
}

void Ship::UpdateTargetList() {
    World* world = GetWorld();
    if (!world) return;
    Entity* prey = world->GetEntity(target);
    if (prey && CanSee(*this, *prey) && MainRandom().Next() % kKeepTargetOdds != 0) {
        UpdateAttack();
        return;
    }
    EntityHandle nearest = kNoEntity;
    float best = kLargestDistance;
    for (EntityHandle entry : targetList) {
        if (!world->GetEntity(entry)) continue;
        const float distance = world->Distance(handle, entry);
        if (distance < best || nearest < 0) {
            best = distance;
            nearest = entry;
        }
    }
    if (nearest >= 0) {
        target = nearest;
        UpdateAttack();
        return;
    }
    targetList.clear();
    FinishOrder();
}

void Ship::UpdateShadow() {
    World* world = GetWorld();
    Entity* shadowed = world ? world->GetEntity(target) : nullptr;
    if (!shadowed || !CanSee(*this, *shadowed)) {
        FinishOrder();
        return;
    }
    if ((shadowed->position - position).Length() < kShadowNear * sensorRange) {
        MatchVelocity(shadowed->velocity);
        // A target at rest gives no heading to take.
        if (shadowed->velocity.Length() > 0.0f) TurnTowards(DirectionTo({}, shadowed->velocity));
    } else {
        ApproachTarget(shadowed);
    }
}

void Ship::AssistLeader() {
    Ship* leader = squad ? ShipOf(squad->GetLeader()) : nullptr;
    if (!leader || leader == this) return;
    World* world = GetWorld();
    if (leader->orderState == kOrderAttack || leader->orderState == kOrderHunt) {
        Entity* prey = world ? world->GetEntity(leader->target) : nullptr;
        if (prey && (prey->position - position).Length() - prey->radius < FireRange(*this)) {
            target = prey->handle;
            UpdateAttack();
            return;
        }
    }
    const int place = squad->GetFormationIndex(this);
    Vec3 offset(4.0f * radius * float(place + 1) * 0.5f, 0.0f, 0.0f);
    if ((place + 1) % 2 == 1) offset.x = -offset.x;
    leader->orientation.RotateVector(offset);
    const Vec3 point = leader->position + offset;
    if ((point - position).Length() < 2.0f * radius) {
        MatchVelocity(leader->velocity);
        TurnTowards(leader->GetDir());
    } else {
        MovingFrame frame(*this, leader);
        SteerTo(point);
    }
}

} // namespace lumivane
