// The shipped frontier scene run headless on the test clock for 35 s: the
// mine layer lays mines linked to it, the colony ship's settlers come out
// by the script's trigger, the prefab kit becomes a hub, and the gunboats
// fight; a second run ends bit for bit where the first did.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string_view>

#include "desktop/units/deployable/deployables.h"
#include "desktop/units/weapon/weapon.h"
#include "platform/paths.h"
#include "tools/scenerun/scene_runner.h"
#include "tools/scenerun/unit_watch.h"

namespace lumivane {
namespace {

constexpr int kFrames = 35 * 30;

struct FrontierRun {
    SceneRunner run;
    bool loaded = false;
    std::set<EntityHandle> mines, settlers, hubs;
    bool minesLinked = true;
    bool kitGone = false;
    std::set<int> firingSides;

    FrontierRun() {
        std::string error;
        loaded =
            run.Load(platform::ProgramFolder() / "LumivaneData", "scenes\\frontier.mis", error);
        EXPECT_TRUE(loaded) << error;
    }

    void Play() {
        World& world = run.world;
        for (int f = 0; f < kFrames; ++f) {
            run.Step();
            bool kit = false;
            for (int i = 0; i < world.EntityCount(); ++i) {
                Entity* e = world.EntityAt(i);
                const std::string_view name = e->Name();
                if (IsA(e, ClassId::Mine) && mines.insert(e->handle).second) {
                    const Entity* layer = world.GetEntity(static_cast<Mine*>(e)->link);
                    minesLinked = minesLinked && IsA(layer, ClassId::MineLayer);
                }
                if (name == "settler") settlers.insert(e->handle);
                if (IsA(e, ClassId::Hub)) hubs.insert(e->handle);
                if (IsA(e, ClassId::PrefabKit)) kit = true;
                if (const Weapon* shot = AsWeapon(e); shot && shot->owner && shot->shooter >= 0)
                    firingSides.insert(shot->owner->index);
            }
            kitGone = !kit;
        }
    }
};

TEST(LvFrontier, MinesAreLaidSettlersLeaveAndTheKitBecomesAHub) {
    auto first = std::make_unique<FrontierRun>();
    ASSERT_TRUE(first->loaded);
    first->Play();
    EXPECT_GE(first->mines.size(), 2u);
    EXPECT_TRUE(first->minesLinked) << "each mine names its layer";
    EXPECT_EQ(first->settlers.size(), 4u);
    EXPECT_EQ(first->hubs.size(), 1u);
    EXPECT_TRUE(first->kitGone);
    EXPECT_TRUE(first->firingSides.count(1));
    EXPECT_TRUE(first->firingSides.count(2));

    const uint32_t digest = UnitWatch::Digest(first->run.world);
    first.reset();
    FrontierRun second;
    ASSERT_TRUE(second.loaded);
    second.Play();
    EXPECT_EQ(UnitWatch::Digest(second.run.world), digest);
}

} // namespace
} // namespace lumivane
