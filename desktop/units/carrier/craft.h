// The craft that carriers launch. A CarrierFighter is pushed out of its
// bay, coasts a second, fights with two alternating guns and comes home
// when its fuel runs out or it is recalled: to the carrier's
// "dummyrecovery2" node, then, wings folded, in to "dummyrecovery1", where
// it docks. A SpaceMarine leaps from an ATR, coasts two seconds, fights
// with a prepare-and-shoot weapon and comes home through the ATR's side
// doors ("dummyside1" or "dummyside2"). Both go home instead of asking for
// repair, and a craft whose carrier is gone explodes when its fuel is out.
#pragma once

#include <cstdint>

#include "desktop/units/ship_base/ship.h"

namespace lumivane {

// Turns a launched craft home: state 11 toward the carrier's node.
void ReturnToCarrier(Ship& craft, EntityHandle carrier, const char* node);
// Launched craft go home instead of asking for repair: an order 27
// addressed to itself unless it is already on its way.
void RequestReturnOrder(Ship& craft);

class CarrierFighter : public Ship {
public:
    static constexpr int32_t kCoastMs = 1000;

    CarrierFighter();
    Node* Clone() override;
    int Save(platform::BinaryWriter& file, ObjectTable& table) override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    void InitClone(Node* source) override;
    void Update() override;
    void HandleMessage(Message& message) override;
    void Fire() override;
    void UpdateState11() override;
    void RequestSelfOrder() override;

    // The push out of the bay: a quarter of the forward direction.
    void Launch();

    int32_t gunIndex = 0;
    int32_t launchTime = 0;
    EntityHandle carrier = kNoEntity;
    Node* gunNodes[2] = {};

protected:
    CarrierFighter(const CarrierFighter& other) = default;

private:
    void BindNodes();
    bool RidesCarrier() const;
    // Explodes and leaves the world.
    void Destroy();
};

class SpaceMarine : public Ship {
public:
    static constexpr int32_t kCoastMs = 2000;

    SpaceMarine();
    Node* Clone() override;
    int Save(platform::BinaryWriter& file, ObjectTable& table) override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    void InitClone(Node* source) override;
    void Update() override;
    void HandleMessage(Message& message) override;
    // Readies a shot: the shot itself leaves once "body_prepare" is done.
    void Fire() override;
    void UpdateState11() override;
    void RequestSelfOrder() override;

    // The leap out of the ATR: a tenth of the forward direction.
    void Launch();
    // The side door of its slot: "dummyside1" for slots 1..3, else
    // "dummyside2".
    const char* SideNode() const;

    int32_t launchTime = 0;
    EntityHandle atr = kNoEntity;
    int32_t slotNumber = 0; // 1..8, 0 before it leaves a bay
    int32_t armed = 0;

protected:
    SpaceMarine(const SpaceMarine& other) = default;

private:
    void BindNodes();
    bool RidesATR() const;
    void Destroy();
    void UpdateWeapon();
};

} // namespace lumivane
