// The ship's frame and bookkeeping: the build queue's limits and its
// cancelled head, fades, auto attack, the scene's bounds, the thrust the
// tow lock takes away coming back, and engines that flare with thrust.
#include <gtest/gtest.h>

#include "desktop/scene/entity/entity_kinds.h"
#include "desktop/scene/object/scene_classes.h"
#include "desktop/units/unit_class_headers.h"
#include "tests/desktop/units/unit_fixture.h"

namespace lumivane::test {
namespace {

constexpr float kStep = 1.0f / 30.0f;

class LvShip : public UnitTest {
protected:
    LvShip() {
        AddShip("scout", [](Entity& e) {
            SetFlag(e, "task: build", true);
            SetInt(e, "sound 2 function", int32_t(SoundEvent::UnitSpecific1));
        });
        Tick();
    }
};

TEST_F(LvShip, ShipPropertiesFollowTheEntityBlockWithTheirDefaults) {
    const PropBlock block(ShipPropDescs());
    const ShipPropFields& f = ShipFields();
    EXPECT_EQ(f.race, kEntityPropsSize);
    EXPECT_EQ(block.Size(), kEntityPropsSize + 566);
    EXPECT_EQ(PropDesc::EndEntry(ShipPropDescs()).name, "Ship");
    size_t at = 0;
    const PropDesc* end = PropDesc::Find(ShipPropDescs(), "*EndBuild*", at);
    ASSERT_NE(end, nullptr);
    EXPECT_EQ(end->type, PropType::GroupEnd);
    EXPECT_EQ(PropDesc::Find(ShipPropDescs(), "repair cost (% of build)", at)->type,
              PropType::Float);
    EXPECT_EQ(PropDesc::Find(ShipPropDescs(), "fire angle", at)->type, PropType::Angle);
    EXPECT_EQ(PropDesc::Find(ShipPropDescs(), "reload time", at)->type, PropType::Time);
    EXPECT_EQ(block.FixedText(f.placer), "structplacer");
    EXPECT_EQ(block.FixedText(f.connector), "connector");
    EXPECT_EQ(block.FixedText(f.weapon), "");
    EXPECT_EQ(block.Float(f.fireAngle), 0.5236f);
    EXPECT_EQ(block.Float(f.turretSpeed), 1.5708f);
    EXPECT_EQ(block.Float(f.gatherAmountPer), 25.0f);
    EXPECT_TRUE(block.Flag(f.cThrustInLr));
    EXPECT_FALSE(block.Flag(f.lrThrustInC));
    // The tasks a plain unit can do.
    const std::pair<size_t, bool> tasks[] = {
        {f.taskMove, true},       {f.taskAttack, true},     {f.taskMine, false},
        {f.taskComsat, false},    {f.taskBuild, false},     {f.taskRepair, true},
        {f.taskBerserk, true},    {f.taskDestruct, true},   {f.taskGather, false},
        {f.taskDeploy, false},    {f.taskTow, false},       {f.taskSensor, false},
        {f.taskClone, false},     {f.taskDock, false},      {f.taskAutoAttack, true},
        {f.taskAutoPursue, true}, {f.taskAutoRepair, true}, {f.taskStop, true},
        {f.taskScrap, true},      {f.taskRecall, false},    {f.taskFollow, true},
        {f.taskFormation, true},  {f.taskRotate, false}};
    for (const auto& [offset, set] : tasks)
        EXPECT_EQ(block.Flag(offset), set) << offset;
}

TEST_F(LvShip, TheQueueTakesNineOfAChoiceAndAHundredInAll) {
    Ship* builder = SpawnShip("scout");
    for (int i = 0; i < 10; ++i)
        builder->AddToBuildQueue(2, 0, -1, "dummyship");
    EXPECT_EQ(builder->queuedCounts[2], 9);
    EXPECT_EQ(builder->buildQueue.size(), 9u) << "the tenth of one choice is refused";
    for (int choice = 0; choice < kBuildChoices; ++choice)
        for (int i = 0; i < 9; ++i)
            builder->AddToBuildQueue(choice, 0, -1, "");
    EXPECT_EQ(builder->buildQueue.size(), 90u);
    // With room in two choices, only ten more fit: the queue holds 100.
    builder->queuedCounts[0] = 0;
    builder->queuedCounts[1] = 0;
    for (int i = 0; i < 6; ++i) {
        builder->AddToBuildQueue(0, 0, -1, "");
        builder->AddToBuildQueue(1, 0, -1, "");
    }
    EXPECT_EQ(builder->buildQueue.size(), 100u);
    EXPECT_EQ(builder->queuedCounts[0] + builder->queuedCounts[1], 10);
}

TEST_F(LvShip, RemovingTheHeadCancelsTheBuildRefundsAndStopsItsSounds) {
    Ship* builder = SpawnShip("scout");
    Ship* beingBuilt = SpawnShip("scout", {0, 0, 5}, -1);
    builder->AddToBuildQueue(3, 0, -1, "dummyship");
    builder->AddToBuildQueue(5, 0, -1, "dummyship");
    builder->AddToBuildQueue(3, 0, -1, "dummyship");
    builder->building = 1;
    builder->buildProgress = 0.4f;
    builder->buildUnit = beingBuilt->handle;
    builder->amountPaid = 40;
    builder->PlayEventSounds(SoundEvent::UnitSpecific1, 1);
    builder->soundSlots[1].soundId = 7;
    PlayerAt(0)->resources = 10.0f;

    // The newest item of choice 3 is not the head: the build goes on.
    builder->RemoveFromBuildQueue(3);
    ASSERT_EQ(builder->buildQueue.size(), 2u);
    EXPECT_EQ(builder->building, 1);
    EXPECT_EQ(builder->amountPaid, 40);

    // Now it is: cancelled, refunded, its sounds stopped, the unit gone.
    builder->RemoveFromBuildQueue(3);
    ASSERT_EQ(builder->buildQueue.size(), 1u);
    EXPECT_EQ(builder->buildQueue[0].choice, 5);
    EXPECT_EQ(builder->queuedCounts[3], 0);
    EXPECT_EQ(builder->building, 0);
    EXPECT_EQ(builder->buildProgress, 0.0f);
    EXPECT_EQ(builder->amountPaid, 0);
    EXPECT_EQ(PlayerAt(0)->resources, 50.0f);
    EXPECT_EQ(builder->soundSlots[1].soundId, -1);
    EXPECT_TRUE(world.IsQueuedForRemoval(beingBuilt));
    EXPECT_EQ(builder->lastBuildEnd, 0) << "the clock is below 5001";
    builder->RemoveFromBuildQueue(3);
    builder->RemoveFromBuildQueue(-1);
    EXPECT_EQ(builder->buildQueue.size(), 1u);
}

TEST_F(LvShip, FadesShowTheModelTranslucentOrScaleItForRaceTwo) {
    Ship* human = SpawnShip("scout");
    auto* hull = static_cast<GeoNode*>(human->FindByName("hull"));
    ASSERT_NE(hull, nullptr);
    human->BeginFade();
    EXPECT_EQ(hull->depthWrite, 0);
    EXPECT_EQ(hull->transparent, 1);
    human->SetFade(0.5f);
    EXPECT_EQ(hull->alpha, 127);
    human->EndFade();
    EXPECT_EQ(hull->depthWrite, 1);
    EXPECT_EQ(hull->transparent, 0);
    EXPECT_EQ(hull->alpha, 255);

    AddShip("drone", [](Entity& e) { SetInt(e, "race", 2); });
    Ship* drone = SpawnShip("drone");
    drone->BeginFade();
    EXPECT_EQ(drone->scale, 0.001f);
    drone->SetFade(0.0f); // a scale of 0 would make its matrix singular
    EXPECT_EQ(drone->scale, 0.001f);
    drone->SetFade(0.6f);
    EXPECT_EQ(drone->scale, 0.6f);
    drone->EndFade();
    EXPECT_EQ(drone->scale, 1.0f);
    drone->SetFade(0.2f);
    EXPECT_EQ(drone->scale, 1.0f) << "only while fading";
}

TEST_F(LvShip, AutoAttackNeedsItsToggleAndItsTask) {
    AddShip("pacifist", [](Entity& e) { SetFlag(e, "task: auto attack", false); });
    Ship* keen = SpawnShip("scout");
    Ship* calm = SpawnShip("scout", {0, 0, 3});
    calm->autoAttack = 0;
    Ship* pacifist = SpawnShip("pacifist", {0, 0, 6});
    SpawnShip("scout", {8, 0, 0}, 1); // an enemy within sensor range
    for (int i = 0; i < 90; ++i)
        Step(kStep);
    EXPECT_EQ(keen->orderState, kOrderAutoAttack);
    EXPECT_EQ(keen->returnPoint, Vec3());
    EXPECT_EQ(keen->savedOrder.state, kOrderIdle);
    EXPECT_NE(calm->orderState, kOrderAutoAttack);
    EXPECT_NE(pacifist->orderState, kOrderAutoAttack);
}

TEST_F(LvShip, UnitsStayInsideTheSceneButWeaponsDoNot) {
    GetSceneBounds() = {15.0f, 100.0f};
    AddPrototype<Weapon>("bolt");
    Ship* ship = SpawnShip("scout", {120, 30, 0});
    Ship* bolt = Spawn<Ship>("bolt", {120, 30, 0});
    Step(kStep);
    EXPECT_NEAR(ship->position.x, 100.0f, 1e-3f);
    EXPECT_NEAR(ship->position.y, 15.0f, 1e-3f);
    EXPECT_EQ(bolt->position, Vec3(120, 30, 0));
}

TEST_F(LvShip, ThrustTakenByTheTowLockComesBack) {
    Ship* ship = SpawnShip("scout");
    ship->towLockTime = int32_t(GetSceneClock().gameTime);
    const float thrust = ship->ShipFloat(ShipFields().thrust, -1.0f);
    Step(kStep);
    EXPECT_EQ(ship->ShipFloat(ShipFields().thrust, -1.0f), thrust);
    // The prototype's block is shared: the clone sees the same value.
    EXPECT_EQ(static_cast<Ship*>(ship->Prototype())->ShipFloat(ShipFields().thrust, -1.0f), thrust);
}

TEST_F(LvShip, EnginesFlareWithTheThrustersTheyShow) {
    AddPrototype<PartSys>("flame");
    Ship* ship = SpawnShip("scout");
    auto part = [&](int kind) {
        auto* flame = Spawn<PartSys>("flame");
        ship->spawnedParts.push_back({flame->handle, kind});
        return flame;
    };
    PartSys* main = part(4);     // main engine: size, speed and rate
    PartSys* flare = part(5);    // main engine flare: rate above the idle level
    PartSys* left = part(1);     // turning left
    PartSys* ignored = part(28); // a light, not an engine
    ship->thrusters[kMain] = 1.0f;
    ship->thrusters[kTurnLeft] = 0.1f;
    ship->Animate(ship);
    EXPECT_EQ(main->sizeScale, 1.0f);
    EXPECT_NEAR(flare->rateScale, 1.0f, 1e-5f);
    EXPECT_EQ(left->rateScale, 0.4f) << "idle engines keep a small flame";
    EXPECT_EQ(ignored->rateScale, 1.0f);
    ship->thrusters[kMain] = 0.3f;
    ship->Animate(ship);
    EXPECT_EQ(flare->rateScale, 0.0f);
    EXPECT_EQ(main->speedScale, 0.4f);
}

} // namespace
} // namespace lumivane::test
