// Comsat, Mine and Decoy: deploying, the link rule, the mine's attack run
// and contact, the decoy's end, and their records.
#include "desktop/units/deployable/deployables.h"

#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/world/model_library.h"
#include "desktop/scene/world/world.h"
#include "desktop/units/combat/target_rules.h"
#include "desktop/units/weapon/weapon.h"
#include "platform/binary_io.h"

namespace lumivane {

namespace {

int32_t Now() {
    return int32_t(GetSceneClock().gameTime);
}

int64_t Since(int32_t stamp) {
    return int64_t(GetSceneClock().gameTime) - int64_t(stamp);
}

void BurstAndLeave(Entity& unit) {
    Entity* explosion = unit.Explode();
    if (World* world = GetWorld()) world->QueueRemove(&unit, explosion, false);
}

} // namespace

// --- Deployable -------------------------------------------------------------

void Deployable::InitClone(Node* source) {
    Ship::InitClone(source);
    deployTime = Now();
}

int Deployable::AfterDeploy(int32_t idleMs) {
    World* world = GetWorld();
    if (world && world->IsQueuedForRemoval(this)) return 1;
    if (orderState == kOrderIdle && Since(deployTime) >= idleMs) FinishOrder();
    if (link >= 0 && !(world && world->GetEntity(link))) {
        BurstAndLeave(*this);
        return 1;
    }
    return 0;
}

int Deployable::Save(platform::BinaryWriter& file, ObjectTable& table) {
    if (!Ship::Save(file, table)) return 0;
    file.WriteI32(deployTime);
    file.WriteI32(link);
    return 1;
}

bool Deployable::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    if (!Ship::Load(file, table, version) || !file.ReadI32(deployTime)) return false;
    link = kNoEntity;
    return version < kLinkHandleFrom || file.ReadI32(link);
}

// --- Comsat -----------------------------------------------------------------

Node* Comsat::Clone() {
    auto* copy = new Comsat(*this);
    copy->InitClone(this);
    return copy;
}

void Comsat::InitClone(Node* source) {
    Deployable::InitClone(source);
    if (sequencer) sequencer->Play("deploy", sequenceStates, 0);
}

void Comsat::Update() {
    Ship::Update();
    if (sequencer && sequencer->IsDone("afterdeploy", sequenceStates) &&
        sequencer->IsDone("deploy", sequenceStates))
        sequencer->Play("afterdeploy", sequenceStates, 1);
    AfterDeploy(kSettleMs);
}

// --- Mine -------------------------------------------------------------------

Node* Mine::Clone() {
    auto* copy = new Mine(*this);
    copy->InitClone(this);
    return copy;
}

void Mine::Update() {
    Ship::Update();
    AfterDeploy(kSettleMs);
}

void Mine::UpdateAttack() {
    World* world = GetWorld();
    Entity* prey = world ? world->GetEntity(target) : nullptr;
    if (!prey) {
        FinishOrder();
        return;
    }
    if (!CanSee(*this, *prey)) {
        target = kNoEntity;
        FinishOrder();
        return;
    }
    // Straight at it, as fast as it goes.
    if (world->Distance(handle, prey->handle) < SensorRange())
        SteerTo(position + (prey->position - position) * 1000.0f);
}

void Mine::OnCollision(Entity* other, const Vec3& normal) {
    Entity::OnCollision(other, normal);
    if (!other || other->owner == owner || IsA(other, ClassId::Weapon)) return;
    World* world = GetWorld();
    if (world && world->IsQueuedForRemoval(this)) return; // burst on another contact
    other->TakeDamage(kContactDamage);
    ModelLibrary* library = GetModelLibrary();
    Entity* blast = library ? library->CreateInstance("smallexplosion", true) : nullptr;
    if (Weapon* shot = AsWeapon(blast)) {
        shot->SetScale(kBlastScale);
        shot->Launch(AsShip(other), position, orientation, kNoEntity);
    }
    if (world) world->QueueRemove(this, nullptr, false);
}

// --- Decoy ------------------------------------------------------------------

Node* Decoy::Clone() {
    auto* copy = new Decoy(*this);
    copy->InitClone(this);
    return copy;
}

void Decoy::InitClone(Node* source) {
    Ship::InitClone(source);
    creationTime = Now();
}

void Decoy::Update() {
    Ship::Update();
    World* world = GetWorld();
    if (Since(creationTime) >= kLifeMs && !(world && world->IsQueuedForRemoval(this)))
        BurstAndLeave(*this);
}

int Decoy::Save(platform::BinaryWriter& file, ObjectTable& table) {
    if (!Ship::Save(file, table)) return 0;
    file.WriteI32(creationTime);
    return 1;
}

bool Decoy::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    return Ship::Load(file, table, version) && file.ReadI32(creationTime);
}

} // namespace lumivane
