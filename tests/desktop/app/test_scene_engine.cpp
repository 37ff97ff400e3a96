// The program's scene engine driven by the main loop on a test clock with a
// scripted display: scenes load from their files, change when another
// process or a trigger asks and fall back to the default scene; triggers
// reach the program; a record posted in one frame arrives in the next,
// survives a pause and is dropped by a scene change; random picks with no,
// one and case-twin files; the program's sound follows its frames, scenes
// and pauses; the whole program runs and tears down.
#include "desktop/app/app_scene_application.h"
#include "desktop/app/exit_signal.h"
#include "desktop/display/textures/texture_manager.h"
#include "desktop/scene/world/message.h"
#include "desktop/scene/world/message_queue.h"
#include "desktop/scene/world/model_library.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/scene_hooks.h"
#include "desktop/scene/world/standalone_scene.h"
#include "desktop/scene/world/trigger_action.h"
#include "desktop/scene/world/trigger_condition.h"
#include "desktop/scene/world/world.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/sound/sound_manager.h"
#include "platform/paths.h"
#include "tests/desktop/app/app_test_support.h"
#include "tests/desktop/scene/sound/sound_files.h"

#include <thread>

using namespace lumivane;
using namespace app_test;

namespace {

// Records the texts scenes show and the display switch, and lets a test act
// inside the frame in which a text shows.
class TextDisplay : public SceneDisplay {
public:
    void ShowText(int slot, std::string_view text, bool atOnce) override {
        shown.emplace_back(text);
        SceneDisplay::ShowText(slot, text, atOnce);
        if (onText) onText();
    }
    void SetSwitch(int mode, int) override { switchValue = mode; }
    void RemoveOverlay(std::string_view name) override {
        removedOverlays.emplace_back(name);
        SceneDisplay::RemoveOverlay(name);
    }

    std::vector<std::string> shown;
    std::function<void()> onText;
    std::vector<std::string> removedOverlays;
    int switchValue = -1;
};

struct SceneRecipe {
    std::string file; // below "scenes\"
    std::string title;
    int planets = 1;
    // Actions of the scene's one trigger, which fires in its first frame.
    std::vector<std::pair<int32_t, std::string>> actions;
};

constexpr int32_t kCompanionText = 1001;

void PostSystemCommand(SystemCommandCode code) {
    auto command = std::make_unique<Message>();
    command->type = order::kSystemCommand;
    command->valueA = int32_t(code);
    QueueMessage(std::move(command), 1);
}

class LvSceneEngine : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        // The shipped prototypes, without the textures (nothing here draws).
        const auto shipped = platform::ProgramFolder() / "LumivaneData";
        for (const char* folder : {"models", "properties"})
            std::filesystem::copy(shipped / folder, dataRoot_ / folder);
        SetSceneDisplay(&texts_);
        // The real display makes the texture manager the slots are built
        // in; the scripted one does not.
        gpTextureManager = &textures_;
        useClock_ = std::make_unique<platform::ScopedClock>(clock_);
    }
    void TearDown() override {
        useClock_.reset();
        gpTextureManager = nullptr;
        SetSceneDisplay(nullptr);
        AppTest::TearDown();
    }

    // Built from the shipped prototypes and written by the scene's own Save,
    // beside a running program whose engine stays as it is.
    void WriteScene(const SceneRecipe& recipe) {
        StandaloneScene built(dataRoot_);
        ASSERT_TRUE(built.Loaded());
        Scene& scene = built.scene;
        for (int i = 0; i < recipe.planets; ++i) {
            SpawnRecord at;
            at.position = {float(i) * 30.0f, 0.0f, 0.0f};
            ASSERT_TRUE(scene.SpawnByName("Planet", at));
        }
        built.world.JoinPending();
        auto trigger = std::make_unique<Trigger>();
        trigger->id = 10;
        auto always = std::make_unique<TriggerCondition>();
        always->type = int32_t(ConditionType::Always);
        always->owner = trigger.get();
        trigger->conditions.push_back(std::move(always));
        for (const auto& [type, text] : recipe.actions) {
            auto action = std::make_unique<TriggerAction>();
            action->type = type;
            action->owner = trigger.get();
            action->text = text;
            if (type == action::kShowText) {
                action->id = kCompanionText;
                action->values = {3};
            }
            if (type == action::kCinematic) action->values = {1, 0};
            trigger->actions.push_back(std::move(action));
        }
        scene.AddTrigger(std::move(trigger));
        scene.title = recipe.title;
        ASSERT_TRUE(scene.Save("scenes\\" + recipe.file));
    }
    void WriteScenes() {
        WriteScene({"a.mis", "A", 1, {{action::kShowText, "a-text"}}});
        // The companion table's text wins over the trigger's own.
        shell_test::WriteFile(dataRoot_ / "scenes" / "a.csv",
                              "texts\r\nId,Context,English\r\n1001,intro,Alpha\r\n");
        WriteScene({"b.mis", "B", 2, {{action::kShowText, "b-text"}}});
        WriteScene({kDefaultScene, "Default", 3, {{action::kShowText, "default-text"}}});
    }

    lumivane::AppServices EngineServices() {
        lumivane::AppServices services = Services();
        services.scene = MakeProgramSceneEngine();
        return services;
    }
    std::unique_ptr<DesktopApp> RunningDesktop(const std::vector<std::string>& args = {"1a2b"}) {
        auto app = std::make_unique<DesktopApp>(EngineServices());
        EXPECT_TRUE(app->SetUpMode(args));
        EXPECT_EQ(app->Startup(), DesktopApp::StartupResult::Ready);
        app->BeginRun();
        EXPECT_EQ(app->FirstRun(), DesktopApp::FirstRunResult::Ready);
        app->ReadyToLoop();
        Pass(*app);
        return app;
    }
    void Pass(DesktopApp& app, int count = 1) {
        for (int i = 0; i < count; ++i) {
            clock_.AdvanceMilliseconds(33);
            app.MainLoopPass();
        }
    }
    void StartWith(const std::string& scene) {
        SetUser(values::kRandomStartup, uint8_t(0));
        SetUser(values::kScene, scene);
    }
    static float Resources(int player) { return PlayerAt(player)->resources; }

    TextDisplay texts_;
    TextureManager textures_;
    platform::TestClock clock_{1000};
    std::unique_ptr<platform::ScopedClock> useClock_;
};

} // namespace

TEST_F(LvSceneEngine, ScenesLoadFromTheirFilesChangeOnRequestAndFallBack) {
    WriteScenes();
    StartWith("a.mis");
    auto app = RunningDesktop();
    ASSERT_NE(GetScene(), nullptr);
    EXPECT_EQ(GetScene()->title, "A");
    EXPECT_EQ(GetWorld()->EntityCount(), 1);
    EXPECT_EQ(texts_.shown, std::vector<std::string>{"Alpha"});
    EXPECT_EQ(app->FrameNumber(), 1u);
    Pass(*app, 3);
    EXPECT_EQ(app->FrameNumber(), 4u);
    EXPECT_EQ(texts_.shown.size(), 1u); // the trigger fired once

    // Another process chooses a scene: it loads, restarts the frame count
    // and skips two frames.
    texts_.shown.clear();
    SetUser(values::kScene, std::string("b.mis"));
    Pass(*app);
    EXPECT_EQ(GetScene()->title, "B");
    EXPECT_EQ(GetWorld()->EntityCount(), 2);
    EXPECT_EQ(texts_.shown, std::vector<std::string>{"b-text"});
    EXPECT_EQ(app->FrameNumber(), 1u);
    EXPECT_EQ(display_.skips, std::vector<int>{2});

    // A scene that is not there, then a damaged one: the default scene.
    SetUser(values::kScene, std::string("gone.mis"));
    Pass(*app);
    EXPECT_EQ(GetScene()->title, "Default");
    EXPECT_EQ(GetWorld()->EntityCount(), 3);
    shell_test::WriteFile(dataRoot_ / "scenes" / "bad.mis", "MISS\x10");
    SetUser(values::kScene, std::string("bad.mis"));
    const size_t boxes = boxes_.size();
    Pass(*app);
    EXPECT_EQ(boxes_.size(), boxes + 1); // the damaged file is reported
    EXPECT_EQ(GetScene()->title, "Default");
    EXPECT_EQ(GetWorld()->EntityCount(), 3);
}

TEST_F(LvSceneEngine, DamagedFilesAreNamedInABoxButNeverHoldTheScreenSaver) {
    WriteScenes();
    shell_test::WriteFile(dataRoot_ / "scenes" / "bad.mis", "MISS\x10");
    // A property file cut inside a record: what came before it stays.
    const auto planet = dataRoot_ / "properties" / "Planet.prp";
    std::filesystem::resize_file(planet, std::filesystem::file_size(planet) - 3);
    StartWith("bad.mis");

    // As the screensaver host's hack: the warnings go to stderr, input
    // still ends the saver, the default scene plays.
    testing::internal::CaptureStderr();
    {
        auto app = RunningDesktop({"--window-id", "0x2a"});
        EXPECT_EQ(GetScene()->title, "Default");
        EXPECT_EQ(GetWorld()->EntityCount(), 3);
    }
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(boxes_.empty());
    EXPECT_NE(err.find("properties\\Planet.prp"), std::string::npos) << err;
    EXPECT_NE(err.find("bad.mis"), std::string::npos) << err;

    // On the desktop the same two show as boxes.
    auto app = RunningDesktop();
    ASSERT_EQ(boxes_.size(), 2u);
    EXPECT_NE(boxes_[0].find("properties\\Planet.prp"), std::string::npos) << boxes_[0];
    EXPECT_NE(boxes_[1].find("bad.mis"), std::string::npos) << boxes_[1];
}

TEST_F(LvSceneEngine, ARecordPostedInAFrameArrivesInTheNextAndSurvivesAPause) {
    WriteScenes();
    StartWith("a.mis");
    uint32_t postedIn = 0;
    texts_.onText = [&] {
        postedIn = GetSceneClock().frame;
        PostSystemCommand(SystemCommandCode::GiveResources);
        PostSystemCommand(SystemCommandCode::UnitSwitchOn);
        PostSystemCommand(SystemCommandCode::DisplaySwitchOff);
        texts_.onText = nullptr;
    };
    auto app = RunningDesktop();
    EXPECT_EQ(postedIn, 0u);
    ASSERT_EQ(GetMessageQueue()->Count(), 3);
    EXPECT_EQ(GetMessageQueue()->At(0).frame, 1);
    EXPECT_EQ(Resources(0), 0.0f) << "never in the frame it was posted";

    // Paused passes make no frame: the records wait for frame 1.
    SetUser(values::kFreeze, 1u);
    Pass(*app, 3);
    EXPECT_EQ(app->FrameNumber(), 1u);
    EXPECT_EQ(GetMessageQueue()->Count(), 3);
    SetUser(values::kFreeze, 0u);
    Pass(*app);
    EXPECT_EQ(app->FrameNumber(), 2u);
    EXPECT_EQ(GetMessageQueue()->Count(), 0);
    for (int player = 0; player < kPlayerCount; ++player)
        EXPECT_EQ(Resources(player), kGivenResources) << player;
    EXPECT_EQ(GetSceneApplication().Switch(kUnitSwitchAction), 1);
    EXPECT_EQ(texts_.switchValue, 0);

    // A new scene starts with the unit switch off.
    SetUser(values::kScene, std::string("b.mis"));
    Pass(*app);
    EXPECT_EQ(GetSceneApplication().Switch(kUnitSwitchAction), 0);
}

TEST_F(LvSceneEngine, WhatWasQueuedForTheOldSceneIsDroppedByTheNew) {
    WriteScenes();
    StartWith("a.mis");
    texts_.onText = [&] {
        PostSystemCommand(SystemCommandCode::GiveResources);
        texts_.onText = nullptr;
    };
    auto app = RunningDesktop();
    ASSERT_EQ(GetMessageQueue()->Count(), 1);
    SetUser(values::kScene, std::string("b.mis"));
    Pass(*app, 3);
    EXPECT_EQ(GetScene()->title, "B");
    EXPECT_EQ(GetMessageQueue()->Count(), 0);
    EXPECT_EQ(Resources(0), 0.0f);
}

// The silent output of the test environment stands in for a sound card.
TEST_F(LvSceneEngine, SoundFollowsTheFramesTheScenesAndThePauses) {
    // A five-second hum that scene "a" plays as its scene sound.
    test::SoundFolder tones;
    tones.WriteWave("hum", {.frames = 5 * 22050});
    std::filesystem::create_directories(dataRoot_ / "sounds");
    std::filesystem::copy_file(tones.Sound("hum"), dataRoot_ / "sounds" / "hum");
    WriteScene({"a.mis", "A", 1, {{action::kSceneSound, "hum"}}});
    WriteScene({"b.mis", "B", 1, {}});
    SetUser(values::kVolume, 8u);
    StartWith("a.mis");
    auto app = RunningDesktop();

    SoundManager* sound = GetSoundManager();
    ASSERT_NE(sound, nullptr);
    ASSERT_TRUE(sound->IsOn());
    EXPECT_FLOAT_EQ(GetSoundLevels().sound, 0.8f);
    EXPECT_FLOAT_EQ(GetSoundLevels().announcement, 0.8f);
    int32_t hum = -1;
    for (int32_t i = 0; i < sound->SlotCount(); ++i)
        if (sound->SlotName(i) == "hum") hum = i;
    ASSERT_GE(hum, 0) << "the scene's trigger played it";
    EXPECT_TRUE(sound->IsPlaying(hum));

    // Every frame steps the manager: a fade-in rises with the frames.
    sound->ToggleSound(0, false);
    sound->ToggleSound(1, true);
    EXPECT_EQ(sound->MasterLevel(), 0.0f);
    Pass(*app, 3);
    EXPECT_GT(sound->MasterLevel(), 0.04f);
    EXPECT_LT(sound->MasterLevel(), 0.06f);

    // Pausing silences what plays; resuming brings the levels back.
    SetUser(values::kFreeze, 1u);
    Pass(*app);
    EXPECT_EQ(GetSoundLevels().sound, 0.0f);
    EXPECT_FALSE(sound->IsPlaying(hum));
    SetUser(values::kFreeze, 0u);
    Pass(*app);
    EXPECT_FLOAT_EQ(GetSoundLevels().sound, 0.8f);

    // A new scene stops the old one's sounds.
    sound->PlaySceneSound("hum");
    ASSERT_TRUE(sound->IsPlaying(hum));
    SetUser(values::kScene, std::string("b.mis"));
    Pass(*app);
    ASSERT_EQ(GetScene()->title, "B");
    EXPECT_FALSE(sound->IsPlaying(hum));

    app->Term();
    EXPECT_EQ(GetSoundManager(), nullptr);
}

TEST_F(LvSceneEngine, TriggersReachTheProgram) {
    SetMachine("Language", 2u); // cinematic scenes slow down in this language
    WriteScene({"a.mis",
                "A",
                1,
                {{action::kSettingsFlag, "SceneFlag"},
                 {action::kStateWord, ""},
                 {action::kCinematic, ""},
                 {action::kEndScene, "b.mis"}}});
    WriteScene({"b.mis", "B", 2, {{action::kEndScene, ""}}});
    StartWith("a.mis");
    auto app = RunningDesktop();
    EXPECT_EQ(GetScene()->title, "A");
    SettingsKey key;
    ASSERT_TRUE(key.OpenKeys());
    uint32_t flag = 0;
    EXPECT_TRUE(key.GetDword("SceneFlag", flag, KeyRoot::User));
    EXPECT_EQ(flag, 1u);
    EXPECT_EQ(app->StateWord(), 2);
    EXPECT_FLOAT_EQ(app->Clock().TimeScale(), 0.75f);
    EXPECT_TRUE(app->LoadRequested());
    EXPECT_FALSE(app->QuitPosted());

    // The requested scene loads at normal speed, and its end quits.
    Pass(*app);
    EXPECT_EQ(GetScene()->title, "B");
    EXPECT_FLOAT_EQ(app->Clock().TimeScale(), 1.0f);
    EXPECT_TRUE(app->QuitPosted());
    EXPECT_TRUE(app->Quitting());
}

TEST_F(LvSceneEngine, RandomPicksWithNoOneAndCaseTwinScenes) {
    auto app = RunningDesktop(); // no scene file at all
    EXPECT_EQ(GetWorld()->EntityCount(), 0);
    EXPECT_FALSE(app->LoadRequested());
    EXPECT_EQ(app->FrameNumber(), 1u);

    WriteScene({"a.mis", "A", 1, {{action::kShowText, "a-text"}}});
    SetUser(values::kRandomNow, uint8_t(1));
    Pass(*app);
    EXPECT_EQ(app->CurrentScene(), "a.mis");
    EXPECT_EQ(GetScene()->title, "A");
    // The only scene is picked again: it starts over.
    Pass(*app, 2);
    SetUser(values::kRandomNow, uint8_t(1));
    Pass(*app);
    EXPECT_EQ(app->FrameNumber(), 1u);
    EXPECT_EQ(texts_.shown, (std::vector<std::string>{"a-text", "a-text"}));

    // Its case twin is no other scene: the pick keeps the current one.
    WriteScene({"A.mis", "Twin", 2, {}});
    SetUser(values::kRandomNow, uint8_t(1));
    Pass(*app);
    EXPECT_EQ(app->CurrentScene(), "a.mis");
    EXPECT_EQ(app->FrameNumber(), 1u);
}

TEST_F(LvSceneEngine, TheProgramRunsItsScenesUntilExitAndTearsDown) {
    SetMachine("Logging", 1u);
    WriteScenes();
    StartWith("a.mis");
    useClock_.reset(); // the real clock: another thread ends the run
    DesktopApp app(EngineServices());
    // Exit comes after five frames, or after a while when the program
    // never gets that far (the checks below then fail instead of hanging).
    std::thread outsider([&] {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (display_.presents < 5 && std::chrono::steady_clock::now() < giveUp)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        OpenEvent(DesktopEvent::Exit)->Set();
    });
    EXPECT_EQ(app.InitInstance({"1a2b"}), 0);
    outsider.join();
    const std::string log = LogText();
    EXPECT_NE(log.find("Scene loaded: scenes\\a.mis"), std::string::npos) << log;
    EXPECT_NE(log.find("Exit event signaled"), std::string::npos) << log;
    EXPECT_NE(log.find("Term done"), std::string::npos) << log;
    EXPECT_EQ(texts_.shown, std::vector<std::string>{"Alpha"});
    EXPECT_GE(app.FrameNumber(), 5u);
    // The run's end takes a pause picture away with the device.
    EXPECT_EQ(texts_.removedOverlays.back(), "Pause");
    // Everything the engine made is gone and no longer installed.
    EXPECT_EQ(GetWorld(), nullptr);
    EXPECT_EQ(GetScene(), nullptr);
    EXPECT_EQ(GetModelLibrary(), nullptr);
    EXPECT_EQ(GetMessageQueue(), nullptr);
    EXPECT_EQ(PlayerAt(0), nullptr);
}
