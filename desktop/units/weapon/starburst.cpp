// Starburst: flies until it touches an enemy or its burst delay runs out,
// then gives way to its "weapon" submunition; its record adds the hit flag.
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/random_generator.h"
#include "desktop/scene/world/world.h"
#include "desktop/units/weapon/projectiles.h"
#include "platform/binary_io.h"

namespace lumivane {

Node* Starburst::Clone() {
    auto* copy = new Starburst(*this);
    copy->InitClone(this);
    return copy;
}

void Starburst::Launch(Ship* from, const Vec3& at, const Quat& rotation, EntityHandle aim) {
    Weapon::Launch(from, at, rotation, aim);
    burstDelay = Lifespan() * (0.5f + 1.5f * MainRandom().NextUnit());
}

void Starburst::OnCollision(Entity* other, const Vec3&) {
    if (!other || other->owner == owner || other->handle == shooter) return;
    if (IsA(other, ClassId::Weapon)) return;
    hitFlag = 1;
}

void Starburst::Update() {
    const int64_t age = int64_t(GetSceneClock().gameTime) - int64_t(launchTime);
    if (hitFlag == 0 && float(age) < burstDelay * 1000.0f) {
        Entity::Update();
        return;
    }
    World* world = GetWorld();
    if (world && world->IsQueuedForRemoval(this)) {
        Entity::Update(); // burst already
        return;
    }
    const PropBlock* block = ShipBlock();
    const std::string_view name =
        block ? block->FixedText(ShipFields().weapon) : std::string_view();
    if (Entity* made = LaunchWeapon(name, WorldMatrix(), kNoEntity))
        made->velocity = velocity - GetDir() * Speed();
    if (world) world->QueueRemove(this, nullptr, false);
    Entity::Update();
}

int Starburst::Save(platform::BinaryWriter& file, ObjectTable& table) {
    if (!Weapon::Save(file, table)) return 0;
    file.WriteI32(hitFlag);
    return 1;
}

bool Starburst::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    return Weapon::Load(file, table, version) && file.ReadI32(hitFlag);
}

} // namespace lumivane
