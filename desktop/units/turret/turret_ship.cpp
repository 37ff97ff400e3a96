// TurretShip: what the multi-turret classes share: the blocks' record, the
// idle sweep, the attack with its per-turret targets and lead, and firing
// over the request's bit mask.
#include <cmath>

#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/random_generator.h"
#include "desktop/scene/world/world.h"
#include "desktop/units/combat/target_rules.h"
#include "desktop/units/ship_base/steering_math.h"
#include "desktop/units/turret/turret_ships.h"
#include "platform/binary_io.h"

namespace lumivane {

int TurretShip::Save(platform::BinaryWriter& file, ObjectTable& table) {
    if (!Ship::Save(file, table)) return 0;
    SaveOwnFields(file);
    return 1;
}

bool TurretShip::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    if (!Ship::Load(file, table, version) || !LoadOwnFields(file, version)) return false;
    BindNodes();
    return true;
}

void TurretShip::SaveOwnFields(platform::BinaryWriter& file) const {
    for (int i = 0; i < blockCount; ++i)
        SaveTurretBlock(file, blocks[i]);
}

bool TurretShip::LoadOwnFields(platform::BinaryReader& file, uint32_t) {
    for (int i = 0; i < blockCount; ++i)
        if (!LoadTurretBlock(file, blocks[i])) return false;
    return true;
}

void TurretShip::InitClone(Node* source) {
    Ship::InitClone(source);
    BindNodes();
}

void TurretShip::Update() {
    Ship::Update();
    UpdateTurrets();
}

void TurretShip::UpdateTurrets() {
    const bool idle = orderState == kOrderIdle || orderState == kOrderFollow;
    for (int i = 0; i < blockCount; ++i) {
        if (!fadeFlag && idle) Wander(blocks[i], TurnSoundKey(i), Angles());
        PoseTurret(blocks[i]);
    }
}

float TurretShip::StandOff(const Entity& prey) const {
    return 0.5f * ShipFloat(ShipFields().fireRange, 20.0f) + radius + prey.radius;
}

void TurretShip::UpdateAttack() {
    Entity* prey = VisibleTarget(*this, target);
    if (!prey) {
        FinishOrder();
        return;
    }
    const Vec3 toTarget = DirectionTo(position, prey->position);
    SteerForAttack(prey->position - toTarget * StandOff(*prey), toTarget);

    const World* world = GetWorld();
    const int32_t now = int32_t(GetSceneClock().gameTime);
    const float range = ShipFloat(ShipFields().fireRange, 20.0f);
    for (int i = 0; i < blockCount; ++i) {
        TurretBlock& block = blocks[i];
        if (MainRandom().Next() % kTurretRepickOdds == 0) PickTurretTarget(block, Angles());
        const Entity* aimed = world->GetEntity(block.target);
        if (!aimed) {
            Wander(block, -1, Angles());
            continue;
        }
        const float surface = SurfaceDistance(position, radius, aimed->position, aimed->radius);
        Vec3 aim = aimed->position;
        if (projectileSpeed != 0.0f)
            aim += (aimed->velocity - velocity) * (std::max(surface, 0.0f) / projectileSpeed);
        AimTurret(block, aim, TurnSoundKey(i), Angles());
        if (surface < range && now >= block.nextFireTime && IsInFireCone(block, aim))
            fireRequest |= 1 << i;
    }
}

void TurretShip::Fire() {
    const int32_t now = int32_t(GetSceneClock().gameTime);
    const PropBlock* block = ShipBlock();
    const std::string_view weapon = block ? block->FixedText(ShipFields().weapon) : "";
    for (int n = 1; n <= blockCount; ++n) {
        TurretBlock& turret = blocks[n - 1];
        if (!(fireRequest & (1 << (n - 1))) || now < turret.nextFireTime) continue;
        const Node* from = turret.aimNode;
        LaunchWeapon(weapon, from ? from->WorldMatrix() : WorldMatrix(), turret.target);
        lastFireTime = now;
        turret.nextFireTime = now + ReloadDelayMs();
        if (sequencer) sequencer->Play("fire" + std::to_string(n), sequenceStates, 0);
        AfterShot(n - 1);
    }
}

} // namespace lumivane
