// UnitWatch: what the units of a run do, for scenerun's unit report. Each
// frame it notes the units whose order state or current waypoint changed;
// at the end it describes every unit (its state, place, speed and, in a
// formation, how far it is from its place) and gives a digest of the
// motion of everything in the world, equal for two runs that are equal bit
// for bit.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string_view>

#include "desktop/scene/world/entity_handle.h"

namespace lumivane {

class World;

class UnitWatch {
public:
    using Log = std::function<void(std::string_view)>;

    void Observe(uint32_t frame, const World& world, const Log& log);
    void Report(const World& world, const Log& log) const;
    // FNV-1a over every entity's handle, class, position, velocity,
    // orientation and spin, and a unit's order state and target.
    static uint32_t Digest(const World& world);

private:
    struct Seen {
        int32_t state;
        int32_t waypoint;
    };
    std::map<EntityHandle, Seen> seen;
};

} // namespace lumivane
