// The gun emplacements: the Turret (two alternating barrels that fire the
// "weapon" along their bores), the MissileTurret (launches at its target
// and reloads each tube) and the ChaffeLauncher (throws tumbling chaff).
// Each turns a yaw and a pitch node toward its target and, while idle,
// toward a point it picks now and then. They share the turret block.
#pragma once

#include <cstdint>
#include <string>

#include "desktop/units/structure/structure.h"

namespace lumivane {

inline constexpr float kTurretPitchMin = -0.2617994f; // -15 degrees
inline constexpr float kTurretPitchMax = 1.5707964f;  // 90 degrees

// One frame of turning yaw and pitch toward the wanted angles: the yaw the
// shorter way round at `step`, wrapped into -pi..pi; the pitch at half the
// step toward the wanted pitch held within the limits. True when both got
// there this frame.
bool StepAim(float& yaw, float& pitch, float wantYaw, float wantPitch, float step, float pitchMin,
             float pitchMax);

// What the three emplacements share: the turret block and its record.
class GunEmplacement : public Structure {
public:
    int Save(platform::BinaryWriter& file, ObjectTable& table) override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    void InitClone(Node* source) override;
    // After the Structure's update: the idle look-around and the pose.
    void Update() override;
    // Nothing while reloading; otherwise a shot from the current barrel,
    // the next reload and the other barrel for the next shot.
    void Fire() override;

    // Turns one frame toward the world point; the turning sound stops once
    // the aim is there.
    void AimAt(float x, float y, float z);

    // The turret block.
    Node* barrels[2] = {nullptr, nullptr}; // "dummyweapon1", "dummyweapon2"
    Node* yawNode = nullptr;
    Node* pitchNode = nullptr;
    int32_t currentBarrel = 0;
    float yawAngle = 0.0f;
    float pitchAngle = 0.0f;
    float turnRate = 0.7853982f; // radians per second
    int32_t idleReaimTime = 0;
    Vec3 idleAimPoint{0.0f, 0.0f, 1.0f};

protected:
    GunEmplacement() = default;
    GunEmplacement(const GunEmplacement& other) = default;

    void FindTurretNodes();
    // Whether the idle re-aim delay is drawn afresh each frame (Turret,
    // ChaffeLauncher) or once per re-aim (MissileTurret).
    virtual bool DrawsReaimEveryFrame() const { return true; }
    // Idle or following: now and then a new point to look at, then a turn
    // toward it.
    void IdleAim();
    void PoseTurretNodes();
    // The launchers' attack: steer and aim at the target, fire in range.
    void LauncherAttack();
    // What one shot sends out of `barrel`, which the model may lack.
    virtual void Shoot(Node* barrel) = 0;
    // After a shot: the next reload and "fire<n>" of the barrel that fired.
    virtual void Reload(int32_t now);
    void AimAt(const Vec3& point) { AimAt(point.x, point.y, point.z); }
    // The "weapon" property: the prototype fired.
    std::string WeaponName() const;
};

class Turret : public GunEmplacement {
public:
    Turret() { classId = uint8_t(ClassId::Turret); }
    Node* Clone() override;
    // Leads a moving target and fires when it is in range and in the
    // current barrel's cone.
    void UpdateAttack() override;

protected:
    Turret(const Turret& other) = default;
    void Shoot(Node* barrel) override;
};

class MissileTurret : public GunEmplacement {
public:
    MissileTurret() { classId = uint8_t(ClassId::MissileTurret); }
    Node* Clone() override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    void InitClone(Node* source) override;
    void UpdateAttack() override { LauncherAttack(); }

protected:
    MissileTurret(const MissileTurret& other) = default;
    bool DrawsReaimEveryFrame() const override { return false; }
    // Only while attacking or hunting does the missile home on the target.
    void Shoot(Node* barrel) override;
    // The tube that fired also plays "load<n>".
    void Reload(int32_t now) override;
    void PlayLoaded();
};

class ChaffeLauncher : public GunEmplacement {
public:
    ChaffeLauncher() { classId = uint8_t(ClassId::ChaffeLauncher); }
    Node* Clone() override;
    void UpdateAttack() override { LauncherAttack(); }

protected:
    ChaffeLauncher(const ChaffeLauncher& other) = default;
    // A tumbling chaff spawned at the barrel's mouth.
    void Shoot(Node* barrel) override;
};

} // namespace lumivane
