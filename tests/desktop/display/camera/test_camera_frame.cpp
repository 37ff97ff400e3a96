// What the camera does on its own each frame and hands the display: the
// drift round the Sun, the near plane that keeps close bodies whole, and
// the cursor riding on a unit being focused.
#include "tests/desktop/display/camera/camera_fixture.h"

namespace lumivane {
namespace {

class LvCameraFrame : public test::CameraTest {};

TEST_F(LvCameraFrame, WithNothingToDoTheCameraDriftsRoundTheSun) {
    AddPrototype<Sun>("Sun", [](Entity& e) {
        SetFlag(e, "massive", true);
        SetFloat(e, "mass", 5000.0f);
    });
    Spawn("Sun", {0, 0, 0});
    ASSERT_NE(world.Sun(), nullptr);
    camera->SetView(LevelView({0, 30, -100}, {0, -0.3f, 1}));
    const float speed = std::sqrt(5000.0f / 100.0f * 0.0005f);
    for (int frame = 0; frame < 100; ++frame)
        Frame();
    const Vec3 p = camera->Current().position;
    EXPECT_NEAR(std::hypot(p.x, p.z), 100.0f, 0.05f);
    // One second along the orbit, r x up: towards +x from -z.
    EXPECT_NEAR(std::atan2(p.x, -p.z), speed / 100.0f, 2e-5f);
    EXPECT_EQ(p.y, 30.0f);
    // It keeps looking the same way relative to the Sun.
    const Vec3 d = camera->Current().direction;
    EXPECT_NEAR(Vec3::Dot(Vec3(d.x, 0, d.z).Normalize(), Vec3(-p.x, 0, -p.z).Normalize()), 1.0f,
                1e-4f);

    // A followed unit stops the drift.
    Entity* unit = Unit({0, 0, -60});
    camera->SetTargets(std::span<Entity* const>(&unit, 1));
    const Vec3 held = camera->Current().position;
    for (int frame = 0; frame < 20; ++frame)
        Frame();
    EXPECT_NEAR((camera->Current().position - held).Length(), 0.0f, 1e-4f);
}

TEST_F(LvCameraFrame, TheNearPlaneComesAsCloseAsTheNearestBodyAllows) {
    camera->SetView(LevelView({0, 0, 0}, {0, 0, 1}));
    Frame();
    EXPECT_FLOAT_EQ(camera->NearPlane(), 0.01f); // nothing in front
    Entity* far = Unit({0, 0, 50}, 2.0f);
    Frame();
    EXPECT_FLOAT_EQ(camera->NearPlane(), 1.0f);
    Entity* close = Unit({0.5f, 0, 3.2f}, 2.0f);
    Frame();
    EXPECT_NEAR(camera->NearPlane(), 0.2f, 1e-5f);
    close->noFlareOcclusion = 1; // ignored by the camera
    Frame();
    EXPECT_FLOAT_EQ(camera->NearPlane(), 1.0f);
    far->position = {0, 0, 1.0f}; // reaching past the camera
    Frame();
    EXPECT_FLOAT_EQ(camera->NearPlane(), 0.01f);
}

TEST_F(LvCameraFrame, TheSidePlanesFaceOutward) {
    camera->SetView(LevelView({0, 0, 0}, {0, 0, 1}));
    Frame();
    for (int side = 0; side < 4; ++side)
        EXPECT_LT(Vec3::Dot(camera->SideNormal(side), {0, 0, 10}), 0.0f) << side;
    // Left, right, top and bottom, each just outside its plane.
    const Vec3 outside[4] = {{-4.5f, 0, 10}, {4.5f, 0, 10}, {0, 3.5f, 10}, {0, -3.5f, 10}};
    const Vec3 inside[4] = {{-3.9f, 0, 10}, {3.9f, 0, 10}, {0, 2.9f, 10}, {0, -2.9f, 10}};
    for (int side = 0; side < 4; ++side) {
        EXPECT_GT(Vec3::Dot(camera->SideNormal(side), outside[side]), 0.0f) << side;
        EXPECT_LT(Vec3::Dot(camera->SideNormal(side), inside[side]), 0.0f) << side;
    }
}

TEST_F(LvCameraFrame, TheCursorRidesOnTheUnitBeingFocused) {
    Entity* unit = Unit({60, 0, 30}, 2.0f);
    commands.Select({unit});
    PressSecondButton();
    Frame();
    ReleaseSecondButton();
    Frame(); // a click with a unit selected focuses it
    ASSERT_TRUE(camera->ClickFocus());
    ASSERT_TRUE(camera->Transition().moving);
    Frame();
    Vec3 p = unit->position;
    (camera->ViewMatrix() * camera->ProjectionMatrix()).TransformPoint(p);
    ASSERT_LT(std::fabs(p.x), 1.0f);
    EXPECT_NEAR(mouse.x, p.x, 1e-5f);
    EXPECT_NEAR(mouse.y, -p.y * 3.0f / 4.0f, 1e-5f);
    EXPECT_NE(mouse.x, 0.0f);

    // A unit merely under the cursor is framed without the cursor riding.
    camera->ResetToHome();
    commands.Select({});
    commands.Under(unit);
    mouse.x = mouse.y = 0.0f;
    PressSecondButton();
    Frame();
    ReleaseSecondButton();
    Frame();
    Frame();
    EXPECT_TRUE(camera->Transition().moving);
    EXPECT_FALSE(camera->ClickFocus());
    EXPECT_EQ(mouse.x, 0.0f);
}

} // namespace
} // namespace lumivane
