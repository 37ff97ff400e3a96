// Deployables: a mine ignores its own side and shots but bursts on an
// enemy for 20 damage; a decoy bursts at 10 s; a comsat or mine dies with
// the unit it is linked to; their records read back to the same bytes and
// a comsat of a file before version 117 has no link handle.
#include <gtest/gtest.h>

#include <cstring>

#include "desktop/scene/object/object_file.h"
#include "desktop/units/deployable/deployables.h"
#include "desktop/units/weapon/weapon.h"
#include "platform/binary_io.h"
#include "tests/desktop/units/arms_fixture.h"

namespace lumivane::test {
namespace {

constexpr float kStep = 1.0f / 30.0f;

void Calm(Entity& e) {
    WorldTest::SetFlag(e, "affected by gravity", false);
    WorldTest::SetFlag(e, "task: auto attack", false);
    WorldTest::SetFloat(e, "health max", 50.0f);
}

class LvDeployables : public UnitTest {
protected:
    LvDeployables() {
        AddShip("hull", Calm);
        for (Entity* e : std::initializer_list<Entity*>{AddPrototype<Mine>("mine", Calm),
                                                        AddPrototype<Comsat>("comsat", Calm),
                                                        AddPrototype<Decoy>("decoy", Calm)}) {
            e->AddChild(Cube("body", 0.5f));
            static_cast<Entity*>(e)->RecomputeBound();
        }
        AddPrototype<Weapon>("smallexplosion", [](Entity& e) {
            Calm(e);
            SetFlag(e, "can collide", false);
        });
    }

    template <class T> T* Place(const char* name, Vec3 at, int owner) {
        T* unit = Spawn<T>(name, at);
        if (owner >= 0) unit->SetPlayer(PlayerAt(owner));
        return unit;
    }

    bool Alive(const Entity* e) const { return IsInWorld(world, e); }
};

TEST_F(LvDeployables, AMineIgnoresItsSideAndShotsButBurstsOnAnEnemy) {
    auto* mine = Place<Mine>("mine", {}, 0);
    Ship* friendly = SpawnShip("hull", {0.5f, 0, 0}, 0);
    auto* shot = static_cast<Weapon*>(library.CreateInstance("smallexplosion", true));
    shot->owner = PlayerAt(1);
    world.JoinPending();
    Tick(kStep);
    mine->OnCollision(friendly, {1, 0, 0});
    mine->OnCollision(shot, {1, 0, 0});
    EXPECT_FALSE(world.IsQueuedForRemoval(mine));
    EXPECT_FLOAT_EQ(friendly->health, 50.0f);

    Ship* enemy = SpawnShip("hull", {-0.5f, 0, 0}, 1);
    mine->OnCollision(enemy, {-1, 0, 0});
    EXPECT_TRUE(world.IsQueuedForRemoval(mine));
    EXPECT_FLOAT_EQ(enemy->health, 50.0f - Mine::kContactDamage);
    // A second contact in the same frame bursts nothing more.
    mine->OnCollision(enemy, {-1, 0, 0});
    EXPECT_FLOAT_EQ(enemy->health, 50.0f - Mine::kContactDamage);
    int blasts = 0;
    world.JoinPending();
    for (int i = 0; i < world.EntityCount(); ++i)
        if (std::string_view(world.EntityAt(i)->Name()) == "smallexplosion" &&
            world.EntityAt(i) != shot) {
            ++blasts;
            EXPECT_FLOAT_EQ(world.EntityAt(i)->scale, Mine::kBlastScale);
            EXPECT_EQ(world.EntityAt(i)->position, mine->position);
        }
    EXPECT_EQ(blasts, 1);
}

TEST_F(LvDeployables, ADecoyBurstsAtTenSecondsAndALinkedOneDiesWithItsUnit) {
    auto* decoy = Place<Decoy>("decoy", {}, 0);
    for (int frame = 0; frame < 99; ++frame)
        Step(0.1f);
    EXPECT_TRUE(Alive(decoy)) << "9.9 s";
    Step(0.1f);
    EXPECT_FALSE(Alive(decoy)) << "10 s";

    Ship* carrier = SpawnShip("hull", {20, 0, 0}, 0);
    auto* comsat = Place<Comsat>("comsat", {22, 0, 0}, 0);
    auto* loose = Place<Comsat>("comsat", {24, 0, 0}, 0);
    comsat->link = carrier->handle;
    Step(kStep);
    EXPECT_TRUE(Alive(comsat));
    world.QueueRemove(carrier, nullptr, false);
    Step(kStep); // the carrier goes at the end of this frame
    Step(kStep);
    EXPECT_FALSE(Alive(comsat));
    EXPECT_TRUE(Alive(loose)) << "no link, no end";
}

TEST_F(LvDeployables, RecordsReadBackAndAComsatBefore117HasNoLink) {
    auto* comsat = Place<Comsat>("comsat", {1, 2, 3}, 0);
    comsat->link = 77;
    comsat->deployTime = 1234;
    auto* mine = Place<Mine>("mine", {4, 5, 6}, 1);
    mine->link = 5;
    auto* decoy = Place<Decoy>("decoy", {}, 0);
    decoy->creationTime = 4321;
    for (Ship* unit : std::initializer_list<Ship*>{comsat, mine, decoy})
        ExpectRecordReadsBack(unit);

    // The same comsat written as a version-116 file: the link word is gone.
    platform::BufferWriter file;
    ASSERT_TRUE(WriteObject(file, comsat));
    std::vector<uint8_t> bytes = file.Take();
    // The record ends with the deploy time and the link; drop the link.
    bytes.resize(bytes.size() - 4);
    const uint32_t old = kLinkHandleFrom - 1;
    std::memcpy(&bytes[4], &old, 4); // the file's version follows the magic
    platform::MemoryReader in(bytes.data(), bytes.size());
    Unknown* read = ReadObject(in, nullptr, "old.vrn", 0);
    ASSERT_NE(read, nullptr);
    auto* loaded = static_cast<Comsat*>(read);
    EXPECT_EQ(loaded->link, kNoEntity);
    EXPECT_EQ(loaded->deployTime, 1234);
    read->Release();
}

} // namespace
} // namespace lumivane::test
