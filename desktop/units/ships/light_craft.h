// The light craft: the Interceptor and the Probe, whose engine nodes swing
// with their steering thrusters (the probe simply attacks what it is sent
// to hunt), the MissileBoat, which fires from two launchers in turn, and
// the MineSweeper and the Shuttle, plain ships of their own class.
#pragma once

#include <cstdint>

#include "desktop/units/ship_base/ship.h"

namespace lumivane {

class Interceptor : public Ship {
public:
    static constexpr float kEngineTurn = 0.61086524f; // 35 degrees per level

    Interceptor() { classId = uint8_t(ClassId::Interceptor); }
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    Node* Clone() override;
    void InitClone(Node* source) override;
    void Update() override;

protected:
    Interceptor(const Interceptor& other) = default;

private:
    void BindNodes();
    Node* engines[2] = {};
};

class Probe : public Ship {
public:
    static constexpr float kSpindleTurn = 0.39269908f; // pi/8 per level

    Probe() { classId = uint8_t(ClassId::Probe); }
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    Node* Clone() override;
    void InitClone(Node* source) override;
    void Update() override;
    // Hunting is attacking whatever it was given.
    void UpdateHunt() override;

protected:
    Probe(const Probe& other) = default;

private:
    void BindNodes();
    Node* spindle = nullptr;
};

class MissileBoat : public Ship {
public:
    static constexpr float kEngineTurn = 1.5707964f; // pi/2 per level
    static constexpr int kLaunchers = 2;

    MissileBoat() { classId = uint8_t(ClassId::MissileBoat); }
    int Save(platform::BinaryWriter& file, ObjectTable& table) override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    Node* Clone() override;
    void InitClone(Node* source) override;
    void Update() override;
    // From "missile1" and "missile2" in turn, at the target only while
    // attacking or hunting.
    void Fire() override;

    int32_t launcher = 0; // the launcher that fires next, 0 or 1

protected:
    MissileBoat(const MissileBoat& other) = default;

private:
    void BindNodes();
    Node* launchers[kLaunchers] = {};
    Node* engines[2] = {};
};

class MineSweeper : public Ship {
public:
    MineSweeper() { classId = uint8_t(ClassId::MineSweeper); }
    Node* Clone() override;

protected:
    MineSweeper(const MineSweeper& other) = default;
};

class Shuttle : public Ship {
public:
    Shuttle() { classId = uint8_t(ClassId::Shuttle); }
    Node* Clone() override;

protected:
    Shuttle(const Shuttle& other) = default;
};

} // namespace lumivane
