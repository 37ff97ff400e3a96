// ColonyShip: settlers coming out one after another, the list a trigger
// hands it, and its record.
#include "desktop/units/ships/colony_ship.h"

#include "desktop/scene/entity/spawn_record_io.h"
#include "desktop/scene/world/message.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/world.h"
#include "desktop/units/ships/ship_class_support.h"
#include "platform/binary_io.h"

namespace lumivane {

namespace {

// Files from this version keep a spawn list, whole from the second.
constexpr uint32_t kSpawnsFrom = 70;
constexpr uint32_t kWholeSpawnsFrom = 73;

} // namespace

Node* ColonyShip::Clone() {
    auto* copy = new ColonyShip(*this);
    copy->InitClone(this);
    return copy;
}

void ColonyShip::AddSpawns(std::span<const ColonySpawn> records) {
    if (records.empty()) return;
    if (spawns.empty()) startTime = GameNow();
    spawns.insert(spawns.end(), records.begin(), records.end());
}

void ColonyShip::Update() {
    Ship::Update();
    World* world = GetWorld();
    if (!spawns.empty() && !(world && world->IsQueuedForRemoval(this)) &&
        SinceStamp(startTime) >= spawns.front().delay)
        SpawnNext();
}

int ColonyShip::IsOrderActive(int code) {
    if (code == order::kFireThree) return spawns.empty() ? 0 : 1;
    return Ship::IsOrderActive(code);
}

void ColonyShip::SpawnNext() {
    const ColonySpawn record = spawns.front();
    spawns.erase(spawns.begin());
    startTime = GameNow();
    Node* dummy = FindByName("dummyship");
    SpawnRecord at;
    (dummy ? dummy->WorldMatrix() : WorldMatrix()).GetPosRot(at.position, at.orientation);
    at.player = record.player;
    at.squad = record.squad;
    Scene* scene = GetScene();
    World* world = GetWorld();
    Entity* settler = scene ? scene->SpawnByName(record.prototype, at) : nullptr;
    if (!settler || !world) return;
    settler->velocity = velocity;
    if (record.handle >= 0 && !world->GetEntity(record.handle)) settler->SetHandle(record.handle);
    if (Ship* ship = AsShip(settler)) {
        ship->orderState = kOrderDepart;
        ship->target = handle;
        ship->canCollide = 0;
    }
    if (record.healthFraction < 1.0f)
        settler->TakeDamage(
            (1.0f - record.healthFraction) *
            (settler->props ? settler->props->Float(EntityFields().healthMax) : 0.0f));
    settler->noDamage = uint8_t(record.noDamage != 0);
}

int ColonyShip::Save(platform::BinaryWriter& file, ObjectTable& table) {
    if (!Ship::Save(file, table)) return 0;
    WriteSpawnRecords(file, spawns);
    file.WriteI32(startTime);
    return 1;
}

bool ColonyShip::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    if (!Ship::Load(file, table, version)) return false;
    spawns.clear();
    startTime = 0;
    if (version < kSpawnsFrom) return true;
    return ReadSpawnRecords(file, version >= kWholeSpawnsFrom, spawns) && file.ReadI32(startTime);
}

} // namespace lumivane
