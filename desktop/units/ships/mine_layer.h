// MineLayer: carries eight mines (or comsats) and drops them from its two
// racks in turn while it flies at its target. It keeps the handles of what
// it laid; when one is gone, a mine is back aboard.
#pragma once

#include <cstdint>

#include "desktop/units/ship_base/ship.h"

namespace lumivane {

class MineLayer : public Ship {
public:
    static constexpr int kSlots = 8;
    static constexpr float kRackPush = 0.05f;
    static constexpr float kLaidSpin = 0.1f; // a laid unit's turn per 0.1 s

    MineLayer() { classId = uint8_t(ClassId::MineLayer); }
    int Save(platform::BinaryWriter& file, ObjectTable& table) override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    Node* Clone() override;
    // A new layer has all eight aboard.
    void InitClone(Node* source) override;
    void Update() override;
    // Lays a "mine" (a "comsat" on fire request 2) from the current rack.
    void Fire() override;
    // Straight at the target; lays once it is within "fire range".
    void UpdateAttack() override;

    int32_t rack = 0; // the rack that lays next, 0 or 1
    EntityHandle laid[kSlots] = {kNoEntity, kNoEntity, kNoEntity, kNoEntity,
                                 kNoEntity, kNoEntity, kNoEntity, kNoEntity};

protected:
    MineLayer(const MineLayer& other) = default;

private:
    void BindNodes();
    // Frees the slots of laid units that are gone, one carried each.
    void CountReturns();
    Node* racks[2] = {};
};

} // namespace lumivane
