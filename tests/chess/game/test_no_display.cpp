// The game started where no display can be opened (no DISPLAY, or one with
// no server behind it), with no off-screen driver asked for: in every start
// mode it says which display on stderr and ends at once, non-zero, instead
// of playing on unseen.
#include "tests/platform/test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The variables a test changes, put back afterwards.
class RookfallNoDisplay : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER",
                                 "JENTRA_SETTINGS_DIR", "LSAN_OPTIONS"}) {
            const char* value = std::getenv(name);
            saved_.push_back({name, value ? value : "", value != nullptr});
        }
        // Settings (and the single-instance lock beside them) of its own.
        setenv("JENTRA_SETTINGS_DIR", settings_.Str().c_str(), 1);
        unsetenv("SDL_VIDEODRIVER");
        unsetenv("WAYLAND_DISPLAY");
        // The video driver's look for an X server leaves the session bus
        // library's own block, which the sanitizer build's leak check
        // would end the game for.
        setenv("LSAN_OPTIONS", "suppressions=" X11_LEAK_SUPPRESSIONS, 1);
    }
    void TearDown() override {
        for (const Saved& saved : saved_) {
            if (saved.set) {
                setenv(saved.name, saved.value.c_str(), 1);
            } else {
                unsetenv(saved.name);
            }
        }
    }

    struct Saved {
        const char* name;
        std::string value;
        bool set;
    };
    std::vector<Saved> saved_;
    platform_test::TempDir settings_;
};

} // namespace

TEST_F(RookfallNoDisplay, EveryStartModeSaysWhichDisplayAndEndsAtOnce) {
    for (const platform_test::MissingDisplay& missing : platform_test::EachMissingDisplay()) {
        missing.Use();
        for (const std::vector<std::string>& words : {std::vector<std::string>{},
                                                      {"/saver"},
                                                      {"/safe"},
                                                      {"-host"},
                                                      {"-connect", "127.0.0.1"}}) {
            std::vector<std::string> argv = {ROOKFALL_PROGRAM};
            argv.insert(argv.end(), words.begin(), words.end());
            SCOPED_TRACE(missing.Shown() + " " + (words.empty() ? "" : words[0]));
            const auto start = std::chrono::steady_clock::now();
            platform_test::Child game(argv);
            ASSERT_TRUE(game.Started());
            const int code = game.FinishWithin(std::chrono::seconds(20));
            const auto took = std::chrono::steady_clock::now() - start;
            EXPECT_NE(code, 0);
            EXPECT_EQ(game.TermSignal(), 0);
            EXPECT_NE(game.Stderr().find("Rookfall " + missing.said), std::string::npos)
                << game.Stderr();
            // The fault this guards against ran on for good.
            EXPECT_LT(took, platform_test::kAtOnce);
        }
    }
}
