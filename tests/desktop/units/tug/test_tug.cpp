// Tug and TowCable: a tug tows ships and asteroids marked "tug-able" but
// never a structure; it grabs with its back to the object and drags it; a
// friendly or neutral ship on the cable cannot thrust while an enemy can;
// the cable pulls only when taut and the two part, turning the tug's tail to
// its load no harder than its thrusters turn it; an empty tug has a fifth
// of its thrust. The cable pays out over "fire time" (at once when that is
// 0), draws all its segments once out, reels in after release and removes
// itself, and goes on the next update when its tug is gone.
#include <gtest/gtest.h>

#include <cmath>

#include "desktop/scene/entity/celestial_bodies.h"
#include "desktop/scene/object/geo_node.h"
#include "desktop/scene/world/message.h"
#include "desktop/units/structure/structure.h"
#include "desktop/units/tug/tow_cable.h"
#include "desktop/units/tug/tug.h"
#include "tests/desktop/units/arms_fixture.h"

namespace lumivane::test {
namespace {

constexpr float kStep = 1.0f / 30.0f;
constexpr int kPoints = TowCable::kPoints;

void Calm(Entity& e) {
    WorldTest::SetFlag(e, "affected by gravity", false);
    WorldTest::SetFlag(e, "task: auto attack", false);
    WorldTest::SetFlag(e, "task: auto repair", false);
}

class LvTugs : public UnitTest {
protected:
    LvTugs() {
        Tug* tug = AddPrototype<Tug>("tug", [](Entity& e) {
            Calm(e);
            SetFlag(e, "task: tow", true);
            SetFloat(e, "thrust", 1.0f);
            SetFloat(e, "top speed", 2.0f);
            SetFloat(e, "mass", 8.0f);
            SetFloat(e, "angular thrust", 1.0f);
        });
        tug->AddChild(Cube("hull", 0.5f));
        tug->RecomputeBound();
        for (const char* name : {"barge", "plain"}) {
            Ship* ship = AddShip(name, [name](Entity& e) {
                Calm(e);
                SetFlag(e, "tug-able", std::string_view(name) == "barge");
            });
            (void)ship;
        }
        Structure* dock = AddPrototype<Structure>("dock", [](Entity& e) {
            Calm(e);
            SetFlag(e, "Survive unlinked", true);
        });
        dock->AddChild(Cube("hull", 1.0f));
        dock->RecomputeBound();
        Asteroid* rock = AddPrototype<Asteroid>("rock", [](Entity& e) {
            SetFlag(e, "affected by gravity", false);
            SetFloat(e, "mass", 100.0f);
        });
        rock->AddChild(Cube("stone", 1.0f));
        rock->RecomputeBound();
        AddCable("TowCable", 0.3f, 2.78f);
    }

    void AddCable(const char* name, float fireTime, float releaseTime) {
        auto* cable = AddPrototype<TowCable>(name, [&](Entity& e) {
            Calm(e);
            SetFlag(e, "can collide", false);
            SetFloat(e, "fire time", fireTime);
            SetFloat(e, "release time", releaseTime);
        });
        cable->AddChild(Cube("rope", 0.1f));
    }

    TowCable* CableOf(const Tug& tug) { return AsTowCable(world.GetEntity(tug.cable)); }

    // A tug already towing `object` on a cable of `length`, fixed at the
    // object's centre.
    void Hitch(Tug& tug, Entity& object, float length) {
        tug.towing = 1;
        tug.towed = object.handle;
        tug.cableLength = length;
        tug.attachPoint = {};
    }

    bool Alive(const Entity* e) const { return IsInWorld(world, e); }
};

TEST_F(LvTugs, TowsTugableShipsAndAsteroidsButNeverAStructure) {
    auto* tug = Spawn<Tug>("tug");
    Entity* barge = SpawnShip("barge", {5, 0, 0});
    Entity* plain = SpawnShip("plain", {-5, 0, 0});
    Entity* rock = Spawn("rock", {0, 0, 5});
    Entity* dock = Spawn("dock", {0, 0, -5});
    SetFlag(*dock, "tug-able", true);
    EXPECT_EQ(tug->CanTow(barge), 1);
    EXPECT_EQ(tug->CanTow(rock), 1);
    EXPECT_EQ(tug->CanTow(plain), 0) << "not tug-able";
    EXPECT_EQ(tug->CanTow(dock), 0) << "a structure, tug-able or not";
    EXPECT_EQ(tug->CanTow(tug), 0);
    EXPECT_EQ(tug->CanTow(nullptr), 0);
}

TEST_F(LvTugs, GrabsItsAsteroidAndDragsIt) {
    auto* tug = Spawn<Tug>("tug", {0, 0, -12});
    auto* rock = Spawn<Asteroid>("rock", {0, 0, 0});
    tug->SetPlayer(PlayerAt(0));
    tug->seeAll = 1;
    EXPECT_EQ(tug->IsOrderActive(order::kTow), 0);
    auto order = std::make_unique<TargetOrder>(order::kTow);
    order->units.Append(tug->handle);
    order->target = rock->handle;
    Deliver(*tug, *order);
    ASSERT_EQ(tug->orderState, kOrderAttack);
    EXPECT_EQ(tug->IsOrderActive(order::kTow), 1) << "on its way";
    EXPECT_EQ(tug->IsOrderActive(order::kFireThree), 0) << "nothing on the cable yet";
    for (int frame = 0; frame < 900 && !tug->towing; ++frame)
        Step(kStep);
    ASSERT_TRUE(tug->towing);
    EXPECT_EQ(tug->towed, rock->handle);
    EXPECT_GE(tug->cableLength, 3.0f * tug->radius + rock->radius);
    TowCable* cable = CableOf(*tug);
    ASSERT_NE(cable, nullptr);
    EXPECT_EQ(cable->ownerHandle, tug->handle);
    Step(kStep);
    EXPECT_NE(tug->orderState, kOrderAttack) << "the grab is done";
    EXPECT_EQ(tug->IsOrderActive(order::kTow), 1) << "holding on";
    EXPECT_EQ(tug->IsOrderActive(order::kFireThree), 1);

    // Sent away, it hauls the rock after it.
    const Vec3 rockStart = rock->position;
    tug->orderState = kOrderMove;
    tug->movePoint = tug->position + (tug->position - rock->position) * 20.0f;
    float farthest = 0.0f;
    for (int frame = 0; frame < 600; ++frame) {
        Step(kStep);
        farthest = std::max(farthest, (rock->position - tug->position).Length());
    }
    EXPECT_GT((rock->position - rockStart).Length(), 5.0f) << "the rock follows";
    EXPECT_LT(farthest, tug->cableLength + tug->radius + rock->radius + 3.0f);

    // Let go, neither button is lit.
    Deliver(*tug, *Plain(26, tug->handle));
    EXPECT_EQ(tug->IsOrderActive(order::kTow), 0);
    EXPECT_EQ(tug->IsOrderActive(order::kFireThree), 0);
}

TEST_F(LvTugs, AFriendOnTheCableIsHeldAnEnemyIsNot) {
    auto* tug = Spawn<Tug>("tug", {0, 0, -5});
    Ship* friendly = SpawnShip("barge", {0, 0, 0}, 1);
    tug->SetPlayer(PlayerAt(0));
    PlayerAt(1)->enemy[0] = 0; // an ally of the tug's side
    Hitch(*tug, *friendly, 10.0f);
    Step(kStep);
    EXPECT_TRUE(friendly->TowLocked());
    friendly->orderState = kOrderMove;
    friendly->movePoint = {0, 0, 50};
    const Vec3 before = friendly->velocity;
    Step(kStep);
    EXPECT_EQ(friendly->velocity, before) << "no thrust while on the cable";

    Ship* enemy = SpawnShip("barge", {5, 0, 0}, 2);
    PlayerAt(2)->enemy[0] = 1;
    Hitch(*tug, *enemy, 10.0f);
    enemy->towLockTime = -kTowLockMs;
    enemy->orderState = kOrderMove;
    enemy->movePoint = {5, 0, 50};
    Step(kStep);
    EXPECT_FALSE(enemy->TowLocked());
    EXPECT_GT(enemy->velocity.Length(), 0.0f) << "an enemy fights the cable";
}

TEST_F(LvTugs, PullsOnlyWhenTautAndParting) {
    auto* tug = Spawn<Tug>("tug", {0, 0, 0});
    auto* rock = Spawn<Asteroid>("rock", {0, 0, 8});
    tug->SetPlayer(PlayerAt(0));
    auto velocityAfterStep = [&](float length, Vec3 rockVelocity) {
        Hitch(*tug, *rock, length);
        tug->position = {};
        tug->velocity = {};
        tug->PlaceLocalMatrix();
        rock->position = {0, 0, 8};
        rock->velocity = rockVelocity;
        rock->PlaceLocalMatrix();
        Step(kStep);
        return rock->velocity;
    };
    const Vec3 away(0, 0, 0.2f), closing(0, 0, -0.2f);
    EXPECT_EQ(velocityAfterStep(20.0f, away), away) << "slack";
    EXPECT_EQ(velocityAfterStep(5.0f, closing), closing) << "taut but closing";
    EXPECT_LT(velocityAfterStep(5.0f, away).z, away.z) << "taut and parting";
}

TEST_F(LvTugs, ATautCableTurnsTheTugNoHarderThanItsThrusters) {
    auto* tug = Spawn<Tug>("tug", {0, 0, 0});
    auto* rock = Spawn<Asteroid>("rock", {8, 0, 0}); // off the tug's side, not its tail
    tug->SetPlayer(PlayerAt(0));
    Hitch(*tug, *rock, 5.0f);
    rock->velocity = {0.2f, 0, 0};
    Step(kStep);
    ASSERT_LT(rock->velocity.x, 0.2f) << "the cable pulled";
    const float turnPerTenth = 2.0f * std::acos(std::min(std::fabs(tug->spin.w), 1.0f));
    // Its thrusters' "angular thrust" of 1 turns it by 1 x dt x 0.1 a frame at most.
    EXPECT_LE(turnPerTenth, 1.0f * kStep * 0.1f + 1e-4f);
    EXPECT_GT(turnPerTenth, 0.0f) << "but it does turn its tail towards the load";
}

TEST_F(LvTugs, AnEmptyTugHasAFifthOfItsThrust) {
    auto* tug = Spawn<Tug>("tug");
    auto* rock = Spawn<Asteroid>("rock", {0, 0, -3});
    tug->SetPlayer(PlayerAt(0));
    auto speedAfterStep = [&] {
        tug->position = {};
        tug->velocity = {};
        tug->orientation = Quat();
        tug->spin = Quat();
        tug->PlaceLocalMatrix();
        tug->orderState = kOrderMove;
        tug->movePoint = {0, 0, 100};
        Step(kStep);
        return tug->velocity.Length();
    };
    const float empty = speedAfterStep();
    Hitch(*tug, *rock, 50.0f); // slack: no pull
    const float towing = speedAfterStep();
    ASSERT_GT(towing, 0.0f);
    EXPECT_NEAR(empty / towing, 0.2f, 0.01f);
    EXPECT_FLOAT_EQ(tug->ShipFloat(ShipFields().thrust, 0.0f), 1.0f) << "the thrust comes back";
}

// --- The cable ----------------------------------------------------------------

class LvTowCable : public LvTugs {
protected:
    // A tug at the origin towing a rock 10 ahead, with a cable of `name`.
    TowCable* Tow(const char* name) {
        tug = Spawn<Tug>("tug", {0, 0, 0});
        rock = Spawn<Asteroid>("rock", {0, 0, -10});
        tug->SetPlayer(PlayerAt(0));
        Hitch(*tug, *rock, 12.0f);
        auto* cable = static_cast<TowCable*>(tug->SpawnPart(name, tug));
        tug->cable = cable ? cable->handle : kNoEntity;
        world.JoinPending();
        return cable;
    }

    Tug* tug = nullptr;
    Asteroid* rock = nullptr;
};

TEST_F(LvTowCable, LaysOutOverFireTimeThenDrawsEverySegment) {
    TowCable* cable = Tow("TowCable");
    ASSERT_NE(cable, nullptr);
    GeoNode* node = cable->CableNode();
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->vertexCount, 2 * kPoints);
    EXPECT_EQ(node->SourceVertices()->size(), size_t(2 * kPoints));
    ASSERT_NE(node->Indices(), nullptr);
    const int allIndices = 6 * kPoints - 6;
    EXPECT_EQ(node->Indices()[allIndices - 1], 2 * kPoints - 2);

    int lastDrawn = 0;
    for (int frame = 0; frame < 8; ++frame) { // 0.27 s of the 0.3
        Step(kStep);
        EXPECT_FALSE(cable->extended);
        EXPECT_GE(cable->DrawnSegments(), lastDrawn);
        lastDrawn = cable->DrawnSegments();
    }
    EXPECT_GT(lastDrawn, 0);
    EXPECT_LT(lastDrawn, kPoints - 1);
    for (int frame = 0; frame < 3; ++frame)
        Step(kStep);
    EXPECT_TRUE(cable->extended);
    EXPECT_EQ(cable->DrawnSegments(), kPoints - 1);
    EXPECT_EQ(node->indexCount, allIndices);

    // The ribbon runs from the tug to the rock and is as wide as it should be.
    for (int frame = 0; frame < 30; ++frame)
        Step(kStep);
    const Vertex* v = node->Vertices();
    const Vec3 nearEnd = cable->position + (v[0].position + v[1].position) * 0.5f;
    const Vec3 farEnd =
        cable->position + (v[2 * kPoints - 2].position + v[2 * kPoints - 1].position) * 0.5f;
    EXPECT_LT((nearEnd - tug->HookPoint()).Length(), 0.05f);
    EXPECT_LT((farEnd - rock->position).Length(), 0.05f);
    EXPECT_GT((v[0].position - v[1].position).Length(), 0.0f);
    EXPECT_EQ(v[0].colour, 0xFFFFFFFFu);
}

TEST_F(LvTowCable, ReelsInAfterReleaseAndRemovesItself) {
    TowCable* cable = Tow("TowCable");
    for (int frame = 0; frame < 20; ++frame)
        Step(kStep);
    ASSERT_TRUE(cable->extended);
    tug->Fire(); // let go
    int frames = 0;
    while (Alive(cable) && frames < 200) {
        Step(kStep);
        ++frames;
    }
    EXPECT_FALSE(Alive(cable));
    // 2.78 s of reeling: 84 frames, and the frame it goes.
    EXPECT_GE(frames, 80);
    EXPECT_LE(frames, 90);
}

TEST_F(LvTowCable, PhasesOfNoLengthAreInstant) {
    AddCable("quick", 0.0f, -1.0f);
    TowCable* cable = Tow("quick");
    Step(kStep);
    EXPECT_TRUE(cable->extended);
    EXPECT_EQ(cable->DrawnSegments(), kPoints - 1);
    for (const Vertex* v = cable->CableNode()->Vertices();
         v != cable->CableNode()->Vertices() + 2 * kPoints; ++v)
        ASSERT_TRUE(std::isfinite(v->position.x) && std::isfinite(v->position.z));
    tug->Fire();
    Step(kStep);
    Step(kStep);
    EXPECT_FALSE(Alive(cable)) << "reeled in at once";
}

TEST_F(LvTowCable, GoesOnTheNextUpdateWhenItsTugVanishes) {
    TowCable* cable = Tow("TowCable");
    Step(kStep);
    world.QueueRemove(tug, nullptr, false);
    world.FlushRemovals();
    ASSERT_TRUE(Alive(cable));
    Step(kStep);
    EXPECT_FALSE(Alive(cable));
}

} // namespace
} // namespace lumivane::test
