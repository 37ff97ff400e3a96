// The shipped battle scene run headless for 2,000 frames on the test clock:
// both sides fire, shots hit and deal their "damage", destroyed ships break
// into debris that bursts and is removed, and the station's pods explode
// once its core is gone; a second run ends bit for bit where the first did.
// The war scenes' sides are still enemies once the program has started the
// scene.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <set>

#include "desktop/scene/entity/debris.h"
#include "desktop/units/weapon/weapon.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/standalone_scene.h"
#include "platform/paths.h"
#include "tools/scenerun/scene_runner.h"
#include "tools/scenerun/unit_watch.h"

namespace lumivane {
namespace {

constexpr int kFrames = 2000;

struct BattleRun {
    SceneRunner run;
    bool loaded = false;
    std::set<int> firingSides;               // player indices whose shots flew
    std::map<EntityHandle, float> health;    // of every unit last frame
    std::set<float> blows;                   // single-frame health drops
    std::set<EntityHandle> destroyedShips;   // units that left the world
    std::map<EntityHandle, uint32_t> debris; // first frame each piece was seen
    int debrisRemoved = 0;
    int bursts = 0; // explosions after the first debris
    EntityHandle core = kNoEntity;
    std::vector<EntityHandle> pods;
    int64_t coreGoneAt = -1;
    int64_t podsGoneAt = -1;

    BattleRun() {
        std::string error;
        loaded = run.Load(platform::ProgramFolder() / "LumivaneData", "scenes\\battle.mis", error);
        EXPECT_TRUE(loaded) << error;
        World& world = run.world;
        for (int i = 0; i < world.EntityCount(); ++i) {
            const Entity* e = world.EntityAt(i);
            if (e->Name() == std::string_view("stationcore")) core = e->handle;
            if (e->Name() == std::string_view("stationpod")) pods.push_back(e->handle);
        }
    }

    void Play() {
        World& world = run.world;
        std::set<EntityHandle> seenExplosions;
        for (int f = 0; f < kFrames; ++f) {
            run.Step();
            std::map<EntityHandle, float> now;
            std::set<EntityHandle> present;
            for (int i = 0; i < world.EntityCount(); ++i) {
                Entity* e = world.EntityAt(i);
                present.insert(e->handle);
                if (const Weapon* shot = AsWeapon(e); shot && shot->owner && shot->shooter >= 0)
                    firingSides.insert(shot->owner->index);
                if (IsA(e, ClassId::Debris) && !debris.count(e->handle))
                    debris[e->handle] = run.Frame();
                if (std::string_view(e->Name()).starts_with("explosion-") && !debris.empty() &&
                    seenExplosions.insert(e->handle).second)
                    ++bursts;
                const Ship* unit = AsShip(e);
                if (!unit || IsA(e, ClassId::Weapon)) continue;
                now[e->handle] = unit->health;
                if (auto was = health.find(e->handle);
                    was != health.end() && unit->health < was->second)
                    blows.insert(std::round((was->second - unit->health) * 100.0f) / 100.0f);
            }
            for (const auto& [handle, last] : health)
                if (!present.count(handle)) destroyedShips.insert(handle);
            debrisRemoved += int(std::erase_if(
                debris, [&](const auto& piece) { return !present.count(piece.first); }));
            health = std::move(now);
            if (coreGoneAt < 0 && !world.GetEntity(core)) coreGoneAt = f;
            bool anyPod = false;
            for (EntityHandle pod : pods)
                anyPod = anyPod || world.GetEntity(pod);
            if (podsGoneAt < 0 && !anyPod) podsGoneAt = f;
        }
    }
};

TEST(LvBattle, BothSidesFightShipsBreakUpAndTheStationComesApart) {
    auto first = std::make_unique<BattleRun>();
    ASSERT_TRUE(first->loaded);
    ASSERT_NE(first->core, kNoEntity);
    ASSERT_EQ(first->pods.size(), 4u);
    first->Play();

    EXPECT_TRUE(first->firingSides.count(1)) << "the west fired";
    EXPECT_TRUE(first->firingSides.count(2)) << "the east fired";
    // Each weapon's own "damage" in one blow: plasma 3, missile 6.
    EXPECT_TRUE(first->blows.count(3.0f));
    EXPECT_TRUE(first->blows.count(6.0f));
    EXPECT_GE(first->destroyedShips.size(), 3u);
    EXPECT_GT(first->debrisRemoved, 0) << "debris is removed at the end of its life";
    EXPECT_GT(first->bursts, 0) << "and bursts before it goes";
    ASSERT_GE(first->coreGoneAt, 0) << "the station's core is destroyed";
    ASSERT_GE(first->podsGoneAt, 0);
    EXPECT_LE(first->podsGoneAt - first->coreGoneAt, 2) << "its pods explode with it";

    const uint32_t digest = UnitWatch::Digest(first->run.world);
    first.reset();
    BattleRun second;
    ASSERT_TRUE(second.loaded);
    second.Play();
    EXPECT_EQ(UnitWatch::Digest(second.run.world), digest);
}

// The program starts every scene it loads afresh, which gives every player
// the enemies of a new player; the war scenes' scripts declare their wars
// again, so their sides fight in the program too.
TEST(LvBattle, TheWarScenesSidesAreEnemiesAfterTheSceneStarts) {
    for (const char* path : {"scenes\\battle.mis", "scenes\\armada.mis", "scenes\\frontier.mis"}) {
        StandaloneScene engine(platform::ProgramFolder() / "LumivaneData");
        GetSceneClock() = {};
        ASSERT_EQ(engine.scene.Load(path), 1) << path;
        engine.scene.Restart();
        EXPECT_FALSE(PlayerAt(1)->enemy[2]) << path;
        engine.scene.UpdateTriggers();
        EXPECT_TRUE(PlayerAt(1)->enemy[2]) << path;
        EXPECT_TRUE(PlayerAt(2)->enemy[1]) << path;
        EXPECT_FALSE(PlayerAt(0)->enemy[1]) << path;
    }
}

} // namespace
} // namespace lumivane
