// WeaponProps: the property table of every projectile (the Ship table
// followed by the weapon's lifespan, speed, damage and impact), with the
// offsets of its values found once by name.
#pragma once

#include <cstddef>

#include "desktop/scene/entity/prop_desc.h"

namespace lumivane {

// The Weapon table (ends with "Weapon", base table Ship's).
const PropDesc* WeaponPropDescs();

struct WeaponPropFields {
    size_t lifespan, speed, damage, dieOnImpact, impactType, impactScale;
};

const WeaponPropFields& WeaponFields();

} // namespace lumivane
