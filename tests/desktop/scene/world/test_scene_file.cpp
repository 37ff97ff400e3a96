// The scene-state file: older versions load with their defaults, a save
// replaces the file only when whole, and old action and condition forms read.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <fstream>

#include "desktop/scene/object/object_table.h"
#include "desktop/scene/world/display_block.h"
#include "desktop/scene/world/scene_file_format.h"
#include "platform/binary_io.h"
#include "tests/desktop/scene/world/scene_fixture.h"

namespace lumivane {
namespace {

using test::SceneFixture;

std::vector<uint8_t> ReadFile(const std::filesystem::path& path) {
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(platform::ReadWholeFile(path, bytes)) << path;
    return bytes;
}

// The bytes of a scene file of version v, written field by field as that
// version stored them, with no triggers, an empty world and six players.
std::vector<uint8_t> OldScene(uint32_t v, uint32_t objectVersion = scene_file::kVersion,
                              uint32_t playerCount = 6, size_t* playersAt = nullptr) {
    platform::BufferWriter file;
    file.WriteBytes("MISS", 4);
    file.WriteU32(v);
    if (v > 119) file.WriteU8(0);
    if (v >= 102) {
        file.WriteU32(99);
        file.WriteBytes("Old\0", 4);
        file.WriteU32(5);
        scene_file::WriteCountedText(file, "Old scene");
        if (v >= 104) scene_file::WriteCountedText(file, "Second");
        if (v >= 105) scene_file::WriteCountedText(file, "scenes\\source.mis");
        scene_file::WriteCountedText(file, "four");
        if (v > 102) scene_file::WriteCountedText(file, "five");
        file.WriteU32(0);
        if (v > 110) {
            file.WriteU32(2);
            for (const char* name : {"first", "second"}) {
                file.WriteFixedString(name, 32);
                for (int i = 0; i < 5; ++i)
                    file.WriteI32(i);
                if (v >= 118) file.WriteI32(77);
            }
        }
    }
    if (v > 100) {
        file.WriteU32(0x20);
        file.WriteU32(0x10);
    }
    if (v > 27) file.WriteU32(500);
    if (v > 4) {
        file.WriteF32(33.0f);
        file.WriteF32(700.0f);
    }
    if (v > 5) file.WriteI32(1);
    if (v > 24) file.WriteI32(40);
    file.WriteU32(0); // triggers
    if (v > 118) {
        for (int i = 0; i < 20; ++i)
            file.WriteFixedString("", 70);
        for (int i = 0; i < 20; ++i)
            file.WriteI32(1);
        file.WriteU32(0);
        file.WriteU32(0);
    }
    if (v > 29) {
        DisplayBlock block;
        for (int32_t word : block.modes)
            file.WriteI32(word);
        if (v >= 100)
            for (int i = 0; i < 6; ++i)
                file.WriteU32(0);
        block.camera.Save(file);
    }
    file.WriteBytes("VRNM", 4);
    file.WriteU32(objectVersion);
    ObjectTable table;
    if (v < scene_file::kWorldSectionFrom) {
        // The oldest files hold the world as its root node alone.
        Node root;
        root.AddRef();
        root.Save(file, table);
    } else {
        World empty;
        empty.Init();
        empty.Save(file, table);
    }
    file.WriteU32(playerCount);
    if (playersAt) *playersAt = size_t(file.Position());
    for (uint32_t i = 0; i < playerCount; ++i)
        Player(int(i % 6)).Save(file, table);
    return file.Take();
}

int LoadBytes(SceneFixture& fixture, const std::vector<uint8_t>& bytes) {
    platform::MemoryReader reader(bytes.data(), bytes.size());
    return fixture.scene->LoadFrom(reader);
}

TEST(LvSceneFile, OlderVersionsLoadWithTheirDefaults) {
    SceneFixture fixture;
    Scene& scene = *fixture.scene;
    scene.scenePath = "scenes\\ab.mis";
    const uint32_t pathSum =
        's' + 'c' + 'e' + 'n' + 'e' + 's' + '\\' + 'a' + 'b' + '.' + 'm' + 'i' + 's';

    ASSERT_EQ(LoadBytes(fixture, OldScene(4)), 1);
    EXPECT_EQ(scene.heightLimit, 15.0f);
    EXPECT_EQ(scene.radius, 500.0f);
    EXPECT_EQ(scene.identityTime, pathSum);
    EXPECT_EQ(scene.title, "Untitled");
    EXPECT_EQ(scene.sourcePath, "scenes\\ab.mis");

    ASSERT_EQ(LoadBytes(fixture, OldScene(5)), 1);
    EXPECT_EQ(scene.heightLimit, 50.0f) << "whatever the file stores";
    EXPECT_EQ(scene.radius, 700.0f);

    GetUserInputWords() = {};
    ASSERT_EQ(LoadBytes(fixture, OldScene(101)), 1);
    EXPECT_EQ(scene.identityTime, pathSum) << "no header texts below 102";
    EXPECT_EQ(scene.title, "Untitled");
    EXPECT_EQ(GetUserInputWords().permission[0], 0x20u);
    EXPECT_EQ(scene.nextIdCounter, 40);

    ASSERT_EQ(LoadBytes(fixture, OldScene(117)), 1);
    EXPECT_EQ(scene.title, "Old scene");
    EXPECT_EQ(scene.secondTitle, "Second");
    EXPECT_EQ(scene.text5, "five");
    ASSERT_EQ(scene.records.size(), 2u);
    EXPECT_EQ(scene.records[0].id, 40) << "ids from the next-id counter, in record order";
    EXPECT_EQ(scene.records[1].id, 41);
    EXPECT_EQ(scene.nextIdCounter, 42);

    ASSERT_EQ(LoadBytes(fixture, OldScene(120)), 1);
    EXPECT_EQ(scene.records[1].id, 77);
    EXPECT_TRUE(fixture.sink.warnings.empty());
}

TEST(LvSceneFile, SavingReplacesTheFileOnlyWhenWhole) {
    SceneFixture fixture;
    Scene& scene = *fixture.scene;
    const std::filesystem::path target = fixture.root / "scenes" / "keep.mis";
    std::ofstream(target) << std::string(200000, 'o');
    ASSERT_TRUE(scene.Save("scenes\\keep.mis"));
    const std::vector<uint8_t> saved = ReadFile(target);
    EXPECT_LT(saved.size(), 200000u) << "no old bytes remain";
    EXPECT_EQ(std::memcmp(saved.data(), "MISS", 4), 0);

    fixture.sink.warnings.clear();
    EXPECT_FALSE(scene.Save("nowhere\\deeper\\keep.mis"));
    ASSERT_EQ(fixture.sink.warnings.size(), 1u);
    EXPECT_EQ(fixture.sink.warnings[0].first, kEntryCannotWrite);
    scene.scenePath.clear();
    EXPECT_FALSE(scene.Save()) << "no path, nothing written";
}

TEST(LvSceneFile, OldActionAndConditionFormsRead) {
    SceneFixture fixture;
    Scene& scene = *fixture.scene;
    scene.nextIdCounter = 50;
    auto read = [&](const platform::BufferWriter& bytes, uint32_t v, TriggerAction& action) {
        platform::MemoryReader reader(bytes.Data().data(), bytes.Data().size());
        EXPECT_TRUE(action.Load(reader, v, scene));
        EXPECT_TRUE(reader.AtEnd());
    };
    // A text below version 10: 100 bytes; its id from the counter.
    platform::BufferWriter text;
    text.WriteI32(action::kShowText);
    text.WriteFixedString("hello", 100);
    TriggerAction oldText;
    read(text, 9, oldText);
    EXPECT_EQ(oldText.text, "hello");
    EXPECT_EQ(oldText.id, 50);
    // Version 24: a text field and B, but no id yet.
    platform::BufferWriter field;
    field.WriteI32(action::kShowText);
    scene_file::WriteTextField(field, "hi");
    field.WriteI32(3);
    TriggerAction midText;
    read(field, 24, midText);
    EXPECT_EQ(midText.text, "hi");
    EXPECT_EQ(midText.Value(0), 3);
    EXPECT_EQ(midText.id, 51);
    // Music below 26: defaults of the six values.
    platform::BufferWriter music;
    music.WriteI32(action::kMusic);
    scene_file::WriteTextField(music, "song.mp3");
    music.WriteU32(1);
    music.WriteU32(2);
    TriggerAction oldMusic;
    read(music, 25, oldMusic);
    EXPECT_EQ(oldMusic.text, "song.mp3");
    EXPECT_EQ(oldMusic.FloatValue(1), 1.0f);
    EXPECT_EQ(oldMusic.Value(5), 1);
    // A single passage of version 20.
    platform::BufferWriter passage;
    passage.WriteI32(action::kPassage);
    passage.WriteI32(1234);
    passage.WriteI32(88);
    passage.WriteFixedString("gate", 32);
    passage.WriteI32(6);
    passage.WriteI32(7);
    TriggerAction oldPassage;
    read(passage, 20, oldPassage);
    ASSERT_EQ(oldPassage.passages.size(), 1u);
    EXPECT_EQ(oldPassage.passages[0].values[PassageRecord::kReservedHandle], 1234);
    EXPECT_EQ(oldPassage.Value(0), 88);
    EXPECT_EQ(oldPassage.passages[0].values[2], 6);
    EXPECT_EQ(oldPassage.passages[0].values[4], std::bit_cast<int32_t>(1.0f));
    // Build lists before weights: every weight 1, for the first player.
    platform::BufferWriter builds;
    builds.WriteI32(action::kBuildList);
    builds.WriteU32(1);
    builds.WriteFixedString("testship", 32);
    TriggerAction oldBuilds;
    read(builds, 100, oldBuilds);
    EXPECT_EQ(oldBuilds.weights, std::vector<int32_t>{1});
    EXPECT_EQ(oldBuilds.Value(0), 0);
    // Types outside 1..50 store nothing after the type.
    platform::BufferWriter none;
    none.WriteI32(0);
    TriggerAction empty;
    read(none, 120, empty);

    // Conditions: a single handle below 16; a distance below 17 with the
    // word that asks for mode 2.
    platform::BufferWriter visible;
    visible.WriteI32(int32_t(ConditionType::Visible));
    visible.WriteI32(0);
    visible.WriteI32(2);
    visible.WriteI32(555);
    TriggerCondition oldVisible;
    platform::MemoryReader visibleReader(visible.Data().data(), visible.Data().size());
    ASSERT_TRUE(oldVisible.Load(visibleReader, 15));
    EXPECT_EQ(oldVisible.handles, std::vector<EntityHandle>{555});
    EXPECT_EQ(oldVisible.mode, 0);
    platform::BufferWriter distance;
    distance.WriteI32(int32_t(ConditionType::Distance));
    distance.WriteI32(0);
    distance.WriteI32(10);
    distance.WriteI32(11);
    distance.WriteF32(5.0f);
    distance.WriteU32(1);
    TriggerCondition oldDistance;
    platform::MemoryReader distanceReader(distance.Data().data(), distance.Data().size());
    ASSERT_TRUE(oldDistance.Load(distanceReader, 16));
    EXPECT_EQ(oldDistance.mode, 2);
    EXPECT_EQ(oldDistance.distance, 5.0f);
    EXPECT_TRUE(distanceReader.AtEnd());
}

} // namespace
} // namespace lumivane
