// The armed craft: a gunship fires only with its guns spun up (a clone
// starts them stopped) and winds them down when it stops fighting; a
// catamaran fires five cartridges, then waits three reloads; a bomber
// drops salvos of three 250 ms apart, and only with its bay open 3 s.
#include <gtest/gtest.h>

#include <vector>

#include "desktop/units/ships/ship_classes.h"
#include "tests/desktop/units/ships/ship_class_fixture.h"

namespace lumivane::test {
namespace {

class LvArmedCraft : public ShipClassTest {
protected:
    // Steps until `seconds` of game time have passed, noting the game time
    // of every shot while the unit is asked to fire each frame.
    std::vector<int32_t> FireFor(Ship& unit, float seconds, float step) {
        std::vector<int32_t> shots;
        for (int frames = int(seconds / step + 0.5f); frames > 0; --frames) {
            unit.fireRequest = 1;
            Step(step);
            if (unit.lastFireTime == Now()) shots.push_back(Now());
        }
        return shots;
    }

    static std::vector<int32_t> Gaps(const std::vector<int32_t>& times) {
        std::vector<int32_t> gaps;
        for (size_t i = 1; i < times.size(); ++i)
            gaps.push_back(times[i] - times[i - 1]);
        return gaps;
    }

    // An enemy of player 1 far below, so an attack order stays alive.
    Ship* Enemy(Vec3 at) {
        AddShip("enemy", CalmUnit);
        return SpawnShip("enemy", at, 1);
    }
};

TEST_F(LvArmedCraft, AGunshipFiresOnlySpunUpAndItsCloneStartsStopped) {
    AddClass<Gunship>("rotary", {"gun1", "gun2"}, [](Entity& e) {
        SetFloat(e, "fire range", 100.0f);
        SetFloat(e, "fire angle", 3.2f);
        SetFloat(e, "reload time", 0.2f);
        SetFloat(e, "thrust", 0.0f);
    });
    PlayerAt(0)->enemy[1] = 1;
    auto* gunship = Place<Gunship>("rotary");
    EXPECT_EQ(gunship->spinState, Gunship::kStopped);
    EXPECT_EQ(gunship->spinSpeed, 0.0f);

    // Asked to fire with the guns stopped: nothing.
    EXPECT_TRUE(FireFor(*gunship, 0.5f, kFrame).empty());
    EXPECT_EQ(gunship->spinState, Gunship::kStopped);

    // Fighting, the guns wind up at 4 pi per second squared to 8 pi: 2 s.
    Ship* enemy = Enemy({0, -20, 40});
    gunship->orderState = kOrderAttack;
    gunship->target = enemy->handle;
    const int32_t start = Now();
    std::vector<int32_t> shots = FireFor(*gunship, 3.0f, kFrame);
    ASSERT_FALSE(shots.empty());
    EXPECT_GE(shots.front() - start, 2000 - 40);
    EXPECT_LE(shots.front() - start, 2000 + 70);
    EXPECT_EQ(gunship->spinState, Gunship::kSpunUp);
    EXPECT_FLOAT_EQ(gunship->spinSpeed, Gunship::kFullSpeed);
    EXPECT_GE(shots.size(), 4u);
    for (int32_t gap : Gaps(shots))
        EXPECT_GE(gap, 200);

    // The target gone, the guns wind down and stop; the gun in turn moved.
    world.QueueRemove(enemy, nullptr, false);
    Step(kFrame); // gone at the end of this frame
    Step(kFrame);
    EXPECT_EQ(gunship->spinState, Gunship::kSpinningDown);
    for (int i = 0; i < 80; ++i)
        Step(kFrame);
    EXPECT_EQ(gunship->spinState, Gunship::kStopped);
    EXPECT_EQ(gunship->spinSpeed, 0.0f);
}

TEST_F(LvArmedCraft, ACatamaranFiresFiveThenWaitsThreeReloads) {
    AddClass<Catamaran>("catamaran", {"dummyweapon"},
                        [](Entity& e) { SetFloat(e, "reload time", 0.5f); });
    auto* catamaran = Place<Catamaran>("catamaran");
    const std::vector<int32_t> shots = FireFor(*catamaran, 6.0f, 0.05f);
    ASSERT_GE(shots.size(), 7u);
    const std::vector<int32_t> gaps = Gaps(shots);
    const std::vector<int32_t> expected = {500, 500, 500, 500, 1500, 500};
    EXPECT_EQ(std::vector<int32_t>(gaps.begin(), gaps.begin() + 6), expected);
    EXPECT_EQ(catamaran->cartridge, int32_t((shots.size() - 1) % 5 + 1));
    EXPECT_EQ(catamaran->thrusters[kExtraThruster], 1.0f) << "lit by the shot";

    // 750 x the reload after the next fire time the extra thruster goes out.
    for (int i = 0; i < 40; ++i)
        Step(0.05f);
    EXPECT_EQ(catamaran->thrusters[kExtraThruster], 0.0f);
}

TEST_F(LvArmedCraft, ABomberDropsSalvosOfThreeOnlyWithItsBayOpenThreeSeconds) {
    AddClass<Bomber>("bomber", {"tube1", "tube2", "tube3"}, [](Entity& e) {
        SetFloat(e, "reload time", 2.0f);
        SetFloat(e, "thrust", 0.0f);
        SetFloat(e, "angular thrust", 0.0f);
    });
    PlayerAt(0)->enemy[1] = 1;
    auto* bomber = Place<Bomber>("bomber");
    Ship* enemy = Enemy({0, -200, 0});
    bomber->orderState = kOrderAttack;
    bomber->target = enemy->handle;
    EXPECT_TRUE(FireFor(*bomber, 1.0f, 0.05f).empty()) << "the bay is closed";

    bomber->bayOpen = 1;
    bomber->bayTime = Now();
    const int32_t opened = Now();
    const std::vector<int32_t> shots = FireFor(*bomber, 7.0f, 0.05f);
    ASSERT_GE(shots.size(), 6u);
    EXPECT_EQ(shots.front() - opened, Bomber::kBayReadyMs);
    const std::vector<int32_t> gaps = Gaps(shots);
    const std::vector<int32_t> expected = {250, 250, 2000, 250, 250};
    EXPECT_EQ(std::vector<int32_t>(gaps.begin(), gaps.begin() + 5), expected);

    // Out of the fight the bay closes again.
    bomber->orderState = kOrderIdle;
    Step(0.05f);
    EXPECT_EQ(bomber->bayOpen, 0);
}

} // namespace
} // namespace lumivane::test
