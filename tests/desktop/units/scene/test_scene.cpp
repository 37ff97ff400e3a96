// Scenes with units: built-in variables, spawned ships in squads, orbits,
// plain transform nodes, pilots, saved states and the demo run.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "desktop/scene/object/object_file.h"
#include "desktop/scene/object/trans_node.h"
#include "desktop/units/ship/ship.h"
#include "desktop/units/unit_class_headers.h"
#include "tests/desktop/scene/world/scene_fixture.h"

namespace lumivane {
namespace {

using test::SceneFixture;

TEST(LvScene, BuiltInVariablesAreReadWhenAskedFor) {
    SceneFixture fixture;
    ASSERT_TRUE(fixture.LoadLibrary());
    Scene& scene = *fixture.scene;
    EXPECT_EQ(scene.title, "Untitled") << "the language table's entry 5005";
    ASSERT_TRUE(ShipOf(fixture.SpawnShip({0, 0, 0}, 0)));
    ASSERT_TRUE(ShipOf(fixture.SpawnShip({5, 0, 0}, 3)));
    ASSERT_TRUE(ShipOf(fixture.SpawnShip({9, 0, 0}, 5)));
    ASSERT_TRUE(fixture.Spawn("Planet", {50, 0, 0}));
    fixture.world.JoinPending();

    SceneVariable* ships = scene.FindVariable("$numships");
    ASSERT_NE(ships, nullptr);
    EXPECT_EQ(ships->name, "$NumShips");
    EXPECT_EQ(ships->value, 3) << "units of all six players";
    EXPECT_EQ(scene.VariableValue("$NUMENTITIES"), 4);
    EXPECT_EQ(scene.VariableValue("$NumPlayers"), 1);
    GetPlayers().local = fixture.players[2].get();
    EXPECT_EQ(scene.VariableValue("$LocalPlayer"), 3);
    EXPECT_EQ(scene.VariableValue("$P6Team"), 0);
    EXPECT_EQ(scene.VariableValue("$NumTeam4"), 0);
    EXPECT_FALSE(scene.VariableValue("$NumTeam5"));
    scene.AddUserVariable("$NumShips").value = 99;
    EXPECT_EQ(scene.VariableValue("$numships"), 99) << "user variables come first";
}

TEST(LvScene, SpawnedShipsJoinTheFirstSquadWithRoom) {
    SceneFixture fixture;
    ASSERT_TRUE(fixture.LoadLibrary());
    Player& player = *fixture.players[1];
    for (int i = 0; i < Squad::kSlots; ++i)
        ASSERT_TRUE(ShipOf(fixture.SpawnShip({float(i), 0, 0}, 1, 9)));
    EXPECT_EQ(player.squads[9].count, 20);
    Ship* overflow = ShipOf(fixture.SpawnShip({0, 0, 30}, 1, 9));
    ASSERT_TRUE(overflow);
    EXPECT_EQ(overflow->squad, &player.squads[0]) << "squad 9 is full: round to squad 0";
    EXPECT_EQ(overflow->squadSlot, 0);
    Ship* wrapped = ShipOf(fixture.SpawnShip({0, 0, 40}, 1, 23));
    EXPECT_EQ(wrapped->squad, &player.squads[3]) << "squad numbers are taken mod 10";
    EXPECT_EQ(player.units.size(), 22u);

    Ship* nobody = ShipOf(fixture.SpawnShip({0, 0, 50}, 6, 0));
    ASSERT_TRUE(nobody);
    EXPECT_EQ(nobody->owner, nullptr) << "there is no player 6";
    EXPECT_EQ(nobody->squad, nullptr);
}

TEST(LvScene, OrbitsNeedASunAndGravity) {
    SceneFixture fixture;
    ASSERT_TRUE(fixture.LoadLibrary());
    SpawnRecord record;
    record.orbit = 1;
    record.position = {100, 0, 0};
    record.orientation = {0, 0.6f, 0, 0.8f};
    Entity* lonely = fixture.scene->SpawnByName("Planet", record);
    ASSERT_TRUE(lonely);
    EXPECT_EQ(lonely->velocity, Vec3()) << "no Sun: no orbit";
    EXPECT_EQ(lonely->orientation.y, 0.6f) << "and the given orientation";
    EXPECT_EQ(lonely->local.GetTranslation(), Vec3(100, 0, 0));

    Entity* sun = fixture.Spawn("Sun", {0, 0, 0});
    ASSERT_TRUE(sun);
    fixture.world.JoinPending();
    Entity* planet = fixture.scene->SpawnByName("Planet", record);
    ASSERT_TRUE(planet);
    const Vec3 expected = OrbitVelocity(*sun, record.position, {0, 1, 0});
    EXPECT_EQ(planet->velocity, expected);
    EXPECT_GT(planet->velocity.Length(), 0.0f);
    Vec3 heading{0, 0, 1};
    planet->orientation.RotateVector(heading);
    Vec3 direction = expected;
    direction.Normalize();
    EXPECT_NEAR(Vec3::Dot(heading, direction), 1.0f, 1e-5f) << "it faces along its orbit";

    // A ship spawned in orbit finishes its order: it follows the Sun.
    record.player = 0;
    Ship* ship = AsShip(fixture.scene->SpawnByName("testship", record));
    ASSERT_TRUE(ship);
    EXPECT_EQ(ship->orderState, kOrderFollow);
    EXPECT_EQ(ship->target, sun->handle);
    EXPECT_FALSE(fixture.scene->SpawnByName("no such prototype", record));
}

// A plain transform-node prototype read from its object file is placed in
// the world's root with the spawn position as its translation and its own
// turn kept; it goes into a saved state and comes back. By name it is
// placed all the same, but answers no entity.
TEST(LvScene, APlainTransformNodeIsPlacedByItsPosition) {
    SceneFixture fixture;
    ASSERT_TRUE(fixture.LoadLibrary());
    const std::filesystem::path file = fixture.root / "buoy.vrn";
    {
        auto* buoy = new TransNode;
        buoy->AddRef();
        buoy->SetName("buoy");
        buoy->local.MakeRotation(Quat::MakeAxisAngle({0, 1, 0}, 1.0f));
        buoy->local.SetTranslation({7, 8, 9});
        ASSERT_TRUE(SaveObjectFile(file, buoy));
        buoy->Release();
    }
    Node* prototype = fixture.library.LoadFile(file);
    ASSERT_NE(prototype, nullptr);
    auto* shape = static_cast<TransNode*>(prototype);

    SpawnRecord record;
    record.prototype = prototype;
    record.position = {10, 0, -4};
    record.orientation = Quat::MakeAxisAngle({1, 0, 0}, 0.5f);
    Node* placed = fixture.scene->Spawn(record);
    ASSERT_NE(placed, nullptr);
    EXPECT_EQ(placed->classId, uint8_t(ClassId::TransNode));
    EXPECT_EQ(placed->Prototype(), prototype);
    EXPECT_EQ(placed->Parent(), fixture.world.Root()) << "in the world at once";
    const Matrix& local = static_cast<TransNode*>(placed)->local;
    EXPECT_EQ(local.GetTranslation(), record.position);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(local.m[i], shape->local.m[i]) << "only the position is taken: " << i;

    const int children = fixture.world.Root()->ChildCount();
    EXPECT_EQ(fixture.scene->SpawnByName("buoy", record), nullptr);
    EXPECT_EQ(fixture.world.Root()->ChildCount(), children + 1);
    fixture.Frame(); // the world's step passes it by

    fixture.scene->SaveState("scenes\\buoys.sav");
    fixture.world.Reset();
    fixture.scene->LoadState("scenes\\buoys.sav");
    Node* back = fixture.world.Root()->FindByName("buoy");
    ASSERT_NE(back, nullptr);
    ASSERT_TRUE(IsA(back, ClassId::TransNode));
    EXPECT_EQ(static_cast<TransNode*>(back)->local.GetTranslation(), record.position);
}

TEST(LvScene, PilotsComeWithRaceAndPilotType) {
    SceneFixture fixture;
    ASSERT_TRUE(fixture.LoadLibrary());
    Ship* human = ShipOf(fixture.SpawnShip({0, 0, 0}, 0));
    ASSERT_TRUE(human);
    EXPECT_NE(human->pilot, nullptr) << "race 1 gets a pilot";
    EXPECT_EQ(human->pilotModel, nullptr);

    auto* prototype = static_cast<Ship*>(fixture.library.FindPrototype("testship"));
    prototype->props->Set<int32_t>(ShipFields().pilotType, 1);
    Ship* seated = ShipOf(fixture.SpawnShip({5, 0, 0}, 0));
    prototype->props->Set<int32_t>(ShipFields().pilotType, 0);
    ASSERT_TRUE(seated && seated->pilotModel);
    EXPECT_EQ(seated->pilotModel->Name(), "pilot1");
    EXPECT_EQ(seated->pilotModel->ownerHandle, seated->handle);
    ASSERT_NE(seated->pilotModel->targetLinkNode, nullptr);
    EXPECT_EQ(seated->pilotModel->targetLinkNode->Name(), "dummypilot");
    EXPECT_EQ(seated->pilotModel->ownLinkNode, seated->pilotModel);
}

TEST(LvScene, SavedStatesKeepResourcesAndFindTheirScene) {
    SceneFixture fixture;
    ASSERT_TRUE(fixture.LoadLibrary());
    Scene& scene = *fixture.scene;
    ASSERT_TRUE(ShipOf(fixture.SpawnShip({0, 0, 0}, 1)));
    fixture.world.JoinPending();
    fixture.players[1]->AddResources(300);
    fixture.players[1]->aiLevel = 2;
    scene.sourcePath = "C:\\Games\\Lumivane\\Scenes\\Orbit.mis";
    scene.text5 = "orbit";
    scene.scenePath = "scenes\\orbit.mis";
    scene.SaveState("scenes\\state.sav");
    EXPECT_EQ(scene.scenePath, "scenes\\orbit.mis");
    EXPECT_EQ(scene.text5, "orbit");

    fixture.players[1]->resources = 0;
    fixture.players[1]->aiLevel = 0;
    scene.LoadState("scenes\\state.sav");
    EXPECT_EQ(fixture.players[1]->resources, 300.0f) << "a restored state keeps resources";
    EXPECT_EQ(fixture.players[1]->aiLevel, 2);
    EXPECT_EQ(fixture.players[1]->units.size(), 1u);
    EXPECT_EQ(scene.scenePath, "scenes\\orbit.mis") << "the source, from \"scenes\\\" on";
    EXPECT_TRUE(scene.text5.empty());

    scene.scenePath = "scenes\\state.sav";
    fixture.players[1]->aiLevel = 5;
    ASSERT_EQ(scene.Load(), 1);
    EXPECT_EQ(fixture.players[1]->resources, 0.0f) << "a loaded scene starts at 0";
    EXPECT_EQ(fixture.players[1]->aiLevel, 5) << "only a restored state sets the level";
    EXPECT_EQ(fixture.players[1]->warningLevel, 1);
}

// The demo scene the data builder wrote runs headless through scenerun:
// its stages fire in order, the move order arrives one frame after the
// stage that gave it, and two runs print the same.

TEST(LvScene, DemoRunsTheSameEveryTime) {
    const std::filesystem::path runtime = platform::ProgramFolder();
    const std::filesystem::path tool = runtime.parent_path() / "tool-bin" / "scenerun";
    ASSERT_TRUE(std::filesystem::exists(tool)) << tool;
    const std::string command = "'" + tool.string() + "' '" + (runtime / "LumivaneData").string() +
                                "' scenes/demo.mis --frames 150";
    auto run = [&] {
        std::string output;
        FILE* pipe = popen(command.c_str(), "r");
        EXPECT_NE(pipe, nullptr);
        if (!pipe) return output;
        char buffer[4096];
        size_t got = 0;
        while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            output.append(buffer, got);
        EXPECT_EQ(pclose(pipe), 0);
        return output;
    };
    const std::string first = run();
    EXPECT_EQ(run(), first);
    auto frameOf = [&](const std::string& line) {
        const size_t at = first.find(line);
        if (at == std::string::npos) return -1;
        const size_t start = first.rfind("frame ", at);
        return std::stoi(first.substr(start + 6));
    };
    const int intro = frameOf("trigger 10 \"intro\" fired");
    const int depart = frameOf("trigger 11 \"depart\" fired");
    const int moved = frameOf("order 12 (move) to 1 units");
    const int underway = frameOf("trigger 12 \"underway\" fired");
    EXPECT_GT(intro, 0);
    EXPECT_GT(depart, intro);
    EXPECT_EQ(moved, depart + 1);
    EXPECT_GE(underway, depart);
    EXPECT_NE(first.find("frame 149: entities"), std::string::npos);
}

} // namespace
} // namespace lumivane
