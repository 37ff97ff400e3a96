// Message boxes: hooks see every box, headless boxes go to stderr with a safe
// answer, and the fatal exit ends the process with a non-zero code.
#include "platform/message_box.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

using namespace platform;

TEST(MessageBox, HookReceivesEveryBoxAndAnswers) {
    std::vector<MessageBoxRequest> seen;
    MessageBoxHook previous = SetMessageBoxHook([&](const MessageBoxRequest& r) {
        seen.push_back(r);
        return r.buttons == MessageBoxButtons::YesNo ? MessageBoxResult::Yes : MessageBoxResult::Ok;
    });
    EXPECT_EQ(ShowMessageBox("Error", "File: a.cpp\nLine: 3"), MessageBoxResult::Ok);
    EXPECT_EQ(ShowMessageBox("Setup", "Open the page?", MessageBoxKind::Warning,
                             MessageBoxButtons::YesNo),
              MessageBoxResult::Yes);
    SetMessageBoxHook(std::move(previous));

    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].title, "Error");
    EXPECT_EQ(seen[0].text, "File: a.cpp\nLine: 3");
    EXPECT_EQ(seen[0].kind, MessageBoxKind::Error);
    EXPECT_EQ(seen[1].kind, MessageBoxKind::Warning);
    EXPECT_EQ(seen[1].buttons, MessageBoxButtons::YesNo);
}

TEST(MessageBox, HeadlessBoxesPrintAndTakeTheSafeAnswer) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    ASSERT_TRUE(IsHeadless());
    testing::internal::CaptureStderr();
    MessageBoxResult yesNo =
        ShowMessageBox("Question", "Install?", MessageBoxKind::Info, MessageBoxButtons::YesNo);
    MessageBoxResult retry = ShowMessageBox("Save", "Cannot open", MessageBoxKind::Error,
                                            MessageBoxButtons::AbortRetryIgnore);
    MessageBoxResult okCancel =
        ShowMessageBox("Warn", "Go on?", MessageBoxKind::Warning, MessageBoxButtons::OkCancel);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(yesNo, MessageBoxResult::No);
    EXPECT_EQ(retry, MessageBoxResult::Abort); // never Retry: that would loop forever
    EXPECT_EQ(okCancel, MessageBoxResult::Ok);
    EXPECT_NE(err.find("Question: Install?"), std::string::npos) << err;
    EXPECT_NE(err.find("Save: Cannot open"), std::string::npos) << err;
    EXPECT_NE(err.find("[Warning]"), std::string::npos) << err;
}

TEST(MessageBox, FatalExitPrintsAndEndsNonZero) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    platform_test::Child child(
        {platform_test::HelperPath(), "fatal", "Rookfall", "The display could not be created."});
    ASSERT_TRUE(child.Started());
    int code = child.Finish();
    EXPECT_EQ(code, 1);
    EXPECT_NE(child.Stderr().find("Rookfall: The display could not be created."), std::string::npos)
        << child.Stderr();
    // Buffered output is flushed, but no static is destroyed under the
    // thread that still runs.
    EXPECT_EQ(child.Stdout(), "pending output\n");
    EXPECT_EQ(child.Stderr().find("static destroyed"), std::string::npos) << child.Stderr();
}

TEST(MessageBox, FatalExitCodeNeverReadsAsSuccess) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    for (const char* given : {"256", "0", "3"}) {
        platform_test::Child child({platform_test::HelperPath(), "fatal", "T", "x", given});
        ASSERT_TRUE(child.Started());
        const int code = child.Finish();
        EXPECT_EQ(code, std::string(given) == "3" ? 3 : 1) << given;
    }
}
