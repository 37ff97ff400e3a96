// The camera under the user's hands: dragging turns and tilts within the
// tilt limits, a short click frames the unit under the cursor, the wheel
// pressed on against a single ship enters and leaves the chase, disabled
// controls stay still, and Alt slows everything down.
#include "tests/desktop/display/camera/camera_fixture.h"

namespace lumivane {
namespace {

using test::Degrees;

class LvCameraInput : public test::CameraTest {};

TEST_F(LvCameraInput, DraggingNeverTiltsPastTheLimits) {
    for (bool orbiting : {false, true}) {
        Entity* unit = Unit({0, 0, 0}, 2.0f);
        camera->SetView(LevelView({0, 5, -30}, {0, -0.2f, 1}));
        // Dragging keeps the target only when it is the one selected unit.
        if (orbiting) camera->SetTargets(std::span<Entity* const>(&unit, 1));
        commands.Select({unit});
        PressSecondButton();
        float lowest = 180.0f, highest = 0.0f;
        for (int direction : {1, -1}) {
            for (int frame = 0; frame < 150; ++frame) {
                mouse.dy = 60 * direction;
                Frame();
                lowest = std::min(lowest, Tilt());
                highest = std::max(highest, Tilt());
            }
            // The drag reached the limit it was pushed against.
            EXPECT_NEAR(Tilt(), direction > 0 ? 7.0f : 178.0f, 0.3f) << orbiting;
        }
        EXPECT_GE(lowest, 7.0f - 0.05f) << orbiting;
        EXPECT_LE(highest, 178.0f + 0.05f) << orbiting;
        EXPECT_TRUE(GetUserInputWords().events[0] & camera_bits::kTilt);
        EXPECT_EQ(camera->GetSingleTarget(), orbiting ? unit : nullptr);
        ReleaseSecondButton();
        Frame();
    }
}

TEST_F(LvCameraInput, AShortClickFramesTheUnitUnderTheCursor) {
    Entity* unit = Unit({40, 0, 0}, 2.0f);
    SetFloat(*unit, "min zoom dist", 1.5f); // framing size 3
    commands.Under(unit);
    PressSecondButton();
    Frame();
    EXPECT_FALSE(commands.Tracking()); // the cursor keeps its shape while held
    EXPECT_EQ(mouse.cameraDrag, 1);
    for (int frame = 0; frame < 23; ++frame)
        Frame(); // 240 ms held in all
    ReleaseSecondButton();
    Frame();
    EXPECT_TRUE(commands.Tracking());
    EXPECT_EQ(mouse.cameraDrag, 0);
    EXPECT_TRUE(GetUserInputWords().events[0] & camera_bits::kClickFocus);
    ASSERT_TRUE(camera->Transition().moving);
    ASSERT_EQ(camera->Goal().targets.size(), 1u);
    EXPECT_EQ(camera->Goal().targets[0], unit->handle);
    EXPECT_NEAR(camera->Goal().offset.Length(), 6.0f, 1e-4f); // twice the framing size
    EXPECT_EQ(camera->Interaction().clickState, 1u);
    ASSERT_EQ(sounds.cues.size(), 1u);
    EXPECT_EQ(sounds.cues[0], InterfaceCue::CameraMove);
    EXPECT_FLOAT_EQ(sounds.shares[0], 0.75f);
    FinishMove();
    EXPECT_NEAR((camera->Current().position - unit->position).Length(), 6.0f, 1e-3f);
    EXPECT_EQ(camera->GetSingleTarget(), unit);
}

TEST_F(LvCameraInput, AHeldOrMovingDragIsNoClick) {
    Entity* unit = Unit({40, 0, 0});
    commands.Under(unit);
    GetUserInputWords().permission[0] &= ~camera_bits::kRotate; // motion turns nothing
    auto clickAfter = [&](int frames, int32_t motion) {
        GetUserInputWords().events[0] = 0;
        PressSecondButton();
        Frame();
        for (int frame = 0; frame < frames; ++frame) {
            mouse.dx = motion;
            Frame();
        }
        ReleaseSecondButton();
        Frame();
        return (GetUserInputWords().events[0] & camera_bits::kClickFocus) != 0;
    };
    EXPECT_FALSE(clickAfter(25, 0)); // 260 ms: too long
    EXPECT_TRUE(clickAfter(5, 4));   // 4 counts a frame is still a click
    camera->ResetToHome();
    EXPECT_FALSE(clickAfter(5, 5)); // 5 counts push the window back 250 ms a frame
}

TEST_F(LvCameraInput, TheWheelAtTheStopPointEntersAndLeavesTheChase) {
    Entity* ship = Unit({0, 0, 0}, 1.0f);
    CameraView atStop = LevelView({0, 0, 0}, {0, 0, 1});
    atStop.targets = {ship->handle};
    atStop.offset = {0, 0, -1.01f}; // framing size 1, plus the gap
    camera->SetView(atStop);

    // The chase begins in the frame after the accumulator reached 50.
    for (int frame = 0; frame < 100 && !camera->Current().chase; ++frame) {
        const float before = camera->Interaction().zoomAccumulator;
        mouse.wheel = 120;
        Frame();
        EXPECT_EQ(camera->Current().chase != 0, before >= 50.0f) << before;
    }
    ASSERT_TRUE(camera->Current().chase);
    EXPECT_EQ(camera->GetChaseTarget(), ship);
    EXPECT_TRUE(GetUserInputWords().events[0] & camera_bits::kChase);

    // Turning the wheel back leaves it once the accumulator fell below -50.
    for (int frame = 0; frame < 100 && camera->Current().chase; ++frame) {
        const float before = camera->Interaction().zoomAccumulator;
        mouse.wheel = -120;
        Frame();
        EXPECT_EQ(camera->Current().chase == 0, before < -50.0f) << before;
    }
    EXPECT_FALSE(camera->Current().chase);
    EXPECT_EQ(camera->GetChaseTarget(), nullptr);
}

TEST_F(LvCameraInput, NoChaseBehindAStructure) {
    Entity* depot = Unit({0, 0, 0}, 1.0f, "depot");
    CameraView atStop = LevelView({0, 0, -1.01f}, {0, 0, 1});
    atStop.targets = {depot->handle};
    atStop.offset = {0, 0, -1.01f};
    camera->SetView(atStop);
    for (int frame = 0; frame < 200; ++frame) {
        mouse.wheel = 120;
        Frame();
    }
    EXPECT_FALSE(camera->Current().chase);
    EXPECT_GE(camera->Interaction().zoomAccumulator, 50.0f);
}

TEST_F(LvCameraInput, PanningDisabledKeepsArrowsAndEdgesStill) {
    for (bool allowed : {false, true}) {
        camera->SetView(LevelView({0, 20, -100}, {0, -0.2f, 1}));
        GetUserInputWords() = {};
        if (!allowed) GetUserInputWords().permission[0] &= ~camera_bits::kPan;
        const Vec3 start = camera->Current().position;
        HoldKey(0xC8); // Up
        HoldKey(0xCD); // Right
        commands.Cursor(1.0f, 0.75f);
        for (int frame = 0; frame < 60; ++frame)
            Frame();
        HoldKey(0xC8, false);
        HoldKey(0xCD, false);
        commands.Cursor(0.0f, 0.0f);
        const float moved = (camera->Current().position - start).Length();
        const bool noted = GetUserInputWords().events[0] & camera_bits::kPan;
        if (allowed) {
            EXPECT_GT(moved, 1.0f);
            EXPECT_TRUE(noted);
        } else {
            EXPECT_EQ(moved, 0.0f);
            EXPECT_FALSE(noted);
        }
        for (int frame = 0; frame < 100; ++frame)
            Frame(); // the momentum dies away
    }
}

TEST_F(LvCameraInput, AltMakesInputAndMotionTwentyFiveTimesSmaller) {
    auto dragYaw = [&](bool alt) {
        HoldKey(0x38, alt);
        PressSecondButton();
        Frame();
        mouse.dx = 10;
        const float before = camera->Rates().yaw;
        Frame();
        const float rate = camera->Rates().yaw - before * std::pow(16.0f * 0.0004f, 1.0f / 30.0f);
        ReleaseSecondButton();
        Frame();
        for (int frame = 0; frame < 100; ++frame)
            Frame();
        return rate;
    };
    const float plain = dragYaw(false);
    EXPECT_NEAR(plain, 10 * 0.06f * -0.02617994f, 1e-6f);
    EXPECT_NEAR(dragYaw(true) / plain, 0.04f, 1e-4f);

    // A move on the real clock advances by the slowed frame time.
    auto progressOfOneFrame = [&](bool alt) {
        HoldKey(0x38, alt);
        camera->MoveTo(LevelView({0, 50, 0}, {1, 0, 0}), 10.0f, false, 1, camera_move::kLinear,
                       nullptr, nullptr);
        Frame(20);
        return camera->Transition().progress;
    };
    EXPECT_FLOAT_EQ(progressOfOneFrame(false), 0.02f);
    EXPECT_FLOAT_EQ(progressOfOneFrame(true), 0.02f * 0.04f);
}

} // namespace
} // namespace lumivane
