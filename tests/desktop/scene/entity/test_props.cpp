// Property files: records that would spill are refused, sound files resolve,
// and a loaded file reaches its prototype by name.
#include <gtest/gtest.h>

#include <cstring>

#include "desktop/scene/entity/prop_block.h"
#include "desktop/scene/entity/prop_file.h"
#include "platform/binary_io.h"
#include "tests/desktop/scene/world_fixture.h"

namespace lumivane {
namespace {

using LvProps = test::WorldTest;

void Record(platform::BufferWriter& file, const char* name, PropType type, const void* value) {
    WritePropRecord(file, name, type, value);
}

PropReadResult Read(const std::vector<uint8_t>& bytes, PropBlock& block) {
    platform::MemoryReader reader(bytes.data(), bytes.size());
    return ReadPropRecords(reader, block);
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
