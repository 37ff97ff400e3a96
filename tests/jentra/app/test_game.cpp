// The application frame: a sample game runs headless frames on a stepped
// clock, reacts to the global keys, quits on Shift+Escape and tears the
// engine's services down; start-up helpers (paths, memory, command line,
// single instance) and the scene and dialog lists.
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

#include <unistd.h>

#include "Jentra/JTAudio.h"
#include "Jentra/JTDisplay.h"
#include "Jentra/JTMusic.h"
#include "Jentra/JTRegistry.h"
#include "Jentra/JTTransMap.h"
#include "platform/window.h"
#include "tests/jentra/test_game_support.h"

using namespace game_test;

namespace {

TEST_F(Game, RunsFramesAndQuitsOnShiftEscape) {
    auto* game = new SampleGame(UniqueKey());
    gpJTGame = game;
    game->onFrame = [](SampleGame&, int f) { QuitAtFrame(f, 20); };
    char cmd[] = "";
    EXPECT_EQ(game->WinMain(nullptr, cmd), 0);
    EXPECT_TRUE(game->initialSceneBuilt);
    EXPECT_NE(gpJTAudio, nullptr);
    EXPECT_NE(gpMusic, nullptr);
    EXPECT_NE(gpRegistry, nullptr);
    EXPECT_NE(gpTransMap, nullptr);
    // The keys go down after frame 20; frame 21 polls them and quits.
    EXPECT_EQ(game->frames, 22);
    EXPECT_EQ(gnFrame, 22);
    // First frame counts 1 ms, every later one the 16 ms the clock moved.
    EXPECT_EQ(game->realTimes[0], 1u);
    EXPECT_EQ(game->realTimes[21], 1u + 21u * 16u);
    EXPECT_EQ(game->gameTimes[21], game->realTimes[21]);
    EXPECT_EQ(gpJTIDMap->Find(&game->GetCommunicator()->id), game);
    delete game;
    gpJTGame = nullptr;
    EXPECT_EQ(gpJTKeyboard, nullptr);
    EXPECT_EQ(gpJTMouse, nullptr);
    EXPECT_EQ(gpJTIDMap, nullptr);
    EXPECT_EQ(gpRouter, nullptr);
    EXPECT_EQ(gpJTAudio, nullptr);
    EXPECT_EQ(gpMusic, nullptr);
    EXPECT_EQ(gpRegistry, nullptr);
    EXPECT_EQ(gpTransMap, nullptr);
}

TEST_F(Game, EscapeWithoutShiftOrWithMoreModifiersDoesNotQuit) {
    auto* game = new SampleGame(UniqueKey());
    game->onFrame = [](SampleGame&, int f) {
        if (f == 5) PushKey(DIK_ESCAPE, true);
        if (f == 6) PushKey(DIK_ESCAPE, false);
        if (f == 8) {
            PushKey(DIK_LSHIFT, true);
            PushKey(DIK_LCONTROL, true);
            PushKey(DIK_ESCAPE, true);
        }
        if (f == 10) {
            PushKey(DIK_ESCAPE, false);
            PushKey(DIK_LCONTROL, false);
        }
        if (f == 12) PushKey(DIK_ESCAPE, true); // Shift still held
    };
    char cmd[] = "";
    EXPECT_EQ(game->WinMain(nullptr, cmd), 0);
    EXPECT_EQ(game->frames, 14);
    delete game;
}

TEST_F(Game, PauseKeyStopsGameTimeButNotRealTime) {
    auto* game = new SampleGame(UniqueKey());
    game->onFrame = [](SampleGame&, int f) {
        if (f == 5) PushKey(DIK_P, true);
        if (f == 6) PushKey(DIK_P, false);
        if (f == 9) {
            EXPECT_TRUE(gfPause);
        }
        if (f == 10) PushKey(DIK_PAUSE, true); // the Pause key toggles back
        if (f == 12) {
            EXPECT_FALSE(gfPause);
        }
        QuitAtFrame(f, 15);
    };
    char cmd[] = "";
    ASSERT_EQ(game->WinMain(nullptr, cmd), 0);
    // Paused from frame 6 (the press is polled there) until frame 11.
    EXPECT_EQ(game->gameTimes[7], game->gameTimes[11]);
    EXPECT_EQ(game->realTimes[11] - game->realTimes[7], 4u * 16u);
    EXPECT_EQ(game->gameTimes[14] - game->gameTimes[12], 2u * 16u);
    delete game;
}

TEST_F(Game, PauseKeyIsRefusedInANetworkGame) {
    gfNetwork = true;
    auto* game = new SampleGame(UniqueKey());
    game->onFrame = [](SampleGame&, int f) {
        if (f == 5) PushKey(DIK_P, true);
        QuitAtFrame(f, 8);
    };
    char cmd[] = "";
    ASSERT_EQ(game->WinMain(nullptr, cmd), 0);
    EXPECT_FALSE(gfPause);
    EXPECT_EQ(game->gameTimes[8] - game->gameTimes[6], 2u * 16u);
    delete game;
}

TEST_F(Game, PrintScreenCountsDownTwoFrames) {
    // The screenshot goes to a desktop of this test's own.
    const std::filesystem::path desktop =
        std::filesystem::temp_directory_path() / ("jentra-desktop-" + std::to_string(getpid()));
    std::filesystem::create_directories(desktop);
    const char* before = std::getenv("XDG_DESKTOP_DIR");
    const std::string saved = before ? before : "";
    setenv("XDG_DESKTOP_DIR", desktop.c_str(), 1);
    auto* game = new SampleGame(UniqueKey());
    gpJTGame = game; // the screenshot is named after it
    std::vector<int> countdown;
    game->onFrame = [&countdown](SampleGame& g, int f) {
        countdown.push_back(g.GetScreenshotCountdown());
        if (f == 4) PushKey(DIK_SYSRQ, true);
        QuitAtFrame(f, 9);
    };
    char cmd[] = "";
    ASSERT_EQ(game->WinMain(nullptr, cmd), 0);
    EXPECT_EQ(countdown[5], 0);
    EXPECT_EQ(countdown[6], 2);
    EXPECT_EQ(countdown[7], 1);
    EXPECT_EQ(countdown[8], 0);
    delete game;
    gpJTGame = nullptr;
    EXPECT_TRUE(std::filesystem::exists(desktop / "Sample 0000.bmp"));
    std::filesystem::remove_all(desktop);
    if (before)
        setenv("XDG_DESKTOP_DIR", saved.c_str(), 1);
    else
        unsetenv("XDG_DESKTOP_DIR");
}

TEST_F(Game, NoFramesWhileInactiveAndTheReturnIsClamped) {
    auto* game = new SampleGame(UniqueKey());
    std::thread waker;
    game->onFrame = [&waker](SampleGame& g, int f) {
        if (f == 5) {
            PushType(platform::EventType::FocusLost);
            waker = std::thread([&g] {
                while (g.IsAppActive())
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                gClock.AdvanceMilliseconds(10000); // ten seconds away
                std::this_thread::sleep_for(std::chrono::milliseconds(30));
                PushType(platform::EventType::FocusGained);
            });
        }
        if (f == 6) {
            EXPECT_NEAR(dtReal, 0.05f, 1e-6f);
        }
        QuitAtFrame(f, 12);
    };
    char cmd[] = "";
    ASSERT_EQ(game->WinMain(nullptr, cmd), 0);
    waker.join();
    EXPECT_EQ(game->realTimes[6] - game->realTimes[5], 50u);
    EXPECT_EQ(game->frames, 14);
    delete game;
}

TEST_F(Game, AltSpaceBringsUpTheEditorWindowOnlyWhileTheKeysAreFreeAndClosingItEndsNothing) {
    platform::WindowDesc desc;
    desc.hidden = true;
    desc.width = 64;
    desc.height = 64;
    auto* game = new SampleGame(UniqueKey());
    std::unique_ptr<platform::Window> editor;
    std::vector<bool> visible;
    // Raised in front of the display, with the pointer in the display's middle.
    std::vector<bool> raised;
    int pointerX = -1, pointerY = -1, middleX = 0, middleY = 0;
    auto look = [&] {
        visible.push_back(editor->IsVisible());
        raised.push_back(platform::RaisedWindowId() == editor->Id());
    };
    game->onFrame = [&](SampleGame&, int f) {
        if (f == 0) {
            // The window layer is up once the game runs.
            editor = platform::Window::Create(desc);
            ASSERT_NE(editor, nullptr);
            ghwndEditor = editor.get();
        }
        if (f == 4) {
            gpJTKeyboard->Capture(); // a text control has the keys
            PushKey(DIK_LMENU, true);
            PushKey(DIK_SPACE, true);
        }
        if (f == 6) {
            look();
            gpJTKeyboard->Uncapture();
            PushKey(DIK_SPACE, false);
            PushKey(DIK_LSHIFT, true); // Alt+Shift+Space is not the key
            PushKey(DIK_SPACE, true);
        }
        if (f == 8) {
            look();
            PushKey(DIK_SPACE, false);
            PushKey(DIK_LSHIFT, false);
            PushKey(DIK_SPACE, true);
        }
        if (f == 10) {
            look();
            platform::Window* display = gpJTDisplay->GetHwnd();
            middleX = display->Width() / 2;
            middleY = display->Height() / 2;
            display->PointerPosition(pointerX, pointerY);
            PushKey(DIK_LMENU, false);
            // Closing the editor leaves the game running.
            platform::Event close;
            close.type = platform::EventType::WindowClose;
            close.windowId = editor->Id();
            JTEventQueue().Push(close);
        }
        QuitAtFrame(f, 12);
    };
    char cmd[] = "";
    EXPECT_EQ(game->WinMain(nullptr, cmd), 0);
    ghwndEditor = nullptr;
    EXPECT_EQ(visible, (std::vector<bool>{false, false, true}));
    EXPECT_EQ(raised, (std::vector<bool>{false, false, true}));
    EXPECT_EQ(pointerX, middleX);
    EXPECT_EQ(pointerY, middleY);
    EXPECT_EQ(game->frames, 14);
    editor.reset();
    delete game;
}

TEST_F(Game, TextsComeFromTheProgramFolderWhateverTheCurrentFolder) {
    // Started from another folder, the game still finds its translation file.
    const std::filesystem::path before = std::filesystem::current_path();
    const std::filesystem::path elsewhere =
        std::filesystem::temp_directory_path() / ("jentra-cwd-" + std::to_string(getpid()));
    std::filesystem::create_directories(elsewhere);
    std::filesystem::current_path(elsewhere);
    SampleGame game(UniqueKey());
    const bool started = game.Init();
    std::filesystem::current_path(before);
    std::filesystem::remove_all(elsewhere);
    ASSERT_TRUE(started);
    ASSERT_NE(gpTransMap, nullptr);
    EXPECT_GT(gpTransMap->GetRowCount(), 0);
    EXPECT_STRNE(gpTransMap->GetDefaultString(5058), "");
}

class RecordingDialog : public JTModeless {
public:
    bool TakeEvent(const platform::Event& e) override {
        // Only keys: the window's own events (its size as the display takes
        // the screen) are not what this dialog is about.
        if (e.type == platform::EventType::KeyDown || e.type == platform::EventType::KeyUp)
            seen.push_back(e.type);
        return e.type == platform::EventType::KeyDown; // it keeps the keys
    }
    std::vector<platform::EventType> seen;
};

TEST_F(Game, DialogsTakeEventsFirstButNeverTheQuit) {
    auto* game = new SampleGame(UniqueKey());
    RecordingDialog dialog;
    game->AddModeless(&dialog);
    game->onFrame = [](SampleGame&, int f) {
        if (f == 4) {
            PushKey(DIK_LSHIFT, true); // taken by the dialog: no quit
            PushKey(DIK_ESCAPE, true);
        }
        if (f == 8) PushType(platform::EventType::Quit);
    };
    char cmd[] = "";
    ASSERT_EQ(game->WinMain(nullptr, cmd), 0);
    EXPECT_EQ(game->frames, 9);
    ASSERT_EQ(dialog.seen.size(), 2u);
    EXPECT_EQ(dialog.seen[0], platform::EventType::KeyDown);
    game->RemoveModeless(&dialog);
    delete game;
}

TEST_F(Game, CommandLineWordsAreCaseSensitiveSubstrings) {
    struct Case {
        const char* cmd;
        bool patched, noSplash;
    } cases[] = {{"-x unpatchedly", true, false},
                 {"PATCHED NOSPLASH", false, false},
                 {"nosplash patched", true, true},
                 {"", false, false}};
    for (const Case& c : cases) {
        SampleGame game(UniqueKey());
        game.quitAtStart = true;
        std::string cmd = c.cmd;
        EXPECT_EQ(game.WinMain(nullptr, cmd.data()), 0);
        EXPECT_EQ(game.IsPatched(), c.patched) << c.cmd;
        EXPECT_EQ(game.IsNoSplash(), c.noSplash) << c.cmd;
        EXPECT_STREQ(game.GetCmdLine(), cmd.c_str());
    }
}

TEST_F(Game, SecondInstanceOfTheSameGameIsRefused) {
    SampleGame first(UniqueKey());
    ASSERT_TRUE(first.Init());
    JTTransMap* firstTable = gpTransMap;
    SampleGame second(UniqueKey());
    second.quitAtStart = true;
    char cmd[] = "";
    EXPECT_NE(second.WinMain(nullptr, cmd), 0);
    EXPECT_FALSE(second.initialSceneBuilt);
    // The refused game leaves the running one's services alone.
    EXPECT_NE(gpJTKeyboard, nullptr);
    EXPECT_EQ(gpTransMap, firstTable);
    // It asked the running one to come forward, which it does once.
    EXPECT_TRUE(first.AnswerRaiseRequests());
    EXPECT_FALSE(first.AnswerRaiseRequests());
}

TEST_F(Game, GameMadeByClassNameOwnsNothing) {
    ASSERT_NE(JTGame::nType, JTUnknown::nType);
    EXPECT_EQ(JTKeyboard::nType, JTGame::nType + 1);
    EXPECT_EQ(JTUnknown::LookupTypeName("jtgame"), JTGame::nType);
    JTUnknown* made = JTUnknown::Create(JTGame::nType);
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->IsDerived(JTGame::nType));
    EXPECT_STREQ(made->ClassName(), "JTGame");
    EXPECT_EQ(static_cast<JTGame*>(made)->Message(nullptr, nullptr, 7, nullptr), 0u);
    delete made; // never started: tears nothing down
}

TEST(GameStartup, ProgramPathsAndDebugReleaseFolders) {
    char name[64], path[64], work[64];
    JTGame::SplitProgramPath("/opt/q/bin/Release/Rookfall", name, path, work, 64);
    EXPECT_STREQ(name, "Rookfall");
    EXPECT_STREQ(path, "/opt/q/bin/Release");
    EXPECT_STREQ(work, "/opt/q/bin");
    JTGame::SplitProgramPath("C:\\Games\\Chess\\DEBUG\\rookfall.exe", name, path, work, 64);
    EXPECT_STREQ(name, "rookfall.exe");
    EXPECT_STREQ(path, "C:\\Games\\Chess\\DEBUG");
    EXPECT_STREQ(work, "C:\\Games\\Chess");
    JTGame::SplitProgramPath("/opt/q/notrelease/game", name, path, work, 64);
    EXPECT_STREQ(work, "/opt/q/notrelease");
    JTGame::SplitProgramPath("game", name, path, work, 64);
    EXPECT_STREQ(name, "game");
    EXPECT_STREQ(path, "");
    EXPECT_STREQ(work, "");
    // Too long for the buffers: cut, never overrun.
    std::string longName = "/" + std::string(100, 'a') + "/x";
    JTGame::SplitProgramPath(longName.c_str(), name, path, work, 8);
    EXPECT_EQ(std::strlen(path), 7u);
}

TEST(GameStartup, MemorySizeIs64BitClean) {
    EXPECT_FALSE(JTGame::IsLowMemory(66060288));
    EXPECT_TRUE(JTGame::IsLowMemory(66060287));
    EXPECT_FALSE(JTGame::IsLowMemory(16ull << 30)); // 16 GiB
    EXPECT_FALSE(JTGame::IsLowMemory(4ull << 30));  // exactly 2^32 bytes
    EXPECT_GT(JTGame::QueryPhysicalMemory(), 0u);
}

TEST(GameLists, ScenesKeepOrderThroughInsertAndRemove) {
    JTGame game;
    JTScene* s[4];
    for (int i = 0; i < 4; ++i)
        s[i] = reinterpret_cast<JTScene*>(uintptr_t(0x1000 * (i + 1)));
    game.AddScene(s[0]);
    game.AddScene(s[1]);
    game.InsertScene(0, s[2]);
    game.InsertScene(3, s[3]);
    game.InsertScene(7, s[3]); // out of range: ignored
    ASSERT_EQ(game.GetNumScenes(), 4);
    EXPECT_EQ(game.GetScene(0), s[2]);
    EXPECT_EQ(game.GetScene(1), s[0]);
    EXPECT_EQ(game.GetScene(3), s[3]);
    game.AddScene(s[0]);
    game.RemoveScene(s[0]); // the first occurrence only
    ASSERT_EQ(game.GetNumScenes(), 4);
    EXPECT_EQ(game.GetScene(1), s[1]);
    EXPECT_EQ(game.GetScene(3), s[0]);
    game.RemoveScene(reinterpret_cast<JTScene*>(uintptr_t(0x9000)));
    EXPECT_EQ(game.GetNumScenes(), 4);
    EXPECT_EQ(game.GetScene(4), nullptr);
}

} // namespace
