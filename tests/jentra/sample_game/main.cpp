// Sample game: starts the engine, runs the number of frames given on the
// command line (default 100) on its display, then presses Shift+Escape like
// a user would and checks that the engine quit and shut down, and that the
// display presented its frames without a GPU error. Exit status 0 on
// success.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Jentra/JTDisplay.h"
#include "Jentra/JTFrameClock.h"
#include "Jentra/JTGame.h"
#include "Jentra/JTKeyboard.h"
#include "Jentra/JTEventQueue.h"
#include "Jentra/core/input/key_table.h"
#include "platform/events.h"

namespace {

class SampleGame : public JTGame {
public:
    explicit SampleGame(int frames) : m_frames(frames) {}
    const char* GetRegKey() override { return "Quellmar\\JentraSample"; }
    const char* GetAppName() override { return "Jentra Sample"; }
    int framesRun = 0;
    bool displayed = false; // a device, frames read back, no GPU error

protected:
    void Update() override {
        if (++framesRun == m_frames) {
            std::vector<uint32_t> frame;
            int width = 0, height = 0;
            auto* device = gpJTDisplay ? gpJTDisplay->GetDevice() : nullptr;
            std::string error;
            displayed = device && device->ReadFrontBuffer(frame, width, height) && width > 0 &&
                        device->TakeErrors(&error) == 0;
            if (!displayed) std::fprintf(stderr, "sample game: display failed %s\n", error.c_str());
            Press(DIK_LSHIFT);
            Press(DIK_ESCAPE);
        }
    }

private:
    static void Press(int dik) {
        platform::Event e;
        e.type = platform::EventType::KeyDown;
        e.key.scancode = JTScancodeFromDik(dik);
        JTEventQueue().Push(e);
    }
    int m_frames;
};

} // namespace

int main(int argc, char** argv) {
    int frames = argc > 1 ? std::atoi(argv[1]) : 100;
    if (frames < 4) frames = 4; // the keyboard settles for its first polls
    auto* game = new SampleGame(frames);
    gpJTGame = game;
    char cmdline[] = "nosplash";
    int status = game->WinMain(nullptr, cmdline);
    int ran = game->framesRun;
    bool displayed = game->displayed;
    delete game;
    gpJTGame = nullptr;
    if (status != 0) return status;
    if (!displayed || gpJTDisplay) return 3;
    if (ran != frames + 1 || gnFrame != ran || gpJTKeyboard) {
        std::fprintf(stderr, "sample game: ran %d frames, expected %d\n", ran, frames + 1);
        return 2;
    }
    std::printf("sample game: %d frames, %.3f s of game time\n", ran, gfTime);
    return 0;
}
