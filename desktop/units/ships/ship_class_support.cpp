// The helpers the ship classes share.
#include "desktop/units/ships/ship_class_support.h"

#include <cstdio>

#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/node.h"
#include "desktop/scene/world/world.h"
#include "desktop/units/combat/target_rules.h"
#include "desktop/units/ship_base/node_pose.h"
#include "desktop/units/ship_base/ship.h"
#include "desktop/units/ship_base/steering_math.h"

namespace lumivane {

int32_t GameNow() {
    return int32_t(GetSceneClock().gameTime);
}

int64_t SinceStamp(int32_t stamp) {
    return int64_t(GetSceneClock().gameTime) - int64_t(stamp);
}

std::string NumberedName(const char* format, int number) {
    char name[32];
    std::snprintf(name, sizeof name, format, number);
    return name;
}

Node* FindNumberedNode(Node& root, const char* format, int number) {
    return root.FindByName(NumberedName(format, number));
}

void TurnEngineNode(Node* node, float aboutX, float aboutY) {
    if (!node) return;
    PoseNode(node, AxisAngle(kAxisY, aboutY) * AxisAngle(kAxisX, aboutX));
}

Entity* FightableTarget(Ship& ship) {
    World* world = GetWorld();
    Entity* prey = world ? world->GetEntity(ship.target) : nullptr;
    if (prey && CanSee(ship, *prey) && StillHostile(ship, *prey)) return prey;
    ship.target = kNoEntity;
    return nullptr;
}

void KeepStandOff(Ship& ship, const Entity& target) {
    constexpr float kHoldRadii = 4.0f;
    const Vec3 toTarget = DirectionTo(ship.position, target.position);
    const float range = ship.ShipFloat(ShipFields().fireRange, 20.0f);
    const Vec3 point = target.position - toTarget * (0.5f * range + ship.radius + target.radius);
    if ((point - ship.position).Length() < kHoldRadii * ship.radius) {
        ship.ArriveAt(point);
        ship.TurnTowards(toTarget);
    } else {
        ship.SteerTo(point);
    }
}

} // namespace lumivane
