// HubbleScope: a remote telescope. It keeps a "HubbleProxy" unit alive
// ahead of it (the proxy sees everything for its side), looks at it, and
// passes its move, attack and follow orders on to the proxy.
#pragma once

#include "desktop/units/structure/structure.h"

namespace lumivane {

inline constexpr float kScopePitchMin = -0.43633232f; // -25 degrees
inline constexpr float kScopePitchMax = 0.5235988f;   // 30 degrees

class HubbleScope : public Structure {
public:
    HubbleScope() { classId = uint8_t(ClassId::HubbleScope); }
    Node* Clone() override;
    int Save(platform::BinaryWriter& file, ObjectTable& table) override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    void InitClone(Node* source) override;
    void Update() override;
    void UpdateMove() override;
    void UpdateFollow() override;
    void UpdateAttack() override;

    // Turns one frame toward the world point.
    void AimAt(float x, float y, float z);
    // The live proxy, or null.
    Ship* Proxy() const;

    EntityHandle proxyHandle = kNoEntity;
    Node* yawNode = nullptr;
    Node* pitchNode = nullptr;
    float yawAngle = 0.0f;
    float pitchAngle = 0.0f;
    float turnRate = 0.2617994f; // 15 degrees a second

protected:
    HubbleScope(const HubbleScope& other) = default;
    void FindScopeNodes();
};

} // namespace lumivane
