// Structures and debris: a pod that loses its core breaks up on its next
// update with a shock wave; a structure that may stand alone stays level
// and turns at its "Rotational speed" while it orbits; debris bursts a
// quarter second before its life ends (in its colour) and is then removed,
// and debris made with a quarter second or less never bursts.
#include <gtest/gtest.h>

#include <cmath>

#include "desktop/scene/object/math_tables.h"
#include "desktop/scene/entity/debris.h"
#include "desktop/units/structure/structure.h"
#include "tests/desktop/units/arms_fixture.h"

namespace lumivane::test {
namespace {

constexpr float kStep = 1.0f / 30.0f;

class LvStructures : public UnitTest {
protected:
    LvStructures() {
        for (const char* effect : {"shock1", "explosion- Yellow", "explosion- Red"})
            AddPrototype(effect, [](Entity& e) {
                SetFlag(e, "can collide", false);
                SetFlag(e, "affected by gravity", false);
            });
        AddPrototype<Debris>("debris", [](Entity& e) { SetFlag(e, "affected by gravity", false); });
        auto calm = [](Entity& e) {
            SetFlag(e, "affected by gravity", false);
            SetFlag(e, "task: auto attack", false);
        };
        Structure* core = AddPrototype<Structure>("core", [&](Entity& e) {
            calm(e);
            SetFlag(e, "Survive unlinked", true);
        });
        core->AddChild(Cube("hull", 1.0f));
        auto* dock = new TransNode;
        dock->SetName("dock");
        dock->local.MakeTranslation(2.0f, 0, 0);
        core->AddChild(dock);
        core->RecomputeBound();
        Structure* pod = AddPrototype<Structure>("pod", calm);
        pod->AddChild(Cube("hull", 0.5f));
        pod->RecomputeBound();
    }

    int CountNamed(std::string_view name) {
        world.JoinPending();
        int count = 0;
        for (int i = 0; i < world.EntityCount(); ++i)
            if (world.EntityAt(i)->Name() == name) ++count;
        return count;
    }

    bool Alive(const Entity* e) const { return IsInWorld(world, e); }
};

TEST_F(LvStructures, APodThatLosesItsCoreBreaksUpOnItsNextUpdate) {
    auto* core = Spawn<Structure>("core", {});
    auto* pod = Spawn<Structure>("pod", {});
    pod->ownerHandle = core->handle;
    pod->targetLinkNode = core->FindByName("dock");
    pod->ownLinkNode = pod;
    for (int frame = 0; frame < 10; ++frame)
        Step(kStep);
    ASSERT_TRUE(Alive(pod));
    EXPECT_NEAR(pod->position.x, 2.0f, 1e-4f) << "it rides its dock";
    EXPECT_EQ(CountNamed("shock1"), 0);

    world.QueueRemove(core, nullptr, false);
    Step(kStep); // the core goes at the end of this frame
    ASSERT_TRUE(Alive(pod));
    Step(kStep);
    EXPECT_FALSE(Alive(pod));
    EXPECT_EQ(CountNamed("shock1"), 1);
    EXPECT_EQ(CountNamed("explosion- Yellow"), 1);

    // The core itself stands alone.
    auto* alone = Spawn<Structure>("core", {30, 0, 0});
    for (int frame = 0; frame < 10; ++frame)
        Step(kStep);
    EXPECT_TRUE(Alive(alone));
}

TEST_F(LvStructures, AFreeStandingStructureStaysLevelAndTurnsAtItsRate) {
    Entity* sun = AddSun();
    auto* core = Spawn<Structure>("core", {0, 0, 60});
    const float wanted = core->RotationalSpeed();
    ASSERT_NEAR(wanted, 0.34906585f, 1e-6f);
    // Tilted to start with.
    core->orientation = Quat(0.2588190f, 0, 0, 0.9659258f); // 30 degrees about X
    core->orderState = kOrderFollow;
    core->target = sun->handle;
    core->followOffset = {0, 1, 0};
    core->followDistance = 60.0f;
    auto yawOf = [&] {
        float yaw = 0, pitch = 0;
        core->GetDir().GetYawPitch(yaw, pitch);
        return yaw;
    };
    for (int frame = 0; frame < 150; ++frame)
        Step(kStep);
    float turned = 0.0f;
    float last = yawOf();
    for (int frame = 0; frame < 90; ++frame) {
        Step(kStep);
        Vec3 up(0, 1, 0);
        core->orientation.RotateVector(up);
        EXPECT_GT(up.y, 0.9999f) << "level at frame " << frame;
        float now = yawOf(), step = now - last;
        if (step > kPi) step -= 2.0f * kPi;
        if (step < -kPi) step += 2.0f * kPi;
        turned += step;
        last = now;
    }
    EXPECT_EQ(core->orbiting, 1);
    EXPECT_NEAR(turned / (90.0f * kStep), wanted, 0.1f * wanted);
}

TEST_F(LvStructures, DebrisBurstsAQuarterSecondBeforeItsEndAndShortLivedDebrisNever) {
    auto* piece = Spawn<Debris>("debris", {});
    piece->remainingLife = 1.0f;
    piece->colourCode = 2;
    auto* brief = Spawn<Debris>("debris", {10, 0, 0});
    brief->remainingLife = 0.25f;
    // By handle: the address of a piece that has gone may be taken again.
    const EntityHandle pieceHandle = piece->handle, briefHandle = brief->handle;
    int frames = 0, burstAt = -1;
    while ((world.GetEntity(pieceHandle) || world.GetEntity(briefHandle)) && frames < 100) {
        Step(0.05f);
        ++frames;
        if (burstAt < 0 && CountNamed("explosion- Red") > 0) burstAt = frames;
    }
    EXPECT_EQ(burstAt, 15) << "at 0.25 s left";
    EXPECT_EQ(frames, 20) << "removed at the end of its life";
    EXPECT_EQ(CountNamed("explosion- Red"), 1);
    EXPECT_EQ(CountNamed("explosion- Yellow"), 0) << "the short-lived piece never burst";
}

} // namespace
} // namespace lumivane::test
