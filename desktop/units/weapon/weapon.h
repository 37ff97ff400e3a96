// Weapon: the base of every projectile a unit launches. A Ship, so a shot
// can home with the unit's order states, with a lifespan, a launch by its
// shooter and impact handling. Weapons are made from prototypes by
// Ship::LaunchWeapon and launched with Launch; the damage itself is dealt
// by the collision handling of the entity that is hit.
#pragma once

#include <cstdint>

#include "desktop/units/ship_base/ship.h"
#include "desktop/units/weapon/weapon_props.h"

namespace lumivane {

// Weapons cannot be destroyed by damage.
inline constexpr float kWeaponHealth = 3.4028235e38f;

class Weapon : public Ship {
public:
    Weapon();

    int Save(platform::BinaryWriter& file, ObjectTable& table) override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    Node* Clone() override;
    // Ship's, then the launch time is now.
    void InitClone(Node* source) override;
    const PropDesc* GetPropDescs() const override;
    // Still on its launch frame it does not move; owned it flies as a unit
    // (homing with its order), else ballistically; it ends after its
    // lifespan.
    void Update() override;
    // Ignores its own side, its shooter and other weapons; a weapon that
    // dies on impact leaves its impact effect where it hit.
    void OnCollision(Entity* other, const Vec3& normal) override;

    virtual void Launch(Ship* shooter, const Vec3& at, const Quat& rotation, EntityHandle aim);
    virtual void OnExpire() {}
    // The "impact type" effect at the point, moving with `pointVelocity`.
    Entity* SpawnImpact(const Vec3& point, const Vec3& pointVelocity);

    // Values of the weapon block (the defaults for a unit made before its
    // class was known).
    float Lifespan() const;
    float Speed() const;
    bool DiesOnImpact() const;

    int32_t launchTime = 0; // game clock, ms
    EntityHandle shooter = kNoEntity;

protected:
    Weapon(const Weapon& other) = default;
    // The block when it is a weapon block, else null.
    PropBlock* WeaponBlock() const;
    // The part of the update after the launch-frame rule: the unit or
    // entity step, then the expiry.
    void StepAndExpire();
};

inline Weapon* AsWeapon(Entity* entity) {
    return IsA(entity, ClassId::Weapon) ? static_cast<Weapon*>(entity) : nullptr;
}

} // namespace lumivane
