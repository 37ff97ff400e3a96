// Weapon: construction, launch, the per-frame step with its expiry, impacts
// and the record.
#include "desktop/units/weapon/weapon.h"

#include "desktop/scene/entity/entity_kinds.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/world/model_library.h"
#include "desktop/scene/world/world.h"
#include "platform/binary_io.h"

namespace lumivane {

namespace {

int32_t Now() {
    return int32_t(GetSceneClock().gameTime);
}

} // namespace

Weapon::Weapon() {
    classId = uint8_t(ClassId::Weapon);
    owner = nullptr;
    health = kWeaponHealth;
}

Node* Weapon::Clone() {
    auto* copy = new Weapon(*this);
    copy->InitClone(this);
    return copy;
}

void Weapon::InitClone(Node* source) {
    Ship::InitClone(source);
    health = kWeaponHealth; // the properties gave it the entity's health
    launchTime = Now();
}

const PropDesc* Weapon::GetPropDescs() const {
    return WeaponPropDescs();
}

PropBlock* Weapon::WeaponBlock() const {
    if (!props) return nullptr;
    for (const PropDesc* t = props->Table(); t; t = PropDesc::BaseTable(t))
        if (t == WeaponPropDescs()) return props.get();
    return nullptr;
}

float Weapon::Lifespan() const {
    const PropBlock* block = WeaponBlock();
    return block ? block->Float(WeaponFields().lifespan) : 1.0f;
}

float Weapon::Speed() const {
    const PropBlock* block = WeaponBlock();
    return block ? block->Float(WeaponFields().speed) : 0.05f;
}

bool Weapon::DiesOnImpact() const {
    const PropBlock* block = WeaponBlock();
    return block ? block->Flag(WeaponFields().dieOnImpact) : true;
}

void Weapon::Launch(Ship* from, const Vec3& at, const Quat& rotation, EntityHandle aim) {
    target = aim;
    // A shot belongs to its shooter's side without being one of its units.
    owner = from ? from->owner : nullptr;
    shooter = from ? from->handle : kNoEntity;
    orientation = rotation;
    spin = Quat();
    velocity = GetDir() * Speed() + (from ? from->velocity : Vec3());
    position = at;
    launchTime = Now();
    PlaceLocalMatrix();
    if (sequencer) sequencer->Play("fire", sequenceStates, 0);
}

void Weapon::Update() {
    if (launchTime == Now()) {
        // Made this frame: it starts moving with the next one.
        const Vec3 kept = velocity;
        velocity = Vec3();
        StepAndExpire();
        velocity = kept;
        return;
    }
    StepAndExpire();
}

void Weapon::StepAndExpire() {
    if (owner)
        Ship::Update();
    else
        Entity::Update();
    if (int64_t(Now()) >= int64_t(launchTime) + int64_t(1000.0f * Lifespan())) {
        OnExpire();
        if (World* world = GetWorld()) world->QueueRemove(this, nullptr, false);
    }
}

void Weapon::OnCollision(Entity* other, const Vec3&) {
    if (!other || !(GetSceneClock().frameTime > 0.0f)) return;
    if (other->owner == owner || other->handle == shooter || IsA(other, ClassId::Weapon)) return;
    if (!DiesOnImpact()) return;
    World* world = GetWorld();
    if (world && world->IsQueuedForRemoval(this)) return; // it hit something else first
    // Without a velocity there is no ray to follow: it hits where it is.
    const Vec3 point = velocity.Length() > 0.0f ? other->RayHitPoint(position, velocity) : position;
    SpawnImpact(point, other->velocity);
    if (world) world->QueueRemove(this, nullptr, false);
}

Entity* Weapon::SpawnImpact(const Vec3& point, const Vec3& pointVelocity) {
    const PropBlock* block = WeaponBlock();
    ModelLibrary* library = GetModelLibrary();
    if (!block || !library) return nullptr;
    const std::string_view name = block->FixedText(WeaponFields().impactType);
    Entity* impact = name.empty() ? nullptr : library->CreateInstance(name, true);
    if (!impact) return nullptr;
    const float impactScale = block->Float(WeaponFields().impactScale);
    if (PartSys* system = AsPartSys(impact); system && impactScale > 0.0f)
        system->fadeFactor = 1.0f / impactScale;
    impact->SetScale(impactScale);
    impact->position = point;
    impact->velocity = pointVelocity;
    impact->orientation = orientation;
    impact->PlaceLocalMatrix();
    return impact;
}

int Weapon::Save(platform::BinaryWriter& file, ObjectTable& table) {
    if (!Ship::Save(file, table)) return 0;
    file.WriteI32(launchTime);
    file.WriteI32(shooter);
    return 1;
}

bool Weapon::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    if (!Ship::Load(file, table, version)) return false;
    health = kWeaponHealth; // the properties applied on loading gave it the entity's health
    return file.ReadI32(launchTime) && file.ReadI32(shooter);
}

} // namespace lumivane
