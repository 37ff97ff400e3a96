// Weapons and projectiles: what a shot may hit, passing through, lifespan
// and ballistic flight, the impact point, the missile's coast and late side
// thrust, the starburst's window, the shock wave's growth, and the records
// of every weapon class read back to the same bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "desktop/scene/object/object_file.h"
#include "desktop/scene/object/trans_node.h"
#include "desktop/units/weapon/projectiles.h"
#include "platform/binary_io.h"
#include "tests/desktop/units/arms_fixture.h"

namespace lumivane::test {
namespace {

constexpr float kStep = 1.0f / 30.0f;

void Weightless(Entity& e) {
    WorldTest::SetFlag(e, "affected by gravity", false);
    WorldTest::SetFlag(e, "task: auto attack", false);
}

class LvWeapons : public UnitTest {
protected:
    LvWeapons() {
        AddShip("hull", [](Entity& e) {
            Weightless(e);
            SetFloat(e, "health max", 100.0f);
        });
        AddPrototype<Weapon>("flash", [](Entity& e) {
            Weightless(e);
            SetFlag(e, "can collide", false);
            SetFloat(e, "lifespan", 0.5f);
        });
        AddShot<PlasmaBall>("bolt", [](Entity& e) { SetFloat(e, "damage", 3.0f); });
        AddShot<LightningBall>("burner", [](Entity& e) {
            SetFloat(e, "damage", 6.0f);
            SetFlag(e, "die on impact", false);
        });
    }

    template <class T> T* AddShot(const char* name, const std::function<void(Entity&)>& tune) {
        T* shot = AddPrototype<T>(name, [&](Entity& e) {
            Weightless(e);
            SetFloat(e, "speed", 1.0f);
            SetFloat(e, "lifespan", 20.0f);
            SetFixedName(e, "impact type", "flash");
            SetFloat(e, "mass", 0.01f); // pushes nothing aside
            if (tune) tune(e);
        });
        shot->AddChild(Cube("shell", 0.1f));
        shot->RecomputeBound();
        return shot;
    }

    // A shot from `shooter` at `at`, flying along +Z.
    template <class T = Weapon> T* Shoot(const char* name, Ship* shooter, Vec3 at) {
        auto* shot = static_cast<T*>(library.CreateInstance(name, true));
        EXPECT_NE(shot, nullptr);
        shot->Launch(shooter, at, Quat(), kNoEntity);
        world.JoinPending();
        return shot;
    }

    bool Alive(const Entity* e) const { return IsInWorld(world, e); }

    int CountOf(ClassId id) {
        world.JoinPending();
        int count = 0;
        for (int i = 0; i < world.EntityCount(); ++i)
            if (world.EntityAt(i)->classId == uint8_t(id)) ++count;
        return count;
    }
};

TEST_F(LvWeapons, AShotNeverHitsItsSideItsShooterOrAnotherShot) {
    Ship* shooter = SpawnShip("hull", {}, 0);
    Ship* friendly = SpawnShip("hull", {0, 0, 2.0f}, 0);
    Weapon* shot = Shoot("bolt", shooter, {0, 0, 0.8f});
    // Far off, a shot of each side flying together, touching all the way.
    Weapon* mine = Shoot("bolt", shooter, {50.0f, 0, 0});
    Weapon* other = Shoot("bolt", nullptr, {50.1f, 0, 0});
    other->owner = PlayerAt(1);
    for (int frame = 0; frame < 20; ++frame)
        Step(kStep);
    EXPECT_TRUE(Alive(shot));
    EXPECT_TRUE(Alive(mine));
    EXPECT_TRUE(Alive(other));
    EXPECT_FLOAT_EQ(friendly->health, 100.0f);
    EXPECT_FLOAT_EQ(shooter->health, 100.0f);
    EXPECT_EQ(CountOf(ClassId::Weapon), 0) << "no impact";

    Ship* enemy = SpawnShip("hull", {5.0f, 0, 3.5f}, 1);
    Weapon* third = Shoot("bolt", nullptr, {5.0f, 0, 0});
    third->owner = PlayerAt(0);
    for (int frame = 0; frame < 90 && Alive(third); ++frame)
        Step(kStep);
    EXPECT_FALSE(Alive(third));
    EXPECT_FLOAT_EQ(enemy->health, 97.0f) << "one hit deals \"damage\" once";
    EXPECT_EQ(CountOf(ClassId::Weapon), 1) << "the impact flash";
}

TEST_F(LvWeapons, AShotThatDoesNotDieOnImpactBurnsOnEveryOverlappingFrame) {
    Ship* enemy = SpawnShip("hull", {0, 0, 2.0f}, 1);
    enemy->mass = 1000.0f; // stays where it is
    Weapon* shot = Shoot("burner", nullptr, {0, 0, 0});
    shot->owner = PlayerAt(0);
    int overlapping = 0;
    for (int frame = 0; frame < 150; ++frame) {
        Step(kStep);
        if ((shot->position - enemy->position).Length() < shot->radius + enemy->radius)
            ++overlapping;
    }
    EXPECT_TRUE(Alive(shot)) << "it passes through";
    EXPECT_GT(shot->position.z, enemy->position.z + enemy->radius);
    ASSERT_GT(overlapping, 20);
    EXPECT_NEAR(100.0f - enemy->health, 6.0f * kStep * float(overlapping), 6.0f * kStep * 3.0f);
}

TEST_F(LvWeapons, LifespanZeroEndsOnTheFirstUpdateAndAnUnownedShotIsBallistic) {
    AddShot<Tracer>("blink", [](Entity& e) { SetFloat(e, "lifespan", 0.0f); });
    Weapon* blink = Shoot("blink", nullptr, {});
    Step(kStep);
    EXPECT_FALSE(Alive(blink));

    Ship* prey = SpawnShip("hull", {10, 0, 0}, 1);
    Tick(kStep); // launched during this frame's update, as a unit fires
    Weapon* shot = Shoot("bolt", nullptr, {0, 0, 0});
    shot->orderState = kOrderAttack; // would home if it were a unit
    shot->target = prey->handle;
    const Vec3 start = shot->position;
    world.Update();
    world.FlushRemovals();
    EXPECT_EQ(shot->position, start) << "no motion on the launch frame";
    for (int frame = 0; frame < 30; ++frame)
        Step(kStep);
    EXPECT_FLOAT_EQ(shot->position.x, 0.0f);
    EXPECT_NEAR(shot->position.z, 30.0f * kStep, 1e-4f);
    EXPECT_EQ(shot->thrusters[kMain], 0.0f);
}

TEST_F(LvWeapons, AnImpactWithoutVelocityIsWhereTheShotIs) {
    Ship* enemy = SpawnShip("hull", {0, 0, 0.3f}, 1);
    Weapon* shot = Shoot("bolt", nullptr, {0.2f, 0, 0});
    shot->owner = PlayerAt(0);
    shot->velocity = {};
    Tick(kStep);
    shot->OnCollision(enemy, {0, 0, 1});
    world.JoinPending();
    Entity* flash = nullptr;
    for (int i = 0; i < world.EntityCount(); ++i)
        if (std::string_view(world.EntityAt(i)->Name()) == "flash") flash = world.EntityAt(i);
    ASSERT_NE(flash, nullptr);
    EXPECT_EQ(flash->position, shot->position);
    EXPECT_TRUE(world.IsQueuedForRemoval(shot));
}

TEST_F(LvWeapons, AMissileCoastsHalfASecondAndCannotSteerSidewaysForThree) {
    AddShot<Missile>("missile", [](Entity& e) {
        SetFloat(e, "speed", 0.2f);
        SetFloat(e, "thrust", 1.0f);
    });
    Ship* shooter = SpawnShip("hull", {}, 0);
    Ship* prey = SpawnShip("hull", {0, 0, 40}, 1);
    prey->identification[0] = kKnown;
    auto* missile = Shoot<Missile>("missile", shooter, {});
    EXPECT_NEAR(missile->velocity.y, -0.2f, 1e-6f) << "dropped along its own -Y";
    missile->orderState = kOrderIdle;
    missile->seeAll = 1;
    for (int frame = 0; frame < 14; ++frame) { // 462 ms
        Step(kStep);
        EXPECT_EQ(missile->target, kNoEntity);
    }
    Step(kStep);
    Step(kStep);
    EXPECT_EQ(missile->target, prey->handle);
    EXPECT_EQ(missile->orderState, kOrderAttack);

    const Vec3 before = missile->velocity;
    Tick(kStep);
    missile->ThrustLateral(1.0f);
    missile->ThrustVertical(1.0f);
    EXPECT_EQ(missile->velocity, before) << "no side thrust before 3 s";
    GetSceneClock().gameTime = uint32_t(missile->launchTime + Missile::kNoSteerMs);
    missile->ThrustLateral(1.0f);
    EXPECT_NEAR((missile->velocity - before).Length(), 2.0f * kStep, 1e-5f) << "then twice";
}

TEST_F(LvWeapons, AStarburstBurstsBetweenHalfAndTwiceItsLifespan) {
    AddShot<Starburst>("starburst", [](Entity& e) {
        SetFloat(e, "lifespan", 1.0f);
        SetFixedName(e, "weapon", "bolt");
    });
    for (int trial = 0; trial < 8; ++trial) {
        auto* burst = Shoot<Starburst>("starburst", nullptr, {0, 10.0f * float(trial), 0});
        const float delay = burst->burstDelay;
        EXPECT_GE(delay, 0.5f);
        EXPECT_LT(delay, 2.0f);
        const int before = CountOf(ClassId::PlasmaBall);
        int frames = 0;
        while (Alive(burst) && frames < 100) {
            Step(kStep);
            ++frames;
        }
        const float burstAt = float(frames) * kStep;
        EXPECT_NEAR(burstAt, delay, 2.0f * kStep);
        EXPECT_EQ(CountOf(ClassId::PlasmaBall), before + 1) << "its submunition";
    }
}

TEST_F(LvWeapons, AShockWaveGrowsItsSizeNodeAndALimitAboveOneActsAsOne) {
    ShockWave* proto = AddPrototype<ShockWave>("wave", [](Entity& e) {
        Weightless(e);
        SetFloat(e, "lifespan", 1.0f);
        SetFloat(e, "speed", 0.0f);
    });
    auto* size = new FrameAnim;
    size->SetName("size");
    size->AddChild(Cube("ring", 1.0f));
    proto->AddChild(size);
    proto->RecomputeBound();
    auto scaleAt = [&](float limit, int frames, float lifespan) {
        SetFloat(*proto, "lifespan", lifespan);
        auto* wave = Shoot<ShockWave>("wave", nullptr, {});
        wave->growthLimit = limit;
        for (int frame = 0; frame < frames; ++frame)
            Step(0.1f);
        auto* node = static_cast<TransNode*>(wave->FindByName("size"));
        return node->local.m[0];
    };
    EXPECT_NEAR(scaleAt(1.0f, 5, 1.0f), 0.5f, 1e-4f);
    EXPECT_NEAR(scaleAt(4.0f, 5, 1.0f), 0.5f, 1e-4f);
    EXPECT_NEAR(scaleAt(0.5f, 5, 1.0f), 0.25f, 1e-4f);
    // Without a lifespan it is full grown at once, never NaN.
    auto* instant = Shoot<ShockWave>("wave", nullptr, {});
    SetFloat(*proto, "lifespan", 0.0f);
    instant->Update();
    EXPECT_FLOAT_EQ(static_cast<TransNode*>(instant->FindByName("size"))->local.m[0], 1.0f);
}

std::vector<uint8_t> Saved(Unknown* object) {
    platform::BufferWriter file;
    EXPECT_TRUE(WriteObject(file, object));
    return file.Take();
}

TEST_F(LvWeapons, EveryWeaponRecordReadsBackToTheSameBytes) {
    AddShot<Missile>("missile", nullptr);
    AddShot<ShockWave>("wave", nullptr);
    AddShot<Starburst>("starburst", nullptr);
    AddShot<Tracer>("tracer", nullptr);
    Ship* shooter = SpawnShip("hull", {}, 0);
    for (const char* name : {"bolt", "burner", "missile", "wave", "starburst", "tracer"}) {
        Weapon* shot = Shoot(name, shooter, {1, 2, 3});
        shot->launchTime = 777;
        if (auto* wave = dynamic_cast<ShockWave*>(shot)) wave->growthLimit = 0.75f;
        if (auto* burst = dynamic_cast<Starburst*>(shot)) burst->hitFlag = 1;
        const std::vector<uint8_t> bytes = Saved(shot);
        platform::MemoryReader in(bytes.data(), bytes.size());
        Unknown* read = ReadObject(in, nullptr, "shot.vrn", 0);
        ASSERT_NE(read, nullptr) << name;
        EXPECT_EQ(read->classId, shot->classId);
        auto* copy = static_cast<Weapon*>(read);
        EXPECT_EQ(copy->launchTime, 777);
        EXPECT_EQ(copy->shooter, shooter->handle);
        const std::vector<uint8_t> again = Saved(read);
        const auto differ = std::mismatch(bytes.begin(), bytes.end(), again.begin(), again.end());
        EXPECT_EQ(differ.first - bytes.begin(), ptrdiff_t(bytes.size()))
            << name << ": the second save differs at this byte";
        EXPECT_EQ(again.size(), bytes.size()) << name;
        read->Release();
        // A record cut short is refused.
        platform::MemoryReader cut(bytes.data(), bytes.size() - 2);
        Unknown* partial = ReadObject(cut, nullptr, "shot.vrn", 0);
        EXPECT_EQ(partial, nullptr) << name;
        if (partial) partial->Release();
    }
}

} // namespace
} // namespace lumivane::test
