// The in-process game session of the tests.
#include "tests/chess/game/game_session.h"

#include <unistd.h>

#include <cstdlib>
#include <system_error>

#include "Jentra/JTDataFolder.h"
#include "Jentra/JTFrameClock.h"
#include "Jentra/JTGlobals.h"

namespace rookfall_test {

namespace fs = std::filesystem;

void GameSession::SetUp() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = fs::temp_directory_path() /
              ("rookfall_session_" + std::to_string(::getpid()) + "_" + info->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    // A game of its own: its settings, its single-instance lock, its desktop.
    setenv("JENTRA_SETTINGS_DIR", folder_.c_str(), 1);
    setenv("HOME", folder_.c_str(), 1);
    setenv("JENTRA_WINDOWED", "1", 1);
    GameSettings settings;
    settings.multisample = 0;
    settings.width = 640;
    settings.height = 480;
    WriteGameSettings(settings);
    clock_.SetMilliseconds(1000);
    platform::SetCurrentClock(&clock_);
    game_ = std::make_unique<ScriptedGame>();
}

void GameSession::TearDown() {
    game_.reset();
    gpJTGame = nullptr;
    platform::SetCurrentClock(nullptr);
    JTResetFrameClock();
    for (const std::string& name : recorded_)
        fs::remove(RecordedFile(name));
    if (runtimeChanged_) {
        setenv("JENTRA_RUNTIME_DIR", savedRuntime_.c_str(), 1);
        JTSetDataFolder(nullptr);
    }
    fs::remove_all(folder_);
}

void GameSession::Play(std::function<bool(ScriptedGame&, int step)> script, int maxFrames,
                       const std::string& commandLine, bool asPeople) {
    int step = -1;
    game_->onFrame = [&](ScriptedGame& g, int frame) {
        clock_.AdvanceMilliseconds(frameMs_);
        if (frame > maxFrames) {
            ADD_FAILURE() << "the script did not end within " << maxFrames << " frames";
            g.Quit();
            return;
        }
        if (!g.Loaded()) return;
        if (step < 0) {
            if (asPeople) {
                g.SetPlayers(kPlayerLocal, kPlayerLocal);
                g.CloseToBoard();
            }
            step = 0;
        }
        if (script(g, step++)) g.Quit();
    };
    ASSERT_EQ(RunGame(*game_, commandLine), 0);
}

void GameSession::UsePrivateDataFolder() {
    const char* runtime = std::getenv("JENTRA_RUNTIME_DIR");
    ASSERT_NE(runtime, nullptr) << "tests run with JENTRA_RUNTIME_DIR set";
    const fs::path data = folder_ / "data";
    fs::create_directories(data / "Recorded");
    for (const fs::directory_entry& entry : fs::directory_iterator(runtime)) {
        if (entry.path().filename() == "Recorded") continue;
        std::error_code error;
        fs::create_symlink(entry.path(), data / entry.path().filename(), error);
        ASSERT_FALSE(error) << entry.path() << ": " << error.message();
    }
    savedRuntime_ = runtime;
    runtimeChanged_ = true;
    setenv("JENTRA_RUNTIME_DIR", data.c_str(), 1);
}

fs::path GameSession::RecordedFile(const std::string& name) {
    return fs::path(JTResolveDataPath("Recorded")) / name;
}

std::string GameSession::RecordedName(const char* stem) {
    const std::string name = std::string(stem) + "_" + std::to_string(::getpid()) + ".gam";
    recorded_.push_back(name);
    return name;
}

} // namespace rookfall_test
