// Scene files with units: a scene loads and saves to the same bytes, and
// bad or cut files are refused cleanly.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <fstream>

#include "desktop/scene/object/object_table.h"
#include "desktop/scene/world/display_block.h"
#include "desktop/scene/world/scene_file_format.h"
#include "desktop/units/unit_class_headers.h"
#include "platform/binary_io.h"
#include "tests/desktop/scene/world/scene_file_bytes.h"
#include "tests/desktop/scene/world/scene_fixture.h"

namespace lumivane {
namespace {

using test::LoadBytes;
using test::OldScene;
using test::ReadFile;
using test::SceneFixture;

TriggerCondition& Condition(Trigger& trigger, ConditionType type) {
    auto condition = std::make_unique<TriggerCondition>();
    condition->type = int32_t(type);
    condition->owner = &trigger;
    trigger.conditions.push_back(std::move(condition));
    return *trigger.conditions.back();
}

// One action of every kind, with fields filled the way its block stores them.
void AddEveryAction(Trigger& trigger) {
    for (int32_t type = 0; type <= 51; ++type) {
        auto action = std::make_unique<TriggerAction>();
        action->type = type;
        action->owner = &trigger;
        action->values.assign(36, 0);
        for (size_t i = 0; i < action->values.size(); ++i)
            action->values[i] = type * 100 + int32_t(i);
        action->text = "text" + std::to_string(type);
        action->text2 = type % 2 ? "second" : "";
        action->sound = "sound.wav";
        action->id = 1000 + type;
        action->handles = {1, 2, 3};
        action->point = {1, 2, 3};
        action->offset = {4, 5, 6};
        action->names = {"testship", "Planet"};
        action->weights = {2, 7};
        action->hookBytes.assign(66, uint8_t(type));
        CameraKey key;
        key.name = "key";
        key.duration = 500;
        key.kind = 6;
        key.view.targets = {4, 5};
        key.view.chase = 1;
        action->cameraKeys = {key, key};
        PassageRecord passage;
        passage.name = "gate";
        passage.values[1] = -1;
        action->passages = {passage};
        trigger.actions.push_back(std::move(action));
    }
}

// A scene with entities, units in squads, a script using every condition
// and action kind, records, variables and texts.
void BuildScene(SceneFixture& fixture, bool everything) {
    Scene& scene = *fixture.scene;
    ASSERT_TRUE(fixture.Spawn("Sun", {0, 0, 0}));
    fixture.world.JoinPending();
    SpawnRecord orbit;
    orbit.orbit = 1;
    orbit.position = {80, 0, 0};
    ASSERT_TRUE(scene.SpawnByName("Planet", orbit));
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(ShipOf(fixture.SpawnShip({float(i) * 5, 0, 30}, 0, 2)));
    ASSERT_TRUE(ShipOf(fixture.SpawnShip({0, 0, -30}, 1, 0)));
    fixture.world.JoinPending();
    fixture.players[1]->aiLevel = 2;

    auto top = std::make_unique<Trigger>();
    top->name = "top";
    top->id = 3;
    top->once = 0;
    top->combineMode = 0;
    for (int32_t type = 0; type < kConditionTypeCount && everything; ++type) {
        TriggerCondition& c = Condition(*top, ConditionType(type));
        c.latch = type % 2;
        c.mask1 = 0x20;
        c.mask2 = 0x10;
        c.delay = 250;
        c.subject = 1;
        c.handles = {7, 8};
        c.mode = 1;
        c.distance = 12.5f;
        c.value = 3;
        c.name = "name";
        c.comparison = 4;
        c.constant = -9;
        c.name2 = "other";
    }
    if (everything) AddEveryAction(*top);
    auto child = std::make_unique<Trigger>();
    child->name = "child";
    child->id = 4;
    Condition(*child, ConditionType::Delay).delay = 100;
    Trigger& stage = top->AddChild(std::move(child));
    top->currentStage = &stage;
    scene.AddTrigger(std::move(top));

    scene.title = "Orbits";
    scene.secondTitle = "Second";
    scene.sourcePath = "scenes\\orbits.mis";
    scene.text4 = "four";
    scene.text5 = "five";
    scene.extraValue = 17;
    scene.extraData = {1, 2, 3};
    scene.records = {{"record", {1, 2, 3, 4, 5}, 9}};
    scene.texts[2] = std::string(100, 'x');
    scene.textValues[2] = 5;
    scene.AddUserVariable("score").value = 12;
    scene.heightLimit = 50.0f;
    scene.radius = 600.0f;
    scene.nextIdCounter = 40;
}

TEST(LvSceneFile, ASceneLoadsAndSavesToTheSameBytes) {
    SceneFixture fixture;
    ASSERT_TRUE(fixture.LoadLibrary());
    BuildScene(fixture, true);
    ASSERT_TRUE(fixture.scene->Save("scenes\\orbits.mis"));
    const std::vector<uint8_t> first = ReadFile(fixture.root / "scenes" / "orbits.mis");
    ASSERT_GT(first.size(), 100u);
    EXPECT_EQ(std::memcmp(first.data(), "MISS\x78\0\0\0", 8), 0);

    Scene loaded;
    SetScene(&loaded);
    ASSERT_EQ(loaded.Load("scenes\\orbits.mis"), 1);
    EXPECT_EQ(loaded.title, "Orbits");
    EXPECT_EQ(std::string(loaded.identityTag, 4), "Orbi");
    EXPECT_EQ(loaded.identityTime, 1234567u);
    EXPECT_EQ(loaded.heightLimit, 50.0f);
    EXPECT_EQ(loaded.radius, 600.0f);
    ASSERT_EQ(loaded.triggers.size(), 1u);
    EXPECT_EQ(loaded.triggers[0]->conditions.size(), size_t(kConditionTypeCount));
    EXPECT_EQ(loaded.triggers[0]->actions.size(), 52u);
    EXPECT_EQ(loaded.triggers[0]->currentStage, loaded.triggers[0]->children[0].get());
    EXPECT_EQ(loaded.texts[2], std::string(69, 'x')) << "slots keep 69 characters";
    EXPECT_EQ(fixture.world.EntityCount(), 6);
    EXPECT_EQ(fixture.players[0]->units.size(), 3u);
    EXPECT_EQ(fixture.players[0]->squads[2].count, 3);
    EXPECT_EQ(fixture.players[0]->squads[2].members[0]->squad, &fixture.players[0]->squads[2]);
    EXPECT_EQ(fixture.players[1]->units.size(), 1u);
    EXPECT_EQ(GetSceneBounds().radius, 600.0f);

    ASSERT_TRUE(loaded.Save("scenes\\again.mis"));
    EXPECT_EQ(ReadFile(fixture.root / "scenes" / "again.mis"), first);
    SetScene(fixture.scene.get());
}

TEST(LvSceneFile, BadFilesAreRefusedAndLeaveNothingBehind) {
    SceneFixture fixture;
    ASSERT_TRUE(fixture.LoadLibrary());
    Scene& scene = *fixture.scene;
    auto expectEmpty = [&](const char* what) {
        EXPECT_TRUE(scene.triggers.empty()) << what;
        EXPECT_EQ(fixture.world.EntityCount(), 0) << what;
        EXPECT_TRUE(fixture.world.JoinList().empty()) << what;
        for (auto& player : fixture.players)
            EXPECT_TRUE(player->units.empty()) << what;
        EXPECT_EQ(scene.heightLimit, 15.0f) << what;
    };
    auto refused = [&](const std::vector<uint8_t>& bytes, const char* what) {
        BuildScene(fixture, false);
        fixture.sink.warnings.clear();
        EXPECT_EQ(LoadBytes(fixture, bytes), 0) << what;
        ASSERT_EQ(fixture.sink.warnings.size(), 1u) << what;
        EXPECT_EQ(fixture.sink.warnings[0].first, kEntryBadFile) << what;
        expectEmpty(what);
    };
    refused(OldScene(120, 21), "object section 21");
    refused(OldScene(120, 121), "object section 121");
    refused(OldScene(121), "too new");
    refused(OldScene(120, 120, 7), "seven players");
    std::vector<uint8_t> magic = OldScene(120);
    magic[0] = 'X';
    refused(magic, "magic");

    // An unknown condition kind, and a player with more than 200 units.
    BuildScene(fixture, false);
    Condition(*fixture.scene->triggers[0], ConditionType(11));
    ASSERT_TRUE(scene.Save("scenes\\odd.mis"));
    refused(ReadFile(fixture.root / "scenes" / "odd.mis"), "condition 11");
    size_t player0 = 0;
    std::vector<uint8_t> crowded = OldScene(120, 120, 6, &player0);
    const uint32_t tooMany = 201;
    std::memcpy(&crowded[player0 + 4], &tooMany, 4);
    refused(crowded, "201 units");

    // A file that cannot be opened changes nothing and says nothing.
    BuildScene(fixture, false);
    fixture.sink.warnings.clear();
    EXPECT_EQ(scene.Load("scenes\\absent.mis"), 0);
    EXPECT_TRUE(fixture.sink.warnings.empty());
    EXPECT_EQ(scene.triggers.size(), 1u);
}

TEST(LvSceneFile, AUnitTheWorldDropsCannotBeReachedFromItsPlayer) {
    SceneFixture fixture;
    ASSERT_TRUE(fixture.LoadLibrary());
    BuildScene(fixture, false);
    ASSERT_TRUE(fixture.scene->Save("scenes\\units.mis"));
    std::vector<uint8_t> bytes = ReadFile(fixture.root / "scenes" / "units.mis");
    ASSERT_EQ(LoadBytes(fixture, bytes), 1);

    // A damaged prototype name in the first ship's record: the world drops
    // that ship at the end of its section, and a player block then refers
    // back to it.
    const char kShip[] = "testship";
    const auto object =
        std::search(bytes.begin() + 8, bytes.end(), std::begin("VRNM"), std::begin("VRNM") + 4);
    const auto ship = std::search(object, bytes.end(), kShip, kShip + 8);
    ASSERT_NE(ship, bytes.end());
    std::memcpy(&*ship, "\xff\xff\xff\x7f", 4);
    fixture.sink.warnings.clear();
    EXPECT_EQ(LoadBytes(fixture, bytes), 0);
    ASSERT_EQ(fixture.sink.warnings.size(), 1u);
    EXPECT_EQ(fixture.sink.warnings[0].first, kEntryBadFile);
    EXPECT_EQ(fixture.world.EntityCount(), 0);
    for (auto& player : fixture.players)
        EXPECT_TRUE(player->units.empty());
    fixture.Frame(); // nothing dropped is left for the next frame to touch
}

TEST(LvSceneFile, EveryTruncationFailsCleanly) {
    SceneFixture fixture;
    ASSERT_TRUE(fixture.LoadLibrary());
    BuildScene(fixture, true);
    ASSERT_TRUE(fixture.scene->Save("scenes\\small.mis"));
    const std::vector<uint8_t> bytes = ReadFile(fixture.root / "scenes" / "small.mis");
    // Every cut before the world's slot tables and after them; inside the
    // tables (5100 words of each kind, read the same way) every 97th.
    const auto object =
        std::search(bytes.begin() + 8, bytes.end(), std::begin("VRNM"), std::begin("VRNM") + 4);
    ASSERT_NE(object, bytes.end());
    const size_t tablesFrom = size_t(object - bytes.begin()) + 600;
    const size_t tablesTo = tablesFrom + 3 * 5100 * 4 - 1200;
    int cuts = 0;
    for (size_t cut = 0; cut < bytes.size();
         cut += (cut >= tablesFrom && cut < tablesTo) ? 97 : 1) {
        std::vector<uint8_t> part(bytes.begin(), bytes.begin() + long(cut));
        ASSERT_EQ(LoadBytes(fixture, part), 0) << cut;
        ASSERT_EQ(fixture.world.EntityCount(), 0) << cut;
        ++cuts;
    }
    EXPECT_GT(cuts, 1000);
    EXPECT_EQ(LoadBytes(fixture, bytes), 1);
}

} // namespace
} // namespace lumivane
