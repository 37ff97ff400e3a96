// Message boxes: hooks see every box, headless boxes go to stderr with a safe
// answer, the fatal exit ends the process with a non-zero code; and the
// box window's layout and picture.
#include "platform/message_box.h"
#include "platform/x11_message_box.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// The box's own window: its layout and picture, without an X server.
TEST(MessageBoxLayout, TheTextIsWrappedToTheScreenAndTheButtonsFitBelowIt) {
    auto font =
        platform::TextRenderer::Open(platform::FindSystemFont(platform::FontStyle::Regular), 15);
    if (!font) GTEST_SKIP() << "no system font";
    const std::vector<std::string> yesNo = {"Yes", "No"};
    // One line far wider than the screen, with a word longer than a line.
    std::string text = "Lumivane cannot start: its data folder ";
    text += "/home/someone/" + std::string(120, 'x') + "/LumivaneData";
    text += " (named by the machine setting \"WorkingDir\") holds no script.dat.\nSecond line.";
    for (const int screen : {1280, 320}) {
        SCOPED_TRACE(screen);
        const auto layout = platform::LayOutMessageBox(*font, text, yesNo, screen, 1024);
        EXPECT_LE(layout.width, screen);
        EXPECT_GT(layout.lines.size(), 3u);
        for (const std::string& line : layout.lines)
            EXPECT_LE(font->LineWidth(line), layout.text.width) << line;
        EXPECT_EQ(layout.lines.back(), "Second line.");
        // Nothing is lost in the breaking but the blanks between lines.
        std::string joined;
        for (const std::string& line : layout.lines)
            joined += line;
        std::string compact = text;
        compact.erase(std::remove_if(compact.begin(), compact.end(),
                                     [](char c) { return c == ' ' || c == '\n'; }),
                      compact.end());
        joined.erase(std::remove(joined.begin(), joined.end(), ' '), joined.end());
        EXPECT_EQ(joined, compact);
        // The buttons lie side by side inside the box, under the text.
        ASSERT_EQ(layout.buttons.size(), 2u);
        EXPECT_GE(layout.buttons[0].left, 0);
        EXPECT_LE(layout.buttons[0].left + layout.buttons[0].width, layout.buttons[1].left);
        EXPECT_LE(layout.buttons[1].left + layout.buttons[1].width, layout.width);
        EXPECT_GE(layout.buttons[0].top, layout.text.top + layout.text.height);
        EXPECT_LE(layout.buttons[0].top + layout.buttons[0].height, layout.height);
    }
    // A screen too low for the text: the box keeps to it.
    const auto low = platform::LayOutMessageBox(*font, text, yesNo, 320, 120);
    EXPECT_LE(low.height, 120);

    // The picture: dark text on the light face, the focused button framed
    // in the focus colour, the other in grey.
    const auto layout = platform::LayOutMessageBox(*font, "Keep the monitor on?", yesNo, 800, 600);
    const auto picture = platform::PaintMessageBox(*font, layout, yesNo, 1);
    ASSERT_EQ(picture.width, layout.width);
    auto pixel = [&](int x, int y) {
        const uint8_t* p =
            picture.pixels.data() + (size_t(y) * size_t(picture.width) + size_t(x)) * 4;
        return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    };
    int dark = 0;
    for (int y = layout.text.top; y < layout.text.top + font->LineHeight(); ++y)
        for (int x = layout.text.left; x < layout.text.left + layout.text.width; ++x)
            dark += (pixel(x, y) & 0xFF) < 0x60;
    EXPECT_GT(dark, 20) << "the text is drawn";
    EXPECT_EQ(pixel(layout.buttons[1].left, layout.buttons[1].top + 5), 0x2F6FC0u);
    EXPECT_EQ(pixel(layout.buttons[0].left, layout.buttons[0].top + 5), 0x8A8A8Au);
}
