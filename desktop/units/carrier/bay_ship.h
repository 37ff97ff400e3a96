// BayShip: what the two carrying classes share (the Carrier with its
// fighters and the ATR with its marines). Eight bay slots, each holding a
// reserved world handle for its craft and whether the craft is aboard and
// marked for launch; Fire marks every craft aboard for a launch within two
// seconds, the shared attack closes in while craft are aboard and holds an
// orbit once all are out, order 33 recalls the craft, craft dock back into
// their slot and a utility pod restocks slots whose craft were lost. The
// carried count is the craft aboard, the owned count the craft the unit has
// (aboard or out); both start at 8.
#pragma once

#include <cstdint>

#include "desktop/units/ship/ship.h"

namespace lumivane {

inline constexpr int kBaySlots = 8;
// Fire spreads the launches over this many milliseconds (inclusive).
inline constexpr int32_t kLaunchSpreadMs = 2000;

struct BaySlot {
    EntityHandle unit = kNoEntity; // reserved for the craft of this slot
    int32_t launchTime = 0;
    int32_t aboard = 1;
    int32_t launched = 0; // marked for launch, not yet released
};

class BayShip : public Ship {
public:
    int Save(platform::BinaryWriter& file, ObjectTable& table) override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    void InitClone(Node* source) override;
    void HandleMessage(Message& message) override;
    // Marks every craft aboard for launch, each at a random moment of the
    // next two seconds.
    void Fire() override;
    void UpdateAttack() override;

    // The craft of `unit` is back aboard. Only a slot that really turns
    // aboard raises the carried count.
    void DockUnit(EntityHandle unit);
    // A utility pod's restock: while fewer than 8 craft are owned, the
    // first slot not aboard whose craft is dead gets a fresh handle and a
    // craft aboard; 0 when there is nothing to restock.
    int RestockBay() override;

    BaySlot slots[kBaySlots];

protected:
    BayShip() = default;
    BayShip(const BayShip& other) = default;

    // The craft of the slot when it is in the world, else null.
    Entity* SlotUnit(const BaySlot& slot) const;
    // The slot's handle made current for a craft about to be made (a slot
    // whose craft docked keeps its reservation under a new generation);
    // false when no handle can be had.
    bool PrepareSlotHandle(BaySlot& slot);
    // A craft of a slot that is neither aboard nor waiting to launch has
    // been lost when it no longer lives: the owned count drops once and the
    // slot forgets the handle.
    void CountLostCraft();
    // The spawned craft takes the slot's handle and rides the node; false
    // (the craft queued for removal) when the handle cannot be taken.
    bool SeatCraft(Entity& craft, BaySlot& slot, Node* bayNode, Node* ownNode);
    // Detaches the craft and gives it the carrier's fight (or a follow).
    void ReleaseCraft(Ship& craft);
};

// The unit as a Carrier or ATR, or null.
BayShip* AsBayShip(Entity* entity);

} // namespace lumivane
