// Gunship: a gunboat whose rotary guns must spin up before they fire. The
// spin rate winds the guns up to full speed while it fights and down again
// when it stops; its two guns fire in turn; it keeps the capital ships'
// stand-off from its target.
#pragma once

#include <cstdint>

#include "desktop/units/ship_base/ship.h"

namespace lumivane {

class Gunship : public Ship {
public:
    enum SpinState : int32_t { kSpunUp = 0, kStopped = 1, kSpinningUp = 2, kSpinningDown = 3 };
    static constexpr float kSpinUpRate = 12.566371f; // 4 pi per second squared
    static constexpr float kSpinDownRate = -11.938052f;
    static constexpr float kFullSpeed = 25.132742f; // 8 pi per second
    static constexpr int kGuns = 2;

    Gunship() { classId = uint8_t(ClassId::Gunship); }
    int Save(platform::BinaryWriter& file, ObjectTable& table) override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    Node* Clone() override;
    // A clone starts with its guns stopped.
    void InitClone(Node* source) override;
    void Update() override;
    // Only spun up, and on Ship's reload: the guns fire in turn.
    void Fire() override;
    void UpdateAttack() override;

    // Starts winding the guns up (on) or down (off), unless they already
    // are or have.
    void SpinUp(bool on);

    int32_t spinState = kStopped;
    float spinRate = 0.0f;
    float spinSpeed = 0.0f;
    float gunAngle = 0.0f;
    int32_t gunIndex = 0; // the gun that fires next, 0 or 1

protected:
    Gunship(const Gunship& other) = default;

private:
    void BindNodes();
    // Fighting, or in formation behind a fighting leader.
    bool WantsGuns() const;
    void SetSpinSound(const char* name, int32_t loop);
    void UpdateSpinSound();

    Node* guns[kGuns] = {};
};

} // namespace lumivane
