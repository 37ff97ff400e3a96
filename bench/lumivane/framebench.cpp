// framebench [--frames N] [--data <LumivaneData folder>]
// Draws Lumivane's default scene, "Hell's Heart", with the program's display
// on software GL off screen, at 1280 x 720 with one rendering thread: first
// in high quality (rendered at the output's size), then in the default
// scaled mode (rendered at 0.625 of it and stretched). Prints frames per
// second of each (on the wall clock, and per second of processor time, which
// a busy machine does not change) and the process's peak resident memory. The goal: 30
// frames a second or more in high quality, under 120 MiB.
#include "tests/desktop/display/frame/scene_frame_runner.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>

namespace {

constexpr int kWidth = 1280, kHeight = 720;
constexpr int kWarmUpFrames = 30;

// "VmHWM" (the peak) or "VmRSS" of this process in MiB.
double ProcessMemoryMiB(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0) return std::atof(line.c_str() + std::strlen(key) + 1) / 1024.0;
    return 0.0;
}

// Processor time of all of this process's threads (the rasteriser's too).
double ProcessCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

bool Measure(const std::filesystem::path& root, bool highQuality, int frames) {
    lumivane::SceneFrameRunner runner;
    std::string why;
    if (!runner.Start(root, kWidth, kHeight, highQuality, "scenes\\Hell's Heart.mis", why)) {
        std::fprintf(stderr, "framebench: %s\n", why.c_str());
        return false;
    }
    runner.RunFrames(kWarmUpFrames);
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = ProcessCpuSeconds();
    runner.RunFrames(frames);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpuSeconds = ProcessCpuSeconds() - cpuStart;
    lumivane::Display& display = runner.Draw();
    std::printf("%-13s rendered %4dx%-4d shown %dx%d  %6.1f fps (%5.1f a second of processor "
                "time)  VmRSS %6.1f MiB  VmHWM %6.1f MiB\n",
                highQuality ? "high quality" : "scaled", display.RenderWidth(),
                display.RenderHeight(), kWidth, kHeight, frames / seconds, frames / cpuSeconds,
                ProcessMemoryMiB("VmRSS"), ProcessMemoryMiB("VmHWM"));
    std::fflush(stdout);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    // One rendering thread of the software rasteriser, off screen.
    setenv("LP_NUM_THREADS", "1", 1);
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    int frames = 300;
    std::filesystem::path root = LUMIVANE_DATA_DIR;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
            frames = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--data") == 0 && i + 1 < argc) {
            root = argv[++i];
        } else {
            std::fprintf(stderr, "usage: framebench [--frames N] [--data <folder>]\n");
            return 2;
        }
    }
    return Measure(root, true, frames) && Measure(root, false, frames) ? 0 : 1;
}
