// rookfall_framebench [--frames N] [--case menu|park|holographic|fireandice]...
//                     [--here] [--pictures <folder>]
// Draws Rookfall as a player sees it, off screen at 1024 x 768 on software GL
// with one rendering thread and fresh settings: the main menu over the Park,
// and a game in progress in each built-in world (Park, Holographic, Fire and
// Ice) seen from behind the white pieces. Each case runs the whole game in a
// process of its own, so its memory is its own. Prints frames per second of
// each (on the wall clock, and per second of processor time, which a busy
// machine does not change) and the process's resident memory 10 s after it
// started and at its peak. The goal: 30 frames a second of processor time or
// more in every case. --here measures in this process (one case), for
// running under a profiler: the measured frames lie between the game's
// updates named in MeasuredFrameStart and MeasuredFrameEnd. --pictures
// runs the game on a clock that moves 16 ms a frame and with fixed random
// numbers, and writes the last measured frame of each case as <case>.bmp
// into the folder: pictures of one build to hold against another's. There
// the same frames run every time, so counting the processor's instructions
// over two runs of different lengths gives the work of one frame.
#include "bench/process_figures.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Jentra/JTDisplay.h"
#include "Jentra/JTEventQueue.h"
#include "Jentra/JTGlobals.h"
#include "Jentra/JTRandom.h"
#include "Jentra/JTRegistry.h"
#include "Jentra/JTUserOptions.h"
#include "chess/engine/notation.h"
#include "chess/game/chess_game.h"
#include "platform/clock.h"
#include "platform/image/bmp.h"
#include "platform/render/device.h"

namespace {

using bench::Clock;

constexpr int kWidth = 1024, kHeight = 768;
// Frames after the case is set up and before measuring: the pieces have
// settled, every texture and program is made.
constexpr int kWarmUpFrames = 40;
constexpr double kMemorySampleSeconds = 10.0;
// A few moves of an open game, so that the board is as in a game in progress.
const char* const kOpening[] = {"e2e4", "e7e5", "g1f3", "b8c6", "f1c4", "g8f6", "d2d3", "f8c5"};

struct Case {
    const char* name;
    int world; // 0: the main menu over the world the game starts in
};
const Case kCases[] = {{"menu", 0},
                       {"park", kWorldPark},
                       {"holographic", kWorldHolographic},
                       {"fireandice", kWorldFireAndIce}};

const Clock::time_point gProcessStart = Clock::now();
bool gReported = false; // the case's figures are printed
// Where the pictures go (empty: none), and the stepped clock they are
// taken on.
std::filesystem::path gPictures;
platform::TestClock gSteppedClock(1000);
constexpr uint32_t kSteppedFrameMs = 16;
constexpr uint32_t kPictureSeed = 20240611;

using bench::ProcessCpuSeconds;
using bench::ProcessMemoryMiB;
using bench::SecondsSince;

// Marks for a profiler (valgrind --tool=callgrind --collect-atstart=no
// --toggle-collect='*MeasuredFrameStart*' --toggle-collect='*MeasuredFrameEnd*'
// toggles at each).
[[gnu::noinline]] void MeasuredFrameStart() {
    asm volatile("");
}
[[gnu::noinline]] void MeasuredFrameEnd() {
    asm volatile("");
}

// The game, set up for the case once its intro has loaded, measured, then
// ended.
class BenchGame : public ChessGame {
public:
    BenchGame(const Case& benchCase, int frames) : case_(benchCase), frames_(frames) {}

protected:
    void InitialScene() override {
        if (!gPictures.empty()) {
            JTSRand(kPictureSeed);
            randseed = kPictureSeed;
        }
        ChessGame::InitialScene();
        // As fast as the machine draws: the measurement is of the frame's cost.
        SetFramePacing(false);
    }

    void Update() override {
        if (!gPictures.empty()) gSteppedClock.AdvanceMilliseconds(kSteppedFrameMs);
        ChessGame::Update();
        if (GetCurrentMenu() == kMenuIntro) return;
        if (!setUp_) {
            SetUp();
            setUp_ = true;
        }
        ++frame_;
        if (frame_ == kWarmUpFrames) {
            MeasuredFrameStart();
            start_ = Clock::now();
            cpuStart_ = ProcessCpuSeconds();
        } else if (frame_ == kWarmUpFrames + frames_) {
            MeasuredFrameEnd();
            seconds_ = SecondsSince(start_);
            cpuSeconds_ = ProcessCpuSeconds() - cpuStart_;
            if (!gPictures.empty()) WritePicture();
        } else if (frame_ > kWarmUpFrames + frames_ && !gReported &&
                   (!gPictures.empty() || SecondsSince(gProcessStart) >= kMemorySampleSeconds)) {
            // The resident memory at 10 s, as a person would see it in the
            // first moments: frames go on until then. Pictures are taken on
            // a clock of their own, where the same frames are run every time:
            // the memory is then that of the end of the measured frames.
            std::printf("%-12s %6.1f fps  %5.1f per CPU second  %6.1f MiB at %s  "
                        "%6.1f MiB peak\n",
                        case_.name, frames_ / seconds_, frames_ / cpuSeconds_,
                        ProcessMemoryMiB("VmRSS"), gPictures.empty() ? "10 s" : "end ",
                        ProcessMemoryMiB("VmHWM"));
            std::fflush(stdout);
            gReported = true;
            JTPostQuit();
        }
    }

private:
    // The frame last presented.
    void WritePicture() {
        platform::render::Device* device = gpJTDisplay ? gpJTDisplay->GetDevice() : nullptr;
        std::vector<uint32_t> argb;
        platform::image::Image picture;
        picture.format = platform::image::PixelFormat::X8R8G8B8;
        if (!device || !device->ReadFrontBuffer(argb, picture.width, picture.height)) return;
        picture.pixels.resize(argb.size() * 4);
        std::memcpy(picture.pixels.data(), argb.data(), picture.pixels.size());
        std::string error;
        const std::filesystem::path file = gPictures / (std::string(case_.name) + ".bmp");
        if (!platform::image::WriteBmpFile(file, picture, &error))
            std::fprintf(stderr, "rookfall_framebench: %s: %s\n", file.c_str(), error.c_str());
    }

    void SetUp() {
        if (case_.world == 0) return; // the main menu as it opens
        CloseToBoard();
        SetPlayers(kPlayerLocal, kPlayerLocal);
        LoadWorld(case_.world);
        StartNewGame();
        for (const char* move : kOpening)
            ExecuteMove(chess::ParseMove(move));
        // The pieces stand on their new squares at once.
        LoadWorld(case_.world);
        PlaceCameraBehind(chess::White);
    }

    const Case& case_;
    const int frames_;
    bool setUp_ = false;
    int frame_ = 0;
    Clock::time_point start_;
    double cpuStart_ = 0, seconds_ = 0, cpuSeconds_ = 0;
};

// Fresh settings in a folder of their own, at the benchmark's size.
bool FreshSettings(std::filesystem::path& home) {
    std::string folder =
        (std::filesystem::temp_directory_path() / "rookfall-frames-XXXXXX").string();
    if (!mkdtemp(folder.data())) return false;
    home = folder;
    setenv("HOME", folder.c_str(), 1);
    setenv("JENTRA_SETTINGS_DIR", (home / "settings").c_str(), 1);
    JTRegistry registry("Quellmar\\Rookfall");
    registry.Init();
    gpRegistry = &registry;
    JTUserOptions options;
    options.Load();
    options.ModeDesc.Width = kWidth;
    options.ModeDesc.Height = kHeight;
    options.Save();
    gpRegistry = nullptr;
    registry.Term();
    return true;
}

// One case, in this process.
bool Measure(const Case& benchCase, int frames) {
    std::filesystem::path home;
    if (!FreshSettings(home)) {
        std::perror("rookfall_framebench");
        return false;
    }
    char commandLine[] = "";
    if (!gPictures.empty()) platform::SetCurrentClock(&gSteppedClock);
    // RunChessGame deletes the game when it ends.
    const int status = RunChessGame(new BenchGame(benchCase, frames), nullptr, commandLine);
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
    if (!gReported) std::fprintf(stderr, "rookfall_framebench: %s: no figures\n", benchCase.name);
    return status == 0 && gReported;
}

bool MeasureApart(const Case& benchCase, int frames) {
    std::fflush(stdout);
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) _exit(Measure(benchCase, frames) ? 0 : 1);
    int status = 0;
    if (waitpid(child, &status, 0) != child) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

const Case* FindCase(const char* name) {
    for (const Case& c : kCases)
        if (std::strcmp(c.name, name) == 0) return &c;
    return nullptr;
}

} // namespace

int main(int argc, char** argv) {
    // One rendering thread of the software rasteriser, off screen, silent.
    setenv("LP_NUM_THREADS", "1", 1);
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("ALSOFT_DRIVERS", "null", 0);
    setenv("JENTRA_DISCOVERY_HOSTS", "127.0.0.1", 0);
    int frames = 200;
    std::vector<const Case*> cases;
    bool here = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
            frames = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--case") == 0 && i + 1 < argc && FindCase(argv[i + 1])) {
            cases.push_back(FindCase(argv[++i]));
        } else if (std::strcmp(argv[i], "--here") == 0) {
            here = true;
        } else if (std::strcmp(argv[i], "--pictures") == 0 && i + 1 < argc) {
            gPictures = std::filesystem::absolute(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: rookfall_framebench [--frames N] "
                                 "[--case menu|park|holographic|fireandice]... [--here] "
                                 "[--pictures <folder>]\n");
            return 2;
        }
    }
    if (cases.empty())
        for (const Case& c : kCases)
            cases.push_back(&c);
    if (here && cases.size() != 1) {
        std::fprintf(stderr, "rookfall_framebench: --here measures one case\n");
        return 2;
    }
    if (here) return Measure(*cases[0], frames) ? 0 : 1;
    bool ok = true;
    for (const Case* c : cases)
        ok = MeasureApart(*c, frames) && ok;
    return ok ? 0 : 1;
}
