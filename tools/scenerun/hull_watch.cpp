// OverlappingHulls: every pair of free units, by their bounding spheres.
#include "tools/scenerun/hull_watch.h"

#include <algorithm>

#include "desktop/scene/entity/entity_props.h"
#include "desktop/scene/world/world.h"
#include "desktop/units/carrier/craft.h"
#include "desktop/units/ship_base/ship.h"

namespace lumivane {

namespace {

struct FreeUnit {
    const Ship* unit;
    float reach; // the radius the collision pass tests
};

std::vector<FreeUnit> FreeUnits(const World& world) {
    std::vector<FreeUnit> units;
    for (int i = 0; i < world.EntityCount(); ++i) {
        const Ship* unit = AsShip(world.EntityAt(i));
        if (!unit || IsA(unit, ClassId::Weapon) || !unit->canCollide || unit->IsLinked()) continue;
        const float scale = unit->props ? unit->props->Float(EntityFields().mainBoundScale) : 1.0f;
        units.push_back({unit, scale * unit->radius});
    }
    return units;
}

// The carrier a craft leaves from and lands in: it passes through the
// carrier's bounding sphere on its way, by the hull.
EntityHandle HomeOf(const Ship& unit) {
    if (IsA(&unit, ClassId::CarrierFighter))
        return static_cast<const CarrierFighter&>(unit).carrier;
    if (IsA(&unit, ClassId::SpaceMarine)) return static_cast<const SpaceMarine&>(unit).atr;
    return kNoEntity;
}

bool AtHome(const Ship& a, const Ship& b) {
    return (HomeOf(a) != kNoEntity && HomeOf(a) == b.handle) ||
           (HomeOf(b) != kNoEntity && HomeOf(b) == a.handle);
}

} // namespace

std::vector<HullOverlap> OverlappingHulls(const World& world, float share) {
    const std::vector<FreeUnit> units = FreeUnits(world);
    std::vector<HullOverlap> found;
    for (size_t i = 0; i < units.size(); ++i)
        for (size_t j = i + 1; j < units.size(); ++j) {
            const FreeUnit& a = units[i];
            const FreeUnit& b = units[j];
            if (AtHome(*a.unit, *b.unit)) continue;
            const float smaller = std::min(a.reach, b.reach);
            if (!(smaller > 0.0f)) continue;
            const float apart = (a.unit->position - b.unit->position).Length();
            const float depth = (a.reach + b.reach - apart) / smaller;
            if (depth > share) found.push_back({a.unit->handle, b.unit->handle, depth});
        }
    return found;
}

} // namespace lumivane
