// World: distances and the nearest-entity searches.
#include <cmath>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/entity/unit.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/scene/world/world.h"

namespace lumivane {

namespace {

bool KnownTo(const Entity& entity, const Player* player) {
    return GetDisplayState().revealAll ||
           (player->index < kIdentifiedPlayers && entity.identification[player->index] == kKnown);
}

bool InsideSceneBounds(const Vec3& p) {
    const SceneBounds& bounds = GetSceneBounds();
    return std::fabs(p.y) < bounds.heightLimit && std::sqrt(p.x * p.x + p.z * p.z) < bounds.radius;
}

} // namespace

float World::Distance(EntityHandle a, EntityHandle b) const {
    const Entity* to = GetEntity(b);
    if (!to) return kLargestDistance;
    if (a == 0) return (to->position - CurrentCameraPose().position).Length();
    const Entity* from = GetEntity(a);
    if (!from) return kLargestDistance;
    return (to->position - from->position).Length();
}

Entity* World::FindNearest(EntityHandle from, const Player* player, int classId) const {
    const Entity* self = GetEntity(from);
    float best = kLargestDistance;
    Entity* nearest = nullptr;
    for (int i = 0; i < EntityCount(); ++i) {
        Entity* candidate = EntityAt(i);
        if (!candidate || candidate == self) continue;
        const float score = Distance(from, candidate->handle) - candidate->radius;
        if (!(score < best) || !IsA(candidate, classId)) continue;
        if (player && !KnownTo(*candidate, player)) continue;
        if (!InsideSceneBounds(candidate->position)) continue;
        best = score;
        nearest = candidate;
    }
    return nearest;
}

Entity* World::FindNearestUnitOf(EntityHandle from, const Player* player, int classId) const {
    if (!player) return nullptr;
    float best = kLargestDistance;
    Entity* nearest = nullptr;
    for (Unit* unit : player->units) {
        if (!unit || unit->handle == from || !IsA(unit, classId)) continue;
        const float distance = Distance(from, unit->handle);
        if (distance < best) {
            best = distance;
            nearest = unit;
        }
    }
    return nearest;
}

Entity* World::FindNearestEnemy(EntityHandle from, const Player* player, bool seeAll) const {
    if (!player) return nullptr;
    float best = kLargestDistance;
    EntityHandle winner = kNoEntity;
    for (int i = 0; i < kPlayerCount; ++i) {
        const Player* side = PlayerAt(i);
        if (!side || !player->CountsAsEnemy(i)) continue;
        for (const Unit* unit : side->units) {
            if (!unit) continue;
            const float distance = Distance(from, unit->handle);
            if (!(distance < best) || !unit->TargetForEnemies()) continue;
            if (!seeAll && !KnownTo(*unit, player)) continue;
            best = distance;
            winner = unit->handle;
        }
    }
    return GetEntity(winner);
}

} // namespace lumivane
