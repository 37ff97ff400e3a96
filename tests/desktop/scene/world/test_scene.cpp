// The scene: restarts keep triggers but reset their state.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/desktop/scene/world/scene_fixture.h"

namespace lumivane {
namespace {

using test::SceneFixture;

TEST(LvScene, RestartKeepsTriggersButResetsTheirState) {
    SceneFixture fixture;
    ASSERT_TRUE(fixture.LoadLibrary());
    Scene& scene = *fixture.scene;
    auto trigger = std::make_unique<Trigger>();
    trigger->id = 42;
    trigger->initiallyActive = 1;
    auto stage = std::make_unique<Trigger>();
    stage->id = 43;
    trigger->AddChild(std::move(stage));
    Trigger& kept = scene.AddTrigger(std::move(trigger));
    GetSceneClock().gameTime = 777; // the world's clock, stored with it
    ASSERT_TRUE(scene.Save("scenes\\restart.mis"));

    kept.Update();
    EXPECT_EQ(kept.currentStage, &kept);
    kept.active = 0;
    scene.texts[4] = "hello";
    scene.textValues[4] = 9;
    scene.AddUserVariable("x").value = 5;
    scene.builtIns[1].value = 12;
    fixture.players[1]->aiLevel = 3;
    const EntityHandle reserved = fixture.world.ReserveHandle();
    GetSceneClock().gameTime = 900;

    scene.Restart();
    ASSERT_EQ(scene.triggers.size(), 1u);
    EXPECT_EQ(scene.triggers[0].get(), &kept) << "the same trigger object";
    EXPECT_EQ(kept.id, 42);
    EXPECT_EQ(scene.FindTrigger(43), kept.children[0].get());
    EXPECT_EQ(kept.active, 1);
    EXPECT_EQ(kept.currentStage, nullptr);
    EXPECT_EQ(kept.activationTime, 777u);
    EXPECT_TRUE(scene.texts[4].empty());
    EXPECT_EQ(scene.textValues[4], 1);
    EXPECT_TRUE(scene.UserVariables().empty());
    EXPECT_EQ(scene.builtIns[1].value, 0);
    EXPECT_EQ(scene.VariableValue("x"), std::nullopt);
    EXPECT_EQ(fixture.players[1]->aiLevel, 0);
    EXPECT_FALSE(fixture.world.IsReserved(SlotOf(reserved))) << "the file's reservations hold";
    EXPECT_EQ(fixture.display.calls.back(), "ResetForRestart");
    ASSERT_FALSE(fixture.camera.sequences.empty());
    EXPECT_EQ(fixture.camera.sequences.back().first, nullptr);
}

} // namespace
} // namespace lumivane
