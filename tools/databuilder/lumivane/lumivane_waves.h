// Waves of reinforcements for the data builder's war scenes: each side has
// a wormhole gate by the battlefield, and the script sends the side a fresh
// wave of ships through its gate whenever its last wave (its opening fleet
// being the first) is gone, or after a while at the latest. The arrivals are sent
// hunting, and (unless the scene directs its camera otherwise) the camera
// moves to follow them; between waves it tours the two sides' ships. Each
// ship of a wave takes a
// handle held back for it, so the script and the camera can name ships that
// do not exist yet.
#pragma once

#include <cstdint>
#include <vector>

#include "desktop/scene/object/vec3.h"
#include "desktop/scene/world/entity_handle.h"
#include "tools/databuilder/lumivane/lumivane_camera_director.h"
#include "tools/databuilder/lumivane/lumivane_war_scene.h"

namespace databuilder {

struct WaveSide {
    int player;
    lumivane::Vec3 gate;                                     // where its gate stands
    lumivane::Vec3 towardEnemy;                              // the way its arrivals leave the gate
    std::vector<const char*> ships;                          // the prototypes of one wave
    std::vector<lumivane::EntityHandle> opening;             // its first wave, already placed
    std::vector<lumivane::EntityHandle> handles;             // set by AddWaves: every wave's ships
    lumivane::EntityHandle gateHandle = lumivane::kNoEntity; // set by AddWaves
};

struct WavePlan {
    WaveSide west;
    WaveSide east;
    int32_t firstTriggerId;
    uint32_t latestMs;            // a wave comes at the latest this long after the last
    lumivane::Vec3 viewDirection; // how the camera looks at the arrivals
    float viewDistance;           // and from how far, at both sides' waves
    float sideViewDistance;       // the tour's nearer look at one side's wave
    // Whether the camera turns to each wave as it arrives and tours the
    // waves between arrivals (a scene may direct its camera otherwise).
    bool cameraFollows = true;
};

// How many top-level triggers AddWaves adds for the plan.
int WaveTriggerCount(const WavePlan& plan);

// Places both gates and adds the top-level triggers (WaveTriggerCount): the
// two that send the waves and, when the camera follows them, a camera tour
// that, over and over, rides with one side's wave, looks at both, rides
// with the other's and looks at both again; their ids run from
// `firstTriggerId` up (six in all);
// the opening units that head each side's list take the wave's held-back
// handles (the script's orders must name them after this). The handles of
// a wave, both sides together; empty when the gates cannot be placed.
std::vector<lumivane::EntityHandle> AddWaves(FleetBuilder& build, WavePlan& plan);

// After AddWaves, the camera director's shots of the two sides' ships: one
// for each of a side's handles (its waves' ships, then the rest of its
// opening fleet), the sides taking turns, each taken while an enemy is
// within `fightReach` of the ship. The camera looks from about the plan's
// view direction, each shot a little turned, from as far back as makes the
// larger of the ships that take the handle span `share` of the picture.
std::vector<DirectorShot> WaveShots(const lumivane::World& world, const WavePlan& plan,
                                    float fightReach, float share);
// For when no ship is in a fight: any ship of either side's waves while it
// lives.
std::vector<DirectorShot> WaveFallbacks(const lumivane::World& world, const WavePlan& plan,
                                        float share);

} // namespace databuilder
