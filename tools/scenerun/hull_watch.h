// Hulls that reach into one another: the pairs of free units whose
// bounding spheres, sized as the collision pass sizes them, overlap. Free
// units are the ships that are not weapons, not riding on another entity
// and have their collision switch on; a unit the engine lets pass through
// on purpose (a craft leaving or landing in its bay, a ship coming out of
// its builder) has its switch off and does not count, and neither does a
// craft by its own carrier, whose bays lie within the carrier's sphere.
#pragma once

#include <vector>

#include "desktop/scene/world/entity_handle.h"

namespace lumivane {

class World;

struct HullOverlap {
    EntityHandle first;
    EntityHandle second;
    // How far the spheres reach into each other, as a share of the smaller
    // one's radius: 0 touching, 1 the smaller one's centre on the larger
    // one's surface, 2 and more its centre inside.
    float depth;
};

// The pairs whose overlap goes deeper than `share`.
std::vector<HullOverlap> OverlappingHulls(const World& world, float share);

} // namespace lumivane
