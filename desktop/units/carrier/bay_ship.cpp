// BayShip: the bay slots and their record, marking launches, the shared
// attack, recalling the craft, docking and restocking.
#include "desktop/units/carrier/bay_ship.h"

#include <memory>

#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/random_generator.h"
#include "desktop/scene/world/message.h"
#include "desktop/scene/world/message_queue.h"
#include "desktop/scene/world/world.h"
#include "desktop/units/combat/target_rules.h"
#include "platform/binary_io.h"

namespace lumivane {

namespace {

constexpr size_t kSlotBytes = 16;

int32_t Now() {
    return int32_t(GetSceneClock().gameTime);
}

} // namespace

BayShip* AsBayShip(Entity* entity) {
    return IsA(entity, ClassId::Carrier) || IsA(entity, ClassId::ATR)
               ? static_cast<BayShip*>(entity)
               : nullptr;
}

// --- Record -----------------------------------------------------------------

int BayShip::Save(platform::BinaryWriter& file, ObjectTable& table) {
    if (!Ship::Save(file, table)) return 0;
    for (const BaySlot& slot : slots) {
        file.WriteI32(slot.unit);
        file.WriteI32(slot.launchTime);
        file.WriteI32(slot.aboard);
        file.WriteI32(slot.launched);
    }
    return 1;
}

bool BayShip::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    if (!Ship::Load(file, table, version)) return false;
    if (file.Remaining() < kSlotBytes * kBaySlots) return false;
    for (BaySlot& slot : slots)
        if (!file.ReadI32(slot.unit) || !file.ReadI32(slot.launchTime) ||
            !file.ReadI32(slot.aboard) || !file.ReadI32(slot.launched))
            return false;
    // A slot without a handle gets one when its craft is next made.
    return true;
}

void BayShip::InitClone(Node* source) {
    Ship::InitClone(source);
    World* world = GetWorld();
    for (BaySlot& slot : slots) {
        slot = BaySlot();
        slot.unit = world ? world->ReserveHandle() : kNoEntity;
    }
    carried = kBaySlots;
    ownedCraft = kBaySlots;
}

// --- Slots ------------------------------------------------------------------

Entity* BayShip::SlotUnit(const BaySlot& slot) const {
    const World* world = GetWorld();
    return world ? world->GetEntity(slot.unit) : nullptr;
}

bool BayShip::PrepareSlotHandle(BaySlot& slot) {
    World* world = GetWorld();
    if (!world) return false;
    if (slot.unit >= 0) {
        const int place = SlotOf(slot.unit);
        if (place < kWorldSlots && world->IsReserved(place) && !world->SlotObject(place)) {
            slot.unit = world->StoredHandle(place);
            return true;
        }
    }
    slot.unit = world->ReserveHandle();
    return slot.unit >= 0;
}

void BayShip::CountLostCraft() {
    World* world = GetWorld();
    if (!world) return;
    for (BaySlot& slot : slots) {
        if (slot.aboard || slot.launched || slot.unit < 0 || SlotUnit(slot)) continue;
        // Let the slot's reservation go with the craft.
        if (!world->SlotObject(SlotOf(slot.unit))) world->ClearReservation(slot.unit);
        slot.unit = kNoEntity;
        if (ownedCraft > 0) --ownedCraft;
    }
}

bool BayShip::SeatCraft(Entity& craft, BaySlot& slot, Node* bayNode, Node* ownNode) {
    World* world = GetWorld();
    if (!craft.SetHandle(slot.unit)) {
        if (world) world->QueueRemove(&craft, nullptr, false);
        return false;
    }
    craft.ownerHandle = handle;
    craft.targetLinkNode = bayNode;
    craft.ownLinkNode = ownNode ? ownNode : &craft;
    craft.canCollide = 0;
    craft.UpdateLinks(0);
    return true;
}

void BayShip::ReleaseCraft(Ship& craft) {
    craft.ownerHandle = kNoEntity;
    craft.targetLinkNode = nullptr;
    craft.ownLinkNode = nullptr;
    craft.targetList.clear();
    if (orderState == kOrderAttack || orderState == kOrderHunt || orderState == kOrderAutoAttack) {
        craft.orderState = kOrderAttack;
        craft.target = target;
    } else if (orderState == kOrderTargetList) {
        craft.orderState = kOrderTargetList;
        craft.targetList = targetList;
        craft.target = kNoEntity;
    } else {
        craft.orderState = kOrderFollow;
        craft.target = kNoEntity;
    }
}

void BayShip::DockUnit(EntityHandle unit) {
    if (unit < 0) return;
    for (BaySlot& slot : slots) {
        if (slot.unit != unit) continue;
        if (!slot.aboard) {
            slot.aboard = 1;
            slot.launched = 0;
            if (carried < kBaySlots) ++carried;
        }
        return;
    }
}

int BayShip::RestockBay() {
    if (ownedCraft >= kBaySlots) return 0;
    World* world = GetWorld();
    if (!world) return 0;
    for (BaySlot& slot : slots) {
        if (slot.aboard || SlotUnit(slot)) continue;
        // The new reservation is taken before the old one is let go, so
        // the slot's handle is always a fresh one.
        const EntityHandle fresh = world->ReserveHandle();
        if (slot.unit >= 0 && !world->SlotObject(SlotOf(slot.unit)))
            world->ClearReservation(slot.unit);
        slot.unit = fresh;
        slot.aboard = 1;
        slot.launched = 0;
        if (carried < kBaySlots) ++carried;
        ++ownedCraft;
        return 1;
    }
    return 0;
}

// --- Orders and fighting ----------------------------------------------------

void BayShip::HandleMessage(Message& message) {
    if (message.Code() == order::kRecallAll) {
        auto recall = std::make_unique<Message>();
        recall->type = order::kRecall;
        for (const BaySlot& slot : slots)
            if (SlotUnit(slot)) recall->units.Append(slot.unit);
        if (!recall->units.Empty()) QueueMessage(std::move(recall), 1);
    }
    Ship::HandleMessage(message);
}

void BayShip::Fire() {
    const int32_t now = Now();
    if (now < nextFireTime) return;
    bool marked = false;
    for (BaySlot& slot : slots) {
        if (!slot.aboard || slot.launched) continue;
        slot.launched = 1;
        slot.launchTime = now + int32_t(MainRandom().Next() % uint32_t(kLaunchSpreadMs + 1));
        marked = true;
    }
    if (marked) lastFireTime = now;
}

void BayShip::UpdateAttack() {
    Entity* prey = VisibleTarget(*this, target);
    if (!prey) {
        FinishOrder();
        return;
    }
    const float range = ShipFloat(ShipFields().fireRange, 20.0f);
    if (SurfaceDistance(position, radius, prey->position, prey->radius) < range) fireRequest = 1;
    if (carried > 0) {
        SteerTo(prey->position);
        return;
    }
    // Every craft is out: keep clear of the fight, orbiting as an idle unit
    // would, and take the order up again next frame.
    const int32_t keptState = orderState;
    const EntityHandle keptTarget = target;
    FinishOrder();
    UpdateFollow();
    orderState = keptState;
    target = keptTarget;
}

} // namespace lumivane
