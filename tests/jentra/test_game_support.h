// Shared by the application frame tests: a sample game that runs frames of
// 16 ms on a stepped clock and lets a test script each frame, and helpers
// that push window events.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "Jentra/JTFrameClock.h"
#include "Jentra/JTGame.h"
#include "Jentra/JTKeyboard.h"
#include "Jentra/JTMouse.h"
#include "Jentra/JTEventQueue.h"
#include "Jentra/core/input/key_table.h"
#include "platform/clock.h"
#include "platform/events.h"

namespace game_test {

inline platform::TestClock gClock(1000);

inline std::string UniqueKey() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string("Quellmar\\JentraTest\\") + info->test_suite_name() + "." + info->name();
}

inline void PushKey(int dik, bool down) {
    platform::Event e;
    e.type = down ? platform::EventType::KeyDown : platform::EventType::KeyUp;
    e.key.scancode = JTScancodeFromDik(dik);
    JTEventQueue().Push(e);
}

inline void PushType(platform::EventType type) {
    platform::Event e;
    e.type = type;
    JTEventQueue().Push(e);
}

// A game that runs frames of 16 ms (or frameMs) on its clock and lets a test
// script what happens in each frame.
class SampleGame : public JTGame {
public:
    explicit SampleGame(std::string key) : m_key(std::move(key)) {}
    const char* GetRegKey() override { return m_key.c_str(); }
    const char* GetAppName() override { return "Sample"; }

    std::function<void(SampleGame&, int frame)> onFrame;
    std::vector<uint32_t> realTimes, gameTimes;
    platform::TestClock* clock = &gClock;
    uint32_t frameMs = 16;
    int frames = 0;
    bool initialSceneBuilt = false;
    bool quitAtStart = false;

protected:
    void InitialScene() override {
        initialSceneBuilt = gpJTKeyboard && gpJTMouse && gpJTIDMap;
        if (quitAtStart) PushType(platform::EventType::Quit);
    }
    void Update() override {
        realTimes.push_back(gdwRealTime);
        gameTimes.push_back(gdwTime);
        if (onFrame) onFrame(*this, frames);
        ++frames;
        clock->AdvanceMilliseconds(frameMs);
        // A runaway loop would otherwise never end the test.
        if (frames > 10000) PushType(platform::EventType::Quit);
    }

private:
    std::string m_key;
};

class Game : public ::testing::Test {
protected:
    void SetUp() override {
        gClock.SetMilliseconds(1000);
        platform::SetCurrentClock(&gClock);
        JTEventQueue().Clear();
        JTResetFrameClock();
        gfNetwork = false;
    }
    void TearDown() override {
        platform::SetCurrentClock(nullptr);
        JTEventQueue().Clear();
        JTResetFrameClock();
        gfNetwork = false;
    }
};

// Presses Shift+Escape at the given frame.
inline void QuitAtFrame(int frame, int quitFrame) {
    if (frame == quitFrame) {
        PushKey(DIK_LSHIFT, true);
        PushKey(DIK_ESCAPE, true);
    }
}

} // namespace game_test
