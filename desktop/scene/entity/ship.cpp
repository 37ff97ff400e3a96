// Ship: its class number, the ship properties read so far, squads, orders,
// the build queue, the pilot and the player's per-unit record.
#include "desktop/scene/entity/ship.h"

#include <cstdlib>

#include "desktop/scene/object/class_table.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/squad.h"
#include "desktop/scene/world/world.h"
#include "platform/paths.h"

namespace lumivane {

namespace {

std::vector<PropDesc> BuildShipTable() {
    PropTableBuilder b;
    b.Value("race", PropType::Integer, 0, 3, 0);
    b.Value("sensor range", PropType::Distance, 0, 200, 20.0f);
    b.Value("pilot type", PropType::Integer, 0, 10, 0);
    b.Flag("target for enemies", true);
    b.Value("top speed", PropType::Float, 0, 2, 1.0f);
    b.Flag("task: move", true);
    b.Flag("task: gather", false);
    for (int i = 1; i <= kBuildChoices; ++i)
        b.Text("construct" + std::to_string(i), PropType::Name);
    return b.End("Ship", EntityPropDescs());
}

size_t Offset(const std::string& name) {
    size_t cursor = 0;
    if (!PropDesc::Find(ShipPropDescs(), name, cursor)) std::abort(); // the table names it
    return cursor;
}

ShipPropFields MakeFields() {
    ShipPropFields f{};
    f.race = Offset("race");
    f.sensorRange = Offset("sensor range");
    f.pilotType = Offset("pilot type");
    f.targetForEnemies = Offset("target for enemies");
    f.topSpeed = Offset("top speed");
    f.taskMove = Offset("task: move");
    f.taskGather = Offset("task: gather");
    for (int i = 0; i < kBuildChoices; ++i)
        f.construct[i] = Offset("construct" + std::to_string(i + 1));
    return f;
}

// A ship whose block is not a ship block (made before its class was known)
// reads the defaults.
bool HasShipBlock(const Entity& ship) {
    if (!ship.props) return false;
    for (const PropDesc* t = ship.props->Table(); t; t = PropDesc::BaseTable(t))
        if (t == ShipPropDescs()) return true;
    return false;
}

} // namespace

const PropDesc* ShipPropDescs() {
    static const std::vector<PropDesc> table = BuildShipTable();
    return table.data();
}

const ShipPropFields& ShipFields() {
    static const ShipPropFields fields = MakeFields();
    return fields;
}

Ship::Ship() {
    classId = uint8_t(ClassId::Ship);
}

Ship::Ship(const Ship& other)
    : Entity(other), fadeFlag(other.fadeFlag), orderState(other.orderState) {}

Ship::~Ship() {
    // Leaves the unit lists of the players while it is still a ship.
    for (Player* player : GetPlayers().players)
        if (player) player->RemoveUnit(this, false);
    if (squad) squad->Remove(this, true);
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
}

const PropDesc* Ship::GetPropDescs() const {
    return ShipPropDescs();
}

int32_t Ship::Race() const {
    return HasShipBlock(*this) ? props->Int(ShipFields().race) : 0;
}

float Ship::SensorRange() const {
    return HasShipBlock(*this) ? props->Float(ShipFields().sensorRange) : 20.0f;
}

int32_t Ship::PilotType() const {
    return HasShipBlock(*this) ? props->Int(ShipFields().pilotType) : 0;
}

bool Ship::TargetForEnemies() const {
    return HasShipBlock(*this) ? props->Flag(ShipFields().targetForEnemies) : true;
}

float Ship::TopSpeed() const {
    return HasShipBlock(*this) ? props->Float(ShipFields().topSpeed) : 1.0f;
}

bool Ship::CanMove() const {
    return HasShipBlock(*this) ? props->Flag(ShipFields().taskMove) : true;
}

bool Ship::TaskGather() const {
    return HasShipBlock(*this) && props->Flag(ShipFields().taskGather);
}

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
    return true;
}

void Ship::JoinSquadFromFile(Player* player, Squad* newSquad, int slot) {
    if (!owner) owner = player;
    squad = newSquad;
    squadSlot = slot;
}

void Ship::FinishOrder() {
    const World* world = GetWorld();
    const Entity* sun = world ? world->Sun() : nullptr;
    orderState = sun ? kOrderFollow : kOrderIdle;
    target = sun ? sun->handle : kNoEntity;
    playerRecord.ordered = 0;
}

bool Ship::LosesTargetOnTransfer() const {
    return orderState == kOrderAttack || orderState == kOrderHunt ||
           orderState == kOrderAutoAttack || orderState == kOrderTargetList;
}

void Ship::LeaveChain() {
    const World* world = GetWorld();
    Ship* previous = world ? AsShip(world->GetEntity(playerRecord.chainPrevious)) : nullptr;
    Ship* next = world ? AsShip(world->GetEntity(playerRecord.chainNext)) : nullptr;
    if (previous) previous->playerRecord.chainNext = playerRecord.chainNext;
    if (next) next->playerRecord.chainPrevious = playerRecord.chainPrevious;
    playerRecord.chainPrevious = kNoEntity;
    playerRecord.chainNext = kNoEntity;
    playerRecord.chainHead = handle;
}

void Ship::AppendToChain(Ship& other, EntityHandle head) {
    playerRecord.chainNext = other.handle;
    other.playerRecord.chainPrevious = handle;
    other.playerRecord.chainNext = kNoEntity;
    other.playerRecord.chainHead = head;
}

void Ship::ForgetLinksTo(EntityHandle gone) {
    if (gone < 0) return;
    if (playerRecord.chainPrevious == gone) playerRecord.chainPrevious = kNoEntity;
    if (playerRecord.chainNext == gone) playerRecord.chainNext = kNoEntity;
    if (playerRecord.chainHead == gone) playerRecord.chainHead = handle;
}

std::string_view Ship::BuildChoiceName(int choice) const {
    if (choice < 0 || choice >= kBuildChoices || !HasShipBlock(*this)) return {};
    return props->FixedText(ShipFields().construct[choice]);
}

int Ship::BuildChoiceOf(std::string_view prototype) const {
    if (prototype.empty()) return -1;
    for (int choice = 0; choice < kBuildChoices; ++choice)
        if (platform::EqualsIgnoreCase(BuildChoiceName(choice), prototype)) return choice;
    return -1;
}

void Ship::AddToBuildQueue(int choice, int squadNumber, EntityHandle site,
                           std::string_view siteNode) {
    if (choice < 0 || choice >= kBuildChoices || queuedCounts[choice] >= kMaxChoiceItems ||
        int(buildQueue.size()) >= kMaxBuildQueue)
        return;
    ++queuedCounts[choice];
    buildQueue.push_back({choice, site, std::string(siteNode.substr(0, 31)), squadNumber});
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

void Ship::SetPilot(Unknown* newPilot) {
    if (newPilot) newPilot->AddRef();
    if (pilot) pilot->Release();
    pilot = newPilot;
}

void Ship::SetPilotModel(Entity* model) {
    if (model) model->AddRef();
    if (pilotModel) pilotModel->Release();
    pilotModel = model;
}

} // namespace lumivane
