// The entity base as ships carry it: clones sharing what the prototype
// owns, damage effects, repair, explosions and the separating push.
#include <gtest/gtest.h>

#include <cmath>

#include "desktop/scene/object/frame_channel.h"
#include "desktop/scene/object/sequencer.h"
#include "desktop/units/unit_class_headers.h"
#include "tests/desktop/scene/world_fixture.h"

namespace lumivane {
namespace {

using LvEntity = test::WorldTest;

TEST_F(LvEntity, ClonesTakeHandlesAndShareWhatThePrototypeOwns) {
    Entity* proto = AddPrototype("box", [](Entity& e) { SetFloat(e, "scale", 2.0f); });
    proto->AddChild(Cube("hull", 1.0f));
    proto->RecomputeBound();
    proto->ApplyProps(kAllProps);

    Entity* clone = library.CreateInstance("box", false);
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->handle, 1); // slot 1, generation 0: slot 0 is never issued
    EXPECT_EQ(world.GetEntity(1), clone);
    EXPECT_EQ(clone->props, proto->props);
    EXPECT_EQ(proto->ownsPropertyBlock, 1);
    EXPECT_EQ(clone->ownsPropertyBlock, 0);
    EXPECT_EQ(clone->sizeFactor, 2.0f);
    EXPECT_NEAR(clone->radius, 2.0f * std::sqrt(3.0f), 1e-5f);
    ASSERT_EQ(clone->ChildCount(), 1);
    EXPECT_NE(clone->ChildAt(0), proto->ChildAt(0));
    EXPECT_EQ(clone->ChildAt(0)->Prototype(), proto->ChildAt(0));
    EXPECT_EQ(clone->identification[3], 2); // "always identified"

    // A clone destroyed outside the world's removal gives its slot back.
    clone->Release();
    EXPECT_EQ(world.GetEntity(1), nullptr);
    EXPECT_EQ(world.StoredHandle(1), 1 << kGenerationShift | 1);
    ASSERT_EQ(proto->ChildCount(), 1); // the prototype is untouched
    EXPECT_EQ(proto->ChildAt(0)->Name(), "hull");

    proto->handle = kWantNoHandle;
    Entity* loose = library.CreateInstance("box", false);
    EXPECT_EQ(loose->handle, kNoEntity);
    loose->Release();
    proto->handle = kWantHighHandle;
    Entity* high = library.CreateInstance("box", false);
    EXPECT_EQ(high->handle, kFirstHighSlot);
    high->Release();

    AddPrototype<Ship>("scout");
    Entity* ship = library.CreateInstance("scout", false);
    EXPECT_EQ(ship->distanceScaleFactor, 0.125f);
    EXPECT_EQ(ship->distanceScaleExponent, 0.65f);
    ship->Release();
}

TEST_F(LvEntity, DamageFromFullToNothingSpawnsBothEffectsThenExplodes) {
    AddPrototype<Ship>("fighter", [](Entity& e) {
        SetInt(e, "race", 1);
        SetFloat(e, "health max", 10.0f);
    });
    library.FindPrototype("fighter")->AddChild(Cube("hull", 1.0f, {0, 0, 3}));
    for (const char* effect : {"smoke damage", "flames- yellow", "explosion- Yellow"})
        AddPrototype(effect);
    AddPrototype<Debris>("debris");
    Ship* fighter = Spawn<Ship>("fighter", {5, 0, 0});
    fighter->velocity = {1, 0, 0};
    ASSERT_EQ(fighter->health, 10.0f);

    EXPECT_EQ(fighter->TakeDamage(10.0f), 1);
    ASSERT_EQ(fighter->spawnedParts.size(), 2u);
    EXPECT_EQ(fighter->spawnedParts[0].kind, kPartKindDamageSmoke);
    EXPECT_EQ(fighter->spawnedParts[1].kind, kPartKindDamageFire);
    EXPECT_TRUE(world.IsQueuedForRemoval(fighter));
    EXPECT_EQ(fighter->Explode(), nullptr); // leaving already: no second blast

    // Joining: the two effects, the explosion and one piece of debris.
    ASSERT_EQ(world.JoinList().size(), 4u);
    Entity* blast = world.JoinList()[2];
    EXPECT_EQ(blast->Name(), "explosion- Yellow");
    EXPECT_EQ(blast->position, fighter->position);
    ASSERT_TRUE(IsA(world.JoinList()[3], ClassId::Debris));
    auto* piece = static_cast<Debris*>(world.JoinList()[3]);
    EXPECT_EQ(piece->colourCode, 1);
    EXPECT_GE(piece->remainingLife, 2.5f);
    EXPECT_LE(piece->remainingLife, 7.0f);
    EXPECT_NEAR(piece->position.z, 3.0f, 1e-5f); // at the hull's centre
    EXPECT_GT(piece->velocity.z, 0.0f);          // flying outward
    EXPECT_NEAR(piece->radius, std::sqrt(3.0f), 1e-5f);

    const EntityHandle handle = fighter->handle;
    Step(0.05f);
    EXPECT_EQ(world.GetEntity(handle), nullptr);
    EXPECT_EQ(world.EntityCount(), 4);
}

TEST_F(LvEntity, RepairFinishesEachDamageEffectAtItsShareOfHealth) {
    AddPrototype<Ship>("frigate", [](Entity& e) {
        SetInt(e, "race", 1);
        SetFloat(e, "health max", 100.0f);
    });
    AddPrototype<PartSys>("smoke damage");
    AddPrototype<PartSys>("flames- yellow");
    Ship* frigate = Spawn<Ship>("frigate");

    EXPECT_EQ(frigate->TakeDamage(80.0f), 0);
    ASSERT_EQ(frigate->spawnedParts.size(), 2u);
    auto* smoke = static_cast<PartSys*>(world.GetEntity(frigate->spawnedParts[0].handle));
    auto* flames = static_cast<PartSys*>(world.GetEntity(frigate->spawnedParts[1].handle));
    ASSERT_TRUE(smoke && flames);
    EXPECT_EQ(smoke->propertyPart, 0); // kept through the next first frame
    EXPECT_EQ(smoke->runsWithoutOwner, 0);
    EXPECT_EQ(smoke->ownerHandle, frigate->handle);

    frigate->Repair(30.0f); // 50: past a quarter only
    EXPECT_EQ(flames->finish, 1);
    EXPECT_EQ(smoke->finish, 0);
    frigate->Repair(25.0f); // exactly three quarters
    EXPECT_EQ(frigate->health, 75.0f);
    EXPECT_EQ(smoke->finish, 1);
    frigate->Repair(500.0f);
    EXPECT_EQ(frigate->health, 100.0f);

    // Self-repair climbs by its rate up to its own ceiling.
    SetFloat(*frigate, "self-repair max", 60.0f);
    SetFloat(*frigate, "self-repair rate", 10.0f);
    frigate->health = 55.0f;
    Step(0.1f);
    EXPECT_NEAR(frigate->health, 56.0f, 1e-4f);
    for (int i = 0; i < 20; ++i)
        Step(0.1f);
    EXPECT_NEAR(frigate->health, 60.0f, 1e-4f);
}

TEST_F(LvEntity, BodiesOfEqualMassBothGetTheSeparatingPush) {
    AddPrototype("ball");
    Entity* a = Spawn("ball", {0, 0, 0});
    Entity* b = Spawn("ball", {1, 0, 0});
    a->velocity = {0.1f, 0, 0};
    b->velocity = {-0.1f, 0, 0};
    const Vec3 aToB(1, 0, 0);
    a->OnCollision(b, Vec3() - aToB);
    b->OnCollision(a, aToB);
    // Bounced, then pushed up to the least separating speed of 0.15.
    EXPECT_NEAR(a->velocity.x + a->pendingImpulse.x, -0.15f, 1e-6f);
    EXPECT_NEAR(b->velocity.x + b->pendingImpulse.x, 0.15f, 1e-6f);

    // Receding bodies and a ship without "task: move" are left alone.
    const Vec3 before = a->pendingImpulse;
    a->velocity = {-1, 0, 0};
    a->OnCollision(b, Vec3() - aToB);
    EXPECT_EQ(a->pendingImpulse, before);
    AddPrototype<Ship>("station", [](Entity& e) { SetFlag(e, "task: move", false); });
    Ship* station = Spawn<Ship>("station", {2, 0, 0});
    station->velocity = {-1, 0, 0}; // closing in on b
    station->OnCollision(b, aToB);
    EXPECT_EQ(station->pendingImpulse, Vec3());

    // An asteroid that meets a planet bursts.
    AddPrototype<Asteroid>("rock");
    AddPrototype<Planet>("world");
    Entity* rock = Spawn("rock", {5, 0, 0});
    Entity* planet = Spawn("world", {6, 0, 0});
    rock->velocity = {1, 0, 0};
    rock->OnCollision(planet, {-1, 0, 0});
    EXPECT_TRUE(world.IsQueuedForRemoval(rock));
}

} // namespace
} // namespace lumivane
