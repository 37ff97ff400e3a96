// Players: resources, colours, levels and enemies.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "desktop/scene/command/command_interface.h"
#include "desktop/scene/entity/entity_props.h"
#include "desktop/scene/world/keyboard.h"
#include "tests/desktop/scene/world/scene_fixture.h"

namespace lumivane {
namespace {

using test::SceneFixture;

TEST(LvPlayers, ResourcesAreCappedAndSpentExactly) {
    SceneFixture fixture;
    Player& local = *fixture.players[0];
    Player& other = *fixture.players[1];
    local.AddResources(99990);
    local.AddResources(100);
    EXPECT_EQ(local.resources, 99999.0f);
    EXPECT_EQ(local.warningLevel, 0) << "well above the warning level";

    local.resources = 300;
    EXPECT_EQ(local.SpendResources(300), 1);
    EXPECT_EQ(local.resources, 0.0f);
    EXPECT_EQ(fixture.cues.announced, std::vector<int32_t>{71}) << "low resources, once";
    EXPECT_EQ(local.warningLevel, 300);
    EXPECT_EQ(local.SpendResources(1), 0);
    EXPECT_EQ(fixture.cues.announced.size(), 1u);
    local.AddResources(551);
    EXPECT_EQ(local.warningLevel, 0);

    other.AddResources(500);
    EXPECT_EQ(other.SpendResources(600), 0);
    EXPECT_EQ(other.resources, 500.0f);
    EXPECT_EQ(fixture.cues.announced.size(), 1u) << "only the local player is warned";
}

TEST(LvPlayers, LevelsColoursAndEnemies) {
    SceneFixture fixture;
    Player& player = *fixture.players[2];
    EXPECT_EQ(player.SetAIByName("none or HUMAN"), 0);
    EXPECT_EQ(player.SetAIByName("  0% Offensive / 100% Defensive"), 6);
    EXPECT_EQ(player.SetAIByName("100% offensive /   0% defensive"), 1);
    EXPECT_EQ(player.SetAIByName("everything"), 0);
    EXPECT_EQ(player.aiLevel, 0);

    EXPECT_EQ(Player::GetColor(fixture.players[1].get()), 0xffff4040u);
    EXPECT_EQ(Player::GetColor(fixture.players[0].get()), 0xff00c800u);
    EXPECT_EQ(Player::GetColor(fixture.players[2].get()), 0xff808080u);
    EXPECT_TRUE(fixture.players[1]->CountsAsEnemy(0));
    EXPECT_FALSE(fixture.players[2]->CountsAsEnemy(0));
    EXPECT_FALSE(fixture.players[0]->CountsAsEnemy(6));
}

} // namespace
} // namespace lumivane
