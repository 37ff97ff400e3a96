// A mining yard for the scene steps: a pod bay whose four pods mine a ring
// of ore rocks, and a tug that the script sends to grab one rock, haul it
// away, and later at another (letting the first go, its cable reeling in).
#pragma once

#include <cstdint>

#include "desktop/scene/world/entity_handle.h"
#include "desktop/scene/world/standalone_scene.h"

namespace databuilder {

struct MiningYard {
    lumivane::Vec3 bayAt;
    lumivane::Vec3 tugAt;
    lumivane::Vec3 haulBy{30, 0, -15}; // where the tug hauls its first rock, from tugAt
    int player = 1;
    int32_t firstTriggerId = 60; // the yard's three triggers take this id and the next two
    uint32_t towAtMs = 2000;
    uint32_t haulAtMs = 8000;
    uint32_t switchTowAtMs = 45000;
};

// The yard's units that a camera may follow.
struct MiningYardUnits {
    lumivane::EntityHandle podBay = lumivane::kNoEntity;
    lumivane::EntityHandle tug = lumivane::kNoEntity;
    lumivane::EntityHandle lastRock = lumivane::kNoEntity; // the rock the tug ends up towing
};

// Places the yard; false (after saying why, as `step`) when a prototype is
// missing. With `placed`, tells where its pod bay and tug are.
bool AddMiningYard(lumivane::StandaloneScene& scene, const MiningYard& yard, const char* step,
                   MiningYardUnits* placed = nullptr);

} // namespace databuilder
