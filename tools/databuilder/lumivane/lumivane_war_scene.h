// What the data builder's war scenes share (the battle and the armada):
// fleets placed for a player facing the enemy, orders given by the script
// after a delay, and computer players that send every idle unit to fight.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "desktop/scene/object/vec3.h"
#include "desktop/scene/world/entity_handle.h"

namespace lumivane {
class Entity;
class Scene;
class StandaloneScene;
class World;
} // namespace lumivane

namespace databuilder {

struct PlacedUnit {
    const char* prototype;
    lumivane::Vec3 at;
};

struct FleetBuilder {
    lumivane::Scene& scene;
    lumivane::World& world;
    const char* step; // names the step in messages
    bool ok = true;

    // The prototype placed for `player` (-1 none); a prototype that cannot
    // be placed is reported and spoils the build.
    lumivane::Entity* Spawn(const char* prototype, lumivane::Vec3 at, int player);
    // Every unit placed facing `facing`, joined to the world; their handles.
    std::vector<lumivane::EntityHandle> Fleet(std::span<const PlacedUnit> units, int player,
                                              lumivane::Quat facing);
};

// A trigger that gives the units an order of `type` at `target` after `delayMs`.
void AddOrder(lumivane::Scene& scene, const char* name, int32_t id, uint32_t delayMs, int32_t type,
              std::vector<lumivane::EntityHandle> units, lumivane::EntityHandle target);

// Makes the player a computer player of the given level (0..) at the start.
void AddComputerPlayer(lumivane::Scene& scene, int32_t id, int player, int level);

// Sets the two players at war with each other (and no other pair) at the
// start. A scene's start resets every player's enemies to the first two
// players', so a war between others must be declared by the script.
void AddWar(lumivane::Scene& scene, int32_t id, int west, int east);

// Reports every two units of the world placed so close that their hulls, as
// the collision pass sizes them, reach into each other: units only push
// apart when they close on each other, so two placed inside each other
// would fly on inside each other. True when none are.
bool UnitsKeepApart(const lumivane::World& world, const char* step);

// Sets two sides at war, each a computer player of `level`, on the star
// backdrop with the Sun and its light.
void OpenWar(lumivane::StandaloneScene& war, FleetBuilder& build, int west, int east, int level);

} // namespace databuilder
