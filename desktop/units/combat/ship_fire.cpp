// Ship: firing the main weapon on its reload (with its random spread) and
// launching a weapon from a transform with the unit's scatter.
#include <cmath>

#include "desktop/scene/entity/part_sys.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/matrix.h"
#include "desktop/scene/object/random_generator.h"
#include "desktop/scene/world/model_library.h"
#include "desktop/scene/world/world.h"
#include "desktop/units/ship_base/ship.h"
#include "desktop/units/weapon/weapon.h"

namespace lumivane {

void Ship::Fire() {
    const int32_t now = int32_t(GetSceneClock().gameTime);
    if (now < nextFireTime) return;
    LaunchMainWeapon(weaponNode ? weaponNode->WorldMatrix() : WorldMatrix(), target);
    lastFireTime = now;
    nextFireTime = now + ReloadDelayMs();
    if (sequencer) sequencer->Play("fire", sequenceStates, 0);
}

int32_t Ship::ReloadDelayMs() const {
    const ShipPropFields& f = ShipFields();
    const float reload = ShipFloat(f.reloadTime, 1.0f);
    const float spread = ShipFloat(f.reloadTimeSpread, 0.0f);
    const float r = MainRandom().NextUnit();
    return int32_t(1000.0f * (reload - spread + 2.0f * spread * r));
}

Entity* Ship::LaunchMainWeapon(const Matrix& transform, EntityHandle aim) {
    const PropBlock* block = ShipBlock();
    const std::string_view weapon =
        block ? block->FixedText(ShipFields().weapon) : std::string_view();
    return LaunchWeapon(weapon, transform, aim);
}

Entity* Ship::LaunchWeapon(std::string_view prototype, const Matrix& transform, EntityHandle aim) {
    ModelLibrary* library = GetModelLibrary();
    Entity* made =
        library && !prototype.empty() ? library->CreateInstance(prototype, true) : nullptr;
    if (!made) return nullptr;
    Weapon* weapon = AsWeapon(made);
    if (!weapon) {
        // Not something that can be launched: it does not stay in the world.
        if (World* world = GetWorld()) world->QueueRemove(made, nullptr, false);
        return nullptr;
    }
    Vec3 at;
    Quat rotation;
    transform.GetPosRot(at, rotation);
    const float scatter = ShipFloat(ShipFields().scatterAngle, 0.0f);
    if (scatter != 0.0f) {
        const float angle = MainRandom().NextUnit() * scatter;
        const Vec3 axis = RandomUnitVector();
        const float s = std::sin(0.5f * angle);
        rotation = rotation * Quat(axis.x * s, axis.y * s, axis.z * s, std::cos(0.5f * angle));
    }
    weapon->Launch(this, at, rotation, aim);
    return weapon;
}

} // namespace lumivane
