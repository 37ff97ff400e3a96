// Catamaran: fires a clip of five cartridges, one reload apart, then pauses
// three reloads while the clip is changed; each shot kicks the hull back
// and lights its extra thruster for a moment.
#pragma once

#include <cstdint>

#include "desktop/units/ship_base/ship.h"

namespace lumivane {

class Catamaran : public Ship {
public:
    static constexpr int32_t kClip = 5;
    static constexpr float kClipChangeReloads = 3.0f;
    static constexpr float kFlashPerReload = 750.0f; // ms the thruster stays lit per reload
    static constexpr float kRecoil = 0.05f;          // speed lost per shot
    static constexpr float kRecoilTorque = 0.02f;

    Catamaran() { classId = uint8_t(ClassId::Catamaran); }
    int Save(platform::BinaryWriter& file, ObjectTable& table) override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    Node* Clone() override;
    void InitClone(Node* source) override;
    void Update() override;
    void Fire() override;

    int32_t cartridge = 0; // the last one fired, 1..5; 0 before the first

protected:
    Catamaran(const Catamaran& other) = default;
};

} // namespace lumivane
