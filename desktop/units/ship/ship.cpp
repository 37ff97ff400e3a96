// Ship: construction and cloning, properties, players and squads, the saved
// order, the sensor-chain links of the player's record, build queue
// queries and the pilot.
#include "desktop/units/ship/ship.h"

#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/world/model_library.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/squad.h"
#include "desktop/scene/world/world.h"
#include "desktop/units/pilot/pilot.h"
#include "desktop/units/ship/unit_settings.h"
#include "platform/paths.h"

namespace lumivane {

UnitSettings& GetUnitSettings() {
    static UnitSettings settings;
    return settings;
}

Ship::Ship() {
    classId = uint8_t(ClassId::Ship);
}

Ship::Ship(const Ship& other)
    : Unit(other), movePoint(other.movePoint), followDistance(other.followDistance),
      followOffset(other.followOffset), approachNode(other.approachNode), orbiting(other.orbiting),
      formationKind(other.formationKind), formationSpacing(other.formationSpacing),
      lastOrderTick(other.lastOrderTick), savedOrder(other.savedOrder),
      returnPoint(other.returnPoint), fadeFlag(other.fadeFlag), fadeLevel(other.fadeLevel),
      fireRequest(other.fireRequest), selfDestructTime(other.selfDestructTime),
      lastFireTime(other.lastFireTime), nextFireTime(other.nextFireTime), viewWord(other.viewWord),
      avoidance(other.avoidance), avoidancePoint(other.avoidancePoint),
      towLockTime(other.towLockTime), autoAttack(other.autoAttack), autoPursue(other.autoPursue),
      autoRepair(other.autoRepair), projectileSpeed(other.projectileSpeed),
      sensorRange(other.sensorRange), combat(other.combat), holdWord(other.holdWord),
      carried(other.carried), ownedCraft(other.ownedCraft) {
    for (int i = 0; i < kThrusterCount; ++i)
        thrusters[i] = other.thrusters[i];
}

Ship::~Ship() {
    if (pilot) pilot->Release();
    if (pilotModel) pilotModel->Release();
}

Node* Ship::Clone() {
    Ship* copy = new Ship(*this);
    copy->InitClone(this);
    return copy;
}

void Ship::InitClone(Node* source) {
    Entity::InitClone(source);
    ResetPlayerRecord();
    formationSpacing = 16.0f;
    targetList.clear();
    waypoints.clear();
    waypointRiders.clear();
    currentWaypoint = 0;
    farMove = 0;
    weaponNode = FindByName("dummyweapon");
}

// --- Properties -------------------------------------------------------------

const PropDesc* Ship::GetPropDescs() const {
    return ShipPropDescs();
}

PropBlock* Ship::ShipBlock() const {
    if (!props) return nullptr;
    for (const PropDesc* t = props->Table(); t; t = PropDesc::BaseTable(t))
        if (t == ShipPropDescs()) return props.get();
    return nullptr;
}

float Ship::ShipFloat(size_t offset, float fallback) const {
    const PropBlock* block = ShipBlock();
    return block ? block->Float(offset) : fallback;
}

int32_t Ship::ShipInt(size_t offset, int32_t fallback) const {
    const PropBlock* block = ShipBlock();
    return block ? block->Int(offset) : fallback;
}

bool Ship::ShipFlag(size_t offset, bool fallback) const {
    const PropBlock* block = ShipBlock();
    return block ? block->Flag(offset) : fallback;
}

int32_t Ship::Race() const {
    return ShipInt(ShipFields().race, 0);
}

float Ship::SensorRange() const {
    return ShipFloat(ShipFields().sensorRange, 20.0f);
}

int32_t Ship::PilotType() const {
    return ShipInt(ShipFields().pilotType, 0);
}

bool Ship::TargetForEnemies() const {
    return ShipFlag(ShipFields().targetForEnemies, true);
}

float Ship::TopSpeed() const {
    return ShipFloat(ShipFields().topSpeed, 1.0f);
}

bool Ship::CanMove() const {
    return ShipFlag(ShipFields().taskMove, true);
}

bool Ship::TaskGather() const {
    return ShipFlag(ShipFields().taskGather, false);
}

void Ship::ApplyProps(int32_t field) {
    const ShipPropFields& f = ShipFields();
    const bool all = field == kAllProps;
    if (PropBlock* block = ShipBlock()) {
        if (all || field == int32_t(f.sensorRange)) sensorRange = block->Float(f.sensorRange);
        if (all || field == int32_t(f.weapon)) {
            const ModelLibrary* library = GetModelLibrary();
            const std::string_view name = block->FixedText(f.weapon);
            Node* weapon = library && !name.empty() ? library->FindPrototype(name) : nullptr;
            projectileSpeed = IsA(weapon, ClassId::Weapon)
                                  ? static_cast<Entity*>(weapon)->PropFloat("speed")
                                  : 0.0f;
        }
    }
    Entity::ApplyProps(field);
}

bool Ship::LeadsFormation() const {
    return squad && formationKind != 0 && squad->GetLeader() == this;
}

bool Ship::TowLocked() const {
    return int64_t(GetSceneClock().gameTime) < int64_t(towLockTime) + kTowLockMs;
}

// --- Players and squads -----------------------------------------------------

void Ship::ResetPlayerRecord() {
    playerRecord = {};
    playerRecord.chainHead = handle;
}

void Ship::SetPlayer(Player* player) {
    if (player == owner) return;
    ResetPlayerRecord();
    if (Player* old = owner) {
        if (squad) squad->Remove(this, true);
        if (orderState == kOrderFormation) FinishOrder();
        squad = nullptr;
        squadSlot = -1;
        old->RemoveUnit(this, true);
    }
    owner = player;
    if (!player) return;
    if (player->index < kIdentifiedPlayers) identification[player->index] = kKnown;
    if (!player->AddUnit(this))
        if (World* world = GetWorld()) world->QueueRemove(this, nullptr, false);
}

bool Ship::SetSquad(Squad* newSquad, int slot) {
    Squad* old = squad;
    if (newSquad && slot < 0) {
        if (!newSquad->Add(this)) return false;
        if (old && old != newSquad) old->Remove(this, true);
    } else {
        if (old) old->Remove(this, true);
        if (newSquad) newSquad->SetMember(this, slot);
    }
    if (old && old != newSquad && orderState == kOrderFormation) FinishOrder();
    squad = newSquad;
    squadSlot = newSquad ? newSquad->IndexOf(this) : -1;
    if (squadSlot < 0) squad = nullptr;
    if (squad) {
        const Ship* leader = ShipOf(squad->GetLeader());
        if (leader && leader->formationKind != 0) {
            orderState = kOrderFormation;
            formationKind = leader->formationKind;
            movePoint = {};
            approachNode.clear();
        }
    }
    if (old != squad) PilotVoice(kVoiceSquadChanged);
    return true;
}

void Ship::JoinSquadFromFile(Player* player, Squad* newSquad, int slot) {
    if (!owner) owner = player;
    squad = newSquad;
    squadSlot = slot;
}

// --- Orders -----------------------------------------------------------------

bool Ship::FollowsSun() const {
    const World* world = GetWorld();
    const Entity* sun = world ? world->Sun() : nullptr;
    return orderState == kOrderFollow && sun && target == sun->handle;
}

void Ship::SaveCurrentOrder() {
    if (FollowsSun() && CanMove()) {
        // Orbiting the Sun is where an idle unit drifts; coming back means
        // coming back here.
        savedOrder = SavedOrder{};
        savedOrder.state = kOrderMove;
        savedOrder.movePoint = position;
        return;
    }
    savedOrder = {orderState, target, movePoint, followDistance, followOffset, approachNode};
}

void Ship::RestoreSavedOrder() {
    orderState = savedOrder.state;
    target = savedOrder.target;
    movePoint = savedOrder.movePoint;
    followDistance = savedOrder.followDistance;
    followOffset = savedOrder.followOffset;
    approachNode = savedOrder.node;
}

void Ship::FinishOrder() {
    const World* world = GetWorld();
    const Entity* sun = world ? world->Sun() : nullptr;
    if (sun) {
        orderState = kOrderFollow;
        target = sun->handle;
        followDistance = (position - sun->position).Length();
        followOffset = {0.0f, 1.0f, 0.0f}; // the orbit axis
        farMove = 0;
    } else {
        orderState = kOrderIdle;
        target = kNoEntity;
    }
    playerRecord.ordered = 0;
}

// --- Build queue queries ----------------------------------------------------

std::string_view Ship::BuildChoiceName(int choice) const {
    const PropBlock* block = ShipBlock();
    if (choice < 0 || choice >= kBuildChoices || !block) return {};
    return block->FixedText(ShipFields().construct[choice]);
}

int Ship::BuildChoiceOf(std::string_view prototype) const {
    if (prototype.empty()) return -1;
    for (int choice = 0; choice < kBuildChoices; ++choice)
        if (platform::EqualsIgnoreCase(BuildChoiceName(choice), prototype)) return choice;
    return -1;
}

int Ship::QueuedCount(std::string_view prototype) const {
    int count = 0;
    for (const BuildQueueItem& item : buildQueue)
        if (platform::EqualsIgnoreCase(BuildChoiceName(item.choice), prototype)) ++count;
    return count;
}

bool Ship::HasQueuedSite(EntityHandle site, std::string_view node) const {
    for (const BuildQueueItem& item : buildQueue)
        if (item.site == site && platform::EqualsIgnoreCase(item.siteNode, node)) return true;
    return false;
}

// --- Pilot ------------------------------------------------------------------

void Ship::SetPilot(Pilot* newPilot) {
    if (newPilot) newPilot->AddRef();
    if (pilot) pilot->Release();
    pilot = newPilot;
}

void Ship::SetPilotModel(Entity* model) {
    if (model) model->AddRef();
    if (pilotModel) pilotModel->Release();
    pilotModel = model;
}

void Ship::TakeCrew() {
    if (!IsA(this, ClassId::Weapon) && Race() == 1) SetPilot(new Pilot);
    if (PilotType() <= 0) return;
    const ModelLibrary* library = GetModelLibrary();
    const std::string name = "pilot" + std::to_string(PilotType());
    if (Entity* model = library ? library->CreateInstance(name, false) : nullptr) {
        model->ownerHandle = handle;
        model->targetLinkNode = FindByName("dummypilot");
        model->ownLinkNode = model;
        model->linkByte = 0;
        SetPilotModel(model);
    }
}

void Ship::PilotVoice(int code) {
    if (pilot && owner && owner == GetPlayers().local) PilotVoiceHook(*this, code);
}

} // namespace lumivane
