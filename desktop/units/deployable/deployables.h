// Units that other units release with a limited life: the Comsat and the
// Mine (which switch to their order once deployed and die with the unit
// they are linked to) and the Decoy (which bursts after 10 s).
#pragma once

#include <cstdint>

#include "desktop/units/ship_base/ship.h"

namespace lumivane {

// Files before this version keep no link handle for comsats and mines.
inline constexpr uint32_t kLinkHandleFrom = 117;

// What a Comsat and a Mine share: the deploy time and the link handle.
class Deployable : public Ship {
public:
    int Save(platform::BinaryWriter& file, ObjectTable& table) override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    void InitClone(Node* source) override;

    EntityHandle link = kNoEntity; // the unit it lives with, or none
    int32_t deployTime = 0;        // game clock, ms

protected:
    Deployable() = default;
    Deployable(const Deployable& other) = default;
    // After `idleMs` idle since deploying it takes up its finished order;
    // 1 when its link is gone and it has burst (the caller stops then).
    int AfterDeploy(int32_t idleMs);
};

class Comsat : public Deployable {
public:
    static constexpr int32_t kSettleMs = 2000;

    Comsat() { classId = uint8_t(ClassId::Comsat); }
    Node* Clone() override;
    // Plays "deploy".
    void InitClone(Node* source) override;
    // "afterdeploy" loops once "deploy" is done.
    void Update() override;

protected:
    Comsat(const Comsat& other) = default;
};

// Drifts until an enemy comes within its sensor range, flies straight at it
// and bursts on contact for 20 damage.
class Mine : public Deployable {
public:
    static constexpr int32_t kSettleMs = 5000;
    static constexpr float kContactDamage = 20.0f;
    static constexpr float kBlastScale = 10.0f;

    Mine() { classId = uint8_t(ClassId::Mine); }
    Node* Clone() override;
    void Update() override;
    void OnCollision(Entity* other, const Vec3& normal) override;
    void UpdateAttack() override;

protected:
    Mine(const Mine& other) = default;
};

class Decoy : public Ship {
public:
    static constexpr int32_t kLifeMs = 10000;

    Decoy() { classId = uint8_t(ClassId::Decoy); }
    int Save(platform::BinaryWriter& file, ObjectTable& table) override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    Node* Clone() override;
    void InitClone(Node* source) override;
    void Update() override;

    int32_t creationTime = 0; // game clock, ms

protected:
    Decoy(const Decoy& other) = default;
};

} // namespace lumivane
