// Entities: properties reaching clones, animation, spawned and linked parts,
// level of detail, picking, forces and explosions.
#include <gtest/gtest.h>

#include <cmath>

#include "desktop/scene/object/frame_channel.h"
#include "desktop/scene/object/sequencer.h"
#include "tests/desktop/scene/world_fixture.h"

namespace lumivane {
namespace {

using LvEntity = test::WorldTest;

bool Finite(const Vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

TEST_F(LvEntity, AScaleChangeReachesEveryLiveCloneInTheSameFrame) {
    Entity* proto = AddPrototype("buoy");
    AddPrototype("marker");
    Entity* first = Spawn("buoy");
    Entity* second = Spawn("buoy");
    Entity* other = Spawn("marker");
    Entity* waiting = library.CreateInstance("buoy", true); // joins next frame
    ASSERT_TRUE(first && second && other && waiting);

    SetFloat(*proto, "scale", 3.0f);
    proto->PropChanged(int32_t(EntityFields().scale));
    for (Entity* e : {static_cast<Entity*>(proto), first, second, waiting}) {
        EXPECT_EQ(e->sizeFactor, 3.0f);
        EXPECT_EQ(e->radius, 3.0f);
    }
    EXPECT_EQ(other->radius, 1.0f);

    // "massive" makes live clones gravity sources, and clearing it again
    // takes them out.
    SetFlag(*proto, "massive", true);
    proto->PropChanged(kAllProps);
    EXPECT_EQ(world.GravitySources().size(), 3u);
    SetFlag(*proto, "massive", false);
    proto->PropChanged(int32_t(EntityFields().massive));
    EXPECT_TRUE(world.GravitySources().empty());
}

TEST_F(LvEntity, ANonLoopingIdleReplaysEachTimeItEnds) {
    auto* sequencer = new Sequencer;
    sequencer->AddSequence({"idle", 0, 0.0f, 0.1f, {}});
    sequencer->AddSequence({"spin", 1, 0.0f, 1.0f, {}});
    AddPrototype("pulsar")->SetSequencer(sequencer);
    auto* still = new Sequencer;
    still->AddSequence({"spin", 0, 0.0f, 1.0f, {}});
    AddPrototype("rock")->SetSequencer(still);
    Entity* pulsar = Spawn("pulsar");
    Entity* rock = Spawn("rock");

    const float times[] = {0.05f, 0.1f, 0.05f, 0.1f, 0.05f};
    for (float expected : times) {
        Step(0.05f);
        EXPECT_TRUE(pulsar->sequenceStates[0].playing);
        EXPECT_FALSE(pulsar->sequenceStates[0].loop);
        EXPECT_NEAR(pulsar->sequenceStates[0].time, expected, 1e-6f);
    }
    EXPECT_FALSE(pulsar->sequenceStates[1].playing);
    EXPECT_FALSE(rock->sequenceStates[0].playing); // no "idle": left alone
}

TEST_F(LvEntity, SpawnedPartsAreKindedByTheirNames) {
    AddPrototype<PartSys>("Gun-ULF-Kite");
    AddPrototype<PartSys>("engine-ULF");
    AddPrototype<PartSys>("engine-LLB-BB");
    AddPrototype<PartSys>("plain");
    AddPrototype<Light>("lamp");
    AddPrototype("rock");
    Entity* host = Spawn("rock");
    for (const char* name : {"Gun-ULF-Kite", "engine-ULF", "engine-LLB-BB", "plain", "lamp"})
        ASSERT_NE(host->SpawnPart(name, nullptr), nullptr) << name;
    EXPECT_EQ(host->SpawnPart("missing", nullptr), nullptr);
    const int32_t expected[] = {20, 22, 18, 0, kPartKindLight};
    ASSERT_EQ(host->spawnedParts.size(), 5u);
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(host->spawnedParts[i].kind, expected[i]) << i;
    EXPECT_EQ(world.GetEntity(host->spawnedParts[0].handle)->ownerHandle, kNoEntity); // loose
}

TEST_F(LvEntity, LinkedPartsRideTheirNodeTurnedHalfAround) {
    AddPrototype("spark");
    Entity* proto = AddPrototype("tender");
    auto* link = new FrameAnim;
    link->SetName("dummylink-spark");
    link->local.MakeTranslation(0, 0, 2);
    proto->AddChild(link);
    auto* plain = new DummyLink;
    plain->SetName("spark");
    proto->AddChild(plain);
    Entity* tender = Spawn("tender", {10, 0, 0});

    Step(0.05f); // the first frame spawns a part at each link node
    ASSERT_EQ(tender->spawnedParts.size(), 2u);
    Entity* spark = world.GetEntity(tender->spawnedParts[0].handle);
    ASSERT_NE(spark, nullptr);
    EXPECT_EQ(spark->ownerHandle, tender->handle);
    Step(0.05f);
    EXPECT_NEAR(spark->position.x, 10.0f, 1e-4f);
    EXPECT_NEAR(spark->position.z, 2.0f, 1e-4f);
    EXPECT_NEAR(spark->GetDir().z, -1.0f, 1e-3f);

    tender->velocity = {1, 0, 0};
    Step(0.5f);
    EXPECT_NEAR(spark->position.x, tender->position.x, 1e-4f);
    EXPECT_NEAR(spark->velocity.x, 1.0f, 1e-3f);

    // Once the target is gone the part lets go and moves on its own.
    world.QueueRemove(tender, nullptr, false);
    Step(0.05f);
    Step(0.05f);
    EXPECT_EQ(spark->ownerHandle, kNoEntity);
}

TEST_F(LvEntity, DetailLevelsFollowTheScreenSizeAndNoSizeGivesNoNumberless) {
    Entity* proto = AddPrototype("asteroid field");
    GeoNode* rock = Cube("rock", 1.0f);
    proto->AddChild(rock);
    GeoLists lists;
    lists.positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
    lists.setIndices = {{0, 1, 2, 2, 1, 3}, {0, 1, 2}};
    lists.setTexCoordIndices = {{0, 0, 0, 0, 0, 0}, {0, 0, 0}};
    lists.texCoords = {0, 0};
    auto* detailed = new GeoNode;
    detailed->indexed = 1;
    ASSERT_TRUE(detailed->BuildGeometry(lists, ""));
    proto->AddChild(detailed);
    detailed->AddRef();
    proto->lodNodes.push_back(detailed);
    proto->lodThresholds = {0.5f, 0.1f};
    Entity* field = Spawn("asteroid field");
    auto* mine = static_cast<GeoNode*>(field->lodNodes[0]);
    ASSERT_NE(mine, detailed); // the clone's own node

    DisplayState& display = GetDisplayState();
    struct Case {
        float size;
        int8_t level, next;
        int indices;
    };
    for (const Case& c : {Case{1.0f, 0, -1, 6}, Case{0.3f, 0, 1, 6}, Case{0.05f, 1, -1, 3}}) {
        display.fixedScreenSize = c.size;
        field->ComputeScreenSize();
        EXPECT_EQ(field->lodLevel, c.level) << c.size;
        EXPECT_EQ(field->nextLodLevel, c.next) << c.size;
        EXPECT_EQ(mine->indexCount, c.indices) << c.size;
        EXPECT_EQ(detailed->indexCount, 6) << "the prototype keeps its finest level";
    }
    display.fixedScreenSize = 0.001f;
    EXPECT_EQ(field->ComputeScreenSize(), 0.0f);
    EXPECT_EQ(field->visible, 0);

    // Degenerate sizes and distances give numbers, not NaN.
    field->radius = 0.0f;
    field->distanceScaleFactor = 0.125f;
    field->distanceScaleExponent = 0.65f;
    EXPECT_EQ(field->GetDistanceScale(), 1.0f);
    display.lodByDistance = true;
    EXPECT_TRUE(std::isfinite(field->ComputeScreenSize()));
    PickRecord pick;
    field->Intersect(field->position, {0, 0, 1}, &pick, true);
    EXPECT_TRUE(std::isfinite(pick.distance));
}

TEST_F(LvEntity, PickingPrefersExactHitsAndNearerMisses) {
    Entity* proto = AddPrototype("crate");
    proto->AddChild(Cube("side", 1.0f));
    proto->RecomputeBound();
    proto->ApplyProps(kAllProps);
    Entity* near = Spawn("crate", {0, 0, 5});
    Entity* far = Spawn("crate", {0.5f, 0, 500});
    AddPrototype("dust");
    Entity* dust = Spawn("dust", {0.2f, 0, 6});

    PickRecord pick;
    far->Intersect({}, {0, 0, 1}, &pick, false);
    EXPECT_EQ(pick.best, far);
    EXPECT_EQ(pick.exact, 0);
    dust->Intersect({}, {0, 0, 1}, &pick, false);
    EXPECT_EQ(pick.best, dust); // a smaller miss
    near->Intersect({}, {0, 0, 1}, &pick, false);
    EXPECT_EQ(pick.best, near); // an exact hit on its triangles
    EXPECT_EQ(pick.exact, 1);
    EXPECT_EQ(pick.exactDistance, 5.0f);
    far->Intersect({}, {0, 0, 1}, &pick, false);
    EXPECT_EQ(pick.best, near); // farther than the exact hit

    // Behind the ray, nothing.
    PickRecord behind;
    near->Intersect({}, {0, 0, -1}, &behind, true);
    EXPECT_EQ(behind.best, nullptr);
    EXPECT_EQ(Vec3(0, 0, 4).z, near->RayHitPoint({}, {0, 0, 1}).z);

    // The selection box reaches the crate when a corner lies behind every
    // plane; a hidden crate is never selected.
    const Vec3 facingAway(0, 0, 1);
    EXPECT_TRUE(near->InSelectionVolume({0, 0, 4.5f}, 1, &facingAway));
    EXPECT_FALSE(near->InSelectionVolume({0, 0, 3.0f}, 1, &facingAway));
    const Vec3 box[2] = {{0, 0, 1}, {1, 0, 0}};
    EXPECT_TRUE(near->InSelectionVolume({-0.5f, 0, 4.5f}, 2, box));
    EXPECT_FALSE(near->InSelectionVolume({-1.5f, 0, 4.5f}, 2, box));
    near->visible = 0;
    EXPECT_FALSE(near->InSelectionVolume({0, 0, 4.5f}, 1, &facingAway));
}

TEST_F(LvEntity, ForcesTurnAndPushInTheEntitysFrame) {
    AddPrototype("hulk");
    Entity* hulk = Spawn("hulk", {0, 0, 0});
    GetSceneClock().frameTime = 0.1f;
    hulk->ApplyTorque({1, 0, 0}, {0, 0, 1}, false); // about -Y, 0.01 radians
    EXPECT_NEAR(hulk->spin.y, -std::sin(0.005f), 1e-5f);
    EXPECT_NEAR(hulk->spin.w, std::cos(0.005f), 1e-5f);
    hulk->ApplyTorque({0, 0, 0}, {0, 0, 1}, false); // no lever: no turn
    EXPECT_NEAR(hulk->spin.y, -std::sin(0.005f), 1e-5f);

    hulk->SetRot({0, 0.7071068f, 0, 0.7071068f}); // a quarter turn about Y
    hulk->Accelerate({0, 0, 10}, false);          // along its own +Z: world +X
    EXPECT_NEAR(hulk->velocity.x, 1.0f, 1e-5f);
    EXPECT_NEAR(hulk->velocity.z, 0.0f, 1e-5f);
    hulk->ApplyImpulse({}, {0, 0, 2}, true, 0.5f);
    EXPECT_EQ(hulk->pendingImpulse, Vec3(0, 0, 1));
}

TEST_F(LvEntity, ExplodingWithoutSizeGivesFiniteDebris) {
    AddPrototype<Debris>("debris");
    AddPrototype("explosion- Yellow");
    Entity* proto = AddPrototype("flat");
    proto->AddChild(Cube("panel", 0.0f)); // every vertex at the origin
    Entity* flat = Spawn("flat", {1, 2, 3});
    flat->radius = 0.0f;
    flat->Explode();
    ASSERT_EQ(world.JoinList().size(), 2u);
    Entity* piece = world.JoinList()[1];
    EXPECT_TRUE(Finite(piece->velocity));
    EXPECT_TRUE(std::isfinite(piece->distanceScaleFactor));
    EXPECT_TRUE(Finite(piece->position));
}

} // namespace
} // namespace lumivane
