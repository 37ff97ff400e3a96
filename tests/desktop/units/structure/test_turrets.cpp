// Turrets, the scope and the connector: a turret without "dummyweapon2"
// fires only when its current barrel is 0, though the barrel alternates;
// the pitch stays within -15..90 degrees (a scope's within -25..30); an
// idle Turret draws the shared generator every frame, a MissileTurret only
// when it re-aims; damage to a Connector reaches what it hangs on, or the
// connector itself once that is gone; turret and scope records read back
// to the same bytes, and a barrel outside 0..1 in a file loads as 0.
#include <gtest/gtest.h>

#include <cstring>

#include "desktop/scene/object/object_file.h"
#include "desktop/scene/object/random_generator.h"
#include "desktop/scene/object/trans_node.h"
#include "desktop/units/structure/hubble_scope.h"
#include "desktop/units/structure/station_parts.h"
#include "desktop/units/structure/turrets.h"
#include "desktop/units/weapon/weapon.h"
#include "platform/binary_io.h"
#include "tests/desktop/units/arms_fixture.h"

namespace lumivane::test {
namespace {

constexpr float kStep = 1.0f / 30.0f;

// Stays where it is put.
void Fixed(Entity& e) {
    QuietUnit(e);
    WorldTest::SetFlag(e, "Survive unlinked", true);
}

class LvTurrets : public UnitTest {
protected:
    LvTurrets() {
        AddPrototype<Weapon>("bolt", [](Entity& e) {
            SetFlag(e, "affected by gravity", false);
            SetFloat(e, "lifespan", 5.0f);
        });
        Gun<Turret>("gun", false);
        Gun<Turret>("twin", true);
        Gun<MissileTurret>("launcher", true);
        auto* scope = AddPrototype<HubbleScope>("scope", Fixed);
        scope->AddChild(Cube("hull", 0.5f));
        TransNode* yaw = MountNode("yaw");
        yaw->AddChild(MountNode("pitch"));
        scope->AddChild(yaw);
        scope->RecomputeBound();
        AddPrototype<Ship>("HubbleProxy", [](Entity& e) {
            SetFlag(e, "affected by gravity", false);
            SetFlag(e, "task: auto attack", false);
        });
    }

    // A gun on a yaw and pitch mount with the barrel nodes asked for.
    template <class T> void Gun(const char* name, bool secondBarrel) {
        T* gun = AddPrototype<T>(name, [](Entity& e) {
            Fixed(e);
            SetFixedName(e, "weapon", "bolt");
            SetFloat(e, "reload time", 0.1f);
            SetFloat(e, "reload time spread", 0.0f);
        });
        gun->AddChild(Cube("base", 0.5f));
        TransNode* yaw = MountNode("yaw", {0, 0.5f, 0});
        TransNode* pitch = MountNode("pitch");
        pitch->AddChild(MountNode("dummyweapon1", {-0.2f, 0, 1}));
        if (secondBarrel) pitch->AddChild(MountNode("dummyweapon2", {0.2f, 0, 1}));
        yaw->AddChild(pitch);
        gun->AddChild(yaw);
        gun->RecomputeBound();
    }

    int Bolts() {
        world.JoinPending();
        int count = 0;
        for (int i = 0; i < world.EntityCount(); ++i)
            if (world.EntityAt(i)->Name() == "bolt") ++count;
        return count;
    }

    // Draws of the shared generator between two of its states.
    static int DrawsBetween(uint32_t from, uint32_t to) {
        RandomGenerator walk(from);
        for (int n = 0; n < 64; ++n) {
            if (walk.State() == to) return n;
            walk.Next();
        }
        return -1;
    }

    template <class T> std::vector<uint8_t> Record(T* unit) {
        platform::BufferWriter file;
        EXPECT_TRUE(WriteObject(file, unit));
        return file.Take();
    }
};

TEST_F(LvTurrets, WithoutASecondBarrelOnlyBarrelZeroFiresButTheBarrelAlternates) {
    auto* gun = Spawn<Turret>("gun");
    ASSERT_NE(gun->barrels[0], nullptr);
    ASSERT_EQ(gun->barrels[1], nullptr);
    auto* twin = Spawn<Turret>("twin", {10, 0, 0});
    ASSERT_NE(twin->barrels[1], nullptr);
    for (int shot = 0; shot < 6; ++shot) {
        Tick(0.2f); // past the reload
        for (Turret* t : {gun, twin}) {
            const int barrel = t->currentBarrel;
            const int before = Bolts();
            t->Fire();
            const int fired = Bolts() - before;
            EXPECT_EQ(fired, t == twin || barrel == 0 ? 1 : 0) << shot;
            EXPECT_EQ(t->currentBarrel, 1 - barrel);
        }
    }
    // Within the reload nothing fires and the barrel stays.
    const int barrel = twin->currentBarrel;
    const int before = Bolts();
    twin->Fire();
    EXPECT_EQ(Bolts(), before);
    EXPECT_EQ(twin->currentBarrel, barrel);
}

TEST_F(LvTurrets, PitchStaysWithinItsLimitsForTurretsAndTheScope) {
    auto* gun = Spawn<Turret>("twin");
    auto* scope = Spawn<HubbleScope>("scope", {20, 0, 0});
    struct Case {
        Vec3 towards;
        float gunPitch, scopePitch;
    };
    for (const Case& c : {Case{{0, -50, 1}, kTurretPitchMin, kScopePitchMin},
                          Case{{0, 50, 0.01f}, kTurretPitchMax, kScopePitchMax}}) {
        for (int frame = 0; frame < 30 * 30; ++frame) {
            Tick(kStep);
            gun->AimAt(gun->position.x + c.towards.x, gun->position.y + c.towards.y,
                       gun->position.z + c.towards.z);
            scope->AimAt(scope->position.x + c.towards.x, scope->position.y + c.towards.y,
                         scope->position.z + c.towards.z);
            ASSERT_GE(gun->pitchAngle, kTurretPitchMin - 1e-6f);
            ASSERT_LE(gun->pitchAngle, kTurretPitchMax + 1e-6f);
            ASSERT_GE(scope->pitchAngle, kScopePitchMin - 1e-6f);
            ASSERT_LE(scope->pitchAngle, kScopePitchMax + 1e-6f);
        }
        EXPECT_NEAR(gun->pitchAngle, c.gunPitch, 1e-5f);
        EXPECT_NEAR(scope->pitchAngle, c.scopePitch, 1e-5f);
    }
}

TEST_F(LvTurrets, AnIdleTurretDrawsEveryFrameAMissileTurretOncePerReaim) {
    auto* gun = Spawn<Turret>("twin");
    auto* launcher = Spawn<MissileTurret>("launcher", {10, 0, 0});
    int gunReaims = 0, launcherReaims = 0, launcherDrawFrames = 0;
    for (int frame = 0; frame < 30 * 20; ++frame) {
        Tick(kStep);
        const int32_t gunTime = gun->idleReaimTime;
        uint32_t before = MainRandom().State();
        gun->Update();
        const int gunDraws = DrawsBetween(before, MainRandom().State());
        const bool gunReaimed = gun->idleReaimTime != gunTime;
        gunReaims += gunReaimed;
        EXPECT_EQ(gunDraws, gunReaimed ? 4 : 1) << frame;

        const int32_t launcherTime = launcher->idleReaimTime;
        before = MainRandom().State();
        launcher->Update();
        const int launcherDraws = DrawsBetween(before, MainRandom().State());
        const bool launcherReaimed = launcher->idleReaimTime != launcherTime;
        launcherReaims += launcherReaimed;
        launcherDrawFrames += launcherDraws > 0;
        EXPECT_EQ(launcherDraws, launcherReaimed ? 4 : 0) << frame;
        if (launcherReaimed) {
            const int32_t wait = launcher->idleReaimTime - int32_t(GetSceneClock().gameTime);
            EXPECT_GE(wait, 3000);
            EXPECT_LE(wait, 10000);
        }
    }
    EXPECT_GE(gunReaims, 2);
    EXPECT_GE(launcherReaims, 2);
    EXPECT_EQ(launcherDrawFrames, launcherReaims);
}

TEST_F(LvTurrets, ConnectorDamageReachesItsOwnerOrItselfWhenThatIsGone) {
    auto* piece = AddPrototype<Connector>("piece", Fixed);
    piece->AddChild(Cube("beam", 0.3f));
    piece->RecomputeBound();
    auto* base = Spawn<Turret>("twin");
    auto* connector = Spawn<Connector>("piece", {2, 0, 0});
    connector->ownerHandle = base->handle;
    const float baseHealth = base->health, ownHealth = connector->health;
    EXPECT_EQ(connector->GetDistanceScale(), 1.0f);
    connector->TakeDamage(0.25f);
    EXPECT_FLOAT_EQ(base->health, baseHealth - 0.25f);
    EXPECT_EQ(connector->health, ownHealth);

    world.QueueRemove(base, nullptr, false);
    world.FlushRemovals();
    connector->TakeDamage(0.25f);
    EXPECT_FLOAT_EQ(connector->health, ownHealth - 0.25f);
}

TEST_F(LvTurrets, RecordsReadBackAndABarrelOutsideZeroOneLoadsAsZero) {
    auto* gun = Spawn<Turret>("twin");
    gun->yawAngle = 0.5f;
    gun->pitchAngle = 0.25f;
    gun->turnRate = 1.5f;
    gun->currentBarrel = 1;
    gun->idleReaimTime = 4321;
    gun->idleAimPoint = {1, 2, 3};
    auto* scope = Spawn<HubbleScope>("scope", {5, 0, 0});
    scope->proxyHandle = 77;
    scope->yawAngle = -0.5f;
    scope->pitchAngle = 0.1f;

    for (Ship* unit : std::initializer_list<Ship*>{gun, scope}) {
        const std::vector<uint8_t> bytes = Record(unit);
        platform::MemoryReader in(bytes.data(), bytes.size());
        Unknown* read = ReadObject(in, nullptr, "unit.vrn", 0);
        ASSERT_NE(read, nullptr) << unit->Name();
        platform::BufferWriter again;
        ASSERT_TRUE(WriteObject(again, read));
        EXPECT_EQ(again.Take(), bytes) << unit->Name();
        read->Release();
    }
    const std::vector<uint8_t> bytes = Record(gun);
    platform::MemoryReader in(bytes.data(), bytes.size());
    auto* loaded = static_cast<Turret*>(ReadObject(in, nullptr, "gun.vrn", 0));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->currentBarrel, 1);
    EXPECT_NE(loaded->barrels[1], nullptr) << "the nodes are found again";
    EXPECT_FLOAT_EQ(loaded->idleAimPoint.z, 3.0f);
    loaded->Release();

    // The barrel word lies 20 bytes before the record's end.
    for (int32_t stored : {2, -1, 1000}) {
        std::vector<uint8_t> patched = bytes;
        std::memcpy(&patched[patched.size() - 20], &stored, 4);
        platform::MemoryReader reader(patched.data(), patched.size());
        auto* odd = static_cast<Turret*>(ReadObject(reader, nullptr, "odd.vrn", 0));
        ASSERT_NE(odd, nullptr) << stored;
        EXPECT_EQ(odd->currentBarrel, 0) << stored;
        odd->Release();
    }
    // A record cut short is refused.
    platform::MemoryReader cut(bytes.data(), bytes.size() - 6);
    EXPECT_EQ(ReadObject(cut, nullptr, "cut.vrn", 0), nullptr);
}

} // namespace
} // namespace lumivane::test
