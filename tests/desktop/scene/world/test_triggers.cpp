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

} // namespace
} // namespace lumivane
