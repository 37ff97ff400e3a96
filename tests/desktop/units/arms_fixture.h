// What the tests of combat, weapons, deployables and structures share: the
// unit fixture, the setter of the fixed 32-character name values ("weapon",
// "impact type") of a property block, whether an entity is still in the
// world, and the record round trip.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "desktop/scene/entity/prop_desc.h"
#include "desktop/scene/object/trans_node.h"
#include "desktop/scene/object/object_file.h"
#include "platform/binary_io.h"
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

// Writes the unit as an object file and reads it back: the copy must write
// the same bytes again; `check` looks at the copy. Answers the bytes.
inline std::vector<uint8_t> ExpectRecordReadsBack(Node* unit,
                                                  const std::function<void(Unknown&)>& check = {}) {
    platform::BufferWriter file;
    EXPECT_TRUE(WriteObject(file, unit));
    const std::vector<uint8_t> bytes = file.Take();
    platform::MemoryReader in(bytes.data(), bytes.size());
    Unknown* read = ReadObject(in, nullptr, "unit.vrn", 0);
    EXPECT_NE(read, nullptr) << unit->Name();
    if (!read) return bytes;
    platform::BufferWriter again;
    EXPECT_TRUE(WriteObject(again, read));
    EXPECT_EQ(again.Take(), bytes) << unit->Name();
    if (check) check(*read);
    read->Release();
    return bytes;
}

inline TransNode* MountNode(const char* name, Vec3 at = {}) {
    auto* node = new TransNode;
    node->SetName(name);
    node->local.MakeTranslation(at.x, at.y, at.z);
    return node;
}

inline void QuietUnit(Entity& e) {
    WorldTest::SetFlag(e, "affected by gravity", false);
    WorldTest::SetFlag(e, "task: auto attack", false);
    WorldTest::SetFlag(e, "task: auto repair", false);
}

} // namespace lumivane::test
