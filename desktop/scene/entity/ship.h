// Ship: the base of every unit a player owns (ships, structures, weapons).
// What stands here is what the entities, the world, the scene and the
// players ask of a unit before the unit classes are written: its class
// number, the ship properties they read ("race", "sensor range", "pilot
// type", "target for enemies", "top speed", the tasks "move" and "gather",
// and the build choices "construct1".."construct10"; the block continues the
// Entity block at byte 841), its place in a squad, its order state, its
// build queue, its pilot, the per-unit record its player keeps (sensor
// chains and whether it has been given an order) and the states the world
// tests (fading out, leading a formation, the class's announcement when
// attacked). The record is the Entity record until the ship's own fields
// join it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/class_table.h"

namespace lumivane {

class Squad;

const PropDesc* ShipPropDescs();

struct ShipPropFields {
    size_t race, sensorRange, pilotType, targetForEnemies, topSpeed, taskMove, taskGather;
    size_t construct[10];
};
const ShipPropFields& ShipFields();

// Order states a unit can be in; the orders that set them come with the
// unit classes.
inline constexpr int32_t kOrderIdle = 0;
inline constexpr int32_t kOrderMove = 1;
inline constexpr int32_t kOrderFollow = 2;
inline constexpr int32_t kOrderAttack = 3;
inline constexpr int32_t kOrderHunt = 4;
inline constexpr int32_t kOrderDepart = 7;
inline constexpr int32_t kOrderAutoAttack = 12;
inline constexpr int32_t kOrderFormation = 17;
inline constexpr int32_t kOrderTargetList = 18;

inline constexpr int kBuildChoices = 10;
inline constexpr int kMaxChoiceItems = 9;
inline constexpr int kMaxBuildQueue = 100;

// The words a unit keeps for its owner's per-unit logic (14 of them).
struct UnitPlayerRecord {
    int32_t ordered = 0; // given an order by a player or the script
    int32_t timeWord = -10000;
    // The sensor chain: its head (the unit itself when alone), the units
    // before and after it.
    EntityHandle chainHead = kNoEntity;
    EntityHandle chainPrevious = kNoEntity;
    EntityHandle chainNext = kNoEntity;
    // The chain's sensor sphere, kept by the chain's head.
    Vec3 sphereCentre;
    float sphereRadius = 0.0f;
    int32_t spare[5] = {};
};

struct BuildQueueItem {
    int32_t choice = 0; // 0..9: "construct1".."construct10"
    EntityHandle site = kNoEntity;
    std::string siteNode;
    int32_t squad = 0;
};

class Ship : public Entity {
public:
    Ship();
    // Leaves the unit lists of the players while it is still a ship.
    ~Ship() override;
    Node* Clone() override;
    void InitClone(Node* source) override;
    const PropDesc* GetPropDescs() const override;
    void SetPlayer(Player* player) override;

    // 1 human, 2 and 3 the other races: explosions and damage effects.
    int32_t Race() const;
    float SensorRange() const;
    int32_t PilotType() const;
    bool TargetForEnemies() const;
    float TopSpeed() const;
    // Obeys move orders (and bounces off what it hits).
    bool CanMove() const;
    bool TaskGather() const;

    bool IsFadingOut() const { return fadeFlag != 0; }
    // Leads its squad with its formation-slot flag set.
    virtual bool LeadsFormation() const { return false; }
    // The announcement of its unit class when it is attacked; -1 for none.
    virtual int32_t DamageAnnouncement() const { return -1; }

    // --- Squads and orders ------------------------------------------------
    // With slot < 0 the unit takes the squad's first free place (false and
    // no change when it is full), else that slot; it leaves its old squad.
    bool SetSquad(Squad* newSquad, int slot);
    // A squad block of the scene-state file names the unit.
    void JoinSquadFromFile(Player* player, Squad* newSquad, int slot);
    // The order is done: the unit follows the world's Sun when there is
    // one, else it idles, and it counts as having no order.
    virtual void FinishOrder();
    void MarkOrdered() { playerRecord.ordered = 1; }
    bool IsOrdered() const { return playerRecord.ordered != 0; }
    // Attacking, hunting, auto-attacking or working a target list: a new
    // owner's unit drops its target.
    bool LosesTargetOnTransfer() const;

    // --- Sensor chains ----------------------------------------------------
    // Leaves its chain and becomes a head of its own.
    void LeaveChain();
    // Appends `other` after this unit (the chain's last) under `head`.
    void AppendToChain(Ship& other, EntityHandle head);
    // Drops chain links that name the handle.
    void ForgetLinksTo(EntityHandle gone);

    // --- Building ---------------------------------------------------------
    // The prototype name of "construct<choice + 1>", empty when unset.
    std::string_view BuildChoiceName(int choice) const;
    // The choice whose name is the prototype's (any case), or -1.
    int BuildChoiceOf(std::string_view prototype) const;
    // Queues a build: refused for a choice outside 0..9, a choice with 9
    // items queued or a queue of 100.
    virtual void AddToBuildQueue(int choice, int squadNumber, EntityHandle site,
                                 std::string_view siteNode);
    // Items queued for that prototype.
    int QueuedCount(std::string_view prototype) const;
    bool HasQueuedSite(EntityHandle site, std::string_view node) const;

    // --- Pilot ------------------------------------------------------------
    // Holds the pilot (a Pilot object); the old one is released.
    void SetPilot(Unknown* newPilot);
    // Takes a reference to the pilot model riding at "dummypilot".
    void SetPilotModel(Entity* model);

    int32_t fadeFlag = 0;
    int32_t orderState = kOrderIdle;
    EntityHandle target = kNoEntity;
    Squad* squad = nullptr;
    int32_t squadSlot = -1;
    Unknown* pilot = nullptr;
    Entity* pilotModel = nullptr;
    UnitPlayerRecord playerRecord;
    uint8_t queuedCounts[kBuildChoices] = {};
    std::vector<BuildQueueItem> buildQueue;
    int32_t building = 0;
    // A carrier's bays: units it owns and units aboard (0..8).
    int32_t bayOwned = 0;
    int32_t bayAboard = 0;

protected:
    // Copies what a clone shares; the pilot, the squad, the player record
    // and the build queue are the clone's own (empty).
    Ship(const Ship& other);

private:
    void ResetPlayerRecord();
};

// The entity as a ship, or null.
inline Ship* AsShip(Entity* entity) {
    return IsA(entity, ClassId::Ship) ? static_cast<Ship*>(entity) : nullptr;
}
inline const Ship* AsShip(const Entity* entity) {
    return IsA(entity, ClassId::Ship) ? static_cast<const Ship*>(entity) : nullptr;
}

} // namespace lumivane
