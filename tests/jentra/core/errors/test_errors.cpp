// Error reporting: result names, the "Error" box text, and the fatal and
// warning boxes seen from a child process running headless.
#include "Jentra/JTErrors.h"
#include "Jentra/JTGame.h"
#include "Jentra/JTKeyboard.h"
#include "Jentra/JTMouse.h"
#include "Jentra/JTTransMap.h"
#include "platform/message_box.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

TEST(ErrorNames, EngineFacilityAndCommonCodes) {
    EXPECT_STREQ(DirectXErrorName(JT_UNSUPPORTED_ADAPTER), "JT_UNSUPPORTED_ADAPTER");
    EXPECT_STREQ(DirectXErrorName(JT_UNSUPPORTED_MODE), "JT_UNSUPPORTED_MODE");
    EXPECT_STREQ(DirectXErrorName(JT_FILE_NOT_FOUND), "JT_FILE_NOT_FOUND");
    EXPECT_STREQ(DirectXErrorName(static_cast<HRESULT>(0x86660003u)), "Unknown");
    // Facility 0x666 without the severity bit is still the engine's.
    EXPECT_STREQ(DirectXErrorName(static_cast<HRESULT>(0x06660000u)), "Unknown");
    EXPECT_STREQ(DirectXErrorName(S_OK), "S_OK");
    EXPECT_STREQ(DirectXErrorName(E_FAIL), "E_FAIL");
    EXPECT_STREQ(DirectXErrorName(E_OUTOFMEMORY), "E_OUTOFMEMORY");
    EXPECT_STREQ(DirectXErrorName(E_INVALIDARG), "E_INVALIDARG");
    EXPECT_STREQ(DirectXErrorName(E_NOTIMPL), "E_NOTIMPL");
    EXPECT_STREQ(DirectXErrorName(static_cast<HRESULT>(0x8876086Cu)), "D3DERR_INVALIDCALL");
    EXPECT_STREQ(DirectXErrorName(static_cast<HRESULT>(0x80041234u)), "Unknown");
    EXPECT_TRUE(FAILED(JT_FILE_NOT_FOUND));
    EXPECT_TRUE(SUCCEEDED(S_FALSE));
    static_assert(sizeof(HRESULT) == 4);
}

TEST(ErrorNames, DirectDrawNamesAreCutToTheBuffer) {
    char buffer[64];
    DirectDrawErrorName(0, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "DD_OK");
    DirectDrawErrorName(static_cast<HRESULT>(0x88760000u + 587), buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "DDERR_WRONGMODE");
    DirectDrawErrorName(static_cast<HRESULT>(0x88760000u + 560), buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "DDERR_XALIGN");
    DirectDrawErrorName(static_cast<HRESULT>(0x8876ABCDu), buffer, sizeof buffer);
    EXPECT_STREQ(buffer, ("Unknown Error #" + std::to_string(0xABCD)).c_str());
    char small[5] = {'x', 'x', 'x', 'x', 'x'};
    DirectDrawErrorName(static_cast<HRESULT>(0x8876ABCDu), small, sizeof small);
    EXPECT_STREQ(small, "Unkn");
    char untouched[2] = {'q', 'q'};
    DirectDrawErrorName(0, untouched, 0);
    DirectDrawErrorName(0, nullptr, 10);
    EXPECT_EQ(untouched[0], 'q');
}

TEST(ErrorBoxes, CheckHrNamesFileLineAndCodeThenGoesOn) {
    testing::internal::CaptureStderr();
    CheckHr(JT_UNSUPPORTED_MODE, "display.cpp", 12);
    std::string shown = testing::internal::GetCapturedStderr();
    EXPECT_NE(shown.find("Error"), std::string::npos);
    EXPECT_NE(shown.find("File: display.cpp\nLine: 12\nhr: JT_UNSUPPORTED_MODE"),
              std::string::npos);

    testing::internal::CaptureStderr();
    JT_CHECK_HR(S_OK);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    testing::internal::CaptureStderr();
    int line = __LINE__ + 1;
    JT_CHECK_HR(E_OUTOFMEMORY);
    shown = testing::internal::GetCapturedStderr();
    EXPECT_NE(shown.find("Line: " + std::to_string(line) + "\nhr: E_OUTOFMEMORY"),
              std::string::npos);
    EXPECT_NE(shown.find("test_errors.cpp"), std::string::npos);
}

void RunFatal() {
    static JTTransMap map;
    map.SetString(1, JTTransMap::Foreign, "Fatal caption");
    gpTransMap = &map;
    FatalErrorBox("The sound device could not be opened", "detail line");
}

TEST(ErrorBoxesDeathTest, FatalBoxPrintsAndExitsNonZero) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(RunFatal(), testing::ExitedWithCode(1),
                "Fatal caption.*The sound device could not be opened\ndetail line");
    // Without a translation table the caption is empty, never a crash.
    EXPECT_EXIT(FatalErrorBox("no table", nullptr), testing::ExitedWithCode(1), "no table");
}

bool gFocusSeen[2];
void RecordFocus(bool active) {
    gFocusSeen[active ? 1 : 0] = true;
}

TEST(ErrorBoxes, WarningOkReturnsAndRestoresFocus) {
    JTTransMap map;
    map.SetString(3, JTTransMap::Foreign, "Warning caption");
    JTTransMap* previous = gpTransMap;
    gpTransMap = &map;
    std::vector<platform::MessageBoxRequest> asked;
    auto previousHook = platform::SetMessageBoxHook([&](const platform::MessageBoxRequest& box) {
        asked.push_back(box);
        return platform::MessageBoxResult::Ok;
    });
    JTSetBoxFocusHook(RecordFocus);
    WarningBox("Low on memory", "go on?");
    WarningBox("No detail", nullptr);
    JTSetBoxFocusHook(nullptr);
    platform::SetMessageBoxHook(previousHook);
    gpTransMap = previous;
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].title, "Warning caption");
    EXPECT_EQ(asked[0].text, "Low on memory\ngo on?");
    EXPECT_EQ(asked[0].buttons, platform::MessageBoxButtons::OkCancel);
    EXPECT_EQ(asked[1].text, "No detail");
    EXPECT_TRUE(gFocusSeen[0]);
    EXPECT_TRUE(gFocusSeen[1]);
}

// What the game looked like while a box was up.
struct InputAtBox {
    bool active, mouseHeld, keysHeld;
};

TEST(ErrorBoxes, TheGameLetsGoOfTheMouseWhileABoxIsUp) {
    JTGame game;
    JTMouse mouse;
    JTKeyboard keyboard;
    mouse.Init();
    keyboard.Init();
    game.SetAppActive(true);
    gpJTGame = &game;
    gpJTMouse = &mouse;
    gpJTKeyboard = &keyboard;
    std::vector<InputAtBox> seen;
    auto previousHook = platform::SetMessageBoxHook([&](const platform::MessageBoxRequest&) {
        seen.push_back({game.IsAppActive(), mouse.IsAcquired(), keyboard.IsAcquired()});
        return platform::MessageBoxResult::Ok;
    });
    ASSERT_TRUE(mouse.IsAcquired());
    WarningBox("Low on memory", nullptr);
    // OK gives the game back what it had.
    EXPECT_TRUE(game.IsAppActive());
    EXPECT_TRUE(mouse.IsAcquired());
    // A box shown while the game is in the background leaves it there.
    game.SetAppActive(false);
    mouse.SyncAcquire(true);
    WarningBox("Again", nullptr);
    EXPECT_FALSE(game.IsAppActive());
    EXPECT_FALSE(mouse.IsAcquired());
    platform::SetMessageBoxHook(previousHook);
    gpJTGame = nullptr;
    gpJTMouse = nullptr;
    gpJTKeyboard = nullptr;
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_FALSE(seen[0].active);
    EXPECT_FALSE(seen[0].mouseHeld);
    EXPECT_FALSE(seen[0].keysHeld);
}

void FatalWhileHoldingTheMouse() {
    static JTMouse mouse;
    mouse.Init();
    gpJTMouse = &mouse;
    platform::SetMessageBoxHook([](const platform::MessageBoxRequest&) {
        std::fprintf(stderr, "mouse held at the box: %d\n", int(gpJTMouse->IsAcquired()));
        return platform::MessageBoxResult::Ok;
    });
    FatalErrorBox("broken", nullptr);
}

TEST(ErrorBoxesDeathTest, TheFatalBoxIsReachableWithTheMouse) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(FatalWhileHoldingTheMouse(), testing::ExitedWithCode(1),
                "mouse held at the box: 0");
}

void CancelWarning() {
    platform::SetMessageBoxHook(
        [](const platform::MessageBoxRequest&) { return platform::MessageBoxResult::Cancel; });
    WarningBox("Quit?", nullptr);
    std::fprintf(stderr, "still running\n");
    std::_Exit(3);
}

TEST(ErrorBoxesDeathTest, WarningCancelEndsTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(CancelWarning(), testing::ExitedWithCode(0), "^$");
}

} // namespace
