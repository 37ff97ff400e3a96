// The frame's input and scenes: window events through the message loop reach
// the keyboard and mouse with the engine's codes and buttons, a focus holder
// takes the typed characters and hides the keys, losing the window's focus
// forgets held keys, and the scene list updates and applies additions.
#include <cstring>
#include <vector>

#include "Jentra/JTEntity.h"
#include "Jentra/JTMessages.h"
#include "Jentra/JTScene.h"
#include "tests/jentra/test_game_support.h"

using namespace game_test;

namespace {

class GameInput : public ::testing::Test {
protected:
    void SetUp() override {
        gClock.SetMilliseconds(1000);
        platform::SetCurrentClock(&gClock);
        JTEventQueue().Clear();
        JTResetFrameClock();
    }
    void TearDown() override {
        platform::SetCurrentClock(nullptr);
        JTEventQueue().Clear();
        JTResetFrameClock();
    }
};

void PushMouse(platform::EventType type, int button, int dx = 0, int dy = 0, int wheel = 0) {
    platform::Event e;
    e.type = type;
    e.button.button = static_cast<uint8_t>(button);
    e.motion.dx = dx;
    e.motion.dy = dy;
    e.wheel.dy = wheel;
    JTEventQueue().Push(e);
}

TEST_F(GameInput, MouseEventsReachTheMouseWithEngineButtons) {
    SampleGame game(UniqueKey());
    struct Seen {
        bool rightPressed = false, leftDown = false, middleReleased = false;
        int relX = 0, relY = 0, relZ = 0;
    } seen;
    game.onFrame = [&seen](SampleGame&, int f) {
        JTMouse* m = gpJTMouse;
        if (f == 4) {
            PushMouse(platform::EventType::MouseButtonDown, platform::MouseRight);
            PushMouse(platform::EventType::MouseMove, 0, 5, -3);
            PushMouse(platform::EventType::MouseMove, 0, 2, 1);
            PushMouse(platform::EventType::MouseWheel, 0, 0, 0, 2);
        }
        if (f == 5) {
            seen.rightPressed = m->Pressed(1);
            seen.relX = m->GetRelX();
            seen.relY = m->GetRelY();
            seen.relZ = m->GetRelZ();
            PushMouse(platform::EventType::MouseButtonDown, platform::MouseLeft);
            PushMouse(platform::EventType::MouseButtonDown, platform::MouseMiddle);
            PushMouse(platform::EventType::MouseButtonUp, platform::MouseMiddle);
        }
        if (f == 6) {
            seen.leftDown = m->Down(0) && m->Down(1); // right still held
            seen.middleReleased = m->Released(2) && m->Pressed(2);
        }
        QuitAtFrame(f, 7);
    };
    char cmd[] = "";
    ASSERT_EQ(game.WinMain(nullptr, cmd), 0);
    EXPECT_TRUE(seen.rightPressed);
    EXPECT_EQ(seen.relX, 7);
    EXPECT_EQ(seen.relY, -2);
    EXPECT_EQ(seen.relZ, 240);
    EXPECT_TRUE(seen.leftDown);
    EXPECT_TRUE(seen.middleReleased);
}

// An object that can hold the keyboard focus and records its messages.
class TextHolder : public JTUnknown {
public:
    TextHolder() : comm(this) {}
    unsigned Message(JTID*, JTID*, unsigned msg, void* data) override {
        if (msg == JTMSG_CHAR)
            chars.push_back(static_cast<int>(reinterpret_cast<uintptr_t>(data)));
        else
            messages.push_back(msg);
        return 1;
    }
    JTCommunicator comm;
    std::vector<int> chars;
    std::vector<unsigned> messages;
};

TEST_F(GameInput, FocusHolderGetsCharactersWhileTheGameSeesNoKeys) {
    SampleGame game(UniqueKey());
    TextHolder holder;
    std::vector<bool> gameSawKey;
    game.onFrame = [&](SampleGame&, int f) {
        JTKeyboard* kb = gpJTKeyboard;
        if (f == 4) {
            gpJTIDMap->Add(&holder.comm.id, &holder);
            kb->SetFocus(&holder.comm.id);
            PushKey(DIK_H, true);
            platform::Event text;
            text.type = platform::EventType::TextInput;
            std::strcpy(text.text, "h\xC3\xA9\xE2\x82\xAC"); // h, e-acute, euro sign
            JTEventQueue().Push(text);
            PushKey(DIK_RETURN, true);
        }
        if (f == 5) gameSawKey.push_back(kb->KeyPress(DIK_H, -1) || kb->KeyDown(DIK_RETURN, -1));
        if (f == 6) {
            kb->SetFocus(nullptr);
            gpJTIDMap->Remove(&holder.comm.id);
            PushKey(DIK_H, false);
            PushKey(DIK_H, true);
        }
        if (f == 7) gameSawKey.push_back(kb->KeyPress(DIK_H, 0));
        QuitAtFrame(f, 8);
    };
    char cmd[] = "";
    ASSERT_EQ(game.WinMain(nullptr, cmd), 0);
    ASSERT_EQ(gameSawKey.size(), 2u);
    EXPECT_FALSE(gameSawKey[0]);
    EXPECT_TRUE(gameSawKey[1]);
    // Return types a line feed; the euro sign has no single byte.
    EXPECT_EQ(holder.chars, (std::vector<int>{'h', 0xE9, 10}));
    EXPECT_EQ(holder.messages, (std::vector<unsigned>{JTMSG_SETFOCUS, JTMSG_KILLFOCUS}));
}

TEST_F(GameInput, LosingTheWindowForgetsHeldKeys) {
    SampleGame game(UniqueKey());
    std::vector<bool> held;
    game.onFrame = [&held](SampleGame&, int f) {
        JTKeyboard* kb = gpJTKeyboard;
        if (f == 4) PushKey(DIK_W, true);
        if (f == 5) {
            held.push_back(kb->KeyDown(DIK_W, 0));
            PushType(platform::EventType::FocusLost);
            PushType(platform::EventType::FocusGained);
        }
        if (f >= 6 && f <= 10) held.push_back(kb->KeyDown(DIK_W, -1));
        QuitAtFrame(f, 10);
    };
    char cmd[] = "";
    ASSERT_EQ(game.WinMain(nullptr, cmd), 0);
    // The key-up happened in another window; W stays forgotten.
    EXPECT_EQ(held, (std::vector<bool>{true, false, false, false, false, false}));
}

TEST_F(GameInput, ScenesUpdateAndTakeInTheirEntitiesAtFrameEnd) {
    SampleGame game(UniqueKey());
    auto* live = new JTScene();
    auto* frozen = new JTScene();
    frozen->SetUpdating(false);
    game.AddScene(live);
    game.AddScene(frozen);
    std::vector<int> liveChildren, frozenChildren;
    game.onFrame = [&](SampleGame&, int f) {
        liveChildren.push_back(live->GetNumChildren());
        frozenChildren.push_back(frozen->GetNumChildren());
        if (f == 2) {
            live->Add(new JTEntity());
            frozen->Add(new JTEntity());
        }
        QuitAtFrame(f, 5);
    };
    char cmd[] = "";
    ASSERT_EQ(game.WinMain(nullptr, cmd), 0);
    EXPECT_EQ(liveChildren[2], 0);
    EXPECT_EQ(liveChildren[3], 1);   // entered at the end of frame 2
    EXPECT_EQ(frozenChildren[6], 0); // a scene that does not update takes in nothing
    game.RemoveScene(live);
    game.RemoveScene(frozen);
    delete live;
    delete frozen;
}

} // namespace
