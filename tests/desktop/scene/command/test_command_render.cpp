// The command interface's drawing, as recorded vertices: the order beacon's
// burst, what the head-up display's switch hides, and the cursor's place.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "desktop/scene/command/command_interface.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/world/keyboard.h"
#include "desktop/scene/world/mouse.h"
#include "desktop/scene/world/scene_hooks.h"
#include "desktop/scene/world/scene_services.h"
#include "tests/desktop/scene/command/command_fixture.h"

namespace lumivane {
namespace {

class LvCommandRender : public ::testing::Test {
protected:
    LvCommandRender() {
        GetSceneClock() = {};
        GetUserInputWords() = {};
        GetSceneBounds() = {};
        SetCameraLink(&camera);
        mouse.overWindow = 1; // the pointer is over the window
        SetInputHolders(&keyboard, &mouse);
    }
    ~LvCommandRender() override {
        SetInputHolders(nullptr, nullptr);
        SetCameraLink(nullptr);
    }

    // How far along x the outer corners of the first frame (the one in the
    // ground plane) lie from the beacon's centre: its half size.
    static float GroundFrameReach(const test::RecordingOverlay& canvas) {
        float reach = 0.0f;
        for (size_t piece = 0; piece < 4 && piece < canvas.shapes.size(); ++piece)
            reach = std::max(reach, std::fabs(canvas.shapes[piece].vertices[0].position.x - 3.0f));
        return reach;
    }

    test::TopCamera camera;
    Keyboard keyboard;
    Mouse mouse;
    CommandInterface commands;
};

TEST_F(LvCommandRender, TheOrderBeaconBurstsAndFadesInItsTime) {
    commands.cursorEnabled = 0;
    commands.beaconOn = 1;
    commands.beaconPosition = {3, 0, 0};
    commands.beaconColor = 0xff102030;
    commands.beaconTime = 1000;
    GetSceneClock().gameTime = 1000;

    test::RecordingOverlay start;
    commands.Render(start, {});
    ASSERT_EQ(start.shapes.size(), 12u) << "three frames of four corner pieces";
    const float distance = std::sqrt(50.0f * 50.0f + 9.0f);
    EXPECT_NEAR(GroundFrameReach(start), distance * 0.01f * 1.5f, 1e-3f);
    EXPECT_EQ(start.shapes[0].vertices[0].colour, 0xb3102030u) << "alpha 255 x 0.7 = 179";

    GetSceneClock().gameTime = 1250;
    test::RecordingOverlay half;
    commands.Render(half, {.hudAlpha = 0.5f});
    EXPECT_NEAR(GroundFrameReach(half), distance * 0.015f * 3.0f, 1e-3f) << "1 + 4 x 0.5";
    EXPECT_EQ(half.shapes[0].vertices[0].colour >> 24, uint32_t(std::lround(128 * 0.7f * 0.5f)));
    EXPECT_EQ(commands.beaconOn, 1);

    GetSceneClock().gameTime = 1500;
    test::RecordingOverlay end;
    commands.Render(end, {});
    EXPECT_NEAR(GroundFrameReach(end), distance * 0.015f * 5.0f, 1e-3f);
    EXPECT_EQ(end.shapes[0].vertices[0].colour >> 24, 0u);
    EXPECT_EQ(commands.beaconOn, 0);
    test::RecordingOverlay after;
    commands.Render(after, {});
    EXPECT_TRUE(after.shapes.empty());

    // No burst time and no spin speed: over at once, and nothing turns to NaN.
    commands.beaconExplodeTime = 0.0f;
    commands.beaconSpeed = 0.0f;
    commands.beaconOn = 1;
    test::RecordingOverlay none;
    commands.Render(none, {});
    EXPECT_EQ(commands.beaconOn, 0);
    for (const auto& shape : none.shapes)
        for (const Vertex& v : shape.vertices)
            EXPECT_TRUE(std::isfinite(v.position.x));
}

TEST_F(LvCommandRender, TheHudSwitchHidesPreviewAndBeaconsButNotBoxAndCursor) {
    // An order being given with a live beacon.
    commands.mode = kModeOrderPending;
    commands.beaconOn = 1;
    commands.beaconTime = 0;
    GetSceneClock().frameTime = 0.02f;
    test::RecordingOverlay shown;
    commands.Render(shown, {});
    EXPECT_EQ(shown.Count(false), 1 + 12 + 12) << "height line, preview and order beacons";
    EXPECT_EQ(shown.Count(true), 1) << "the cursor";
    test::RecordingOverlay hidden;
    commands.Render(hidden, {.hudOn = false});
    EXPECT_EQ(hidden.Count(false), 0);
    EXPECT_EQ(hidden.Count(true), 1);

    // A box being dragged: field, four corners and the cursor stay.
    commands.mode = kModeBoxSelect;
    commands.pressScreen[0] = -0.5f;
    commands.currentScreen[0] = 0.5f;
    commands.currentScreen[1] = 0.25f;
    test::RecordingOverlay box;
    commands.Render(box, {.hudOn = false});
    EXPECT_EQ(box.Count(true), 6);
    const Vertex& topLeft = box.shapes[0].vertices[0];
    EXPECT_EQ(topLeft.position.x, -0.5f);
    EXPECT_EQ(box.shapes[0].vertices[2].position.y, -0.25f) << "overlay space has y up";
    EXPECT_NEAR(box.shapes[0].vertices[2].v, 0.25f, 1e-6f) << "height x field repeat";

    // The cursor quad sits on its hotspot; without the shape permission it
    // is not drawn.
    commands.cursors[kCursorDefault].hotspot[0] = 0.5f;
    commands.cursors[kCursorDefault].hotspot[1] = 0.5f;
    commands.mode = kModeIdle;
    commands.beaconOn = 0;
    commands.cursorId = kCursorDefault;
    commands.cursorX = 0.2f;
    commands.cursorY = 0.1f;
    test::RecordingOverlay cursor;
    commands.Render(cursor, {});
    ASSERT_EQ(cursor.shapes.size(), 1u);
    EXPECT_NEAR(cursor.shapes[0].vertices[0].position.x, 0.175f, 1e-6f);
    EXPECT_NEAR(cursor.shapes[0].vertices[0].position.y, -0.075f, 1e-6f);
    GetUserInputWords().permission[0] &= ~kAllowCursorShape;
    test::RecordingOverlay none;
    commands.Render(none, {});
    EXPECT_TRUE(none.shapes.empty());
}

TEST_F(LvCommandRender, TheCursorShowsOnlyWhereThePointerIs) {
    commands.cursorId = kCursorDefault;
    test::RecordingOverlay over;
    commands.Render(over, {});
    EXPECT_EQ(over.Count(true), 1);
    // The pointer elsewhere (or not yet seen, or a screen saver's): no
    // cursor stands in the picture, whatever else is drawn.
    mouse.overWindow = 0;
    commands.beaconOn = 1;
    test::RecordingOverlay away;
    commands.Render(away, {});
    EXPECT_EQ(away.Count(true), 0);
    EXPECT_GT(away.Count(false), 0) << "the beacon is still drawn";
    // A new display size leaves the pointer's place unknown until it moves.
    mouse.overWindow = 1;
    mouse.SetRange(640, 480);
    test::RecordingOverlay resized;
    commands.Render(resized, {});
    EXPECT_EQ(resized.Count(true), 0);
    // Over a window of another program its owner's pointer shows: the
    // scene adds no second one.
    mouse.overWindow = 1;
    mouse.systemPointer = 1;
    test::RecordingOverlay foreign;
    commands.Render(foreign, {});
    EXPECT_EQ(foreign.Count(true), 0);
}

} // namespace
} // namespace lumivane
