// Scripted camera paths: a trigger's camera keys played as a sequence of
// moves, holds and cuts, on the game clock or faster on the real clock.
#include <algorithm>
#include <memory>

#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/trigger.h"
#include "tests/desktop/display/camera/camera_fixture.h"

namespace lumivane {
namespace {

class LvCameraSequence : public test::CameraTest {
protected:
    static constexpr int32_t kTourTrigger = 7;

    LvCameraSequence() {
        SetScene(&scene);
        auto trigger = std::make_unique<Trigger>();
        trigger->id = kTourTrigger;
        auto path = std::make_unique<TriggerAction>();
        path->type = action::kCameraPath;
        path->owner = trigger.get();
        // A quartic move, a hold, a spline move and a cut.
        const CameraView first = LevelView({0, 40, -200}, {0, -0.1f, 1});
        path->cameraKeys = {
            Key(camera_move::kQuartic, 500, first),
            Key(camera_move::kHold, 1000, first), // a hold keeps the view it holds
            Key(camera_move::kSpline, 400, LevelView({150, 30, -100}, {-1, -0.1f, 1})),
            Key(camera_move::kCut, 300, LevelView({-80, 60, 90}, {0.5f, -0.3f, -1})),
        };
        tour = path.get();
        trigger->actions.push_back(std::move(path));
        scene.AddTrigger(std::move(trigger));
    }
    ~LvCameraSequence() override { SetScene(nullptr); }

    static CameraKey Key(uint32_t kind, uint32_t ms, const CameraView& view) {
        CameraKey key;
        key.kind = kind;
        key.duration = ms;
        key.view = view;
        return key;
    }

    // Plays the tour in 1 ms frames; answers the clock at which each step
    // started, and the clock when the sequence ended.
    std::vector<uint32_t> PlayTour(int clockFlag) {
        camera->StartSequence(tour, 0, clockFlag);
        std::vector<uint32_t> starts;
        int seen = 0;
        for (int frame = 0; frame < 5000 && camera->Sequence().trigger >= 0; ++frame) {
            Frame(1);
            for (; seen < camera->Sequence().step; ++seen)
                starts.push_back(camera->Sequence().stepStart);
        }
        starts.push_back(clockFlag ? GetSceneClock().realTime : GetSceneClock().gameTime);
        return starts;
    }

    Scene scene;
    TriggerAction* tour = nullptr;
};

TEST_F(LvCameraSequence, TheTourWaitsOutItsHoldAndEndsOnTheCut) {
    const std::vector<uint32_t> starts = PlayTour(0);
    ASSERT_EQ(starts.size(), 5u);
    EXPECT_EQ(camera->Sequence().trigger, -1);
    EXPECT_NEAR(double(starts[1] - starts[0]), 500.0, 2.0); // the quartic move
    EXPECT_EQ(starts[2] - starts[1], 1000u);                // the hold, to the millisecond
    EXPECT_NEAR(double(starts[3] - starts[2]), 400.0, 2.0); // the spline move
    EXPECT_EQ(starts[4], starts[3]);                        // the cut is at once

    const CameraView& cut = tour->cameraKeys[3].view;
    EXPECT_EQ(camera->Current().position, cut.position);
    EXPECT_NEAR((camera->Current().direction - cut.direction).Length(), 0.0f, 1e-5f);
    EXPECT_FALSE(camera->Transition().moving);
}

TEST_F(LvCameraSequence, TheRealClockWithFlagTwoTakesHalfTheTime) {
    const std::vector<uint32_t> game = PlayTour(0);
    camera->ResetToHome();
    const std::vector<uint32_t> real = PlayTour(2);
    ASSERT_EQ(real.size(), 5u);
    EXPECT_EQ(real[2] - real[1], 500u);
    EXPECT_NEAR(double(real[1] - real[0]), 250.0, 2.0);
    EXPECT_NEAR(double(real[3] - real[2]), 200.0, 2.0);
    EXPECT_NEAR(double(real[4] - real[0]), double(game[4] - game[0]) / 2.0, 3.0);
}

TEST_F(LvCameraSequence, TheMovesPassThroughTheirKeys) {
    camera->StartSequence(tour, 0, 0);
    for (int frame = 0; frame < 60; ++frame)
        Frame(10); // through the first move into the hold
    EXPECT_EQ(camera->Sequence().step, 2);
    EXPECT_EQ(camera->Current().position, tour->cameraKeys[0].view.position);
    // Halfway through the spline the camera is off the straight line.
    for (int frame = 0; frame < 120; ++frame)
        Frame(10);
    ASSERT_EQ(camera->Sequence().step, 3);
    const Vec3 a = tour->cameraKeys[0].view.position;
    const Vec3 b = tour->cameraKeys[2].view.position;
    const Vec3 p = camera->Current().position;
    const Vec3 along = (b - a).Normalize();
    const Vec3 off = (p - a) - along * Vec3::Dot(p - a, along);
    EXPECT_GT(off.Length(), 0.5f);
    EXPECT_GT(Vec3::Dot(p - a, along), 1.0f);
}

TEST_F(LvCameraSequence, AStepOutsideThePathEndsTheSequence) {
    const Vec3 home = camera->Current().position;
    camera->StartSequence(tour, 9, 0);
    Frame();
    EXPECT_EQ(camera->Sequence().trigger, -1);
    EXPECT_EQ(camera->Current().position, home);
    camera->StartSequence(tour, -3, 0);
    Frame();
    EXPECT_EQ(camera->Sequence().trigger, -1);

    // Resuming after the hold stands on the view it held, its time spent.
    camera->StartSequence(tour, 2, 0);
    EXPECT_EQ(camera->Current().position, tour->cameraKeys[1].view.position);
    EXPECT_EQ(camera->Sequence().stepStart, GetSceneClock().gameTime - 1000);
    Frame();
    EXPECT_EQ(camera->Sequence().step, 3); // the spline started at once
    EXPECT_TRUE(camera->Transition().moving);

    camera->StartSequence(nullptr, 0, 0); // a restarting scene stops it
    EXPECT_EQ(camera->Sequence().trigger, -1);
}

} // namespace
} // namespace lumivane

namespace lumivane {
namespace {

float AngleBetween(const Vec3& a, const Vec3& b) {
    return std::acos(std::clamp(Vec3::Dot(a, b) / (a.Length() * b.Length()), -1.0f, 1.0f));
}

// A shot of the war scenes' director: the camera rides with one unit, and
// a move that looks at its targets takes it on to another unit's shot.
TEST_F(LvCameraSequence, AMoveThatLooksAtItsTargetsSetsOutFromTheCurrentView) {
    Entity* ridden = Unit({0, 0, 0});
    Entity* next = Unit({60, -20, 40});
    world.JoinPending();
    CameraView riding = LevelView({0, 12, -30}, {0, -0.35f, 1});
    riding.targets = {ridden->handle};
    riding.offset = riding.position - ridden->position;
    camera->SetView(riding);

    CameraKey shot;
    shot.kind = camera_move::kQuartic;
    shot.duration = 1000;
    shot.lookAt = 1;
    shot.view = LevelView(next->position + Vec3(-25, 10, -20), {25, -10, 20});
    shot.view.targets = {next->handle};
    shot.view.offset = shot.view.position - next->position;
    auto trigger = std::make_unique<Trigger>();
    trigger->id = kTourTrigger + 1;
    auto path = std::make_unique<TriggerAction>();
    path->type = action::kCameraPath;
    path->owner = trigger.get();
    path->cameraKeys = {shot};
    const TriggerAction* director = path.get();
    trigger->actions.push_back(std::move(path));
    scene.AddTrigger(std::move(trigger));

    // The ridden unit flies on; the camera follows it.
    std::vector<Vec3> directions, positions;
    auto frame = [&] {
        ridden->position += Vec3(0.05f, 0, 0.02f);
        Frame(10);
        directions.push_back(camera->Current().direction);
        positions.push_back(camera->Current().position);
    };
    for (int i = 0; i < 5; ++i)
        frame();
    camera->StartSequence(director, 0, 0);
    const size_t before = directions.size() - 1;
    for (int i = 0; i < 120 && (i == 0 || camera->Transition().moving); ++i)
        frame();
    ASSERT_FALSE(camera->Transition().moving);
    ASSERT_GT(directions.size(), before + 10);

    // No frame of the move turns or shifts the picture more than the
    // move's own steps do; the first only sets out.
    float largestTurn = 0.0f, largestShift = 0.0f;
    for (size_t i = before + 2; i < directions.size(); ++i) {
        largestTurn = std::max(largestTurn, AngleBetween(directions[i - 1], directions[i]));
        largestShift = std::max(largestShift, (positions[i] - positions[i - 1]).Length());
    }
    EXPECT_LE(AngleBetween(directions[before], directions[before + 1]), largestTurn);
    EXPECT_LE((positions[before + 1] - positions[before]).Length(), largestShift);
    EXPECT_LT(AngleBetween(directions[before], directions[before + 1]), 0.01f);
    // And it arrives looking at the next unit.
    EXPECT_LT(
        AngleBetween(camera->Current().direction, next->position - camera->Current().position),
        0.01f);
}

} // namespace
} // namespace lumivane
