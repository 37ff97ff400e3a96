// The war scenes' shared pieces: fleets, scripted orders, computer players.
#include "tools/databuilder/lumivane_war_scene.h"

#include <cstdio>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/standalone_scene.h"
#include "desktop/scene/world/trigger_action.h"
#include "desktop/scene/world/world.h"
#include "tools/databuilder/lumivane_triggers.h"

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
