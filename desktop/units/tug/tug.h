// Tug: grabs another unit or an asteroid with a cable and drags it. Towing
// is its attack: order 25 sends it at the object (state 3); once the cable
// is fixed the order ends and the tug keeps pulling until the cable is let
// go (order 26, the fire request, or an attack order on the towed object).
// A ship on the cable whose owner is no enemy of the tug's cannot steer.
// Towing is not part of any record: a saved scene drops its tows.
#pragma once

#include <cstdint>

#include "desktop/units/ship/ship.h"

namespace lumivane {

class Tug : public Ship {
public:
    static constexpr float kEmptyThrustShare = 0.2f;
    static constexpr float kHookOffset = 0.02f; // behind the centre, along the heading
    static constexpr float kMaxPullSpeed = 0.3f;
    static constexpr float kPullGain = 1350.0f;
    static constexpr float kMinTowedMass = 50.0f;
    static constexpr float kMaxTowedMass = 500.0f;
    static constexpr float kTugShare = 0.5f;
    static constexpr float kTugTurnGain = 2500.0f;
    static constexpr float kSpinDamping = 0.9f;

    Tug();
    Node* Clone() override;
    // Ship's, and not towing.
    void InitClone(Node* source) override;
    void Update() override;
    void HandleMessage(Message& message) override;
    // Lets the cable go.
    void Fire() override;
    // The grab.
    void UpdateAttack() override;
    // Ships that are not structures, and asteroids, marked "tug-able".
    int CanTow(Entity* object) override;
    // The cable's button is lit while something hangs on it, the tow
    // button while the tug goes for its object or holds it.
    int IsOrderActive(int code) override;

    // Lets go of the towed object; the cable reels in.
    void Release() { towing = 0; }
    // Where the cable leaves the tug.
    Vec3 HookPoint() const;

    EntityHandle towed = kNoEntity;
    float cableLength = 0.0f;
    Vec3 attachPoint; // in the towed object's own frame
    int32_t towing = 0;
    EntityHandle cable = kNoEntity; // the TowCable

protected:
    Tug(const Tug& other) = default;

private:
    // Fixes the cable where the backward ray meets the target; false when
    // it misses.
    bool Grab(Entity& object, const Vec3& away);
    void Pull(Entity& object);
    // The cable's turning force on the tail, no stronger than the tug's own
    // turning.
    Vec3 CableTurn(const Vec3& force) const;
};

inline Tug* AsTug(Entity* entity) {
    return IsA(entity, ClassId::Tug) ? static_cast<Tug*>(entity) : nullptr;
}

} // namespace lumivane
