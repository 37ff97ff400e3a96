// The camera's views and targets: framing units, what happens when a
// followed unit leaves the world, the home view toggle, targets whose
// handles no longer resolve, and the second view aimed for the inset.
#include <limits>

#include "desktop/scene/object/math_tables.h"
#include "tests/desktop/display/camera/camera_fixture.h"

namespace lumivane {
namespace {

class LvCameraTargets : public test::CameraTest {};

TEST_F(LvCameraTargets, LosingTheOnlyTargetCoastsForTwoSeconds) {
    Entity* ship = Unit({0, 0, 0});
    camera->SetTargets(std::span<Entity* const>(&ship, 1));
    for (int frame = 0; frame < 10; ++frame) {
        ship->position.x += 1.0f; // 100 units a second
        Frame();
    }
    EXPECT_NEAR(camera->Velocity().x, 100.0f, 0.01f);

    world.QueueRemove(ship, nullptr, false);
    world.FlushRemovals();
    EXPECT_TRUE(camera->Current().targets.empty());
    EXPECT_TRUE(camera->Coast().on);
    EXPECT_NEAR(camera->Coast().velocity.x, 100.0f, 0.01f);
    EXPECT_EQ(camera->Velocity(), Vec3());

    const Vec3 start = camera->Current().position;
    int frames = 0;
    for (; frames < 400 && camera->Coast().on; ++frames)
        Frame();
    EXPECT_NEAR(frames, 200, 1); // 2 s
    // The drift slows as 1 - u^4: 4/5 of the full-speed distance.
    EXPECT_NEAR(camera->Current().position.x - start.x, 160.0f, 1.5f);
    EXPECT_NEAR(camera->Current().position.z, start.z, 1e-3f);
}

TEST_F(LvCameraTargets, RemovalsAndReplacementsReachEveryListedEntry) {
    Entity* a = Unit({0, 0, 0});
    Entity* b = Unit({10, 0, 0});
    Entity* c = Unit({-10, 0, 0});
    Entity* listed[] = {a, b, a};
    camera->SetTargets(listed);
    camera->FocusOnUnits(listed); // the previous view keeps the list too
    camera->ReplaceTarget(a, nullptr);
    ASSERT_EQ(camera->Current().targets.size(), 1u);
    EXPECT_EQ(camera->Current().targets[0], b->handle);
    EXPECT_EQ(camera->Previous().targets, std::vector<EntityHandle>{b->handle});
    EXPECT_FALSE(camera->Coast().on); // one target is left

    CameraView chasing = camera->Current();
    chasing.chase = 1;
    camera->SetView(chasing);
    camera->ReplaceTarget(b, c);
    EXPECT_EQ(camera->Current().targets, std::vector<EntityHandle>{c->handle});
    EXPECT_EQ(camera->Current().chase, 0);
    EXPECT_FALSE(camera->Coast().on);
}

TEST_F(LvCameraTargets, FocusingSkipsEmptySlotsAndDoublesASingleUnit) {
    Entity* a = Unit({20, 0, 0}, 2.0f);
    SetFloat(*a, "min zoom dist", 1.5f);
    Entity* units[] = {nullptr, a, nullptr};
    camera->FocusOnUnits(units);
    EXPECT_EQ(camera->Goal().targets, std::vector<EntityHandle>{a->handle});
    EXPECT_NEAR(camera->Goal().offset.Length(), 2.0f * 1.5f * 2.0f, 1e-4f);
    EXPECT_EQ(camera->Previous().position, camera->Home().position);
    EXPECT_EQ(camera->Transition().clockSelector, 1u);

    // Two units are framed by their spread, not doubled.
    Entity* b = Unit({-20, 0, 0}, 2.0f);
    Entity* pair[] = {a, b};
    camera->FocusOnUnits(pair);
    const float spread = (20.0f + 2.0f) / TableSin(kPi / 8.0f) * 1.2f;
    EXPECT_NEAR(camera->Goal().offset.Length(), spread, 1e-2f);
    FinishMove();
    EXPECT_NEAR(camera->Current().position.Length(), spread, 1e-2f);
}

TEST_F(LvCameraTargets, HomeKeyPressedTwiceDuringAMoveReturns) {
    const CameraView away = LevelView({30, 10, -40}, {0, 0, 1});
    camera->SetView(away);
    keyboard.pressed[0x0F] = 1; // Tab
    Frame();
    EXPECT_TRUE(camera->Transition().moving);
    EXPECT_EQ(camera->Goal().position, camera->Home().position);
    EXPECT_EQ(camera->Remembered().position, away.position);
    EXPECT_TRUE(GetUserInputWords().events[0] & camera_bits::kHomeToggle);
    ASSERT_EQ(sounds.cues.size(), 1u);
    EXPECT_EQ(sounds.cues[0], InterfaceCue::ViewToggle);

    Frame();
    keyboard.pressed[0x0F] = 1; // again, while the move runs
    Frame();
    EXPECT_EQ(camera->Goal().position, away.position);
    FinishMove();
    EXPECT_EQ(camera->Current().position, away.position);

    // A third press goes home, the fourth after arriving comes back.
    keyboard.pressed[0x0F] = 1;
    Frame();
    FinishMove();
    EXPECT_EQ(camera->Current().position, camera->Home().position);
    keyboard.pressed[0x0F] = 1;
    Frame();
    EXPECT_EQ(camera->Goal().position, away.position);

    // Without permission the key does nothing.
    camera->ResetToHome();
    GetUserInputWords() = {};
    GetUserInputWords().permission[0] &= ~camera_bits::kHomeToggle;
    keyboard.pressed[0x0F] = 1;
    Frame();
    EXPECT_FALSE(camera->Transition().moving);
    EXPECT_EQ(GetUserInputWords().events[0], 0u);
}

TEST_F(LvCameraTargets, StaleHandlesFrameNothing) {
    Entity* a = Unit({100, 0, 100});
    const EntityHandle gone = a->handle;
    world.QueueRemove(a, nullptr, false);
    world.FlushRemovals();

    CameraView view = LevelView({200, 50, 200}, {-1, -0.5f, -1});
    view.targets = {gone, gone};
    view.offset = {5, 5, 5};
    camera->SetView(view);
    // Not the middle of an empty box at the origin: the camera stays, and
    // the centre is a pivot on its ray inside the scene.
    EXPECT_EQ(camera->Current().position, view.position);
    const Vec3 toCentre = camera->TargetCentre() - view.position;
    EXPECT_NEAR(Vec3::Cross(toCentre, view.direction).Length(), 0.0f, 1e-2f);
    EXPECT_GT(Vec3::Dot(toCentre, view.direction), 0.0f);
    EXPECT_LE(camera->TargetCentre().Length(), GetSceneBounds().radius + 0.01f);
    EXPECT_EQ(camera->TargetRadius(), 0.0f);
    EXPECT_EQ(camera->GetSingleTarget(), nullptr);
    Frame();
    EXPECT_NEAR((camera->Current().position - view.position).Length(), 0.0f, 1e-4f);

    // One live target and one stale one are two targets: no single target.
    Entity* b = Unit({0, 0, 0});
    view.targets = {b->handle, gone};
    camera->SetView(view);
    EXPECT_EQ(camera->GetSingleTarget(), nullptr);
    EXPECT_EQ(camera->TargetCentre(), b->position);
}

TEST_F(LvCameraTargets, TheInsetViewCentresTheEntityAndRefusesOneWithoutSizeOrPlace) {
    camera->SetView(LevelView({0, 10, 0}, {0, -0.2f, 1}));
    Entity* ship = Unit({30, 0, 200}, 2.0f);
    Matrix view, projection;
    ASSERT_TRUE(camera->AimPictureInPicture(*ship, view, projection));
    // The entity in the middle of the square; its reach (as drawn, grown by
    // its distance scale) spans most of the half side.
    const Matrix both = view * projection;
    Vec3 middle = ship->position;
    both.TransformPoint(middle);
    EXPECT_NEAR(middle.x, 0.0f, 1e-4f);
    EXPECT_NEAR(middle.y, 0.0f, 1e-4f);
    EXPECT_GT(middle.z, 0.0f);
    EXPECT_LT(middle.z, 1.0f);
    const float reach = ship->radius * ship->GetDistanceScale();
    ASSERT_GT(reach, ship->radius);
    Vec3 edge = ship->position + camera->PictureInPicture().right * reach;
    both.TransformPoint(edge);
    EXPECT_NEAR(edge.x, 0.8f, 1e-3f);
    // It looks along the line from the camera and keeps the camera's up.
    const Vec3 line = (ship->position - camera->Current().position).Normalize();
    EXPECT_NEAR(Vec3::Dot(camera->PictureInPicture().direction, line), 1.0f, 1e-5f);
    EXPECT_GT(Vec3::Dot(camera->PictureInPicture().up, camera->Current().up), 0.9f);

    ship->radius = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(camera->AimPictureInPicture(*ship, view, projection));
    ship->radius = 0.0f;
    EXPECT_FALSE(camera->AimPictureInPicture(*ship, view, projection));
    ship->radius = 2.0f;
    ship->position.y = std::numeric_limits<float>::infinity();
    EXPECT_FALSE(camera->AimPictureInPicture(*ship, view, projection));
    // The camera inside it.
    ship->position = camera->Current().position;
    EXPECT_FALSE(camera->AimPictureInPicture(*ship, view, projection));
}

} // namespace
} // namespace lumivane
