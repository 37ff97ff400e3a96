// Property blocks of the ship classes: their packed layout, defaults and
// records applied by name.
#include <gtest/gtest.h>

#include <cstring>

#include "desktop/scene/entity/prop_block.h"
#include "desktop/scene/entity/prop_file.h"
#include "desktop/units/unit_class_headers.h"
#include "platform/binary_io.h"
#include "tests/desktop/scene/world_fixture.h"

namespace lumivane {
namespace {

using LvProps = test::WorldTest;

size_t OffsetOf(const PropDesc* table, const char* name) {
    size_t offset = 0;
    EXPECT_NE(PropDesc::Find(table, name, offset), nullptr) << name;
    return offset;
}

void Record(platform::BufferWriter& file, const char* name, PropType type, const void* value) {
    WritePropRecord(file, name, type, value);
}

PropReadResult Read(const std::vector<uint8_t>& bytes, PropBlock& block) {
    platform::MemoryReader reader(bytes.data(), bytes.size());
    return ReadPropRecords(reader, block);
}

TEST_F(LvProps, BlocksKeepTheirPackedLayoutAndDefaults) {
    EXPECT_EQ(PropDesc::BlockSize(EntityPropDescs()), kEntityPropsSize);
    EXPECT_EQ(PropDesc::EndEntry(EntityPropDescs()).name, "Entity");
    EXPECT_EQ(PropDesc::BaseTable(ShipPropDescs()), EntityPropDescs());
    // Ship values continue right behind the Entity block, base table first.
    EXPECT_EQ(OffsetOf(ShipPropDescs(), "race"), kEntityPropsSize);
    EXPECT_EQ(OffsetOf(ShipPropDescs(), "scale"), OffsetOf(EntityPropDescs(), "scale"));
    // Fields sit at odd offsets: "-path0" 4, "name ID" 4, "available" 1.
    EXPECT_EQ(OffsetOf(EntityPropDescs(), "scale"), 9u);
    EXPECT_EQ(OffsetOf(EntityPropDescs(), "scale fudge"), kEntityPropsSize - 1);

    size_t cursor = 0;
    EXPECT_EQ(PropDesc::Find(EntityPropDescs(), "Scale", cursor), nullptr); // case matters
    cursor = 0;
    EXPECT_EQ(PropDesc::Find(EntityPropDescs(), "", cursor), nullptr);

    PropBlock block(EntityPropDescs());
    const EntityPropFields& f = EntityFields();
    EXPECT_EQ(block.Float(f.scale), 1.0f);
    EXPECT_TRUE(block.Flag(f.visible));
    EXPECT_FALSE(block.Flag(f.massive));
    EXPECT_EQ(block.Int(f.sound[0].soundId), -1);
    EXPECT_EQ(block.Int(f.sound[0].function), 0);
    EXPECT_EQ(block.Int(f.sound[1].function), 3);
    EXPECT_EQ(block.Float(f.sphere[0].size), 1.0f);
    EXPECT_EQ(block.Float(f.sphere[1].size), 0.01f);
    EXPECT_EQ(block.Float(OffsetOf(EntityPropDescs(), "chase camera y")), 0.325f);
    EXPECT_EQ(block.OwnedString(f.particleSystem[0]), nullptr);
    PropBlock ship(ShipPropDescs());
    // The ship values follow the Entity block; the block ends with ten
    // 32-byte build choices.
    EXPECT_EQ(ship.Size(), ShipFields().construct[9] + 32);
    EXPECT_EQ(ship.Float(ShipFields().sensorRange), 20.0f);
    EXPECT_TRUE(ship.Flag(ShipFields().taskMove));
    EXPECT_EQ(ship.Float(ShipFields().topSpeed), 1.0f);
}

TEST_F(LvProps, RecordsApplyByNameWhateverTheirOrder) {
    platform::BufferWriter file;
    const int32_t two = 2;
    const float half = 0.5f;
    char text[32] = "boom";
    Record(file, "scale", PropType::Float, &half);
    Record(file, "*Mass*", PropType::GroupStart, nullptr);
    Record(file, "massive", PropType::Flag, &two); // any non-zero value sets a flag
    Record(file, "*EndMass*", PropType::GroupEnd, nullptr);
    Record(file, "sound 1 file", PropType::FileName, text);
    Record(file, "particle system 2", PropType::PrototypeName, text);
    Record(file, "-path0", PropType::Path, text);
    Record(file, "Entity", PropType::End, nullptr); // an end entry carries no value
    Record(file, "race", PropType::Integer, &two);  // a Ship value in an Entity file
    Record(file, "no such value", PropType::Float, &half);

    PropBlock block(EntityPropDescs());
    PropReadResult result = Read(file.Data(), block);
    EXPECT_FALSE(result.damaged);
    EXPECT_EQ(result.applied, 5);
    EXPECT_EQ(result.skipped, 2);
    const EntityPropFields& f = EntityFields();
    EXPECT_EQ(block.Float(f.scale), 0.5f);
    EXPECT_EQ(block.Get<uint8_t>(f.massive), 1);
    EXPECT_EQ(block.OwnedText(f.sound[0].file), "boom");
    EXPECT_EQ(block.OwnedText(f.particleSystem[1]), "boom");
    EXPECT_EQ(block.OwnedText(0), "boom");

    // The ship reads the same file with its Ship value.
    PropBlock ship(ShipPropDescs());
    EXPECT_EQ(Read(file.Data(), ship).applied, 6);
    EXPECT_EQ(ship.Int(ShipFields().race), 2);
}

TEST_F(LvProps, AWrittenFileLoadsAndSavesToTheSameBytes) {
    PropBlock block(ShipPropDescs());
    const EntityPropFields& f = EntityFields();
    block.Set<float>(f.scale, 3.5f);
    block.SetFlag(f.massive, true);
    block.Set<int32_t>(ShipFields().race, 2);
    block.SetOwnedString(f.sound[4].file, "engine.wav");
    block.SetOwnedString(f.particleSystem[7], "spark");
    block.SetOwnedString(0, "models\\path");
    platform::BufferWriter first;
    WritePropFile(first, block);

    PropBlock loaded(ShipPropDescs());
    EXPECT_FALSE(Read(first.Data(), loaded).damaged);
    platform::BufferWriter second;
    WritePropFile(second, loaded);
    EXPECT_EQ(first.Data(), second.Data());
    EXPECT_EQ(loaded.OwnedText(f.sound[4].file), "engine.wav");

    loaded.ReleaseStrings();
    EXPECT_EQ(loaded.OwnedString(f.sound[4].file), nullptr);
    EXPECT_EQ(loaded.OwnedString(f.particleSystem[7]), nullptr);
    EXPECT_EQ(loaded.Float(f.scale), 3.5f);
}

} // namespace
} // namespace lumivane
