// The shipped base scene's mining yard run headless (1/30 s steps on the
// test clock, the generators at their start states): the bay launches its
// pods, which fill to "gather amount total" (the carried count running
// 0..8), unload at the bay and go back out; the tug grabs its rock and
// drags it on the cable, then lets it go for another, the first cable
// reeling in and going; a second run ends bit for bit where the first did.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>

#include "desktop/units/pod/pod_bay.h"
#include "desktop/units/pod/utility_pod.h"
#include "desktop/units/tug/tow_cable.h"
#include "desktop/units/tug/tug.h"
#include "platform/paths.h"
#include "tools/scenerun/scene_runner.h"
#include "tools/scenerun/unit_watch.h"

namespace lumivane {
namespace {

constexpr int kFrames = 3000; // 100 s: the first pod unloads after about 82

struct YardRun {
    SceneRunner run;
    bool loaded = false;
    std::set<EntityHandle> filled;   // pods seen with a full hold
    std::set<EntityHandle> unloaded; // ... that then emptied it at the bay
    std::set<EntityHandle> backOut;  // ... and went gathering again
    std::set<EntityHandle> cablesSeen;
    bool carriedInRange = true;
    int towingFrames = 0;
    float rockTravel = 0.0f; // of the first rock towed, while towed
    float widestGap = 0.0f;  // tug to towed rock, centre to centre, less both radii

    YardRun() {
        std::string error;
        loaded = run.Load(platform::ProgramFolder() / "LumivaneData", "scenes\\base.mis", error);
        EXPECT_TRUE(loaded) << error;
    }

    void Play() {
        World& world = run.world;
        EntityHandle firstRock = kNoEntity;
        Vec3 rockStart;
        for (int f = 0; f < kFrames; ++f) {
            run.Step();
            for (int i = 0; i < world.EntityCount(); ++i) {
                Entity* e = world.EntityAt(i);
                if (UtilityPod* pod = AsUtilityPod(e)) Watch(*pod);
                if (IsA(e, ClassId::TowCable)) cablesSeen.insert(e->handle);
                Tug* tug = AsTug(e);
                if (!tug || !tug->towing) continue;
                const Entity* rock = world.GetEntity(tug->towed);
                if (!rock) continue;
                if (firstRock == kNoEntity) {
                    firstRock = rock->handle;
                    rockStart = rock->position;
                }
                ++towingFrames;
                if (rock->handle == firstRock)
                    rockTravel = std::max(rockTravel, (rock->position - rockStart).Length());
                const float gap =
                    (rock->position - tug->position).Length() - rock->radius - tug->radius;
                widestGap = std::max(widestGap, gap - tug->cableLength);
            }
        }
    }

    void Watch(const UtilityPod& pod) {
        if (pod.carried < 0 || pod.carried > kFullCargoCount) carriedInRange = false;
        const EntityHandle h = pod.handle;
        if (pod.carried == kFullCargoCount) filled.insert(h);
        if (filled.count(h) && pod.cargo == 0.0f && pod.orderState == kOrderClassState10)
            unloaded.insert(h);
        if (unloaded.count(h) && pod.orderState == kOrderGather) backOut.insert(h);
    }
};

TEST(LvMiningYard, PodsMineAndUnloadTheTugHaulsAndASecondRunIsTheSame) {
    uint32_t digest = 0;
    {
        auto run = std::make_unique<YardRun>();
        ASSERT_TRUE(run->loaded);
        int bays = 0;
        for (int i = 0; i < run->run.world.EntityCount(); ++i)
            bays += IsA(run->run.world.EntityAt(i), ClassId::PodBay);
        ASSERT_GE(bays, 1);
        run->Play();
        EXPECT_TRUE(run->carriedInRange);
        EXPECT_FALSE(run->filled.empty()) << "pods fill their holds";
        EXPECT_FALSE(run->unloaded.empty()) << "and unload at the bay";
        EXPECT_FALSE(run->backOut.empty()) << "and go back out";
        EXPECT_GT(run->towingFrames, 0);
        EXPECT_GT(run->rockTravel, 5.0f) << "the tug drags its rock";
        EXPECT_LT(run->widestGap, 2.0f) << "no further than its cable lets it";
        EXPECT_GE(run->cablesSeen.size(), 2u) << "a cable for each rock";
        digest = UnitWatch::Digest(run->run.world);
    }
    auto again = std::make_unique<YardRun>();
    ASSERT_TRUE(again->loaded);
    again->Play();
    EXPECT_EQ(UnitWatch::Digest(again->run.world), digest);
}

} // namespace
} // namespace lumivane
