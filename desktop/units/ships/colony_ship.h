// ColonyShip: carries settlers that a trigger hands it as spawn records;
// one after another, each at its delay after the one before, they come out
// at its "dummyship" node and fly off.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "desktop/scene/entity/wormhole.h"
#include "desktop/units/ship/ship.h"

namespace lumivane {

// A settler to come out: the same record the wormhole's arrivals use.
using ColonySpawn = WormholeSpawn;

class ColonyShip : public Ship {
public:
    ColonyShip() { classId = uint8_t(ClassId::ColonyShip); }
    int Save(platform::BinaryWriter& file, ObjectTable& table) override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    Node* Clone() override;
    void Update() override;
    // The cargo button is lit while settlers wait to come out.
    int IsOrderActive(int code) override;

    // Appends records; the first to an empty list starts its delay now.
    void AddSpawns(std::span<const ColonySpawn> records) override;

    std::vector<ColonySpawn> spawns;
    int32_t startTime = 0; // when the head record's delay began, ms

protected:
    ColonyShip(const ColonyShip& other) = default;

private:
    void SpawnNext();
};

} // namespace lumivane
