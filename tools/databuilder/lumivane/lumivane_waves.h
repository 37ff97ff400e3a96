// Waves of reinforcements for the data builder's war scenes: each side has
// a wormhole gate by the battlefield, and the script sends the side a fresh
// wave of ships through its gate whenever its last wave (its opening fleet
// being the first) is gone, or after a while at the latest. The arrivals are
// sent hunting. Each ship of a wave takes a handle held back for it, so the
// script and the camera can name ships that do not exist yet; a camera
// director rides with them in turn (WaveDirector).
#pragma once

#include <cstdint>
#include <span>
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
    lumivane::Vec3 viewDirection; // about how the camera looks at the ships
};

inline constexpr int kWaveTriggers = 2;

// One side of a war fought along the east-west line, as a scene gives it:
// its player, its gate, the prototypes of one wave and its opening fleet.
struct SideAtWar {
    int player;
    lumivane::Vec3 gate;
    std::vector<const char*> ships;
    std::span<const PlacedUnit> fleet;
};

// Places both opening fleets, the west's (first) facing east and the
// east's facing west, and plans their waves: each side's arrivals leave
// its gate toward the other. AddWaves then adds them to the scene.
WavePlan EastWestWaves(FleetBuilder& build, const SideAtWar& west, const SideAtWar& east,
                       int32_t firstTriggerId, uint32_t latestMs, lumivane::Vec3 viewDirection);

// Places both gates and adds the top-level triggers (kWaveTriggers), the
// two that send the waves; their ids run from `firstTriggerId` up (four in
// all); the opening units that head each side's list take the wave's held-back
// handles (the script's orders must name them after this). The handles of
// a wave, both sides together; empty when the gates cannot be placed.
std::vector<lumivane::EntityHandle> AddWaves(FleetBuilder& build, WavePlan& plan);

// How a war scene's camera director watches the waves.
struct WaveWatch {
    int32_t firstTriggerId;
    // A ship is in the fight while an enemy is this near.
    float fightReach;
    // The battlefield: within `fieldReach` of both gates; a ship further
    // than `fieldLeft` from either has left it.
    float fieldReach;
    float fieldLeft;
    // The ship the camera rides with spans this much of the picture's
    // width, with room round it for whom it fights.
    float share;
};

// The watch over a fight of light ships (trigger ids after the script's):
// the battle's and the frontier's.
inline constexpr WaveWatch kLightShipsWatch{.firstTriggerId = 100,
                                            .fightReach = 30.0f,
                                            .fieldReach = 100.0f,
                                            .fieldLeft = 130.0f,
                                            .share = 0.08f};

// After AddWaves, a camera director for the scene (AddCameraDirector) that
// takes over a little after the start. Its shots: one for each of a side's
// handles (its waves' ships, then the rest of its opening fleet), the sides
// taking turns, each looked at from about the plan's view direction, a
// little turned from one to the next, from as far back as makes the larger
// of the ships that take the handle span the share of the picture. Its
// fallbacks, for when no ship is in a fight on the field: any ship of
// either side's waves while it lives. A scene may add shots of its own.
DirectorPlan WaveDirector(const lumivane::World& world, const WavePlan& plan,
                          const WaveWatch& watch);

} // namespace databuilder
