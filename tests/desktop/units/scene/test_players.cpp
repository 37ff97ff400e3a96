// Players with their units: squads of twenty with promoted leaders, sensor
// chains, squad keys (with Shift adding to the selection), the computer
// player and build queues.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "desktop/scene/command/command_interface.h"
#include "desktop/scene/entity/entity_props.h"
#include "desktop/scene/world/keyboard.h"
#include "desktop/units/unit_class_headers.h"
#include "tests/desktop/scene/world/scene_fixture.h"

namespace lumivane {
namespace {

using test::SceneFixture;

TEST(LvPlayers, SquadsKeepTwentyAndPromoteTheirLeaders) {
    SceneFixture fixture;
    ASSERT_TRUE(fixture.LoadLibrary());
    Squad& squad = fixture.players[0]->squads[4];
    std::vector<Ship*> ships;
    for (int i = 0; i < Squad::kSlots + 1; ++i)
        ships.push_back(ShipOf(fixture.SpawnShip({0, 0, 0}, 0)));
    for (int i = 0; i < Squad::kSlots; ++i)
        EXPECT_TRUE(squad.Add(ships[size_t(i)]));
    EXPECT_FALSE(squad.Add(ships.back())) << "full";
    EXPECT_FALSE(squad.Add(ships[0])) << "no duplicates";
    ships[3]->orderState = kOrderFormation;
    EXPECT_EQ(squad.GetFormationIndex(ships[5]), 2) << "the leader and the one in formation";

    squad.Remove(ships[0], true);
    EXPECT_EQ(squad.GetLeader(), ships[1]);
    EXPECT_EQ(squad.IndexOf(ships[1]), 0);
    EXPECT_EQ(squad.count, 19);
    squad.Remove(ships[1], false);
    EXPECT_EQ(squad.members[0], nullptr);
    EXPECT_EQ(squad.GetLeader(), ships[2]);

    // Leaving the player leaves the squad.
    ASSERT_TRUE(ships[2]->SetSquad(&squad, -1) == false) << "already a member";
    fixture.world.QueueRemove(ships[2], nullptr, false);
    fixture.world.FlushRemovals();
    EXPECT_EQ(squad.IndexOf(ships[2]), -1);
}

TEST(LvPlayers, SensorChainsDecideWhatIsSeen) {
    SceneFixture fixture;
    ASSERT_TRUE(fixture.LoadLibrary());
    // Two of player 0's ships 15 apart, sensor range 20 each: one chain
    // whose sphere runs from -20 to 35 along x. (Test ships are otherwise
    // known to everyone.)
    auto* prototype = static_cast<Ship*>(fixture.library.FindPrototype("testship"));
    prototype->props->SetFlag(EntityFields().alwaysIdentified, false);
    Ship* a = ShipOf(fixture.SpawnShip({0, 0, 0}, 0));
    Ship* b = ShipOf(fixture.SpawnShip({15, 0, 0}, 0));
    Ship* seen = ShipOf(fixture.SpawnShip({34, 0, 0}, 1));
    Ship* hidden = ShipOf(fixture.SpawnShip({36, 0, 0}, 1));
    ASSERT_TRUE(a && b && seen && hidden);
    fixture.Frame();
    Player& local = *fixture.players[0];
    ASSERT_EQ(local.sensorPoints.size(), 1u);
    EXPECT_NEAR(local.sensorPoints[0].centre.x, 7.5f, 1e-4f);
    EXPECT_NEAR(local.sensorPoints[0].radius, 27.5f, 1e-4f);
    EXPECT_EQ(seen->identification[0], kKnown);
    EXPECT_EQ(hidden->identification[0], 0);
    EXPECT_NE(std::find(local.visible.begin(), local.visible.end(), seen), local.visible.end());
    EXPECT_EQ(fixture.cues.announced, std::vector<int32_t>{72}) << "an enemy was sighted";

    // A member that drifts away leaves the chain at the next upkeep.
    b->position = {100, 0, 0};
    for (int i = 0; i < 10; ++i)
        fixture.Frame();
    EXPECT_EQ(local.sensorPoints.size(), 2u);

    // A damaged chain (a loop of links) ends its walk.
    a->playerRecord.chainNext = b->handle;
    b->playerRecord.chainPrevious = a->handle;
    b->playerRecord.chainNext = a->handle;
    local.UpdateUnits();
    a->playerRecord.chainPrevious = b->handle;
    local.UpdateUnits();
    SUCCEED();
}

TEST(LvPlayers, SquadKeysSelectThenFrame) {
    SceneFixture fixture;
    ASSERT_TRUE(fixture.LoadLibrary());
    Ship* member = ShipOf(fixture.SpawnShip({0, 0, 0}, 0, 0));
    ASSERT_TRUE(member);
    Keyboard keyboard;
    SetInputHolders(&keyboard, nullptr);
    keyboard.pressed[2] = 1; // the key of squad 0
    fixture.Frame();
    EXPECT_EQ(GetUserInputWords().events[0] & 0x20u, 0x20u);
    EXPECT_EQ(GetUserInputWords().events[1] & 0x400u, 0x400u);
    EXPECT_TRUE(fixture.camera.focused.empty());
    fixture.Frame();
    ASSERT_EQ(fixture.camera.focused.size(), 1u) << "a second press within 500 ms frames it";
    EXPECT_EQ(fixture.camera.focused[0], member);
    keyboard.pressed[2] = 0;
    keyboard.pressed[3] = 1; // squad 1 is empty
    fixture.Frame();
    EXPECT_EQ(fixture.sounds.calls.back(),
              "interface " + std::to_string(int(InterfaceCue::SquadEmpty)));

    // Without the permission bit nothing happens.
    GetUserInputWords() = {};
    GetUserInputWords().permission[0] = 0;
    const size_t cues = fixture.sounds.calls.size();
    fixture.Frame();
    EXPECT_EQ(fixture.sounds.calls.size(), cues);
    SetInputHolders(nullptr, nullptr);
}

// A squad key replaces the selection; with Shift held it adds the squad.
TEST(LvPlayers, ShiftAndASquadKeyAddToTheSelection) {
    SceneFixture fixture;
    ASSERT_TRUE(fixture.LoadLibrary());
    GetCommandInterface() = CommandInterface();
    Unit* first = fixture.SpawnShip({0, 0, 0}, 0, 0);
    Unit* second = fixture.SpawnShip({9, 0, 0}, 0, 1);
    ASSERT_TRUE(first && second);
    Keyboard keyboard;
    SetInputHolders(&keyboard, nullptr);
    auto press = [&](int squad, bool shift) {
        std::fill(std::begin(keyboard.pressed), std::end(keyboard.pressed), 0);
        keyboard.keyState[0x2A] = shift ? 0x80 : 0;
        keyboard.pressed[2 + squad] = 1;
        fixture.Frame(600); // each a first press
    };
    press(0, false);
    EXPECT_EQ(GetCommandInterface().Selection(), std::vector<Entity*>{first});
    press(1, true);
    EXPECT_EQ(GetCommandInterface().Selection(), (std::vector<Entity*>{first, second}));
    press(0, false);
    EXPECT_EQ(GetCommandInterface().Selection(), std::vector<Entity*>{first});
    SetInputHolders(nullptr, nullptr);
    GetCommandInterface() = CommandInterface();
}

TEST(LvPlayers, ComputerPlayersBuildAndOrder) {
    SceneFixture fixture;
    ASSERT_TRUE(fixture.LoadLibrary());
    Player& computer = *fixture.players[1];
    computer.aiLevel = 1;
    computer.resources = 1000;
    computer.buildList.clear();
    Ship* builder = ShipOf(fixture.SpawnShip({0, 0, 0}, 1));
    Ship* idle = ShipOf(fixture.SpawnShip({5, 0, 0}, 1));
    Ship* enemy = ShipOf(fixture.SpawnShip({50, 0, 0}, 0));
    ASSERT_TRUE(builder && idle && enemy);
    fixture.world.JoinPending();

    // An empty build list builds nothing; nobody can build: no builder.
    GetSceneClock().frame = 9;
    fixture.Frame();
    EXPECT_TRUE(builder->buildQueue.empty());
    EXPECT_EQ(computer.FindBuilder("testship"), nullptr);
    computer.OrderBuild("testship");
    EXPECT_TRUE(builder->buildQueue.empty());

    // A unit whose choices hold the prototype builds it.
    auto* prototype = static_cast<Ship*>(fixture.library.FindPrototype("testship"));
    prototype->props->SetFixedText(ShipFields().construct[2], "testship");
    computer.buildList = {{"testship", 1}};
    GetSceneClock().frame = 19;
    fixture.Frame();
    prototype->props->SetFixedText(ShipFields().construct[2], "");
    size_t queued = builder->buildQueue.size() + idle->buildQueue.size() + enemy->buildQueue.size();
    EXPECT_EQ(queued, 1u);
    Ship* maker = builder->buildQueue.empty() ? idle : builder;
    ASSERT_EQ(maker->buildQueue.size(), 1u);
    EXPECT_EQ(maker->buildQueue[0].choice, 2);
    EXPECT_EQ(maker->buildQueue[0].siteNode, "dummyship");
    EXPECT_GE(maker->buildQueue[0].squad, 1);
    EXPECT_LE(maker->buildQueue[0].squad, 4);
    // The build is called off, so the idle units below are the ones placed.
    maker->RemoveFromBuildQueue(2);
    fixture.world.FlushRemovals();

    // Every 50th frame a fully offensive player sends its idle units out.
    fixture.queue.Clear();
    GetSceneClock().frame = 49;
    fixture.Frame();
    EXPECT_EQ(fixture.queue.Count(), 2);
    for (int i = 0; i < fixture.queue.Count(); ++i) {
        const Message& order = fixture.queue.At(i);
        EXPECT_TRUE(order.type == order::kHunt || order.type == order::kAttack) << int(order.type);
        if (order.type == order::kAttack) {
            EXPECT_EQ(static_cast<const TargetOrder&>(order).target, enemy->handle);
        }
    }
    EXPECT_TRUE(builder->IsOrdered() && idle->IsOrdered());
}

TEST(LvPlayers, BuildQueuesAreBoundedAndKnowTheirSites) {
    SceneFixture fixture;
    ASSERT_TRUE(fixture.LoadLibrary());
    Ship* base = ShipOf(fixture.SpawnShip({0, 0, 0}, 0));
    ASSERT_TRUE(base);
    for (int i = 1; i <= 5; ++i)
        base->AddToBuildQueue(0, 0, base->handle, "dummyconnector" + std::to_string(i));
    EXPECT_TRUE(base->HasQueuedSite(base->handle, "DUMMYCONNECTOR3"));
    EXPECT_FALSE(base->HasQueuedSite(base->handle, "dummyconnector6"));
    for (int i = 0; i < 10; ++i)
        base->AddToBuildQueue(1, 0, kNoEntity, "x");
    EXPECT_EQ(base->queuedCounts[1], 9) << "nine items of one choice at most";
    base->AddToBuildQueue(10, 0, kNoEntity, "x");
    base->AddToBuildQueue(-1, 0, kNoEntity, "x");
    EXPECT_EQ(base->buildQueue.size(), 14u);
    EXPECT_EQ(base->QueuedCount("testship"), 0) << "its choices name no prototype";
}

} // namespace
} // namespace lumivane
