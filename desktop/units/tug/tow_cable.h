// TowCable: the visible cable a Tug strings to what it tows. A rope of 100
// points that pays out straight over "fire time", then swings as a damped
// rope held at both ends (two relaxation passes a frame), and after release
// reels in from the tug's end over "release time" and removes itself. Each
// frame it is drawn as a ribbon turned to face the camera, rebuilt into its
// GeoNode's own arrays (2N vertices, 6N - 6 indices).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "desktop/scene/entity/prop_desc.h"
#include "desktop/units/weapon/weapon.h"

namespace lumivane {

class GeoNode;

// The TowCable table (ends with "Tow Cable", base table Weapon's).
const PropDesc* TowCablePropDescs();

struct TowCablePropFields {
    size_t fireTime, releaseTime;
};
const TowCablePropFields& TowCableFields();

class TowCable : public Weapon {
public:
    static constexpr int kPoints = 100;
    static constexpr int32_t kSettleMs = 5000; // the rope swings freely this long
    static constexpr float kHookOffset = 0.02f;
    static constexpr float kHalfWidth = 0.002f;

    TowCable();
    ~TowCable() override;
    Node* Clone() override;
    // Weapon's, then the rope and the node's own ribbon arrays.
    void InitClone(Node* source) override;
    const PropDesc* GetPropDescs() const override;
    void Update() override;

    // The cable node, when the model's first child is a GeoNode.
    GeoNode* CableNode() const { return cableNode; }
    // Segments drawn this frame.
    int DrawnSegments() const;

    std::vector<Vec3> points;
    std::vector<Vec3> speeds;
    int32_t startTime = 0;   // game clock, ms
    int32_t fireTime = 0;    // ms
    int32_t releaseTime = 0; // ms
    int32_t releaseStart = 0;
    int32_t extended = 0;
    int32_t released = 0;
    int32_t releaseStarted = 0;
    Vec3 hook; // the towed end, world

protected:
    TowCable(const TowCable& other) = default;

private:
    void PayOut(const Vec3& start, float segment);
    // 1 when the cable has been reeled in whole.
    int Swing(const Vec3& start, float segment, float dt);
    void Relax(float segment, int first, bool hookHeld);
    void BuildRibbon();
    void SetDrawnSegments(int segments);

    GeoNode* cableNode = nullptr;
};

inline TowCable* AsTowCable(Entity* entity) {
    return IsA(entity, ClassId::TowCable) ? static_cast<TowCable*>(entity) : nullptr;
}

} // namespace lumivane
