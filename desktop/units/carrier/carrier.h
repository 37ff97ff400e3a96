// Carrier and ATR: the two carrying classes. A Carrier opens a bay door for
// each craft marked for launch, makes the fighter named by its "weapon"
// property on the bay's "fighter%i" node after 1.5 s and releases it into
// the fight after 7 s. An ATR drops a marine named by its "weapon" at
// "dummymarine%i" at once and releases it after half a second. Both keep
// the bay slots of BayShip.
#pragma once

#include "desktop/units/carrier/bay_ship.h"

namespace lumivane {

inline constexpr int kCarrierThrustNodes = 4;
inline constexpr int kATRThrustNodes = 5;

class Carrier : public BayShip {
public:
    static constexpr int32_t kSpawnAfterMs = 1500;
    static constexpr int32_t kReleaseAfterMs = 7000;

    Carrier();
    Node* Clone() override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    void InitClone(Node* source) override;
    void Update() override;

    Node* thrustNodes[kCarrierThrustNodes] = {};

protected:
    Carrier(const Carrier& other) = default;

private:
    void BindNodes();
    void UpdateLaunches();
};

class ATR : public BayShip {
public:
    static constexpr int32_t kReleaseAfterMs = 500;

    ATR();
    Node* Clone() override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    void InitClone(Node* source) override;
    void Update() override;
    // Marks the launches and reloads as a single gun does.
    void Fire() override;

    Node* thrustNodes[kATRThrustNodes] = {};

protected:
    ATR(const ATR& other) = default;

private:
    void BindNodes();
    void UpdateLaunches();
};

} // namespace lumivane
