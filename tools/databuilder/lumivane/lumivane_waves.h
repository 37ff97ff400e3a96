// Waves of reinforcements for the data builder's war scenes: each side has
// a wormhole gate by the battlefield, and the script sends the side a fresh
// wave of ships through its gate whenever its last wave (its opening fleet
// being the first) is gone, or after a while at the latest. The arrivals are sent
// hunting, and the camera moves to follow them; between waves it tours the
// two sides' ships. Each ship of a wave takes a
// handle held back for it, so the script and the camera can name ships that
// do not exist yet.
#pragma once

#include <cstdint>
#include <vector>

#include "desktop/scene/object/vec3.h"
#include "desktop/scene/world/entity_handle.h"
#include "tools/databuilder/lumivane/lumivane_war_scene.h"

namespace databuilder {

inline constexpr int kWaveTriggers = 3;

struct WaveSide {
    int player;
    lumivane::Vec3 gate;                         // where its gate stands
    lumivane::Vec3 towardEnemy;                  // the way its arrivals leave the gate
    std::vector<const char*> ships;              // the prototypes of one wave
    std::vector<lumivane::EntityHandle> opening; // its first wave, already placed
};

struct WavePlan {
    WaveSide west;
    WaveSide east;
    int32_t firstTriggerId;
    uint32_t latestMs;            // a wave comes at the latest this long after the last
    lumivane::Vec3 viewDirection; // how the camera looks at the arrivals
    float viewDistance;           // and from how far, at both sides' waves
    float sideViewDistance;       // the tour's nearer look at one side's wave
};

// Places both gates and adds the top-level triggers (kWaveTriggers): the two
// that send the waves and a camera tour that, over and over, rides with one
// side's wave, looks at both, rides with the other's and looks at both
// again; their ids run from `firstTriggerId` up (six in all);
// the opening units that head each side's list take the wave's held-back
// handles (the script's orders must name them after this). The handles of
// a wave, both sides together; empty when the gates cannot be placed.
std::vector<lumivane::EntityHandle> AddWaves(FleetBuilder& build, WavePlan& plan);

} // namespace databuilder
