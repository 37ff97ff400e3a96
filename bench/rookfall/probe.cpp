// rookfall_probe: Rookfall itself (the same game code and entry) with an
// observer that reports, on stdout, the monotonic time when the first frame
// has been presented ("first-frame <ns>") and, once the main menu shows, the
// peak resident memory ("peak-rss <KiB>"); then it ends the game.
#include <time.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "Jentra/JTFrameClock.h"
#include "Jentra/JTEventQueue.h"
#include "Jentra/core/frame/frame_hooks.h"
#include "chess/game/chess_game.h"

namespace {

void (*gRender)(JTGame*) = nullptr;
bool gPresented = false;

long long MonotonicNanoseconds() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (long long)now.tv_sec * 1000000000LL + now.tv_nsec;
}

// The display's frame, then the note of the first one.
void RenderAndNote(JTGame* game) {
    if (gRender) gRender(game);
    if (!gPresented) {
        gPresented = true;
        std::printf("first-frame %lld\n", MonotonicNanoseconds());
        std::fflush(stdout);
    }
}

long PeakResidentKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

class ProbedGame : public ChessGame {
protected:
    void InitialScene() override {
        JTFrameRenderHooks hooks = JTGetFrameRenderHooks();
        gRender = hooks.render;
        hooks.render = RenderAndNote;
        JTSetFrameRenderHooks(hooks);
        ChessGame::InitialScene();
    }
    void Update() override {
        ChessGame::Update();
        // A few frames of the main menu, so its world is drawn.
        if (GetCurrentMenu() == kMenuMain && ++menuFrames == 10) {
            std::printf("peak-rss %ld\n", PeakResidentKiB());
            std::fflush(stdout);
            JTPostQuit();
        }
    }

private:
    int menuFrames = 0;
};

} // namespace

int main() {
    char commandLine[] = "";
    return RunChessGame(new ProbedGame(), nullptr, commandLine);
}
