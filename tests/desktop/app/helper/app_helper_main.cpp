// Helper program for the Lumivane program tests: the whole program as the
// screensaver host starts it ("--window-id 0x2a"), with scripted windows
// and display, stuck for good in one state:
//   stuck-loading   the model library's load never returns
//   stuck-desktop   the same, started as the animated desktop ("1a2b"),
//                   which makes the desktop's named objects
//   stuck-drawing   the first frame's presentation never returns
//   stuck-writing   the first frame's presentation writes what must not be
//                   lost: it prints "writing", and once SIGTERM came takes
//                   600 ms more (past the grace) before it prints
//                   "written"; then it never returns
// It prints the state's name once it is stuck there; the test then sends
// SIGTERM. The settings, named objects and data root are the test's (its
// environment and machine values).
#include "desktop/app/exit_signal.h"
#include "tests/desktop/app/app_test_support.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

using namespace app_test;

namespace {

[[noreturn]] void StuckFor(const char* state) {
    std::printf("%s\n", state);
    std::fflush(stdout);
    while (true)
        std::this_thread::sleep_for(std::chrono::hours(1));
}

class StuckLoading : public RecordingScene {
public:
    using RecordingScene::RecordingScene;
    bool LoadModels(const std::function<bool()>&, const std::function<void(float)>&) override {
        StuckFor("loading");
    }
};

class StuckDrawing : public ScriptedDisplay {
public:
    using ScriptedDisplay::ScriptedDisplay;
    void PresentFrame() override { StuckFor("drawing"); }
};

class StuckAfterWriting : public ScriptedDisplay {
public:
    using ScriptedDisplay::ScriptedDisplay;
    void PresentFrame() override {
        {
            const lumivane::ExitWatchdogHold hold;
            std::printf("writing\n");
            std::fflush(stdout);
            while (!lumivane::ExitSignalPending())
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            std::this_thread::sleep_for(std::chrono::milliseconds(600));
            std::printf("written\n");
            std::fflush(stdout);
        }
        while (true)
            std::this_thread::sleep_for(std::chrono::hours(1));
    }
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const bool desktop = std::strcmp(argv[1], "stuck-desktop") == 0;
    const bool loading = desktop || std::strcmp(argv[1], "stuck-loading") == 0;
    const bool writing = std::strcmp(argv[1], "stuck-writing") == 0;
    if (!loading && !writing && std::strcmp(argv[1], "stuck-drawing") != 0) return 2;
    WindowLog windows;
    DisplayLog display;
    SceneLog scene;
    lumivane::AppServices services;
    services.windows = std::make_unique<FakeWindows>(windows);
    services.makeDisplay = [&]() -> std::unique_ptr<lumivane::AppDisplay> {
        if (loading) return std::make_unique<ScriptedDisplay>(display);
        if (writing) return std::make_unique<StuckAfterWriting>(display);
        return std::make_unique<StuckDrawing>(display);
    };
    if (loading) {
        services.scene = std::make_unique<StuckLoading>(scene);
    } else {
        services.scene = std::make_unique<RecordingScene>(scene);
    }
    lumivane::DesktopApp app(std::move(services));
    if (desktop) return app.InitInstance({"1a2b"});
    return app.InitInstance({"--window-id", "0x2a"});
}
