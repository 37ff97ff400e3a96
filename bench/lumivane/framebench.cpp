// framebench [--frames N] [--data <LumivaneData folder>] [--scene <file in scenes/>]...
//            [--quality high|scaled] [--here]
// Draws shipped scenes with the program's display on software GL off screen,
// at 1280 x 720 with one rendering thread: "Hell's Heart" (the default
// scene), the battle and the busiest scene, each in high quality (rendered
// at the output's size) and in the default scaled mode (rendered at 0.625
// of it and stretched). Each run has a process of its own, so its memory is
// its own. Prints frames per second of each (on the wall clock, and per
// second of processor time, which a busy machine does not change) and the
// process's resident memory 10 s after it started and at its peak. The
// goal: 30 frames a second of processor time or more in high quality, a
// peak under 120 MiB. --here measures in this process (one scene and one
// quality), for running under a profiler.
#include "tests/desktop/display/frame/scene_frame_runner.h"

#include "bench/process_figures.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

namespace {

using bench::Clock;

constexpr int kWidth = 1280, kHeight = 720;
constexpr int kWarmUpFrames = 30;
constexpr double kMemorySampleSeconds = 10.0;
// The busiest shipped scene: the most entities (about 140) in its first
// ten seconds.
const std::vector<std::string> kDefaultScenes = {"Hell's Heart.mis", "battle.mis", "fleet.mis"};

using bench::ProcessCpuSeconds;
using bench::ProcessMemoryMiB;
using bench::SecondsSince;

// The measured frames, apart so that a profiler can count only them
// (valgrind --tool=callgrind --collect-atstart=no
// --toggle-collect='*MeasuredFrames*').
[[gnu::noinline]] void MeasuredFrames(lumivane::SceneFrameRunner& runner, int frames) {
    runner.RunFrames(frames);
}

// One scene in one quality, in this process.
bool Measure(const std::filesystem::path& root, const std::string& scene, bool highQuality,
             int frames) {
    const Clock::time_point processStart = Clock::now();
    lumivane::SceneFrameRunner runner;
    std::string why;
    if (!runner.Start(root, kWidth, kHeight, highQuality, "scenes\\" + scene, why)) {
        std::fprintf(stderr, "framebench: %s: %s\n", scene.c_str(), why.c_str());
        return false;
    }
    runner.RunFrames(kWarmUpFrames);
    const Clock::time_point start = Clock::now();
    const double cpuStart = ProcessCpuSeconds();
    MeasuredFrames(runner, frames);
    const double seconds = SecondsSince(start);
    const double cpuSeconds = ProcessCpuSeconds() - cpuStart;
    // The resident memory at 10 s, as a person would see it in the first
    // moments of the scene: frames go on until then.
    while (SecondsSince(processStart) < kMemorySampleSeconds)
        runner.RunFrames(1);
    const double residentAt10s = ProcessMemoryMiB("VmRSS");
    const lumivane::Display& display = runner.Draw();
    std::printf("%-18s %-12s rendered %4dx%-4d %6.1f fps  %5.1f per CPU second  "
                "%6.1f MiB at 10 s  %6.1f MiB peak\n",
                scene.c_str(), highQuality ? "high quality" : "scaled", display.RenderWidth(),
                display.RenderHeight(), frames / seconds, frames / cpuSeconds, residentAt10s,
                ProcessMemoryMiB("VmHWM"));
    std::fflush(stdout);
    return true;
}

// Measures in a child process; false when it failed.
bool MeasureApart(const std::filesystem::path& root, const std::string& scene, bool highQuality,
                  int frames) {
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) _exit(Measure(root, scene, highQuality, frames) ? 0 : 1);
    int status = 0;
    if (waitpid(child, &status, 0) != child) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

int main(int argc, char** argv) {
    // One rendering thread of the software rasteriser, off screen.
    setenv("LP_NUM_THREADS", "1", 1);
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    int frames = 300;
    std::filesystem::path root = LUMIVANE_DATA_DIR;
    std::vector<std::string> scenes;
    std::vector<bool> qualities = {true, false};
    bool here = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
            frames = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--data") == 0 && i + 1 < argc) {
            root = argv[++i];
        } else if (std::strcmp(argv[i], "--scene") == 0 && i + 1 < argc) {
            scenes.push_back(argv[++i]);
        } else if (std::strcmp(argv[i], "--quality") == 0 && i + 1 < argc &&
                   (std::strcmp(argv[i + 1], "high") == 0 ||
                    std::strcmp(argv[i + 1], "scaled") == 0)) {
            qualities = {std::strcmp(argv[++i], "high") == 0};
        } else if (std::strcmp(argv[i], "--here") == 0) {
            here = true;
        } else {
            std::fprintf(stderr, "usage: framebench [--frames N] [--data <folder>] "
                                 "[--scene <file in scenes/>]... [--quality high|scaled] "
                                 "[--here]\n");
            return 2;
        }
    }
    if (scenes.empty()) scenes = kDefaultScenes;
    if (here && (scenes.size() != 1 || qualities.size() != 1)) {
        std::fprintf(stderr, "framebench: --here measures one scene in one quality\n");
        return 2;
    }
    if (here) return Measure(root, scenes[0], qualities[0], frames) ? 0 : 1;
    bool ok = true;
    for (const std::string& scene : scenes)
        for (bool highQuality : qualities)
            ok = MeasureApart(root, scene, highQuality, frames) && ok;
    return ok ? 0 : 1;
}
