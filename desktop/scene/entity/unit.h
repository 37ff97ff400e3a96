// Unit: what the scene engine knows of a ship, the base of every unit a
// player owns. The world, the players, their squads, the triggers and the
// command interface keep their books on a unit here (owner's record, squad
// place, order state and target) and ask it the few questions and give it
// the few commands of this class; the ship classes of the unit library
// implement them. The scene engine never names a ship class itself.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/class_table.h"

namespace lumivane {

class Squad;
struct WormholeSpawn;

// Order states; the unit library names the handler of each.
inline constexpr int32_t kOrderIdle = 0;
inline constexpr int32_t kOrderMove = 1;
inline constexpr int32_t kOrderFollow = 2;
inline constexpr int32_t kOrderAttack = 3;
inline constexpr int32_t kOrderHunt = 4;
inline constexpr int32_t kOrderNone = 5;
inline constexpr int32_t kOrderAssist = 6;
inline constexpr int32_t kOrderDepart = 7;
inline constexpr int32_t kOrderNodeApproach = 8;
inline constexpr int32_t kOrderGather = 9;
inline constexpr int32_t kOrderClassState10 = 10;
inline constexpr int32_t kOrderClassState11 = 11;
inline constexpr int32_t kOrderAutoAttack = 12;
inline constexpr int32_t kOrderRepair = 13;
inline constexpr int32_t kOrderClassState14 = 14;
inline constexpr int32_t kOrderScrap = 15;
inline constexpr int32_t kOrderShadow = 16;
inline constexpr int32_t kOrderFormation = 17;
inline constexpr int32_t kOrderTargetList = 18;
inline constexpr int32_t kOrderWaypoints = 19;

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

class Unit : public Entity {
public:
    // Leaves the unit lists of the players and its squad.
    ~Unit() override;

    // --- What the scene asks ------------------------------------------------
    // 1 human, 2 and 3 the other races: explosions, damage effects, fades.
    virtual int32_t Race() const = 0;
    // The "sensor range" property (the sensor chains' sphere).
    virtual float SensorRange() const = 0;
    // The "target for enemies" flag: enemies pick it, and it counts when
    // triggers ask whether a side is beaten.
    virtual bool TargetForEnemies() const = 0;
    virtual float TopSpeed() const = 0;
    // Obeys move orders (and bounces off what it hits).
    virtual bool CanMove() const = 0;
    // The "task: gather" flag: a gatherer never counts as idle.
    virtual bool TaskGather() const = 0;
    // Leads its squad with a formation kind set (it then flies slower).
    virtual bool LeadsFormation() const = 0;
    // The announcement of its unit class when it is attacked; -1 for none.
    virtual int32_t DamageAnnouncement() const = 0;
    virtual bool IsFadingOut() const = 0;
    // The pips the head-up display shows: craft the unit owns, and units
    // or cargo aboard.
    virtual int32_t OwnedCraftCount() const = 0;
    virtual int32_t CarriedCount() const = 0;
    // Building a unit now.
    virtual bool IsBuilding() const = 0;
    // The build choice whose name is the prototype's (any case), or -1.
    virtual int BuildChoiceOf(std::string_view prototype) const = 0;
    // Items queued for that prototype.
    virtual int QueuedCount(std::string_view prototype) const = 0;
    // An item is queued for that site and node (any case).
    virtual bool HasQueuedSite(EntityHandle site, std::string_view node) const = 0;
    // Attacking, hunting, auto-attacking or working a target list: a new
    // owner's unit drops its target.
    bool LosesTargetOnTransfer() const;

    // --- What the scene commands --------------------------------------------
    // Refused for a choice outside 0..9, a choice with 9 items queued or a
    // queue of 100.
    virtual void AddToBuildQueue(int choice, int squadNumber, EntityHandle site,
                                 std::string_view siteNode) = 0;
    // Orbits the world's Sun when there is one, else idles.
    virtual void FinishOrder() = 0;
    // With slot < 0 the unit takes the squad's first free place (false and
    // no change when it is full), else that slot; it leaves its old squad.
    virtual bool SetSquad(Squad* newSquad, int slot) = 0;
    // A squad block of the scene-state file names the unit.
    virtual void JoinSquadFromFile(Player* player, Squad* newSquad, int slot) = 0;
    // A scene spawned the unit: it takes the crew its class carries.
    virtual void TakeCrew() = 0;
    // Units that carry settlers take the arrivals of a passage action
    // (appended to theirs); the others ignore them.
    virtual void AddSpawns(std::span<const WormholeSpawn> arrivals) { (void)arrivals; }

    void MarkOrdered() { playerRecord.ordered = 1; }
    bool IsOrdered() const { return playerRecord.ordered != 0; }

    // --- Sensor chains ------------------------------------------------------
    // Leaves its chain and becomes a head of its own.
    void LeaveChain();
    // Appends `other` after this unit (the chain's last) under `head`.
    void AppendToChain(Unit& other, EntityHandle head);
    // Drops chain links that name the handle.
    void ForgetLinksTo(EntityHandle gone);

    // --- The scene's books on the unit --------------------------------------
    Squad* squad = nullptr;
    int32_t squadSlot = -1;
    int32_t orderState = kOrderIdle;
    EntityHandle target = kNoEntity;
    UnitPlayerRecord playerRecord;

protected:
    Unit() = default;
    // A clone keeps the order state and target; the squad and the record
    // are its own.
    Unit(const Unit& other) : Entity(other), orderState(other.orderState), target(other.target) {}
};

// The entity as a unit, or null.
inline Unit* AsUnit(Entity* entity) {
    return IsA(entity, ClassId::Ship) ? static_cast<Unit*>(entity) : nullptr;
}
inline const Unit* AsUnit(const Entity* entity) {
    return IsA(entity, ClassId::Ship) ? static_cast<const Unit*>(entity) : nullptr;
}

// What the unit library does when a new scene (not a restored state)
// starts; set with its classes at start-up, nothing until then.
using SceneStartHook = void (*)();
void SetUnitSceneStartHook(SceneStartHook hook);
void RunUnitSceneStartHook();

} // namespace lumivane
