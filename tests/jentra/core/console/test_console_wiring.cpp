// The console with the engine around it: the keyboard's Ctrl + grave accent
// opens and closes it and hands the keyboard over, and "create" puts an
// entity with its model into the game's main scene.
#include "tests/jentra/test_protobase_support.h"

#include "Jentra/JTConsole.h"
#include "Jentra/JTGame.h"
#include "Jentra/JTKeyboard.h"
#include "Jentra/JTScene.h"

namespace {

class ConsoleKeyboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        keyboard.Init();
        for (int i = 0; i < JTKeyboard::kSettlePolls; ++i)
            keyboard.Poll();
        gpJTKeyboard = &keyboard;
    }
    void TearDown() override { gpJTKeyboard = nullptr; }

    // One frame in which the keys go down (and are then released again).
    void PressInOneFrame(std::initializer_list<int> keys) {
        for (int key : keys)
            keyboard.OnKey(key, true);
        keyboard.Poll();
        console.Update();
        for (int key : keys)
            keyboard.OnKey(key, false);
        keyboard.Poll();
        console.Update();
    }

    JTKeyboard keyboard;
    JTConsole console;
};

TEST_F(ConsoleKeyboardTest, CtrlGraveOpensAndClosesAndCapturesTheKeyboard) {
    PressInOneFrame({DIK_LCONTROL, DIK_GRAVE});
    EXPECT_TRUE(console.IsOpen());
    EXPECT_TRUE(keyboard.IsCaptured());
    // The game no longer sees keys, the console still sees its own.
    keyboard.OnKey(DIK_P, true);
    keyboard.Poll();
    EXPECT_FALSE(keyboard.KeyPress(DIK_P, JTMOD_NONE));
    keyboard.OnKey(DIK_P, false);

    PressInOneFrame({DIK_RCONTROL, DIK_GRAVE});
    EXPECT_FALSE(console.IsOpen());
    EXPECT_FALSE(keyboard.IsCaptured());
}

TEST_F(ConsoleKeyboardTest, OnlyExactlyCtrlToggles) {
    PressInOneFrame({DIK_GRAVE});
    EXPECT_FALSE(console.IsOpen());
    PressInOneFrame({DIK_LCONTROL, DIK_LSHIFT, DIK_GRAVE});
    EXPECT_FALSE(console.IsOpen());
    EXPECT_FALSE(keyboard.IsCaptured());
}

TEST_F(ConsoleKeyboardTest, TypedCharactersReachTheOpenConsoleFirst) {
    gpJTConsole = &console;
    keyboard.ProcessChar('a');
    EXPECT_STREQ(console.GetText(), "");
    console.SetOpen(true);
    for (char c : std::string("ab\b`\x1b\r"))
        keyboard.ProcessChar(static_cast<unsigned char>(c));
    // The grave accent and Escape went on to the focus object instead.
    EXPECT_STREQ(console.GetText(), "a\n-UNRECOGNIZED COMMAND-\n");
    gpJTConsole = nullptr;
}

// A game whose main scene is one the test owns.
class SceneGame : public JTGame {
public:
    JTScene* scene = nullptr;
    JTScene* GetMainScene() override { return scene; }
};

class ConsoleCreateTest : public ProtobaseTest {
protected:
    void SetUp() override {
        ProtobaseTest::SetUp();
        db = std::make_unique<JTProtobase>();
        gpJTProtobase = db.get();
        gpJTGame = &game;
        console.SetOpen(true);
    }
    void TearDown() override {
        delete game.scene;
        gpJTGame = nullptr;
        gpJTProtobase = nullptr;
        db.reset();
        ProtobaseTest::TearDown();
    }
    void Type(const char* keys) {
        for (const char* c = keys; *c; ++c)
            console.ProcessChar(*c);
    }

    SceneGame game;
    std::unique_ptr<JTProtobase> db;
    JTConsole console;
};

TEST_F(ConsoleCreateTest, CreatePutsTheModelIntoTheMainScene) {
    WriteModel("lamp.jtm");
    game.scene = new JTScene();
    Type("create lamp.jtm\n");
    EXPECT_NE(std::string(console.GetText()).find("-CREATE: \"lamp.jtm\"\n"), std::string::npos);
    game.scene->PostFrameUpdate();
    ASSERT_EQ(game.scene->GetNumChildren(), 1);
    JTEntity* entity = game.scene->GetChild(0);
    ASSERT_EQ(entity->GetNumChildren(), 1);
    EXPECT_STREQ(entity->GetChild(0)->GetName(), "lamp.jtm");
}

TEST_F(ConsoleCreateTest, CreateOfAMissingModelFailsAndAddsNothing) {
    game.scene = new JTScene();
    Type("create nothing.jtm\n");
    EXPECT_NE(std::string(console.GetText()).find("-CREATE FAILED: \"nothing.jtm\"\n"),
              std::string::npos);
    game.scene->PostFrameUpdate();
    EXPECT_EQ(game.scene->GetNumChildren(), 0);
}

TEST_F(ConsoleCreateTest, CreateWithoutAMainSceneFails) {
    WriteModel("lamp.jtm");
    Type("create lamp.jtm\n");
    EXPECT_NE(std::string(console.GetText()).find("-CREATE FAILED: \"lamp.jtm\"\n"),
              std::string::npos);
}

} // namespace
