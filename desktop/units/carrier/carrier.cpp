// Carrier and ATR: binding their nodes and making, seating and releasing
// the craft of the slots marked for launch.
#include "desktop/units/carrier/carrier.h"

#include <string>

#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/scene/world/world.h"
#include "desktop/units/carrier/craft.h"

namespace lumivane {

namespace {

constexpr const char* kCarrierThrustNames[kCarrierThrustNodes] = {"llthrust", "ulthrust",
                                                                  "lrthrust", "urthrust"};
constexpr const char* kATRThrustNames[kATRThrustNodes] = {"llthrust", "ulthrust", "lrthrust",
                                                          "urthrust", "thrustbrake"};

int32_t Now() {
    return int32_t(GetSceneClock().gameTime);
}

std::string Numbered(const char* stem, int n) {
    return stem + std::to_string(n);
}

// The door of bay n opens for as long as its craft is being made.
void OpenBayDoor(Entity& unit, int n) {
    if (!unit.sequencer) return;
    const std::string door = "bay" + std::to_string(n) + "_open";
    if (unit.sequencer->IsDone(door, unit.sequenceStates))
        unit.sequencer->Play(door, unit.sequenceStates, 0);
}

// The craft prototype named by the carrier's "weapon", made in the world
// at the carrier for its owner, in no squad.
Entity* MakeCraft(const Ship& carrier) {
    Scene* scene = GetScene();
    const PropBlock* block = carrier.ShipBlock();
    if (!scene || !block) return nullptr;
    SpawnRecord record;
    record.position = carrier.position;
    record.orientation = carrier.orientation;
    record.player = carrier.owner ? carrier.owner->index : -1;
    return scene->SpawnByName(block->FixedText(ShipFields().weapon), record);
}

template <int N>
void BindThrustNodes(Node& unit, Node* (&nodes)[N], const char* const (&names)[N]) {
    for (int i = 0; i < N; ++i)
        nodes[i] = unit.FindByName(names[i]);
}

} // namespace

// --- Carrier ----------------------------------------------------------------

Carrier::Carrier() {
    classId = uint8_t(ClassId::Carrier);
}

Node* Carrier::Clone() {
    auto* copy = new Carrier(*this);
    copy->InitClone(this);
    return copy;
}

bool Carrier::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    if (!BayShip::Load(file, table, version)) return false;
    BindNodes();
    return true;
}

void Carrier::InitClone(Node* source) {
    BayShip::InitClone(source);
    BindNodes();
}

void Carrier::BindNodes() {
    BindThrustNodes(*this, thrustNodes, kCarrierThrustNames);
}

void Carrier::Update() {
    Ship::Update();
    CountLostCraft();
    UpdateLaunches();
}

void Carrier::UpdateLaunches() {
    const int32_t now = Now();
    for (int n = 1; n <= kBaySlots; ++n) {
        BaySlot& slot = slots[n - 1];
        if (!slot.launched) continue;
        Entity* craft = SlotUnit(slot);
        if (!craft) {
            if (now < slot.launchTime) continue;
            OpenBayDoor(*this, n);
            if (now < slot.launchTime + kSpawnAfterMs) continue;
            Entity* made = PrepareSlotHandle(slot) ? MakeCraft(*this) : nullptr;
            const bool seated = made && SeatCraft(*made, slot, FindByName(Numbered("fighter", n)),
                                                  made->FindByName("dummyconnector"));
            if (!seated) {
                // No craft can be made for this bay: the launch is called off.
                slot.launched = 0;
                continue;
            }
            if (IsA(made, ClassId::CarrierFighter))
                static_cast<CarrierFighter*>(made)->carrier = handle;
            craft = made;
        }
        if (slot.aboard && now >= slot.launchTime + kReleaseAfterMs) {
            if (Ship* unit = AsShip(craft)) ReleaseCraft(*unit);
            if (IsA(craft, ClassId::CarrierFighter)) static_cast<CarrierFighter*>(craft)->Launch();
            slot.aboard = 0;
            if (carried > 0) --carried;
            slot.launched = 0;
        }
    }
}

// --- ATR --------------------------------------------------------------------

ATR::ATR() {
    classId = uint8_t(ClassId::ATR);
}

Node* ATR::Clone() {
    auto* copy = new ATR(*this);
    copy->InitClone(this);
    return copy;
}

bool ATR::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    if (!BayShip::Load(file, table, version)) return false;
    BindNodes();
    return true;
}

void ATR::InitClone(Node* source) {
    BayShip::InitClone(source);
    BindNodes();
}

void ATR::BindNodes() {
    BindThrustNodes(*this, thrustNodes, kATRThrustNames);
}

void ATR::Fire() {
    const int32_t marked = lastFireTime;
    BayShip::Fire();
    if (lastFireTime != marked) nextFireTime = lastFireTime + ReloadDelayMs();
}

void ATR::Update() {
    Ship::Update();
    CountLostCraft();
    UpdateLaunches();
}

void ATR::UpdateLaunches() {
    const int32_t now = Now();
    for (int n = 1; n <= kBaySlots; ++n) {
        BaySlot& slot = slots[n - 1];
        if (!slot.launched || now < slot.launchTime) continue;
        Entity* craft = SlotUnit(slot);
        if (!craft) {
            OpenBayDoor(*this, n);
            Entity* made = PrepareSlotHandle(slot) ? MakeCraft(*this) : nullptr;
            if (!made || !SeatCraft(*made, slot, FindByName(Numbered("dummymarine", n)), made)) {
                slot.launched = 0;
                continue;
            }
            if (IsA(made, ClassId::SpaceMarine)) {
                auto* marine = static_cast<SpaceMarine*>(made);
                marine->atr = handle;
                marine->slotNumber = n;
            }
            craft = made;
        }
        if (slot.aboard && now >= slot.launchTime + kReleaseAfterMs) {
            if (Ship* unit = AsShip(craft)) ReleaseCraft(*unit);
            if (IsA(craft, ClassId::SpaceMarine)) static_cast<SpaceMarine*>(craft)->Launch();
            slot.aboard = 0;
            slot.launched = 0;
            if (carried > 0) --carried;
        }
    }
}

} // namespace lumivane
