// The frame's small rules: the side-plane cull, the transparent queue's
// order, texture levels by screen size, light attenuation, normals as
// colours, the statistics line's frame rate, the inset picture's place and
// the still camera's home view.
#include "desktop/display/camera/still_camera.h"
#include "desktop/display/frame/frame_math.h"
#include "desktop/scene/entity/entity.h"
#include "desktop/scene/world/scene_services.h"
#include "platform/binary_io.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace lumivane;

TEST(LvFrameRules, ASphereTouchingASidePlaneIsDrawnOnePastItIsNot) {
    const Vec3 normals[4] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}};
    EXPECT_FALSE(OutsideSidePlanes(normals, {2.0f, 0.0f, 0.0f}, 2.0f));
    EXPECT_TRUE(OutsideSidePlanes(normals, {2.0f, 0.0f, 0.0f}, 1.999f));
    EXPECT_TRUE(OutsideSidePlanes(normals, {0.0f, -5.0f, 0.0f}, 1.0f));
    EXPECT_FALSE(OutsideSidePlanes(normals, {0.0f, 0.0f, 0.0f}, 0.0f));
}

TEST(LvFrameRules, TransparentNodesGoFarToNearAndTiesKeepTheirQueueOrder) {
    Entity near, far, alsoFar;
    near.position = {0, 0, 10};
    far.position = {0, 0, 50};
    alsoFar.position = {30, 0, 40}; // as far as `far`
    std::vector<QueuedNode> queue(4);
    Entity* owners[4] = {&near, &alsoFar, &far, &near};
    for (int i = 0; i < 4; ++i) {
        queue[size_t(i)].entity = owners[i];
        queue[size_t(i)].order = i;
    }
    const Vec3 camera;
    std::sort(queue.begin(), queue.end(),
              [&](const QueuedNode& a, const QueuedNode& b) { return DepthOrder(a, b, camera); });
    std::vector<int> orders;
    for (const QueuedNode& q : queue)
        orders.push_back(q.order);
    EXPECT_EQ(orders, (std::vector<int>{1, 2, 0, 3}));
}

TEST(LvFrameRules, TextureLevelsSwitchAtTheirScreenSizes) {
    EXPECT_EQ(TextureLevelForScreenSize(0.0f), 2);
    EXPECT_EQ(TextureLevelForScreenSize(0.0999f), 2);
    EXPECT_EQ(TextureLevelForScreenSize(0.1f), 3);
    EXPECT_EQ(TextureLevelForScreenSize(0.2f), 4);
    EXPECT_EQ(TextureLevelForScreenSize(0.35f), 5);
    EXPECT_EQ(TextureLevelForScreenSize(0.6999f), 5);
    EXPECT_EQ(TextureLevelForScreenSize(0.7f), 6);
}

TEST(LvFrameRules, AttenuationFollowsFalloffAndRangeAndNeverDividesByZero) {
    EXPECT_FLOAT_EQ(AttenuationFor(0.0f, 10.0f, false).linear, 0.0f);
    EXPECT_FLOAT_EQ(AttenuationFor(0.5f, 10.0f, false).linear, 0.1f);
    EXPECT_NEAR(AttenuationFor(1.0f, 10.0f, false).linear, 99.9f, 1e-3f);
    EXPECT_FLOAT_EQ(AttenuationFor(0.5f, 10.0f, true).linear, 0.0f);
    // A range of 0 would attenuate without end: the light is not attenuated.
    const LightAttenuation none = AttenuationFor(0.5f, 0.0f, false);
    EXPECT_FLOAT_EQ(none.constant, 1.0f);
    EXPECT_FLOAT_EQ(none.linear, 0.0f);
    EXPECT_FLOAT_EQ(none.quadratic, 0.0f);
}

TEST(LvFrameRules, TheSixAxesPackAsColours) {
    const struct {
        Vec3 axis;
        uint32_t colour;
    } cases[] = {{{1, 0, 0}, 0xFF8080},  {{-1, 0, 0}, 0x008080}, {{0, 1, 0}, 0x80FF80},
                 {{0, -1, 0}, 0x800080}, {{0, 0, 1}, 0x8080FF},  {{0, 0, -1}, 0x808000}};
    for (const auto& c : cases) {
        uint32_t colour = 0xDEADBEEF;
        NormalToColour(c.axis, colour);
        EXPECT_EQ(colour, c.colour) << c.axis.x << " " << c.axis.y << " " << c.axis.z;
    }
}

TEST(LvFrameRules, FourFramesInOneHundredMillisecondsAreFortyAStillClockNone) {
    EXPECT_EQ(FramesPerSecond(100), 40u);
    EXPECT_EQ(FramesPerSecond(0), 0u);
}

TEST(LvFrameRules, FadeAndBarsRampByTheFrameTimeAndRecoverFromDamagedAmounts) {
    EXPECT_FLOAT_EQ(RampAmount(0.5f, true, 0.1f), 0.6f);
    EXPECT_FLOAT_EQ(RampAmount(0.5f, false, 0.1f), 0.4f);
    EXPECT_FLOAT_EQ(RampAmount(0.95f, true, 0.1f), 1.0f);
    EXPECT_FLOAT_EQ(RampAmount(0.5f, true, 0.0f), 0.5f); // paused
    // A scene file's amount that is no number, or out of range, would keep
    // the veil or the bars stuck for good.
    EXPECT_FLOAT_EQ(RampAmount(std::nanf(""), true, 0.1f), 1.0f);
    EXPECT_FLOAT_EQ(RampAmount(INFINITY, false, 0.1f), 0.0f);
    EXPECT_FLOAT_EQ(RampAmount(7.0f, true, 0.1f), 1.0f);
    EXPECT_FLOAT_EQ(RampAmount(-3.0f, false, 0.0f), 0.0f);
}

TEST(LvFrameRules, TheInsetPictureStaysBesideItsEntityAndInsideTheTarget) {
    const InsetRect left = PictureInPictureRect(-0.5f, -0.5f, 800, 600);
    EXPECT_EQ(left.side, 120);
    EXPECT_EQ(left.left, 200);
    EXPECT_EQ(left.top, 450);
    const InsetRect right = PictureInPictureRect(0.5f, 0.5f, 800, 600);
    EXPECT_EQ(right.left, 600 - 120);
    EXPECT_EQ(right.top, 150 - 120);
    // At an edge it moves back inside.
    const InsetRect corner = PictureInPictureRect(0.99f, 0.99f, 800, 600);
    EXPECT_LE(corner.left + corner.side, 800);
    EXPECT_GE(corner.top, 0);
}

TEST(LvFrameRules, TheStillCameraLooksDownAtTheSceneFromOutsideItsRadius) {
    GetSceneBounds().radius = 100.0f;
    StillCamera camera;
    camera.SetAspect(16.0f / 9.0f);
    camera.ResetToHome();
    EXPECT_FLOAT_EQ(camera.HorizontalFov(), 0.7853982f);
    EXPECT_NEAR(camera.VerticalFov(), 2.0f * std::atan(std::tan(0.3926991f) * 9.0f / 16.0f), 1e-5f);
    const CameraView& home = camera.Current();
    EXPECT_GT(home.position.Length(), 100.0f);
    EXPECT_NEAR(home.position.y, home.position.z, 1e-3f);
    EXPECT_NEAR(home.direction.y, -0.7071f, 1e-3f);
    EXPECT_NEAR(home.direction.z, -0.7071f, 1e-3f);
    // The origin is in view, a point behind the camera is not.
    EXPECT_FALSE(OutsideSidePlanes(camera.SidePlanes(), Vec3{} - home.position, 0.0f));
    EXPECT_TRUE(
        OutsideSidePlanes(camera.SidePlanes(), home.direction * -10.0f + home.up * 50.0f, 0.0f));
    GetSceneBounds() = {};

    // Its block keeps the view angles of the display it draws for.
    platform::BufferWriter out;
    camera.Save(out);
    StillCamera square;
    square.SetAspect(1.0f);
    platform::MemoryReader in(out.Data());
    ASSERT_TRUE(square.Load(in, 120));
    EXPECT_FLOAT_EQ(square.VerticalFov(), 0.7853982f);
    EXPECT_EQ(square.Current().position, home.position);
}
