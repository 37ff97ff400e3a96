// The command interface with the unit classes: selections, box selections,
// click orders, waypoint chains and permission words over own and enemy
// test ships, with the message queue captured.
#include <gtest/gtest.h>

#include <cmath>

#include "desktop/scene/command/command_interface.h"
#include "desktop/scene/object/script_config.h"
#include "desktop/scene/world/keyboard.h"
#include "desktop/scene/world/message.h"
#include "desktop/scene/world/mouse.h"
#include "desktop/units/unit_class_headers.h"
#include "tests/desktop/scene/command/command_fixture.h"
#include "tests/desktop/scene/world/scene_fixture.h"

namespace lumivane {
namespace {

constexpr int kCtrlKey = 0x1D;
constexpr int kShiftKey = 0x2A;

class LvCommand : public ::testing::Test {
protected:
    LvCommand() {
        SetCameraLink(&camera);
        SetInputHolders(&keyboard, &mouse);
        GetDisplayState() = {};
        GetSceneBounds() = {};
        commands = CommandInterface();
    }
    ~LvCommand() override {
        commands = CommandInterface();
        SetInputHolders(nullptr, nullptr);
        SetCameraLink(nullptr);
    }

    Ship* ShipAt(float x, float z, int player) {
        Ship* ship = ShipOf(fixture.SpawnShip({x, 0, z}, player));
        EXPECT_NE(ship, nullptr);
        if (ship) ship->identification[0] = kKnown;
        fixture.world.JoinPending();
        return ship;
    }

    // One frame of the handler with the cursor at x, y.
    void Frame(float x, float y) {
        mouse.x = x;
        mouse.y = y;
        GetUserInputWords().events[0] = GetUserInputWords().events[1] = 0;
        commands.Update();
        for (auto& group : {Mouse::kPressed, Mouse::kReleased, Mouse::kDoubleClicked})
            mouse.buttons[group][0] = 0;
        GetSceneClock().gameTime += 20;
    }
    void Press(float x, float y) {
        mouse.buttons[Mouse::kPressed][0] = mouse.buttons[Mouse::kHeld][0] = 1;
        Frame(x, y);
    }
    void Release(float x, float y) {
        mouse.buttons[Mouse::kHeld][0] = 0;
        mouse.buttons[Mouse::kReleased][0] = 1;
        Frame(x, y);
    }
    void Click(float x, float y) {
        Press(x, y);
        Release(x, y);
    }
    void Ctrl(bool down) { keyboard.keyState[kCtrlKey] = down ? 0x80 : 0; }

    template <class Order> const Order* Queued(int index) {
        if (index >= fixture.queue.Count()) return nullptr;
        return dynamic_cast<const Order*>(&fixture.queue.At(index));
    }
    int Cues(InterfaceCue cue) const {
        return int(std::count(fixture.sounds.calls.begin(), fixture.sounds.calls.end(),
                              "interface " + std::to_string(int(cue))));
    }

    test::SceneFixture fixture;
    test::TopCamera camera;
    Mouse mouse;
    Keyboard keyboard;
    CommandInterface& commands = GetCommandInterface();
};

TEST_F(LvCommand, AClickOnTheGroundMovesTheOwnShipsOrIsRefused) {
    ASSERT_TRUE(fixture.LoadLibrary());
    Unit* ships[3] = {ShipAt(15, 15, 0), ShipAt(-15, 15, 0), ShipAt(15, -15, 0)};
    Ship* enemy = ShipAt(-15, -15, 1);
    ASSERT_TRUE(fixture.players[0]->CountsAsEnemy(1));
    GetUserInputWords().permission[0] &= ~kAllowSelect;

    commands.SelectUnits(ships);
    Click(0, 0);
    ASSERT_EQ(fixture.queue.Count(), 1);
    const MoveOrder* move = Queued<MoveOrder>(0);
    ASSERT_NE(move, nullptr);
    ASSERT_EQ(move->units.Count(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(move->units[i], ships[i]->handle);
    EXPECT_NEAR(move->destination.x, 0.0f, 1e-3f);
    EXPECT_EQ(GetUserInputWords().events[1], kEventMoveLow);
    EXPECT_EQ(commands.beaconOn, 1);
    EXPECT_EQ(commands.beaconColor, kLocalColour);
    EXPECT_EQ(Cues(InterfaceCue::MoveAcknowledged), 1);
    EXPECT_EQ(commands.mode, kModeIdle);

    // Only an enemy selected: refused, no beacon, nothing queued.
    commands.beaconOn = 0;
    Unit* enemies[1] = {enemy};
    commands.SelectUnits(enemies);
    Click(0, 0);
    EXPECT_EQ(fixture.queue.Count(), 1);
    EXPECT_EQ(commands.beaconOn, 0);
    EXPECT_EQ(Cues(InterfaceCue::OrderRefused), 1);
}

TEST_F(LvCommand, CtrlClicksChainWaypointsUntilCtrlIsLetGo) {
    ASSERT_TRUE(fixture.LoadLibrary());
    Unit* ships[1] = {ShipAt(15, 15, 0)};
    GetUserInputWords().permission[0] &= ~kAllowSelect;
    commands.SelectUnits(ships);

    Ctrl(true);
    for (int i = 0; i < 3; ++i)
        Click(0, 0);
    Ctrl(false);
    Click(0, 0); // a plain move, and the chain ends
    Ctrl(true);
    Click(0, 0);

    ASSERT_EQ(fixture.queue.Count(), 5);
    const int restarts[] = {1, 0, 0};
    for (int i = 0; i < 3; ++i) {
        const WaypointOrder* waypoint = Queued<WaypointOrder>(i);
        ASSERT_NE(waypoint, nullptr) << i;
        EXPECT_EQ(waypoint->restart, restarts[i]) << i;
    }
    EXPECT_NE(Queued<MoveOrder>(3), nullptr);
    ASSERT_NE(Queued<WaypointOrder>(4), nullptr);
    EXPECT_EQ(Queued<WaypointOrder>(4)->restart, 1) << "a new chain";
}

TEST_F(LvCommand, PermissionWordsDecideWhatAPressDoes) {
    ASSERT_TRUE(fixture.LoadLibrary());
    Unit* ships[1] = {ShipAt(15, 15, 0)};
    commands.SelectUnits(ships);

    // Without orders every press selects.
    GetUserInputWords().permission[1] = 0;
    Press(0, 0);
    EXPECT_EQ(commands.mode, kModeBoxSelect);
    Release(0, 0);

    EXPECT_TRUE(commands.Selection().empty()) << "a click on nothing selects nothing";

    // Neither: nothing but overlay events.
    commands.SelectUnits(ships);
    GetUserInputWords().permission[0] = 0;
    Click(0, 0);
    EXPECT_EQ(commands.mode, kModeIdle);
    EXPECT_EQ(fixture.queue.Count(), 0);
    EXPECT_EQ(commands.Selection().size(), 1u);
    EXPECT_EQ(GetUserInputWords().events[0], 0u);
}

TEST_F(LvCommand, ABoxSelectsTheOwnShipsInsideAndATinyBoxIsAClick) {
    ASSERT_TRUE(fixture.LoadLibrary());
    Ship* inside[2] = {ShipAt(5, 5, 0), ShipAt(-5, 5, 0)};
    Ship* outside = ShipAt(5, -15, 0);
    Ship* enemy = ShipAt(0, 8, 1);
    GetUserInputWords().permission[1] = 0; // presses select

    // The upper half of the screen (north is up: +z).
    Press(-0.9f, -0.7f);
    Frame(0.9f, -0.2f);
    EXPECT_EQ(commands.mode, kModeBoxSelect);
    EXPECT_EQ(commands.cursorId, kCursorNone);
    Release(0.9f, -0.05f);
    std::vector<Entity*> selected = commands.Selection();
    ASSERT_EQ(selected.size(), 2u) << "the enemy inside goes, the own ship outside stays out";
    EXPECT_TRUE(commands.selection.Contains(inside[0]));
    EXPECT_TRUE(commands.selection.Contains(inside[1]));
    EXPECT_FALSE(commands.selection.Contains(outside));
    EXPECT_FALSE(commands.selection.Contains(enemy));
    EXPECT_EQ(GetUserInputWords().events[0], kEventSelected);
    EXPECT_EQ(Cues(InterfaceCue::UnitsSelected), 1);
    // The selected units carry the flag the frame draws their overlays by.
    EXPECT_EQ(inside[0]->selected, 1);
    EXPECT_EQ(inside[1]->selected, 1);
    EXPECT_EQ(outside->selected, 0);
    EXPECT_EQ(enemy->selected, 0);

    // A zero-width box is widened so it still has four sides.
    Press(0.2f, -0.7f);
    Release(0.2f, 0.7f);
    EXPECT_NEAR(commands.boxSize[0], kMinimumBoxSide, 1e-6f);

    // A press and release 0.005 apart on nothing is a click: the selection
    // is emptied and no selection event is raised.
    Press(0.5f, 0.5f);
    Release(0.503f, 0.504f);
    EXPECT_TRUE(commands.Selection().empty());
    EXPECT_EQ(GetUserInputWords().events[0], 0u);
    EXPECT_EQ(inside[0]->selected, 0) << "a unit leaving the selection loses its flag";
    EXPECT_EQ(inside[1]->selected, 0);
}

TEST_F(LvCommand, AUnitLeavingTheWorldLeavesBothLists) {
    ASSERT_TRUE(fixture.LoadLibrary());
    Ship* ship = ShipAt(0, 0, 0);
    Ship* other = ShipAt(15, 15, 0);
    Unit* units[2] = {ship, other};
    commands.SelectUnits(units);
    Frame(0, 0);
    ASSERT_EQ(commands.Candidates().size(), 1u) << "the ship under the cursor";

    fixture.world.QueueRemove(ship, nullptr, false);
    fixture.world.FlushRemovals();
    EXPECT_TRUE(commands.Candidates().empty());
    ASSERT_EQ(commands.Selection().size(), 1u);
    EXPECT_EQ(commands.Selection()[0], other);
}

} // namespace
} // namespace lumivane
