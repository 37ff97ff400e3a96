// Scene triggers: how conditions combine, how a script walks its stages,
// jumps and re-arms, and what each action kind does through the seams.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <fstream>

#include "desktop/scene/entity/wormhole.h"
#include "desktop/scene/world/trigger.h"
#include "tests/desktop/scene/world/scene_fixture.h"

namespace lumivane {
namespace {

using test::SceneFixture;

TriggerCondition& AddCondition(Trigger& trigger, ConditionType type) {
    auto condition = std::make_unique<TriggerCondition>();
    condition->type = int32_t(type);
    condition->owner = &trigger;
    trigger.conditions.push_back(std::move(condition));
    return *trigger.conditions.back();
}

TriggerAction& AddAction(Trigger& trigger, int32_t type, std::vector<int32_t> values = {}) {
    auto action = std::make_unique<TriggerAction>();
    action->type = type;
    action->values = std::move(values);
    action->owner = &trigger;
    trigger.actions.push_back(std::move(action));
    return *trigger.actions.back();
}

// A user-event condition on bit `mask` of the first event word.
void AddEventCondition(Trigger& trigger, uint32_t mask) {
    AddCondition(trigger, ConditionType::UserEvent).mask1 = mask;
}

void SetEvents(uint32_t word) {
    GetUserInputWords().events[0] = word;
}

Trigger& NewTrigger(Scene& scene, int32_t id, int32_t mode = 1) {
    auto trigger = std::make_unique<Trigger>();
    trigger->id = id;
    trigger->combineMode = mode;
    return scene.AddTrigger(std::move(trigger));
}

// Every test runs in a scene with the built data's prototypes and a
// top-level trigger whose actions it runs.
class LvTriggers : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fixture.LoadLibrary());
        trigger = &NewTrigger(*fixture.scene, 100);
    }
    TriggerAction& Action(int32_t type, std::vector<int32_t> values = {}) {
        return AddAction(*trigger, type, std::move(values));
    }
    std::vector<std::string>& Calls() { return fixture.display.calls; }

    SceneFixture fixture;
    Trigger* trigger = nullptr;
};

TEST_F(LvTriggers, ConditionsCombineByMode) {
    // Conditions: bit 1 and bit 2 of the event word. Expected firing for the
    // words 0, 1, 2 and 3 in each mode (mode 1 evaluated once, unlatched).
    struct Case {
        CombineMode mode;
        bool fires[4];
    };
    const Case cases[] = {{CombineMode::Any, {false, true, true, true}},
                          {CombineMode::AllLatched, {false, false, false, true}},
                          {CombineMode::All, {false, false, false, true}},
                          {CombineMode::None, {true, false, false, false}},
                          {CombineMode::NotAll, {true, true, true, false}}};
    for (const Case& c : cases)
        for (uint32_t word = 0; word < 4; ++word) {
            Trigger trigger;
            trigger.combineMode = int32_t(c.mode);
            AddEventCondition(trigger, 1);
            AddEventCondition(trigger, 2);
            SetEvents(word);
            EXPECT_EQ(trigger.Update(trigger, false, true), c.fires[word] ? 1 : 0)
                << "mode " << int(c.mode) << " word " << word;
        }
}

TEST_F(LvTriggers, LatchingKeepsWhatAnEarlierFrameMet) {
    Trigger& latched = NewTrigger(*fixture.scene, 1, int32_t(CombineMode::AllLatched));
    Trigger& strict = NewTrigger(*fixture.scene, 2, int32_t(CombineMode::All));
    for (Trigger* trigger : {&latched, &strict}) {
        AddEventCondition(*trigger, 1);
        AddEventCondition(*trigger, 2);
        AddAction(*trigger, action::kCameraSway, {int32_t(trigger->id) * 10});
    }
    SetEvents(1);
    fixture.scene->UpdateTriggers();
    EXPECT_EQ(fixture.camera.sway, 1.0f) << "neither fires on the first condition alone";
    SetEvents(2);
    fixture.scene->UpdateTriggers();
    EXPECT_EQ(fixture.camera.sway, 10.0f) << "mode 1 fires, mode 2 does not";
    EXPECT_EQ(latched.active, 0);
    EXPECT_EQ(strict.active, 1);
    EXPECT_EQ(latched.conditions[0]->latch, 0) << "firing clears the latches";
}

TEST_F(LvTriggers, ScriptsWalkTheirStagesAndReArm) {
    Scene& scene = *fixture.scene;
    Trigger& top = NewTrigger(scene, 1);
    top.once = 0;
    AddAction(top, action::kCameraSway, {1});
    auto stage = std::make_unique<Trigger>();
    stage->id = 2;
    AddCondition(*stage, ConditionType::Delay).delay = 0;
    AddAction(*stage, action::kCameraSway, {2});
    Trigger& second = top.AddChild(std::move(stage));

    // A trigger without conditions fires on its first evaluation.
    EXPECT_EQ(top.Update(), 1);
    EXPECT_EQ(fixture.camera.sway, 1.0f);
    EXPECT_EQ(top.currentStage, &top);
    // Delay 0 holds on the frame of activation.
    EXPECT_EQ(second.activationTime, GetSceneClock().gameTime);
    EXPECT_EQ(top.Update(), 1);
    EXPECT_EQ(fixture.camera.sway, 2.0f);
    // The last stage had no children: once = 0 re-arms at once, from the
    // trigger's own conditions.
    EXPECT_EQ(top.active, 1);
    EXPECT_EQ(top.currentStage, nullptr);
    EXPECT_EQ(top.Update(), 1);
    EXPECT_EQ(fixture.camera.sway, 1.0f);

    // With once set the script ends for good.
    top.once = 1;
    EXPECT_EQ(top.currentStage, &top);
    top.Update();
    EXPECT_EQ(top.active, 0);
    EXPECT_EQ(top.Update(), 0);
}

TEST_F(LvTriggers, DelaysJumpsActivationAndReset) {
    Scene& scene = *fixture.scene;
    Trigger& waiting = NewTrigger(scene, 5);
    AddCondition(waiting, ConditionType::Delay).delay = 100;
    AddAction(waiting, action::kCameraSway, {5});
    GetSceneClock().gameTime = 1000;
    waiting.Reset();
    GetSceneClock().gameTime = 1099;
    EXPECT_EQ(waiting.Update(), 0);
    GetSceneClock().gameTime = 1100;
    EXPECT_EQ(waiting.Update(), 1);

    // A jump runs its target next frame without conditions or actions.
    Trigger& jumper = NewTrigger(scene, 6);
    auto target = std::make_unique<Trigger>();
    target->id = 7;
    AddEventCondition(*target, 0x80);
    AddAction(*target, action::kCameraSway, {7});
    auto after = std::make_unique<Trigger>();
    after->id = 8;
    AddEventCondition(*after, 0x80);
    target->AddChild(std::move(after));
    Trigger& jumpTarget = jumper.AddChild(std::move(target));
    AddAction(jumper, action::kJump, {7});
    AddAction(jumper, action::kCameraSway, {6});
    jumper.Update();
    EXPECT_EQ(jumper.pendingJump, &jumpTarget);
    EXPECT_EQ(jumper.currentStage, nullptr) << "a pending jump ends the step";
    fixture.camera.sway = 0.0f;
    EXPECT_EQ(jumper.Update(), 1);
    EXPECT_EQ(fixture.camera.sway, 0.0f) << "the jump ran no actions";
    EXPECT_EQ(jumper.currentStage, &jumpTarget);

    // Action 17 activates or stops a trigger by id; an unknown id does nothing.
    Trigger& switcher = NewTrigger(scene, 9);
    AddAction(switcher, action::kActivate, {5, 0});
    AddAction(switcher, action::kActivate, {404, 1});
    waiting.active = 1;
    switcher.actions[0]->Run();
    EXPECT_EQ(waiting.active, 0);
    switcher.actions[0]->values = {5, 1};
    GetSceneClock().gameTime = 5000;
    switcher.actions[0]->Run();
    EXPECT_EQ(waiting.active, 1);
    EXPECT_EQ(waiting.activationTime, 5000u);
    switcher.actions[1]->Run();

    // Reset: active as initially, no stage, nothing latched, whole subtree.
    jumper.initiallyActive = 0;
    jumper.Reset();
    EXPECT_EQ(jumper.active, 0);
    EXPECT_EQ(jumper.currentStage, nullptr);
    EXPECT_EQ(scene.FindTrigger(8), jumpTarget.children[0].get());
    EXPECT_EQ(scene.FindTrigger(8, &waiting), nullptr);
}

TEST_F(LvTriggers, ConditionsOnEntitiesPlayersAndVariables) {
    Ship* ours = fixture.SpawnShip({0, 0, 0}, 0);
    Ship* theirs = fixture.SpawnShip({30, 0, 0}, 1);
    ASSERT_TRUE(ours && theirs);
    fixture.world.JoinPending();
    Trigger owner;

    TriggerCondition near;
    near.owner = &owner;
    near.type = int32_t(ConditionType::Distance);
    near.subject = ours->handle;
    near.handles = {theirs->handle};
    near.distance = 30.0f;
    EXPECT_EQ(near.Test(), 1);
    near.distance = 29.0f;
    EXPECT_EQ(near.Test(), 0);
    near.mode = 2;
    EXPECT_EQ(near.Test(), 0);
    near.handles.push_back(NextGeneration(theirs->handle));
    near.mode = 1;
    near.distance = 31.0f;
    EXPECT_EQ(near.Test(), 0) << "mode 1 needs every handle to resolve";

    TriggerCondition beaten;
    beaten.type = int32_t(ConditionType::PlayerBeaten);
    beaten.subject = 2;
    EXPECT_EQ(beaten.Test(), 1);
    beaten.subject = 1;
    EXPECT_EQ(beaten.Test(), 0);
    beaten.subject = -1;
    EXPECT_EQ(beaten.Test(), 0);
    beaten.subject = 6;
    EXPECT_EQ(beaten.Test(), 0) << "there is no player 6";

    TriggerCondition gone;
    gone.type = int32_t(ConditionType::UnitsGone);
    gone.subject = 1;
    EXPECT_EQ(gone.Test(), 1) << "an empty list holds with the flag";
    gone.subject = 0;
    EXPECT_EQ(gone.Test(), 0);
    gone.handles = {ours->handle, NextGeneration(theirs->handle)};
    EXPECT_EQ(gone.Test(), 1);
    gone.subject = 1;
    EXPECT_EQ(gone.Test(), 0);

    TriggerCondition seen;
    seen.type = int32_t(ConditionType::Visible);
    seen.subject = 0;
    seen.handles = {ours->handle};
    EXPECT_EQ(seen.Test(), 1) << "a player knows its own units";
    seen.handles = {theirs->handle};
    theirs->identification[0] = 0;
    EXPECT_EQ(seen.Test(), 0);
    seen.subject = 7;
    EXPECT_EQ(seen.Test(), 0);

    TriggerCondition units;
    units.type = int32_t(ConditionType::UnitsNear);
    units.subject = 0;
    units.name = "TESTSHIP";
    units.handles = {theirs->handle};
    units.distance = 35.0f;
    EXPECT_EQ(units.Test(), 1);
    units.name = "other";
    EXPECT_EQ(units.Test(), 0);

    fixture.scene->AddUserVariable("score").value = 4;
    fixture.scene->AddUserVariable("limit").value = 4;
    TriggerCondition variable;
    variable.type = int32_t(ConditionType::Variable);
    variable.name = "SCORE";
    const int32_t comparisons[] = {0, 1, 2, 3, 4, 5, 6};
    const bool against3[] = {false, false, true, true, false, true, false};
    variable.constant = 3;
    for (int32_t comparison : comparisons) {
        variable.comparison = comparison;
        EXPECT_EQ(variable.Test(), against3[comparison] ? 1 : 0) << comparison;
    }
    variable.comparison = 0;
    variable.name2 = "limit";
    EXPECT_EQ(variable.Test(), 1);
    variable.name2 = "nothing";
    EXPECT_EQ(variable.Test(), 0) << "an unknown operand variable fails";
    variable.name = "$NumShips";
    variable.name2.clear();
    variable.constant = 2;
    EXPECT_EQ(variable.Test(), 1);
}

TEST_F(LvTriggers, WormholeArrivalsAreQueuedAndTravellersNotedOnce) {
    auto* prototype = new Wormhole;
    prototype->AddRef();
    prototype->SetName("gate");
    prototype->CreateProps();
    auto* gate = static_cast<Wormhole*>(InstantiatePrototype(prototype, true));
    ASSERT_TRUE(gate);
    fixture.world.JoinPending();
    const EntityHandle reserved = fixture.world.ReserveHandle();

    Trigger& holder = NewTrigger(*fixture.scene, 1);
    TriggerAction& attach = AddAction(holder, action::kPassage, {gate->handle, 0, 0});
    PassageRecord record;
    record.name = "frigate";
    record.values[PassageRecord::kDelay] = 1500;
    record.values[PassageRecord::kReservedHandle] = reserved;
    record.values[PassageRecord::kPlayer] = 1;
    record.values[PassageRecord::kHealthFraction] = std::bit_cast<int32_t>(0.5f);
    attach.passages = {record, record};
    attach.Run();
    ASSERT_EQ(gate->spawns.size(), 2u);
    EXPECT_EQ(gate->spawns[0].prototype, "frigate");
    EXPECT_EQ(gate->spawns[0].delay, 1500);
    EXPECT_EQ(gate->spawns[0].handle, reserved);
    EXPECT_EQ(gate->spawns[0].player, 1);
    EXPECT_EQ(gate->spawns[0].healthFraction, 0.5f);
    EXPECT_EQ(gate->active, 1);

    // Condition 8: a unit of player 4 named "north" flew in, twice.
    WormholeTraveller traveller;
    traveller.player = 4;
    traveller.prototype = "north";
    gate->travellers = {traveller, traveller};
    TriggerCondition take;
    take.type = int32_t(ConditionType::Passage);
    take.subject = gate->handle;
    take.value = 4;
    take.name = "NORTH";
    EXPECT_EQ(take.Test(), 1);
    EXPECT_EQ(take.Test(), 1);
    EXPECT_EQ(take.Test(), 0) << "both travellers are noted";
    take.value = 5;
    EXPECT_EQ(take.Test(), 0);

    // A passage met while a latching trigger waits for its other condition
    // notes one traveller only; the next is left for a later trigger.
    gate->travellers = {traveller, traveller};
    holder.active = 0;
    Trigger& waiting = NewTrigger(*fixture.scene, 2, int32_t(CombineMode::AllLatched));
    TriggerCondition& passage = AddCondition(waiting, ConditionType::Passage);
    passage.subject = gate->handle;
    passage.value = 4;
    AddEventCondition(waiting, 1);
    AddAction(waiting, action::kCameraSway, {7});
    SetEvents(0);
    for (int frame = 0; frame < 3; ++frame)
        fixture.scene->UpdateTriggers();
    EXPECT_EQ(passage.latch, 1);
    EXPECT_EQ(gate->travellers[1].noted, 0);
    SetEvents(1);
    fixture.scene->UpdateTriggers();
    EXPECT_EQ(fixture.camera.sway, 7.0f);
    EXPECT_EQ(gate->travellers[1].noted, 0);
    EXPECT_EQ(take.Test(), 0);
    take.value = 4;
    EXPECT_EQ(take.Test(), 1) << "the second traveller was still there";

    // Deleting the action gives its reserved handles back.
    EXPECT_TRUE(fixture.world.IsReserved(SlotOf(reserved)));
    fixture.scene->Clear();
    EXPECT_FALSE(fixture.world.IsReserved(SlotOf(reserved)));
    prototype->Release();
}

TEST_F(LvTriggers, TextsUseTheCompanionTableAndTheSlots) {
    fixture.application.table = std::make_unique<std::vector<std::pair<int32_t, std::string>>>(
        std::vector<std::pair<int32_t, std::string>>{{50, "from the table"}});
    std::ofstream(fixture.root / "scenes" / "x.csv") << "x\n";
    fixture.scene->scenePath = "scenes\\x.mis";
    ASSERT_TRUE(fixture.scene->Save());
    ASSERT_EQ(fixture.scene->Load(), 1);
    trigger = &NewTrigger(*fixture.scene, 100); // loading replaced the scene's triggers

    TriggerAction& text = Action(action::kShowText, {3});
    text.text = "own text";
    text.id = 50;
    text.sound = "voice.wav";
    text.Run();
    EXPECT_EQ(Calls(), (std::vector<std::string>{"HideText 4", "ShowText 3 from the table 1"}));
    EXPECT_EQ(fixture.sounds.calls, std::vector<std::string>{"exclusive voice.wav"});

    Calls().clear();
    text.id = 51;
    text.values = {1};
    text.Run();
    EXPECT_EQ(Calls(),
              (std::vector<std::string>{"RemoveText 1", "RemoveText 2", "ShowText 1 own text 1"}));
    Calls().clear();
    text.text.clear();
    text.values = {-1};
    text.Run();
    EXPECT_EQ(Calls(), (std::vector<std::string>{"HideText 1", "HideText 2", "HideText 3",
                                                 "HideText 4", "HideText 5"}));
}

TEST_F(LvTriggers, DisplayModesOverlaysAndSwitches) {
    Action(action::kLetterbox, {1, 1}).Run();
    Action(action::kDisplaySwitch, {2, 0}).Run();
    Action(action::kHud, {0, 1}).Run();
    Action(action::kDisplayFlags, {1}).Run();
    Action(action::kWireframe, {2}).Run();
    Action(action::kWireframe, {2}).Run();
    Action(action::kStateWord).Run();
    Action(action::kEffectParams, {1, 2, 3, 4, 5}).Run();
    TriggerAction& hook = Action(action::kDisplayHook, {5});
    hook.text = "A";
    hook.Run();
    for (int32_t none : {8, 9, 10, 11, 37, 0, 51})
        Action(none, {1, 1}).Run();
    EXPECT_EQ(Calls(),
              (std::vector<std::string>{"SetLetterbox 1 1", "SetSwitch 2 0", "SetHudVisible 0 1",
                                        "SetFlags 1", "SetWireframe 1", "SetWireframe 0",
                                        "ClearPauseFlag", "SetEffectParams 5", "Hook 5 A"}));
    EXPECT_EQ(fixture.application.stateWord, 2);

    Calls().clear();
    TriggerAction& overlay = Action(action::kOverlay);
    overlay.text = "marker";
    overlay.Run();
    overlay.Run();
    EXPECT_EQ(Calls(),
              (std::vector<std::string>{"AddOverlayModel marker", "RemoveOverlay marker"}));

    Calls().clear();
    GetUserInputWords().permission[0] = 7;
    Action(action::kFade, {1}).Run();
    EXPECT_EQ(GetUserInputWords().permission[0], 7u);
    Action(action::kFade, {0}).Run();
    EXPECT_EQ(Calls(), (std::vector<std::string>{"RemoveOverlay fadein", "RemoveOverlay fadeout",
                                                 "AddOverlayModel fadein", "RemoveOverlay fadein",
                                                 "RemoveOverlay fadeout", "AddOverlayModel fadeout",
                                                 "SetHudVisible 0 1"}));
    EXPECT_EQ(GetUserInputWords().permission[0], 0u);
    EXPECT_EQ(GetUserInputWords().permission[1], 0u);

    Action(action::kPermissions, {0x20, 0x10}).Run();
    EXPECT_EQ(GetUserInputWords().permission[0], 0x20u);
    EXPECT_EQ(GetUserInputWords().permission[1], 0x10u);
}

TEST_F(LvTriggers, ApplicationCameraAndSound) {
    for (int32_t type : {7, 38, 39, 41}) {
        Action(type, {1}).Run();
        EXPECT_EQ(fixture.application.Switch(type), 1) << type;
        Action(type, {2}).Run();
        EXPECT_EQ(fixture.application.Switch(type), 0) << type;
    }
    TriggerAction& path = Action(action::kCameraPath);
    path.Run();
    ASSERT_EQ(fixture.camera.sequences.size(), 1u);
    EXPECT_EQ(fixture.camera.sequences[0].first, &path);
    Action(action::kCameraSway, {3}).Run();
    EXPECT_EQ(fixture.camera.sway, 3.0f);

    Action(action::kSceneCue).Run();
    TriggerAction& sound = Action(action::kSceneSound);
    sound.text = "boom.wav";
    sound.Run();
    Action(action::kSoundSwitch, {1, 1}).Run();
    EXPECT_EQ(fixture.sounds.calls,
              (std::vector<std::string>{"cue 0.750000", "scene boom.wav", "toggle 1 1"}));

    Action(action::kMusic).Run();
    Action(action::kApplicationHook).Run();
    TriggerAction& flag = Action(action::kSettingsFlag);
    flag.text = "SeenIntro";
    flag.Run();
    flag.text.clear();
    flag.Run();
    EXPECT_EQ(fixture.application.musicActions, 1);
    EXPECT_EQ(fixture.application.hooks, 1);
    EXPECT_EQ(fixture.application.flags, std::vector<std::string>{"SeenIntro"});

    // Cinematic mode slows the game for languages 2..4 unless the scene is
    // one of three named ones.
    fixture.application.language = 3;
    Action(action::kCinematic, {1, 0}).Run();
    EXPECT_EQ(fixture.application.timeScale, 0.75f);
    fixture.scene->text5 = "mnmaknzx";
    Action(action::kCinematic, {1, 0}).Run();
    EXPECT_EQ(fixture.application.timeScale, 1.0f);
    EXPECT_EQ(Calls().back(), "SetCinematicMode 1 0");

    // Ending the scene: another scene when its file exists, else quitting.
    TriggerAction& end = Action(action::kEndScene);
    end.text = "missing.mis";
    end.Run();
    EXPECT_TRUE(fixture.application.quitRequested);
    std::ofstream(fixture.root / "scenes" / "next.mis") << "MISS";
    end.text = "next.mis";
    end.Run();
    EXPECT_EQ(fixture.application.requestedScene, "scenes\\next.mis");
}

TEST_F(LvTriggers, OrdersGoToTheQueueForEachLiveUnit) {
    Entity* sun = fixture.Spawn("Sun", {0, 0, 0});
    Ship* a = fixture.SpawnShip({100, 0, 0}, 0);
    Ship* b = fixture.SpawnShip({0, 0, 100}, 0);
    Ship* enemy = fixture.SpawnShip({50, 0, 50}, 1);
    ASSERT_TRUE(sun && a && b && enemy);
    fixture.world.JoinPending();
    const std::vector<EntityHandle> units = {a->handle, NextGeneration(b->handle), b->handle};

    auto run = [&](int32_t type, EntityHandle target) {
        fixture.queue.Clear();
        TriggerAction& order = Action(type, {target});
        order.handles = units;
        order.point = {1, 2, 3};
        order.offset = {0, 0, 5};
        order.Run();
    };
    run(action::kFollow, sun->handle);
    ASSERT_EQ(fixture.queue.Count(), 2);
    const auto& follow = static_cast<const FollowOrder&>(fixture.queue.At(0));
    EXPECT_EQ(follow.type, order::kFollow);
    EXPECT_EQ(follow.target, sun->handle);
    EXPECT_FLOAT_EQ(follow.distance, 100.0f) << "the separation from the Sun";
    EXPECT_EQ(follow.offset, Vec3(0, 1, 0));
    run(action::kFollow, NextGeneration(sun->handle));
    EXPECT_EQ(fixture.queue.Count(), 0) << "no live target, no follow";

    run(action::kMove, sun->handle);
    EXPECT_EQ(static_cast<const MoveOrder&>(fixture.queue.At(0)).destination, Vec3(1, 2, 3));
    run(action::kMove, enemy->handle);
    // The offset (0, 0, 5) is turned with the arc from +X to the target's
    // direction: it stays 5 long and level, across that direction.
    const Vec3 away =
        static_cast<const MoveOrder&>(fixture.queue.At(0)).destination - enemy->position;
    EXPECT_NEAR(away.Length(), 5.0f, 1e-4f);
    EXPECT_NEAR(away.y, 0.0f, 1e-4f);
    EXPECT_NEAR(Vec3::Dot(away, {0.7071068f, 0, 0.7071068f}), 0.0f, 1e-3f);

    run(action::kAttack, enemy->handle);
    ASSERT_EQ(fixture.queue.Count(), 2);
    EXPECT_EQ(fixture.queue.At(1).type, order::kAttack);
    EXPECT_EQ(static_cast<const TargetOrder&>(fixture.queue.At(1)).target, enemy->handle);
    EXPECT_TRUE(a->IsOrdered());
    run(action::kHunt, -1);
    EXPECT_EQ(fixture.queue.At(0).type, order::kHunt);
    run(action::kGather, -1);
    EXPECT_EQ(fixture.queue.At(0).type, order::kStopWork) << "not a utility pod";
    EXPECT_EQ(fixture.queue.At(0).units[0], a->handle);
}

TEST_F(LvTriggers, PlayersResourcesAndUnits) {
    Ship* a = fixture.SpawnShip({0, 0, 0}, 0, 1);
    Ship* b = fixture.SpawnShip({5, 0, 0}, 0, 1);
    ASSERT_TRUE(a && b);
    fixture.world.JoinPending();

    Action(action::kResources, {-1, 100}).Run();
    for (auto& player : fixture.players)
        EXPECT_EQ(player->resources, 100.0f);
    TriggerAction& named = Action(action::kResources, {2, 5});
    named.text = "bonus";
    named.Run();
    EXPECT_EQ(fixture.players[2]->resources, 100.0f) << "an unknown variable gives nothing";
    fixture.scene->AddUserVariable("bonus").value = 50;
    named.Run();
    EXPECT_EQ(fixture.players[2]->resources, 150.0f);
    Action(action::kResources, {6, 100}).Run(); // no player 6

    TriggerAction& ai = Action(action::kComputerPlayer, {-1});
    ai.text = " 40% OFFENSIVE /  60% Defensive";
    ai.Run();
    for (auto& player : fixture.players)
        EXPECT_EQ(player->aiLevel, 4);

    std::vector<int32_t> table(36, 0);
    table[2 * 6 + 3] = 1;
    Action(action::kEnemies, table).Run();
    EXPECT_TRUE(fixture.players[2]->CountsAsEnemy(3));
    EXPECT_FALSE(fixture.players[0]->CountsAsEnemy(1));

    TriggerAction& builds = Action(action::kBuildList, {4});
    builds.names = {"testship", "Planet"};
    builds.weights = {3, 1};
    builds.Run();
    ASSERT_EQ(fixture.players[4]->buildList.size(), 2u);
    EXPECT_EQ(fixture.players[4]->buildList[0].weight, 3);

    // Units change sides and squads (squads are taken mod 10).
    a->orderState = kOrderAttack;
    a->target = b->handle;
    TriggerAction& give = Action(action::kGiveUnits, {3, 12});
    give.handles = {a->handle};
    give.Run();
    EXPECT_EQ(a->owner, fixture.players[3].get());
    EXPECT_EQ(a->squad, &fixture.players[3]->squads[2]);
    EXPECT_EQ(a->target, kNoEntity);
    EXPECT_EQ(fixture.players[0]->squads[1].IndexOf(a), -1);
    Action(action::kGiveUnits, {9, 0}).Run(); // refused

    // Damage and repair, plain and in percent of "health max".
    const float full = b->PropFloat("health max");
    TriggerAction& hurt = Action(action::kDamage, {50, 1});
    hurt.handles = {b->handle};
    hurt.Run();
    EXPECT_FLOAT_EQ(b->health, full * 0.5f);
    TriggerAction& heal = Action(action::kDamage, {-2, 0});
    heal.handles = {b->handle};
    heal.Run();
    EXPECT_FLOAT_EQ(b->health, full * 0.5f + 2.0f);

    // The sequence of a unit plays once.
    TriggerAction& play = Action(action::kPlaySequence, {b->handle});
    play.text = "idle";
    play.Run();
    ASSERT_FALSE(b->sequenceStates.empty());
    EXPECT_EQ(b->sequenceStates[0].playing, 1);
    EXPECT_EQ(b->sequenceStates[0].loop, 0);

    // Removing a player's units queues them (with the cascade).
    TriggerAction& remove = Action(action::kRemoveUnits, {0});
    remove.Run();
    EXPECT_TRUE(fixture.world.IsQueuedForRemoval(b));
}

TEST_F(LvTriggers, VariableArithmeticAndDraws) {
    Scene& scene = *fixture.scene;
    TriggerAction& math = Action(action::kArithmetic, {0, 7});
    math.text = "count";
    math.Run();
    EXPECT_EQ(scene.FindUserVariable("count")->value, 7) << "made when missing";
    math.values = {1, 5};
    math.Run();
    math.values = {2, 2};
    math.Run();
    EXPECT_EQ(scene.FindUserVariable("count")->value, 10);

    math.values = {3, 0};
    math.Run();
    EXPECT_EQ(scene.FindUserVariable("count")->value, 0) << "nothing to draw from";
    // A constant below 1 draws nothing even from a named operand of 5, and
    // an operand of 0 gives nothing to draw from.
    scene.AddUserVariable("five").value = 5;
    scene.AddUserVariable("zero").value = 0;
    math.text2 = "five";
    math.values = {3, 0};
    for (int i = 0; i < 10; ++i) {
        math.Run();
        EXPECT_EQ(scene.FindUserVariable("count")->value, 0);
    }
    math.text2 = "zero";
    math.values = {3, 5};
    math.Run();
    EXPECT_EQ(scene.FindUserVariable("count")->value, 0);
    math.text2.clear();
    for (int i = 0; i < 50; ++i) {
        math.Run();
        const int32_t drawn = scene.FindUserVariable("count")->value;
        EXPECT_GE(drawn, 1);
        EXPECT_LE(drawn, 5);
    }
    math.text2 = "unknown";
    math.values = {0, 99};
    math.Run();
    EXPECT_NE(scene.FindUserVariable("count")->value, 99) << "an unknown operand does nothing";
}

TEST_F(LvTriggers, MarkersAndRoutes) {
    const EntityHandle wanted = fixture.world.ReserveHandle();
    TriggerAction& marker = Action(action::kMarker, std::vector<int32_t>(12, 0));
    marker.values[0] = wanted;
    marker.values[6] = std::bit_cast<int32_t>(4.0f);
    marker.Run();
    fixture.world.JoinPending();
    Entity* made = fixture.world.GetEntity(wanted);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->Name(), "marker");
    EXPECT_EQ(made->position, Vec3(4, 0, 0));
    marker.Run();
    EXPECT_EQ(fixture.world.EntityCount(), 1) << "a live marker is not made again";

    Ship* waypoint = fixture.SpawnShip({0, 0, 0}, 1);
    Ship* idle = fixture.SpawnShip({9, 0, 0}, 2);
    Ship* listed = fixture.SpawnShip({9, 0, 9}, 2);
    ASSERT_TRUE(waypoint && idle && listed);
    fixture.world.JoinPending();
    TriggerAction& route = Action(action::kRoute, {2, 0, 1});
    route.text = "testship";
    route.handles = {listed->handle};
    route.Run();
    // The listed unit first; it is then no longer idle, so of player 2's idle
    // units only the other one follows.
    ASSERT_EQ(fixture.queue.Count(), 2);
    const auto& order = static_cast<const HandleListOrder&>(fixture.queue.At(0));
    EXPECT_EQ(order.type, order::kTargetList);
    EXPECT_EQ(order.route, std::vector<EntityHandle>{waypoint->handle});
    EXPECT_TRUE(idle->IsOrdered());
    fixture.queue.Clear();
    route.values = {2, 100, 1};
    route.handles.clear();
    route.Run();
    EXPECT_EQ(fixture.queue.Count(), 0) << "ordered units are no longer idle";
}

} // namespace
} // namespace lumivane
