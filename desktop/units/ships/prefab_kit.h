// PrefabKit: a packed structure. Told to fire, it unfolds; 30 s later a
// "hub" stands in its place, owned by the same player and taking over the
// handle the kit kept reserved for it.
#pragma once

#include <cstdint>

#include "desktop/units/ship_base/ship.h"

namespace lumivane {

// The bit of the first user event word raised in the frame a kit deploys.
inline constexpr uint32_t kEventKitDeployed = 0x8000;

class PrefabKit : public Ship {
public:
    static constexpr int32_t kDeployMs = 30000;
    static constexpr float kHubTurn = 0.0017453f; // about Y, against z-fighting
    // Files up to this version keep no reserved handle.
    static constexpr uint32_t kReservedHandleAbove = 106;

    PrefabKit() { classId = uint8_t(ClassId::PrefabKit); }
    int Save(platform::BinaryWriter& file, ObjectTable& table) override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    Node* Clone() override;
    // A clone reserves the handle its hub will take.
    void InitClone(Node* source) override;
    void Update() override;
    // Deploys, once.
    void Fire() override;

    int32_t deployTime = 0; // ms
    int32_t deployed = 0;
    EntityHandle reservedHandle = kNoEntity;

protected:
    PrefabKit(const PrefabKit& other) = default;

private:
    void BecomeHub();
};

} // namespace lumivane
