// The particle systems Lumivane's data ships: explosions in three colours,
// the shock wave of a structure's end, damage smoke, sparks, blood, yellow
// flames and engine flames, each a name and the property values that
// differ from a new system's.
#pragma once

#include <functional>
#include <vector>

namespace lumivane {
class Entity;
}

namespace databuilder {

struct ParticleEffect {
    const char* name;
    std::function<void(lumivane::Entity&)> tune;
};

const std::vector<ParticleEffect>& ParticleEffects();

} // namespace databuilder
