// Bomber: flies high over its target, opens its bomb bay and drops salvos
// of three bombs, 250 ms apart, from its three tubes; its engines tilt with
// its pitch. The bay closes again 3 s after it opened once it has stopped
// fighting.
#pragma once

#include <cstdint>

#include "desktop/units/ship_base/ship.h"

namespace lumivane {

class Bomber : public Ship {
public:
    static constexpr int kTubes = 3;
    static constexpr int32_t kBayReadyMs = 3000;
    static constexpr int32_t kSalvoGapMs = 250;
    static constexpr float kEngineTurn = 0.43633232f; // 25 degrees per level
    static constexpr float kTumble = 0.15f;           // a bomb's turn per 0.1 s

    Bomber() { classId = uint8_t(ClassId::Bomber); }
    int Save(platform::BinaryWriter& file, ObjectTable& table) override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    Node* Clone() override;
    void InitClone(Node* source) override;
    void Update() override;
    void Fire() override;
    // Holds a point above the target, facing along its drift, and opens
    // the bay there.
    void UpdateAttack() override;

    bool BayReady() const;

    // The three saved words.
    int32_t bayTime = 0; // when the bay last opened or closed, ms
    int32_t bayOpen = 0;
    int32_t tube = 0; // the tube that fires next, 0..2

protected:
    Bomber(const Bomber& other) = default;

private:
    void BindNodes();
    void OpenBay();

    Node* engines[2] = {};
    Node* tubes[kTubes] = {};
};

} // namespace lumivane
