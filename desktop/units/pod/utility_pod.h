// UtilityPod: the worker unit. It mines asteroids (gather, state 9), brings
// the cargo home to a PodBay or MiningStation through the bay's markers
// (state 10), repairs and restocks units of its owner that ask for repair
// (state 14), and plays its arm, claw and spotlight animations while it
// works. Its home bay's handle is kept in the sixth word of its record.
#pragma once

#include <cstdint>

#include "desktop/units/ship_base/ship.h"

namespace lumivane {

inline constexpr int kPodBayMarkers = 4;
inline constexpr int kFullCargoCount = 8; // the carried count of a full hold

class UtilityPod : public Ship {
public:
    static constexpr float kDamageShare = 0.1f; // of a load, dealt to the asteroid
    static constexpr float kBounceFloor = 0.15f;
    static constexpr float kImmovableMass = 999999.0f;
    static constexpr int32_t kIdlePauseMs = 5000;
    static constexpr uint32_t kIdleSpreadMs = 10001;

    UtilityPod();
    Node* Clone() override;
    int Save(platform::BinaryWriter& file, ObjectTable& table) override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    // Ship's, then every pod word 0 and no home.
    void InitClone(Node* source) override;
    // Never left in state 13; arms drawn in outside work, idle animations
    // while working; then Ship's update.
    void Update() override;
    void HandleMessage(Message& message) override;
    // Mining when gathering; against an asteroid otherwise only a bounce.
    void OnCollision(Entity* other, const Vec3& normal) override;
    void UpdateAttack() override;
    void UpdateState9() override;
    void UpdateState10() override;
    void UpdateState14() override;
    // Goes home instead of asking for repair: it is mended when it unloads.
    void RequestSelfOrder() override;

    // Repairs `unit` (which waits in state 13 for it).
    void Assign(Ship& unit);
    // State 10 toward a random bay marker, no target.
    void SendHome();

    float GatherTotal() const;
    float GatherPer() const;

    float cargo = 0.0f;
    int32_t idleTime = 0; // game clock of the next idle animation
    int32_t clawOpen = 0;
    int32_t clawArmOut = 0;
    int32_t toolArmOut = 0;
    EntityHandle home = kNoEntity; // the bay that launched it
    // "llthrust", "ulthrust", "lrthrust", "urthrust" of the model, or null.
    Node* thrustNodes[4] = {};

protected:
    UtilityPod(const UtilityPod& other) = default;

private:
    void ArmsOut();
    void ArmsIn();
    void PlayIdleAnimation();
    void Mine(Entity& asteroid);
    void Bounce(Entity& asteroid, const Vec3& normal);
    // The carried count follows the cargo: 0 empty .. 8 full.
    void UpdateCarriedCount();
    void BindNodes();
    bool Playing(const char* sequence) const;
    void Play(const char* sequence);
};

inline UtilityPod* AsUtilityPod(Entity* entity) {
    return IsA(entity, ClassId::UtilityPod) ? static_cast<UtilityPod*>(entity) : nullptr;
}

} // namespace lumivane
