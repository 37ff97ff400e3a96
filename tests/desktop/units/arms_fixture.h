// What the tests of combat, weapons, deployables and structures share: the
// unit fixture, the setter of the fixed 32-character name values ("weapon",
// "impact type") of a property block, and whether an entity is still in the
// world.
#pragma once

#include <gtest/gtest.h>

#include "desktop/scene/entity/prop_desc.h"
#include "tests/desktop/units/unit_fixture.h"

namespace lumivane::test {

inline void SetFixedName(Entity& e, const char* name, const char* text) {
    size_t offset = 0;
    const PropDesc* d = PropDesc::Find(e.props->Table(), name, offset);
    ASSERT_NE(d, nullptr) << name;
    ASSERT_EQ(d->type, PropType::Name) << name;
    e.props->SetFixedText(offset, text);
}

// Whether the entity still holds a slot of the world, found by its address
// alone: an entity that has left may be gone, so it is never read.
inline bool IsInWorld(const World& world, const Entity* entity) {
    for (int slot = 0; entity && slot < kWorldSlots; ++slot)
        if (world.SlotObject(slot) == entity) return true;
    return false;
}

} // namespace lumivane::test
