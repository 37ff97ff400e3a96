// The war scenes' shared pieces: fleets, scripted orders, computer players.
#include "tools/databuilder/lumivane/lumivane_war_scene.h"

#include <cstdio>
#include <string>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/standalone_scene.h"
#include "desktop/scene/world/trigger_action.h"
#include "desktop/scene/world/world.h"
#include "tools/databuilder/lumivane/lumivane_triggers.h"

namespace databuilder {

using namespace lumivane;

namespace {

constexpr int32_t kWarTriggerId = 26;

} // namespace

Entity* FleetBuilder::Spawn(const char* prototype, Vec3 at, int player) {
    SpawnRecord record;
    record.position = at;
    record.player = player;
    Entity* made = scene.SpawnByName(prototype, record);
    if (!made) {
        std::fprintf(stderr, "%s: cannot place %s\n", step, prototype);
        ok = false;
    }
    return made;
}

std::vector<EntityHandle> FleetBuilder::Fleet(std::span<const PlacedUnit> units, int player,
                                              Quat facing) {
    std::vector<EntityHandle> handles;
    for (const PlacedUnit& placed : units)
        if (Entity* unit = Spawn(placed.prototype, placed.at, player)) {
            unit->orientation = facing;
            unit->PlaceLocalMatrix();
            handles.push_back(unit->handle);
        }
    world.JoinPending();
    return handles;
}

void AddOrder(Scene& scene, const char* name, int32_t id, uint32_t delayMs, int32_t type,
              std::vector<EntityHandle> units, EntityHandle target) {
    auto trigger = DelayTrigger(name, id, delayMs);
    TriggerAction& action = AddAction(*trigger, type);
    action.handles = std::move(units);
    action.values = {target};
    scene.AddTrigger(std::move(trigger));
}

void AddComputerPlayer(Scene& scene, int32_t id, int player, int level) {
    auto trigger = DelayTrigger("computer player", id, 0);
    TriggerAction& action = AddAction(*trigger, action::kComputerPlayer);
    action.values = {player};
    action.text = kAILevelNames[level];
    scene.AddTrigger(std::move(trigger));
}

void AddWar(Scene& scene, int32_t id, int west, int east) {
    auto trigger = DelayTrigger("war", id, 0);
    TriggerAction& action = AddAction(*trigger, action::kEnemies);
    action.values.assign(size_t(kPlayerCount * kPlayerCount), 0);
    action.values[size_t(west * kPlayerCount + east)] = 1;
    action.values[size_t(east * kPlayerCount + west)] = 1;
    scene.AddTrigger(std::move(trigger));
}

bool UnitsKeepApart(const World& world, const char* step) {
    struct Placed {
        const Entity* unit;
        float reach;
    };
    std::vector<Placed> units;
    for (int i = 0; i < world.EntityCount(); ++i) {
        // Parts of a station ride on its core, placed by their links.
        const Entity* unit = world.EntityAt(i);
        if (IsA(unit, ClassId::Ship) && !IsA(unit, ClassId::Weapon) && unit->canCollide &&
            unit->ownerHandle == kNoEntity)
            units.push_back({unit, unit->PropFloat("main bound scale") * unit->radius});
    }
    bool apart = true;
    for (size_t i = 0; i < units.size(); ++i)
        for (size_t j = i + 1; j < units.size(); ++j) {
            const Placed& a = units[i];
            const Placed& b = units[j];
            const float distance = (a.unit->position - b.unit->position).Length();
            if (distance >= a.reach + b.reach) continue;
            const Vec3& p = a.unit->position;
            std::fprintf(stderr, "%s: %s at (%g, %g, %g) is placed %g from %s, closer than %g\n",
                         step, std::string(a.unit->Name()).c_str(), p.x, p.y, p.z, distance,
                         std::string(b.unit->Name()).c_str(), a.reach + b.reach);
            apart = false;
        }
    return apart;
}

void OpenWar(lumivane::StandaloneScene& war, FleetBuilder& build, int west, int east, int level) {
    for (int side : {west, east}) {
        war.players[side]->enemy[side == west ? east : west] = 1;
        AddComputerPlayer(war.scene, 27 + side, side, level);
    }
    AddWar(war.scene, kWarTriggerId, west, east);
    build.Spawn("Sky", {}, -1); // the star backdrop comes first
    build.Spawn("Sun", {}, -1);
    build.Spawn("Sunlight", {}, -1);
    war.world.JoinPending();
}

} // namespace databuilder
