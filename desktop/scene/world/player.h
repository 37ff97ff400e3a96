// Player: one of the application's six sides, as far as the world and the
// entities need one: its index, its units, the players it counts as enemies,
// what the local player sees and when it was last alerted. Squads, sensors,
// resources and the computer player grow here later; until then a player
// knows only its own units and the entities marked "always identified".
#pragma once

#include <cstdint>
#include <vector>

#include "desktop/scene/object/class_table.h"

namespace lumivane {

class Entity;
class Ship;

inline constexpr int kPlayerCount = 6;
inline constexpr int kMaxPlayerUnits = 200;
// Visibility state of an entity for a player: known.
inline constexpr int32_t kKnown = 2;

class Player {
public:
    explicit Player(int playerIndex);
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Works out whether this player knows a new (or moving) entity.
    void OnEntityJoined(Entity* entity);
    // The per-frame pass over the units, run by the world.
    void UpdateUnits();
    // False when the unit is held already or 200 are.
    bool AddUnit(Ship* unit);
    void RemoveUnit(Ship* unit, bool promoteLeader);
    void RemoveVisible(Entity* entity);
    bool CountsAsEnemy(int playerIndex) const;

    uint8_t index;
    std::vector<Ship*> units;
    int32_t enemy[kPlayerCount] = {};
    std::vector<Entity*> visible; // what the local player sees
    // Game clock of the last damage alert, for structures and per unit class.
    int64_t lastStructureAlert = kNeverAlerted;
    int64_t lastClassAlert[kClassCount];

    static constexpr int64_t kNeverAlerted = INT64_MIN / 2;
};

// The application's players; null entries until they are made.
struct PlayerRoster {
    Player* players[kPlayerCount] = {};
    Player* local = nullptr;
};

PlayerRoster& GetPlayers();
Player* PlayerAt(int index);             // null outside 0..5
int PlayerIndexOf(const Player* player); // -1 for none

} // namespace lumivane
