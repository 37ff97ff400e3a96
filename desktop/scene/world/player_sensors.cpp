// Player: what a player sees. Its units are linked into sensor chains whose
// heads keep the chain's sensor sphere; the spheres become the player's
// sensor points, and an entity inside one is known to the player.
#include <algorithm>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/entity/entity_props.h"
#include "desktop/scene/entity/unit.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/node.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/scene/world/world.h"

namespace lumivane {

namespace {

constexpr uint32_t kSightingGapMs = 30000;
constexpr uint32_t kChainMaintenanceFrames = 10;
constexpr uint32_t kVisibilityFrames = 6;

Unit* ResolveUnit(EntityHandle handle) {
    const World* world = GetWorld();
    return world ? AsUnit(world->GetEntity(handle)) : nullptr;
}

float Between(const Vec3& a, const Vec3& b) {
    return (a - b).Length();
}

// S1 grown until it holds S2 (the smallest sphere through both far ends).
SensorPoint Grow(const SensorPoint& s1, const SensorPoint& s2) {
    Vec3 d = s2.centre - s1.centre;
    d.Normalize();
    const Vec3 far2 = s2.centre + d * s2.radius;
    if (Between(s1.centre, far2) < s1.radius) return s1;
    const Vec3 far1 = s1.centre - d * s1.radius;
    if (Between(s2.centre, far1) < s2.radius) return s2;
    SensorPoint grown;
    grown.centre = (far1 + far2) * 0.5f;
    grown.radius = Between(grown.centre, far1);
    return grown;
}

SensorPoint OwnSphere(const Unit& unit) {
    return {unit.position, unit.SensorRange()};
}

} // namespace

void Player::OnEntityJoined(Entity* entity) {
    if (!entity || index >= kPlayerCount) return;
    const int32_t previous = entity->identification[index];
    bool known = entity->owner == this ||
                 (entity->props && entity->props->Flag(EntityFields().alwaysIdentified));
    if (!known) {
        for (const SensorPoint& point : sensorPoints) {
            if (Between(entity->position, point.centre) <= point.radius) {
                known = true;
                break;
            }
        }
    }
    entity->identification[index] = known ? kKnown : 0;
    if (!known || !IsLocal()) return;
    if (std::find(visible.begin(), visible.end(), entity) == visible.end())
        visible.push_back(entity);
    AnnounceSighting(*entity, previous);
}

void Player::AnnounceSighting(const Entity& entity, int32_t previousState) {
    if (previousState == kKnown) return;
    const Unit* unit = AsUnit(&entity);
    if (!unit || IsA(unit, ClassId::Weapon) || !unit->owner || unit->owner == this ||
        unit->IsOrdered() || unit->ownerHandle >= 0)
        return;
    const bool hostile = unit->owner->CountsAsEnemy(index);
    const int slot = hostile ? 0 : 1;
    uint32_t& last = hostile ? lastEnemySighted : lastAllySighted;
    const uint32_t now = GetSceneClock().gameTime;
    if (!sightedEver[slot] || now - last >= kSightingGapMs) {
        const AnnouncementSounds& sounds = GetAnnouncementSounds();
        QueueAnnouncement(hostile ? sounds.enemySighted : sounds.allySighted);
    }
    sightedEver[slot] = true;
    last = now;
}

void Player::UpdateUnits() {
    DropDeadLinks();
    const uint32_t frame = GetSceneClock().frame;
    const bool maintain = frame % kChainMaintenanceFrames == 0 || GetLoopHooks().paused;
    RebuildChainSpheres(maintain);
    RebuildSensorPoints();
    if ((frame + index) % kVisibilityFrames == 0 || frame < 2) RunVisibility();
}

void Player::DropDeadLinks() {
    for (Unit* unit : units) {
        UnitPlayerRecord& record = unit->playerRecord;
        if (!ResolveUnit(record.chainHead)) record.chainHead = unit->handle;
        if (!ResolveUnit(record.chainPrevious)) record.chainPrevious = kNoEntity;
        if (!ResolveUnit(record.chainNext)) record.chainNext = kNoEntity;
    }
}

void Player::RebuildChainSpheres(bool maintain) {
    // Every walk is bounded by the unit count, so a damaged chain (a cycle
    // from a file) ends the walk instead of looping.
    const size_t bound = units.size();
    const std::vector<Unit*> snapshot = units;
    for (Unit* head : snapshot) {
        if (ResolveUnit(head->playerRecord.chainPrevious)) continue;
        head->playerRecord.chainHead = head->handle;
        SensorPoint sphere = OwnSphere(*head);
        std::vector<Unit*> chain{head};
        Unit* member = ResolveUnit(head->playerRecord.chainNext);
        for (size_t steps = 0; member && steps < bound; ++steps) {
            Unit* next = ResolveUnit(member->playerRecord.chainNext);
            if (maintain && Between(member->position, sphere.centre) > sphere.radius) {
                // An outlier stays only while an earlier member is within
                // its own sensor range.
                bool bridged = false;
                for (const Unit* earlier : chain)
                    bridged = bridged ||
                              Between(earlier->position, member->position) <= member->SensorRange();
                if (!bridged) {
                    member->LeaveChain();
                    member->playerRecord.sphereCentre = member->position;
                    member->playerRecord.sphereRadius = member->SensorRange();
                    member = next;
                    continue;
                }
            }
            member->playerRecord.chainHead = head->handle;
            sphere = Grow(sphere, OwnSphere(*member));
            chain.push_back(member);
            member = next;
        }
        if (maintain) {
            for (Unit* other : units) {
                if (chain.size() > bound) break;
                if (std::find(chain.begin(), chain.end(), other) != chain.end()) continue;
                if (Between(other->position, sphere.centre) > sphere.radius) continue;
                other->LeaveChain();
                chain.back()->AppendToChain(*other, head->handle);
                chain.push_back(other);
                sphere = Grow(sphere, OwnSphere(*other));
            }
        }
        head->playerRecord.sphereCentre = sphere.centre;
        head->playerRecord.sphereRadius = sphere.radius;
    }
}

void Player::RebuildSensorPoints() {
    sensorPoints.clear();
    for (const Unit* unit : units) {
        if (sensorPoints.size() == size_t(kMaxPlayerUnits)) break;
        if (ResolveUnit(unit->playerRecord.chainPrevious)) continue;
        sensorPoints.push_back({unit->playerRecord.sphereCentre, unit->playerRecord.sphereRadius});
    }
}

void Player::RunVisibility() {
    const World* world = GetWorld();
    if (!world) return;
    if (IsLocal()) visible.clear();
    for (int i = 0; i < world->EntityCount(); ++i)
        OnEntityJoined(world->EntityAt(i));
}

} // namespace lumivane
