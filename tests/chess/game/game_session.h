// GameSession: a test that runs the whole game in this process on the
// headless display, with settings, lock and desktop of its own and a clock
// the test steps. Play runs a script frame by frame once the intro is over.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "tests/chess/game/scripted_game.h"

namespace rookfall_test {

class GameSession : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs the game: the script starts once the intro is over, with two
    // people at this computer on the board (unless asPeople is false: then
    // as the game left it); it returns true when done.
    void Play(std::function<bool(ScriptedGame&, int step)> script, int maxFrames = 600,
              const std::string& commandLine = "nosplash", bool asPeople = true);

    // A data folder of the test's own: the runtime folder's contents seen
    // through links, with an empty "Recorded" folder. Call before Play.
    void UsePrivateDataFolder();

    // A recorded game of this test (removed afterwards).
    std::filesystem::path RecordedFile(const std::string& name);
    std::string RecordedName(const char* stem);

    // Game time each frame lasts.
    uint32_t frameMs_ = 200;
    platform::TestClock clock_{1000};
    std::unique_ptr<ScriptedGame> game_;
    std::filesystem::path folder_;
    std::vector<std::string> recorded_;

private:
    std::string savedRuntime_;
    bool runtimeChanged_ = false;
};

} // namespace rookfall_test
