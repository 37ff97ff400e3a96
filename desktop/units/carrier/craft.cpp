// CarrierFighter and SpaceMarine: the craft's records, their first moments
// out of the bay, fuel, fighting and the way home.
#include "desktop/units/carrier/craft.h"

#include <memory>
#include <string>

#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/world/message.h"
#include "desktop/scene/world/message_queue.h"
#include "desktop/scene/world/world.h"
#include "desktop/units/carrier/bay_ship.h"
#include "desktop/units/ship/prop_scale.h"
#include "platform/binary_io.h"

namespace lumivane {

namespace {

constexpr float kFighterPush = 0.25f;
constexpr float kMarineLeap = 0.1f;
constexpr float kMarineRecoil = 0.02f;
constexpr float kFoldedTurnBoost = 8.0f;
constexpr float kDockTime = 0.3f;
constexpr float kDockSpeed = 0.3f;
constexpr int kFacingCarrier = 1;

int32_t Now() {
    return int32_t(GetSceneClock().gameTime);
}

Entity* Live(EntityHandle handle) {
    const World* world = GetWorld();
    return world ? world->GetEntity(handle) : nullptr;
}

// Riding its bay node: linked to the carrier that made it.
bool RidesBay(const Entity& craft, EntityHandle home) {
    return home >= 0 && craft.ownerHandle == home && craft.targetLinkNode && Live(home);
}

bool FuelSpent(const Ship& craft, int32_t launchTime) {
    const float fuel = craft.ShipFloat(ShipFields().fuelTime, 60.0f);
    return int64_t(Now()) - int64_t(launchTime) >= int64_t(1000.0f * fuel);
}

void ExplodeAndLeave(Ship& craft) {
    Entity* explosion = craft.Explode();
    if (World* world = GetWorld()) world->QueueRemove(&craft, explosion, false);
}

// Back aboard: the carrier's slot turns aboard and the craft leaves the
// world with its views handed to the carrier.
void DockWith(Ship& craft, Entity& home) {
    if (BayShip* bays = AsBayShip(&home)) bays->DockUnit(craft.handle);
    if (World* world = GetWorld()) world->QueueRemove(&craft, &home, false);
}

void PlaySequence(Entity& unit, const std::string& name, int loop) {
    if (unit.sequencer) unit.sequencer->Play(name, unit.sequenceStates, loop);
}

bool SequenceDone(const Entity& unit, const char* name) {
    return !unit.sequencer || unit.sequencer->IsDone(name, unit.sequenceStates);
}

bool ReadWords(platform::BinaryReader& file, std::initializer_list<int32_t*> words) {
    if (file.Remaining() < 4 * words.size()) return false;
    for (int32_t* word : words)
        if (!file.ReadI32(*word)) return false;
    return true;
}

} // namespace

void ReturnToCarrier(Ship& craft, EntityHandle carrier, const char* node) {
    craft.target = carrier;
    craft.orderState = kOrderClassState11;
    craft.approachNode = node;
}

void RequestReturnOrder(Ship& craft) {
    if (craft.orderState == kOrderClassState11) return;
    auto order = std::make_unique<Message>();
    order->type = order::kRecall;
    order->units.Append(craft.handle);
    QueueMessage(std::move(order), 0);
}

// --- CarrierFighter ---------------------------------------------------------

CarrierFighter::CarrierFighter() {
    classId = uint8_t(ClassId::CarrierFighter);
}

Node* CarrierFighter::Clone() {
    auto* copy = new CarrierFighter(*this);
    copy->InitClone(this);
    return copy;
}

int CarrierFighter::Save(platform::BinaryWriter& file, ObjectTable& table) {
    if (!Ship::Save(file, table)) return 0;
    file.WriteI32(gunIndex);
    file.WriteI32(launchTime);
    file.WriteI32(carrier);
    return 1;
}

bool CarrierFighter::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    if (!Ship::Load(file, table, version) || !ReadWords(file, {&gunIndex, &launchTime, &carrier}))
        return false;
    gunIndex &= 1;
    BindNodes();
    return true;
}

void CarrierFighter::InitClone(Node* source) {
    Ship::InitClone(source);
    BindNodes();
}

void CarrierFighter::BindNodes() {
    gunNodes[0] = FindByName("gun1");
    gunNodes[1] = FindByName("gun2");
}

bool CarrierFighter::RidesCarrier() const {
    return RidesBay(*this, carrier);
}

void CarrierFighter::Destroy() {
    ExplodeAndLeave(*this);
}

void CarrierFighter::Launch() {
    launchTime = Now();
    velocity += GetDir() * kFighterPush;
}

void CarrierFighter::Update() {
    if (RidesCarrier()) {
        Entity::Update();
        return;
    }
    const bool homeLives = Live(carrier) != nullptr;
    // Never launched, or in its first second out: it only moves.
    if (launchTime == 0 || int64_t(Now()) - int64_t(launchTime) < kCoastMs) {
        Entity::Update();
        if (!homeLives) Destroy();
        return;
    }
    if (FuelSpent(*this, launchTime) && orderState != kOrderClassState11) {
        if (!homeLives) {
            Destroy();
            return;
        }
        ReturnToCarrier(*this, carrier, "dummyrecovery2");
    }
    Ship::Update();
}

void CarrierFighter::HandleMessage(Message& message) {
    if (message.Code() == order::kRecall && Live(carrier))
        ReturnToCarrier(*this, carrier, "dummyrecovery2");
    Ship::HandleMessage(message);
}

void CarrierFighter::Fire() {
    const int32_t now = Now();
    if (now < nextFireTime) return;
    const PropBlock* block = ShipBlock();
    const std::string_view weapon = block ? block->FixedText(ShipFields().weapon) : "";
    const Node* gun = gunNodes[gunIndex] ? gunNodes[gunIndex] : weaponNode;
    LaunchWeapon(weapon, gun ? gun->WorldMatrix() : WorldMatrix(), target);
    lastFireTime = now;
    nextFireTime = now + ReloadDelayMs();
    PlaySequence(*this, "fire" + std::to_string(gunIndex + 1), 0);
    gunIndex ^= 1;
}

void CarrierFighter::UpdateState11() {
    Entity* home = Live(carrier);
    const bool atFirstNode = !approachNode.empty() && approachNode.back() == '2';
    if (!home) {
        if (!atFirstNode) PlaySequence(*this, "wings_foldout", 0);
        FinishOrder();
        return;
    }
    target = carrier;
    if (atFirstNode) {
        if (UpdateMoveToNode(4.0f * radius)) {
            approachNode.back() = '1';
            PlaySequence(*this, "wings_foldin", 0);
            PlayEventSounds(SoundEvent::UnitSpecific1, 0);
        }
        return;
    }
    // Folded in, it turns hard and slips in without colliding.
    ScopedPropScale turning(ShipBlock(), ShipFields().angularThrust, kFoldedTurnBoost);
    canCollide = 0;
    if (ApproachNode(2.0f * radius, kDockTime, kDockSpeed, kFacingCarrier)) DockWith(*this, *home);
}

void CarrierFighter::RequestSelfOrder() {
    RequestReturnOrder(*this);
}

// --- SpaceMarine ------------------------------------------------------------

SpaceMarine::SpaceMarine() {
    classId = uint8_t(ClassId::SpaceMarine);
}

Node* SpaceMarine::Clone() {
    auto* copy = new SpaceMarine(*this);
    copy->InitClone(this);
    return copy;
}

int SpaceMarine::Save(platform::BinaryWriter& file, ObjectTable& table) {
    if (!Ship::Save(file, table)) return 0;
    for (int32_t word : {launchTime, atr, slotNumber, armed})
        file.WriteI32(word);
    return 1;
}

bool SpaceMarine::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    if (!Ship::Load(file, table, version) ||
        !ReadWords(file, {&launchTime, &atr, &slotNumber, &armed}))
        return false;
    if (slotNumber < 0 || slotNumber > kBaySlots) slotNumber = 0; // 0: not from a bay
    BindNodes();
    return true;
}

void SpaceMarine::InitClone(Node* source) {
    Ship::InitClone(source);
    BindNodes();
}

void SpaceMarine::BindNodes() {
    // The marine shoots from its weapon node; the others are the ATR's.
    weaponNode = FindByName("dummyweapon");
}

bool SpaceMarine::RidesATR() const {
    return RidesBay(*this, atr);
}

void SpaceMarine::Destroy() {
    ExplodeAndLeave(*this);
}

const char* SpaceMarine::SideNode() const {
    return slotNumber >= 1 && slotNumber <= 3 ? "dummyside1" : "dummyside2";
}

void SpaceMarine::Launch() {
    launchTime = Now();
    velocity += GetDir() * kMarineLeap;
    canCollide = 0;
}

void SpaceMarine::Update() {
    if (RidesATR()) {
        Entity::Update();
        return;
    }
    const bool homeLives = Live(atr) != nullptr;
    if (int64_t(Now()) - int64_t(launchTime) < kCoastMs) {
        // It drifts without steering for its first two seconds.
        ScopedPropScale thrust(ShipBlock(), ShipFields().thrust, 0.0f);
        ScopedPropScale turning(ShipBlock(), ShipFields().turnSpeed, 0.0f);
        const int32_t kept = orderState;
        orderState = kOrderIdle;
        Ship::Update();
        orderState = kept;
        if (!homeLives) launchTime -= kCoastMs;
        return;
    }
    if (FuelSpent(*this, launchTime) && orderState != kOrderClassState11) {
        if (!homeLives) {
            Destroy();
            return;
        }
        ReturnToCarrier(*this, atr, SideNode());
    }
    Ship::Update();
    UpdateWeapon();
}

void SpaceMarine::UpdateWeapon() {
    const int32_t now = Now();
    if (armed && SequenceDone(*this, "body_prepare")) {
        const PropBlock* block = ShipBlock();
        const std::string_view weapon = block ? block->FixedText(ShipFields().weapon) : "";
        LaunchWeapon(weapon, weaponNode ? weaponNode->WorldMatrix() : WorldMatrix(), target);
        PlaySequence(*this, "body_fire", 0);
        lastFireTime = now;
        armed = 0;
        if (GetSceneClock().frameTime > 0.0f) {
            velocity = velocity - GetDir() * kMarineRecoil;
            ApplyTorque({0.0f, 0.0f, 1.0f}, {0.0f, kMarineRecoil, 0.0f}, false);
        }
        return;
    }
    if (SequenceDone(*this, "body_flying") && SequenceDone(*this, "body_prepare") &&
        SequenceDone(*this, "body_fire"))
        PlaySequence(*this, "body_flying", 0);
}

void SpaceMarine::HandleMessage(Message& message) {
    if (message.Code() == order::kRecall && Live(atr)) ReturnToCarrier(*this, atr, SideNode());
    Ship::HandleMessage(message);
}

void SpaceMarine::Fire() {
    const int32_t now = Now();
    if (now < nextFireTime) return;
    PlaySequence(*this, "body_prepare", 0);
    nextFireTime = now + ReloadDelayMs();
    armed = 1;
}

void SpaceMarine::UpdateState11() {
    Entity* home = Live(atr);
    if (!home) {
        FinishOrder();
        return;
    }
    target = atr;
    approachNode = SideNode();
    canCollide = 0;
    if (UpdateMoveToNode(2.0f * radius)) DockWith(*this, *home);
}

void SpaceMarine::RequestSelfOrder() {
    RequestReturnOrder(*this);
}

} // namespace lumivane
