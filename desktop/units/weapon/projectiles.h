// The projectile classes built on Weapon: the homing Missile, the plain
// PlasmaBall, Tracer and LightningBall, the growing ShockWave and the
// Starburst that breaks into a submunition.
#pragma once

#include <cstdint>

#include "desktop/units/weapon/weapon.h"

namespace lumivane {

// Dropped from its rack (along its own -Y), it coasts for half a second,
// then homes on its target or the nearest enemy; it cannot steer sideways
// during its first 3 s and bursts when its life ends.
class Missile : public Weapon {
public:
    static constexpr int32_t kCoastMs = 500;
    static constexpr int32_t kNoSteerMs = 3000;

    Missile() { classId = uint8_t(ClassId::Missile); }
    Node* Clone() override;
    void Update() override;
    void ThrustForward(float amount) override;
    void ThrustLateral(float amount) override;
    void ThrustVertical(float amount) override;
    void Launch(Ship* shooter, const Vec3& at, const Quat& rotation, EntityHandle aim) override;
    void OnExpire() override;

protected:
    Missile(const Missile& other) = default;
    int32_t SinceLaunch() const;
};

// A weapon class with nothing of its own.
template <ClassId Number> class PlainWeapon : public Weapon {
public:
    PlainWeapon() { classId = uint8_t(Number); }
    Node* Clone() override {
        auto* copy = new PlainWeapon(*this);
        copy->InitClone(this);
        return copy;
    }

protected:
    PlainWeapon(const PlainWeapon& other) = default;
};

using PlasmaBall = PlainWeapon<ClassId::PlasmaBall>;
using Tracer = PlainWeapon<ClassId::Tracer>;
using LightningBall = PlainWeapon<ClassId::LightningBall>;

// Launched at a random turn, its "size" node grows over its lifespan.
class ShockWave : public Weapon {
public:
    ShockWave() { classId = uint8_t(ClassId::ShockWave); }
    int Save(platform::BinaryWriter& file, ObjectTable& table) override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    Node* Clone() override;
    void Update() override;
    void Launch(Ship* shooter, const Vec3& at, const Quat& rotation, EntityHandle aim) override;

    // The share of full size it grows to (above 1 acts as 1).
    float growthLimit = 1.0f;

protected:
    ShockWave(const ShockWave& other) = default;
};

// Bursts into its "weapon" submunition when it touches an enemy or after
// its burst delay (between half and twice its lifespan).
class Starburst : public Weapon {
public:
    Starburst() { classId = uint8_t(ClassId::Starburst); }
    int Save(platform::BinaryWriter& file, ObjectTable& table) override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    Node* Clone() override;
    void Update() override;
    void OnCollision(Entity* other, const Vec3& normal) override;
    void Launch(Ship* shooter, const Vec3& at, const Quat& rotation, EntityHandle aim) override;

    int32_t hitFlag = 0;
    float burstDelay = 0.0f; // seconds

protected:
    Starburst(const Starburst& other) = default;
};

} // namespace lumivane
