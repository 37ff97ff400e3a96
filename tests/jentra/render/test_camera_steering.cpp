// The user camera steered by a scripted mouse and keyboard: damping,
// wheel zoom, tilt and distance limits, glides, the three arrow modes, the
// cursor hidden while dragging, and a HUD camera that ignores everything.
#include <gtest/gtest.h>

#include <cmath>

#include "Jentra/JTCamera.h"
#include "Jentra/JTCursor.h"
#include "Jentra/JTFrameClock.h"
#include "Jentra/JTGame.h"
#include "Jentra/JTGlobals.h"
#include "Jentra/JTKeyboard.h"
#include "Jentra/JTMouse.h"
#include "Jentra/JTView.h"
#include "Jentra/render/render_services.h"
#include "platform/clock.h"

namespace {

constexpr float kDegree = 3.14159265f / 180.0f;
const JTVec3 kWorldUp(0, 1, 0);

float AngleFromUp(const JTVec3& dir) {
    return std::acos(std::clamp(JTVec3Dot(JTVec3Normalize(dir), kWorldUp), -1.0f, 1.0f));
}

class CameraSteering : public ::testing::Test {
protected:
    void SetUp() override {
        clock.SetMilliseconds(10000);
        platform::SetCurrentClock(&clock);
        mouse.Init();
        keyboard.Init();
        for (int i = 0; i < JTKeyboard::kSettlePolls; ++i) {
            mouse.Poll();
            keyboard.Poll();
        }
        gpJTGame = &game;
        gpJTMouse = &mouse;
        gpJTKeyboard = &keyboard;
        gpCursor = nullptr;
        gdwTime = gdwRealTime = 100000;
        // Ten units from the focus, looking down at 45 degrees.
        camera.SetView(JTVec3(0, 7.0710678f, -7.0710678f), JTVec3(0, -1, 1), kWorldUp);
        camera.SetFocus(JTVec3(0, 0, 0));
        camera.SetCameraControls(JTCamera::kMouseDrag | JTCamera::kWheelZoom |
                                 JTCamera::kArrowKeys);
    }
    void TearDown() override {
        gpJTGame = nullptr;
        gpJTMouse = nullptr;
        gpJTKeyboard = nullptr;
        gpCursor = nullptr;
        platform::SetCurrentClock(nullptr);
    }

    JTUserOptions& Options() { return *game.GetUserOptions(); }

    // One frame of `seconds`, real and game time alike.
    void Frame(float seconds = 1.0f / 30) {
        dtReal = dt = seconds;
        const uint32_t ms = uint32_t(std::lround(seconds * 1000));
        gdwRealTime += ms;
        gdwTime += ms;
        clock.AdvanceMilliseconds(ms);
        mouse.Poll();
        keyboard.Poll();
        camera.Update();
    }

    // Distance to the focus along the view direction.
    float Distance() { return -JTVec3Dot(camera.GetDir(), camera.GetPos() - camera.GetFocus()); }

    platform::TestClock clock;
    JTGame game;
    JTMouse mouse;
    JTKeyboard keyboard;
    JTCamera camera;
};

} // namespace

TEST_F(CameraSteering, WheelZoomIsDampedByTheInertia) {
    // At the focus the distance factor is 1: a wheel notch is a zoom of -0.5.
    camera.SetView(JTVec3(0, 0, 0), JTVec3(0, -1, 1), kWorldUp);
    mouse.OnWheel(1);
    Frame();
    EXPECT_NEAR(Distance(), 0.5f, 1e-4);
    // With inertia 2 and 1/30 s, what is left next frame is 0.0064^(1/30).
    const float before = Distance();
    Frame();
    EXPECT_NEAR((Distance() - before) / 0.5f, std::pow(0.0064f, 1.0f / 30), 1e-3);
    EXPECT_NEAR((Distance() - before) / 0.5f, 0.845f, 1e-3);
    // Shorter frames damp as if they lasted 1/30 s.
    const float second = Distance() - before;
    const float third = Distance();
    Frame(1.0f / 120);
    EXPECT_NEAR((Distance() - third) / second, 0.845f, 1e-3);

    // Reversed, the same notch zooms in.
    Options().ReverseZoom = true;
    camera = JTCamera();
    camera.SetView(JTVec3(0, 0, 0), JTVec3(0, -1, 1), kWorldUp);
    camera.SetCameraControls(JTCamera::kWheelZoom);
    mouse.OnWheel(1);
    Frame();
    EXPECT_NEAR(Distance(), -0.5f, 1e-4);
}

TEST_F(CameraSteering, SmoothedZoomStaysWithinItsLimitAndDampingBelowOne) {
    float last = Distance();
    for (int i = 0; i < 20; ++i) {
        mouse.OnWheel(10);
        Frame();
        EXPECT_LE(Distance() - last, 0.8f + 1e-4) << "frame " << i;
        last = Distance();
    }
    // An inertia that would make the damping 1 or more is held below 1:
    // without input the motion dies away instead of growing.
    Options().CameraInertia = 10.0f;
    Frame();
    float step = Distance() - last;
    last = Distance();
    for (int i = 0; i < 5; ++i) {
        Frame();
        const float next = Distance() - last;
        EXPECT_LT(next, step);
        EXPECT_NEAR(next / step, 0.99f, 1e-3);
        step = next;
        last = Distance();
    }
}

TEST_F(CameraSteering, TiltStopsAtTheHorizonAndAboveTheFloor) {
    mouse.OnButton(1, true);
    for (int i = 0; i < 120; ++i) {
        mouse.OnMotion(0, 40); // dragging down tilts towards straight down
        Frame();
        EXPECT_LE(AngleFromUp(camera.GetDir()), 174 * kDegree + 1e-4);
    }
    EXPECT_NEAR(AngleFromUp(camera.GetDir()), 174 * kDegree, 1e-3);
    for (int i = 0; i < 200; ++i) {
        mouse.OnMotion(0, -40);
        Frame();
        EXPECT_GE(AngleFromUp(camera.GetDir()), 92 * kDegree - 1e-4);
    }
    EXPECT_NEAR(AngleFromUp(camera.GetDir()), 92 * kDegree, 1e-3);
    // The orbit keeps the distance to the focus.
    EXPECT_NEAR(JTVec3Length(camera.GetPos()), 10.0f, 1e-2);
}

TEST_F(CameraSteering, DistanceStaysWithinItsLimits) {
    camera.SetMinDist(5);
    camera.SetMaxDist(20);
    for (int i = 0; i < 60; ++i) {
        mouse.OnWheel(5); // out
        Frame();
        EXPECT_LE(Distance(), 20.0f + 1e-3);
    }
    EXPECT_NEAR(Distance(), 20.0f, 1e-3);
    for (int i = 0; i < 60; ++i) {
        mouse.OnWheel(-5); // in
        Frame();
        EXPECT_GE(Distance(), 5.0f - 1e-3);
    }
    EXPECT_NEAR(Distance(), 5.0f, 1e-3);
}

TEST_F(CameraSteering, AGlideEndsAfterTwoSeconds) {
    camera.StartGlide(JTVec3(1, 0, 0));
    float x = camera.GetPos().x;
    Frame(0.1f);
    // t = 0.05 at the first step: the weight is 1 - t^4, nearly 1.
    EXPECT_NEAR(camera.GetPos().x - x, 0.1f, 1e-4);
    for (int i = 1; i < 19; ++i)
        Frame(0.1f);
    x = camera.GetPos().x;
    EXPECT_GT(x, 1.5f);
    EXPECT_LT(x, 2.0f);
    Frame(0.1f); // two seconds: over
    Frame(0.1f);
    EXPECT_FLOAT_EQ(camera.GetPos().x, x);
}

TEST_F(CameraSteering, ArrowKeysFollowTheArrowMode) {
    // Mode 0: Up slides forward over the ground: 75 x s x A x D with
    // A = 0.5 at first and D = 0.2 x 10 + 1.
    keyboard.OnKey(DIK_UP, true);
    const JTVec3 start = camera.GetPos();
    Frame();
    EXPECT_NEAR(camera.GetPos().z - start.z, 75.0f / 30 * 0.5f * 3.0f, 1e-3);
    EXPECT_NEAR(camera.GetPos().y, start.y, 1e-4);
    keyboard.OnKey(DIK_UP, false);
    keyboard.OnKey(DIK_LEFT, true);
    float x = camera.GetPos().x;
    Frame();
    EXPECT_LT(camera.GetPos().x, x); // strafed left
    keyboard.OnKey(DIK_LEFT, false);

    // Mode 1: Up tilts towards the horizon, Left turns.
    camera = JTCamera();
    SetUp();
    ASSERT_TRUE(keyboard.SetArrowMode(1));
    const float angle = AngleFromUp(camera.GetDir());
    keyboard.OnKey(DIK_UP, true);
    Frame();
    EXPECT_NEAR(AngleFromUp(camera.GetDir()), angle - 0.5f * (3.14159265f / 4) / 30, 1e-4);
    keyboard.OnKey(DIK_UP, false);
    keyboard.OnKey(DIK_LEFT, true);
    const JTVec3 dir = camera.GetDir();
    Frame();
    EXPECT_GT(JTVec3Length(camera.GetDir() - dir), 1e-3);
    keyboard.OnKey(DIK_LEFT, false);

    // Mode 2: Up zooms out by s x A x D x 2.
    camera = JTCamera();
    SetUp();
    ASSERT_TRUE(keyboard.SetArrowMode(2));
    keyboard.OnKey(DIK_UP, true);
    const float distance = Distance();
    Frame();
    EXPECT_NEAR(Distance() - distance, 1.0f / 30 * 0.5f * 3.0f * 2, 1e-3);

    // A captured keyboard moves nothing.
    camera = JTCamera();
    SetUp();
    keyboard.Capture();
    const JTVec3 still = camera.GetPos();
    Frame();
    Frame();
    EXPECT_FLOAT_EQ(camera.GetPos().z, still.z);
    EXPECT_FLOAT_EQ(Distance(), 10.0f);
    keyboard.Uncapture();
}

TEST_F(CameraSteering, RightDragHidesTheCursorUntilReleased) {
    JTInstallRenderServices();
    JTCursor cursor;
    JTView view(nullptr, &camera, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 1.0f);
    cursor.AddView(&view);
    gpCursor = &cursor;
    camera.Update(); // matrices for the cursor's ray
    ASSERT_GT(cursor.GetOpacity(), 0.0f);

    mouse.OnButton(1, true);
    mouse.OnMotion(10, 0);
    const JTVec3 dir = camera.GetDir();
    Frame();
    EXPECT_EQ(cursor.GetOpacity(), 0.0f);
    EXPECT_TRUE(mouse.IsRelative());
    EXPECT_GT(JTVec3Length(camera.GetDir() - dir), 1e-3); // it turned
    mouse.OnButton(1, false);
    Frame();
    EXPECT_EQ(cursor.GetOpacity(), 1.0f);
    EXPECT_FALSE(mouse.IsRelative());

    // A view the cursor is not in is not steered.
    JTCamera other;
    other.SetView(JTVec3(0, 0, -10), JTVec3(0, -1, 1), kWorldUp);
    other.SetCameraControls(JTCamera::kWheelZoom);
    mouse.OnWheel(1);
    mouse.Poll();
    dtReal = 1.0f / 30;
    other.Update();
    EXPECT_FLOAT_EQ(other.GetPos().z, -10.0f);
    gpCursor = nullptr;
    JTUninstallRenderServices();
}

TEST_F(CameraSteering, AHudCameraIgnoresAllInput) {
    camera.SetHUD(true);
    mouse.OnButton(1, true);
    mouse.OnMotion(30, 30);
    mouse.OnWheel(3);
    keyboard.OnKey(DIK_UP, true);
    Frame();
    Frame();
    EXPECT_FLOAT_EQ(camera.GetPos().y, 7.0710678f);
    EXPECT_FLOAT_EQ(camera.GetPos().z, -7.0710678f);
    // Its matrices still follow SetView.
    camera.SetView(JTVec3(1, 2, 3), JTVec3(0, 0, 1), kWorldUp);
    Frame();
    const JTVec3 eye = JTVec3TransformCoord(JTVec3(1, 2, 3), camera.GetView());
    EXPECT_NEAR(JTVec3Length(eye), 0.0f, 1e-5);
}
