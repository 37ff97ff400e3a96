// Property tables, blocks and ".prp" files.
#include <gtest/gtest.h>

#include <cstring>

#include "desktop/scene/entity/prop_block.h"
#include "desktop/scene/entity/prop_file.h"
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
    // race, sensor range, pilot type, target for enemies, top speed, the
    // move and gather tasks, then ten 32-byte build choices.
    EXPECT_EQ(ship.Size(), kEntityPropsSize + 4 + 4 + 4 + 1 + 4 + 1 + 1 + 10 * 32);
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

TEST_F(LvProps, RecordsThatWouldSpillOrBreakTheFileAreRefused) {
    const EntityPropFields& f = EntityFields();
    const float big = 7.0f;
    char name[32];
    std::memset(name, 'x', sizeof name); // no terminator within the field

    // A 32-byte name over the 4-byte "scale" is skipped; its neighbours stay.
    platform::BufferWriter file;
    Record(file, "scale", PropType::Name, name);
    // Unknown file name and path: their trailing records are skipped too.
    Record(file, "unknown file", PropType::FileName, name);
    Record(file, "unknown path", PropType::Path, name);
    Record(file, "health max", PropType::Float, &big);
    Record(file, "sound 2 file", PropType::FileName, name);
    PropBlock block(EntityPropDescs());
    PropReadResult result = Read(file.Data(), block);
    EXPECT_FALSE(result.damaged);
    EXPECT_EQ(result.skipped, 3);
    EXPECT_EQ(block.Float(f.scale), 1.0f);
    EXPECT_TRUE(block.Flag(f.visible));
    EXPECT_EQ(block.Float(f.healthMax), 7.0f);
    EXPECT_EQ(block.OwnedText(f.sound[1].file), std::string(31, 'x')); // terminated

    // A type code of 16 or more (or negative) ends the file.
    for (int32_t code : {16, 255, -1}) {
        platform::BufferWriter bad;
        Record(bad, "health max", PropType::Float, &big);
        bad.WriteFixedString("scale", 32);
        bad.WriteI32(code);
        bad.WriteF32(0.25f);
        Record(bad, "mass", PropType::Float, &big);
        PropBlock b(EntityPropDescs());
        result = Read(bad.Data(), b);
        EXPECT_TRUE(result.damaged) << code;
        EXPECT_EQ(b.Float(f.healthMax), 7.0f);
        EXPECT_EQ(b.Float(f.scale), 1.0f);
        EXPECT_EQ(b.Float(f.mass), 1.0f);
    }

    // A record cut short is not applied, wherever the cut falls.
    platform::BufferWriter whole;
    Record(whole, "mass", PropType::Float, &big);
    Record(whole, "-path0", PropType::Path, name);
    for (size_t cut = 1; cut < whole.Data().size(); ++cut) {
        std::vector<uint8_t> part(whole.Data().begin(), whole.Data().begin() + ptrdiff_t(cut));
        PropBlock b(EntityPropDescs());
        result = Read(part, b);
        EXPECT_EQ(result.damaged, cut != 40) << cut; // 40: the first record whole
        EXPECT_EQ(b.Float(f.mass), cut >= 40 ? 7.0f : 1.0f) << cut;
        EXPECT_EQ(b.OwnedString(0), nullptr) << cut;
    }
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

// Registers every sound it is asked for.
class CountingSounds : public SoundCues {
public:
    CountingSounds() { SetSoundCues(this); }
    ~CountingSounds() override { SetSoundCues(nullptr); }
    int32_t RegisterSound(std::string_view file, int32_t, std::string_view requester) override {
        registered.emplace_back(std::string(file) + "@" + std::string(requester));
        return int32_t(registered.size()) + 10;
    }
    void QueueAnnouncement(int32_t index) override { announced.push_back(index); }
    std::vector<std::string> registered;
    std::vector<int32_t> announced;
};

TEST_F(LvProps, SoundFilesResolveAndAnEmptyOneStaysSilent) {
    CountingSounds sounds;
    Entity* proto = AddPrototype("beacon", [](Entity& e) {
        SetText(e, "sound 3 file", "hum.wav");
        SetInt(e, "sound 3 function", 0);
    });
    const EntityPropFields& f = EntityFields();
    ASSERT_EQ(sounds.registered, std::vector<std::string>{"hum.wav@beacon"});
    EXPECT_EQ(proto->props->Int(f.sound[2].soundId), 11);
    EXPECT_EQ(proto->props->Int(f.sound[0].soundId), -1); // no file: no sound

    // Ambient slots play from the first frame; their start times follow
    // the game clock the sound manager compares them with.
    GetSceneClock().gameTime = 5000;
    Entity* clone = Spawn("beacon");
    for (const SoundSlotState& slot : clone->soundSlots)
        EXPECT_EQ(slot.startTime, 5000);
    Step(0.05f);
    EXPECT_EQ(clone->soundSlots[2].soundId, 11);
    EXPECT_EQ(clone->soundSlots[0].soundId, -1);
    clone->PlayEventSounds(SoundEvent::Ambient, 0);
    EXPECT_EQ(clone->soundSlots[2].startTime, 5050);
    EXPECT_EQ(clone->soundSlots[2].loop, 0);
    clone->StopEventSounds(SoundEvent::Ambient);
    EXPECT_EQ(clone->soundSlots[2].soundId, -1);
}

TEST_F(LvProps, LoadingAPropertyFileReachesThePrototypeByItsName) {
    const std::filesystem::path root = std::filesystem::path(::testing::TempDir()) / "lvprops_root";
    std::filesystem::create_directories(root / "Properties");
    {
        PropBlock block(EntityPropDescs());
        block.Set<float>(EntityFields().healthMax, 40.0f);
        ASSERT_TRUE(SavePropFile(root / "Properties" / "ROCK.prp", block));
    }
    GetModelLoadState().dataRoot = root;
    Entity rock;
    rock.SetName("rock");
    rock.LoadProps(nullptr); // "properties\rock.prp" in any letter case
    EXPECT_EQ(rock.health, 40.0f);
    EXPECT_EQ(rock.ownsPropertyBlock, 1);

    Entity other;
    other.SetName("pebble");
    other.LoadProps(nullptr); // no file: the defaults
    EXPECT_EQ(other.health, 1.0f);
    std::filesystem::remove_all(root);
}

} // namespace
} // namespace lumivane
