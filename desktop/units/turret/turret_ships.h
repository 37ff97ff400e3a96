// The multi-turret classes: CapitolShip (six turrets), Cruiser (five, two
// of them covering the rear arc), PatrolBoat (one turret on each side) and
// PerimeterStation (two guns that swing freely and fire from alternating
// barrels; its body rises upright after it appears). Each turret is a
// TurretBlock that picks its own target, turns at "turret speed" within
// its ranges, sweeps idly when it has nothing to shoot and fires on its own
// reload; the hull keeps a stand-off point from the unit's target.
#pragma once

#include <cstdint>

#include "desktop/units/ship_base/ship.h"

namespace lumivane {

inline constexpr int kMaxTurretBlocks = 6;
// A block looks for a new target on one frame in this many.
inline constexpr uint32_t kTurretRepickOdds = 40;

class TurretShip : public Ship {
public:
    int Save(platform::BinaryWriter& file, ObjectTable& table) override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    void InitClone(Node* source) override;
    // Idle or following, the turrets sweep; every turret is posed.
    void Update() override;
    // The hull keeps its stand-off; each turret aims and asks to fire.
    void UpdateAttack() override;
    // Each turret whose bit is set in the fire request and whose own
    // reload is done fires from its aim node and plays "fire<n>".
    void Fire() override;

    int BlockCount() const { return blockCount; }
    TurretBlock blocks[kMaxTurretBlocks];

protected:
    explicit TurretShip(int count) : blockCount(count) {}
    TurretShip(const TurretShip& other) = default;

    // How far short of the target the hull holds.
    virtual float StandOff(const Entity& prey) const;
    // Steers the hull for the attack toward `point`, the target lying along
    // `toTarget`.
    virtual void SteerForAttack(const Vec3& point, const Vec3& toTarget) = 0;
    // The sound key looped while the block turns (-1: none).
    virtual int TurnSoundKey(int /*block*/) const { return -1; }
    virtual TurretAngles Angles() const { return StandardTurretAngles; }
    // The block has fired (the PerimeterStation changes barrels).
    virtual void AfterShot(int /*block*/) {}
    // Finds the blocks' nodes again by name.
    virtual void BindNodes() = 0;
    // The record after Ship's: the blocks, whole.
    virtual void SaveOwnFields(platform::BinaryWriter& file) const;
    virtual bool LoadOwnFields(platform::BinaryReader& file, uint32_t version);
    // Turrets sweep and are posed; the PerimeterStation also rises.
    virtual void UpdateTurrets();

    int blockCount;
};

class CapitolShip : public TurretShip {
public:
    // Object files before this version hold no turret blocks.
    static constexpr uint32_t kBlocksFrom = 72;
    CapitolShip();
    Node* Clone() override;

protected:
    CapitolShip(const CapitolShip& other) = default;
    void SteerForAttack(const Vec3& point, const Vec3& toTarget) override;
    TurretAngles Angles() const override;
    void BindNodes() override;
    bool LoadOwnFields(platform::BinaryReader& file, uint32_t version) override;
};

// The side-mounted turrets of a CapitolShip: the pitch-like angle turns
// about the hull's forward axis from straight up, the yaw-like angle leans
// from there toward the bow.
void CapitolTurretAngles(const Vec3& local, float& yaw, float& pitch);

class Cruiser : public TurretShip {
public:
    Cruiser();
    Node* Clone() override;

protected:
    Cruiser(const Cruiser& other) = default;
    void SteerForAttack(const Vec3& point, const Vec3& toTarget) override;
    void BindNodes() override;
};

class PatrolBoat : public TurretShip {
public:
    // Older object files keep four words and a point per block.
    static constexpr uint32_t kWholeBlocksFrom = 43;
    PatrolBoat();
    Node* Clone() override;

protected:
    PatrolBoat(const PatrolBoat& other) = default;
    float StandOff(const Entity& prey) const override;
    void SteerForAttack(const Vec3& point, const Vec3& toTarget) override;
    int TurnSoundKey(int block) const override { return 5 + block; }
    void BindNodes() override;
    bool LoadOwnFields(platform::BinaryReader& file, uint32_t version) override;
};

class PerimeterStation : public TurretShip {
public:
    PerimeterStation();
    Node* Clone() override;
    void InitClone(Node* source) override;

    int32_t riseStart = 0; // when its body began to rise (ms)
    Node* bodyTilt = nullptr;

protected:
    PerimeterStation(const PerimeterStation& other) = default;
    // A station holds its place.
    void SteerForAttack(const Vec3&, const Vec3&) override {}
    int TurnSoundKey(int block) const override { return 5 + block; }
    void AfterShot(int block) override;
    void BindNodes() override;
    void SaveOwnFields(platform::BinaryWriter& file) const override;
    bool LoadOwnFields(platform::BinaryReader& file, uint32_t version) override;
    void UpdateTurrets() override;
};

} // namespace lumivane
