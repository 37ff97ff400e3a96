// The rules by which a unit judges a target: whether its side knows it
// (or the unit or the display sees everything), whether the target's side
// still counts the unit's side as an enemy, and how far apart their
// surfaces are.
#pragma once

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/scene/world/world.h"

namespace lumivane {

inline bool CanSee(const Entity& unit, const Entity& target) {
    if (unit.seeAll || GetDisplayState().revealAll) return true;
    const Player* side = unit.owner;
    return side && side->index < kIdentifiedPlayers && target.identification[side->index] == kKnown;
}

// False once the target's side no longer counts the unit's side as an
// enemy; a target or unit of no side is fair game.
inline bool StillHostile(const Entity& unit, const Entity& target) {
    if (!unit.owner || !target.owner) return true;
    return target.owner->CountsAsEnemy(unit.owner->index);
}

// The unit's target while it lives; one its side cannot see is dropped
// (the handle cleared) and null answered.
inline Entity* VisibleTarget(const Entity& unit, EntityHandle& target) {
    const World* world = GetWorld();
    Entity* prey = world ? world->GetEntity(target) : nullptr;
    if (prey && !CanSee(unit, *prey)) {
        target = kNoEntity;
        prey = nullptr;
    }
    return prey;
}

inline float SurfaceDistance(const Vec3& from, float ownRadius, const Vec3& to, float theirRadius) {
    return (to - from).Length() - ownRadius - theirRadius;
}

} // namespace lumivane
