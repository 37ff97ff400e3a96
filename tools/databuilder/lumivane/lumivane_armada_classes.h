// The ship classes' part of the armada scene: two small squadrons of the
// gunboats, bombers, catamarans, interceptors, probes and missile boats
// clash beside a mine layer sent at an enemy, a colony ship whose settlers
// a trigger sends out, a prefab kit that unfolds into a hub, a mining
// station and the plain minesweeper and shuttle.
#pragma once

#include <cstdint>

#include "desktop/scene/object/vec3.h"
#include "desktop/scene/world/entity_handle.h"

namespace lumivane {
class Scene;
class World;
} // namespace lumivane

namespace databuilder {

struct WavePlan;

// The units of the scene's story beside the squadrons, for a camera to
// follow.
struct ArmadaClassesCast {
    lumivane::EntityHandle bomber = lumivane::kNoEntity;
    lumivane::EntityHandle mineLayer = lumivane::kNoEntity;
    lumivane::EntityHandle colonyShip = lumivane::kNoEntity;
    lumivane::EntityHandle shuttle = lumivane::kNoEntity;
    lumivane::EntityHandle kit = lumivane::kNoEntity;
    lumivane::EntityHandle hub = lumivane::kNoEntity; // held back for the hub the kit becomes
    lumivane::EntityHandle miningStation = lumivane::kNoEntity;
    lumivane::EntityHandle minesweeper = lumivane::kNoEntity;
};

struct ArmadaClassesPlan {
    lumivane::Vec3 centre;      // the two squadrons face each other across it along X
    int west = 1;               // player of the squadron on -X
    int east = 2;               // player of the squadron on +X
    int32_t firstTriggerId = 0; // the triggers take ids from here up
    // With waves, the squadrons are their first wave (AddWaves).
    WavePlan* waves = nullptr;
    // When given, told where the story's units are.
    ArmadaClassesCast* cast = nullptr;
};

// Places the units and adds their triggers; returns the number of
// top-level triggers added, or -1 (after saying why) when a unit could not
// be placed.
int PlaceArmadaClasses(lumivane::Scene& scene, lumivane::World& world,
                       const ArmadaClassesPlan& plan, const char* step);

} // namespace databuilder
