// Player: one of the application's six sides. A player owns units, groups
// them into ten squads, keeps a resource counter, knows which players are
// its enemies and which prototypes it may build, tracks what it can see
// through the sensor chains of its units, and, as a computer player, decides
// builds and orders by itself. The local player is the user's side.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/vec3.h"
#include "desktop/scene/world/entity_handle.h"
#include "desktop/scene/world/squad.h"

namespace platform {
class BinaryReader;
class BinaryWriter;
} // namespace platform

namespace lumivane {

class Entity;
class Node;
class ObjectTable;
class Unit;
class Unknown;

inline constexpr int kPlayerCount = 6;
inline constexpr int kMaxPlayerUnits = 200;
inline constexpr int kMaxAILevel = 6;
inline constexpr float kMaxResources = 99999.0f;
// Visibility state of an entity for a player: known.
inline constexpr int32_t kKnown = 2;

// Colours of players as the local player sees them.
inline constexpr uint32_t kLocalColour = 0xff00c800;
inline constexpr uint32_t kEnemyColour = 0xffff4040;
inline constexpr uint32_t kNeutralColour = 0xff808080;

// The names of the computer player's levels; the index is the level.
extern const char* const kAILevelNames[kMaxAILevel + 1];

struct BuildChoice {
    static constexpr size_t kNameSize = 32;
    std::string name;
    int32_t weight = 1;
};

struct SensorPoint {
    Vec3 centre;
    float radius = 0.0f;
};

class Player {
public:
    explicit Player(int playerIndex);
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Back to a new scene's state: enemies and build list as made, human.
    int Reset();
    // The level of a name of the level table (any case); 0 when unknown.
    int SetAIByName(std::string_view name);
    // The colour of `player` as the local player sees it.
    static uint32_t GetColor(const Player* player);

    void AddResources(float amount);
    // 1 when the amount could be paid.
    int SpendResources(float amount);
    void SetBuildList(const std::vector<std::string>& names, const std::vector<int32_t>& weights);
    bool CanBuild(const Node* prototype) const;
    // A unit that is not building and can build the prototype; null when
    // none can.
    Unit* FindBuilder(std::string_view prototype);
    bool IsBuilding() const;

    // False when the unit is held already or 200 are.
    bool AddUnit(Unit* unit);
    void RemoveUnit(Unit* unit, bool promoteLeader);
    void RemoveVisible(Entity* entity);
    // Removes the hubs (with a) and the other units but structures (with
    // b): queued for removal at once with a flag, else exploding. Answers
    // the unit count.
    int DestroyUnits(bool a, bool b);
    bool CountsAsEnemy(int playerIndex) const;
    // The squad of that number (taken mod 10); null for a negative number.
    Squad* SquadAt(int32_t number);
    // Units that are not structures, do not gather and have no order.
    std::vector<Unit*> IdleUnits() const;

    // Works out whether this player knows a new (or moving) entity.
    void OnEntityJoined(Entity* entity);
    // The per-frame pass over the units, run by the world.
    void UpdateUnits();
    // The per-frame logic: squad keys for the local player, the computer
    // player for the others.
    void Update();
    void OrderBuild(std::string_view prototype);
    void EnsureUnitCount(int classId, int minimum);

    void Save(platform::BinaryWriter& file, ObjectTable& table) const;
    // False for a damaged block. Outside a restored state the resources
    // start at 0 and the level as it was.
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version, bool restoring);

    uint8_t index;
    std::vector<Unit*> units;
    Squad squads[kSquadCount];
    int32_t furtherValue = 0;
    int32_t lastSquadKey = -1;
    uint32_t lastSquadKeyTime = 0;
    int32_t blockValue = 0; // the second word after the squads, kept
    float resources = 0.0f;
    int32_t warningLevel = 1;
    int32_t enemy[kPlayerCount] = {};
    int32_t aiLevel = 0;
    std::vector<BuildChoice> buildList;
    std::vector<SensorPoint> sensorPoints;
    std::vector<Entity*> visible; // what the local player sees
    uint32_t lastEnemySighted = 0;
    uint32_t lastAllySighted = 0;
    bool sightedEver[2] = {false, false};
    // Game clock of the last damage alert, for structures and per unit class.
    int64_t lastStructureAlert = kNeverAlerted;
    int64_t lastClassAlert[kClassCount];

    static constexpr int64_t kNeverAlerted = INT64_MIN / 2;

private:
    void MakeDefaultEnemies();
    void MakeDefaultBuildList();
    bool IsLocal() const;
    void UpdateSquadKeys();
    void UpdateComputer();
    void OrderRandomBuild();
    void GiveComputerOrders();
    // Sensor chains and what the player sees.
    void DropDeadLinks();
    void RebuildChainSpheres(bool maintain);
    void RebuildSensorPoints();
    void RunVisibility();
    void AnnounceSighting(const Entity& entity, int32_t previousState);
    bool FindBuildSite(Unit& builder, EntityHandle& site, std::string& node);
};

// The application's players; null entries until they are made.
struct PlayerRoster {
    Player* players[kPlayerCount] = {};
    Player* local = nullptr;
};

PlayerRoster& GetPlayers();

// Owns the application's six players: makes and registers them (player
// `local` the local one) and unregisters them when it goes.
class PlayerSet {
public:
    explicit PlayerSet(int local = 0);
    ~PlayerSet();
    PlayerSet(const PlayerSet&) = delete;
    PlayerSet& operator=(const PlayerSet&) = delete;

    std::unique_ptr<Player>& operator[](int index) { return players[size_t(index)]; }
    auto begin() { return players.begin(); }
    auto end() { return players.end(); }

private:
    std::array<std::unique_ptr<Player>, kPlayerCount> players;
};

Player* PlayerAt(int index);             // null outside 0..5
int PlayerIndexOf(const Player* player); // -1 for none

// A unit of a player or squad block: a reference to a unit of the world
// section. Anything else (a new object, a unit the world does not hold) is
// refused and discarded.
Unit* ReadPlayerUnit(platform::BinaryReader& file, ObjectTable& table, uint32_t version);

} // namespace lumivane
