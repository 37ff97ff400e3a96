// MiningStation: a station whose body lies tilted while it fades in and for
// 6 s after, then eases upright over 8 s.
#pragma once

#include <cstdint>

#include "desktop/units/ship_base/ship.h"

namespace lumivane {

class MiningStation : public Ship {
public:
    static constexpr int32_t kTiltHoldMs = 6000;
    static constexpr float kEasePerMs = 0.000125f; // an 8 s ease
    static constexpr int32_t kUprightAgeMs = 20000;

    MiningStation() { classId = uint8_t(ClassId::MiningStation); }
    int Save(platform::BinaryWriter& file, ObjectTable& table) override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    Node* Clone() override;
    // A clone stands upright already.
    void InitClone(Node* source) override;
    void Update() override;

    // The body's tilt about its X axis now, pi/2 .. 0.
    float TiltAngle() const;

    int32_t settleTime = 0; // the last moment it was fading, ms

protected:
    MiningStation(const MiningStation& other) = default;

private:
    Node* body = nullptr;
};

} // namespace lumivane
