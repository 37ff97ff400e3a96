// soak [--scene <file in scenes/>]... [--minutes N] [--rotate SECONDS]
//      [--step-ms MS] [--draw-every N] [--here]
// Runs the whole program in its own window, as "Lumivane --window" does
// (its start-up, main loop, scene engine, sound manager and display), for a
// long time on a stepped clock, at 1280 x 720 on software GL with one
// rendering thread, and prints every simulated minute the resident memory
// (VmRSS) and the heap in use (the allocator's bytes in use, mmapped blocks
// included), then the growth from minute 1 to the end and the peak. The
// goal: at most 135 MiB resident at any time and at most 5 MiB growth from
// minute 1 to minute 60, in every shipped scene and with scene rotation on.
//
// Each scene runs in a process of its own, one after another (every scene
// in "scenes\" unless --scene names some). --rotate S turns the scene
// rotation on ("RandomPeriod" S seconds) in one process starting from the
// first scene. The clock moves only with the frames: each main-loop pass
// takes --step-ms of simulated time (33 by default, as the program paces
// its frames; up to 100, the longest game step, to run scenes faster than
// real time). --draw-every N draws only every Nth frame (the others are
// stepped but not drawn), which makes an hour of a scene take minutes.
// --here runs the one scene in this process, for running under a heap
// profiler (heaptrack, valgrind --tool=massif).
#include "bench/process_figures.h"
#include "desktop/app/desktop_app.h"
#include "desktop/shell/registry.h"
#include "desktop/shell/setting_values.h"
#include "platform/clock.h"
#include "platform/paths.h"

#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

// The program's own frame pacing (one frame every 33 ms).
constexpr uint32_t kProgramFrameMs = 33;
constexpr uint32_t kLongestStepMs = 100;

struct SoakOptions {
    int minutes = 60;
    uint32_t rotateSeconds = 0;
    uint32_t stepMs = kProgramFrameMs;
    int drawEvery = 1;
};

// Time moves on the main thread only when it waits (the program's frame
// pacing and its yields) or when the soak adds the rest of a frame's step;
// other threads (the sound device's) wait on the real clock.
class SteppedClock : public platform::Clock {
public:
    uint64_t NowMicroseconds() const override { return now_.load(); }
    void Sleep(uint32_t milliseconds) override {
        if (std::this_thread::get_id() == main_)
            Advance(milliseconds);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
    void Advance(uint64_t milliseconds) { now_.fetch_add(milliseconds * 1000); }

private:
    std::atomic<uint64_t> now_{1000 * 1000};
    std::thread::id main_ = std::this_thread::get_id();
};

// The program's display drawing only every Nth frame.
class SometimesDrawn : public lumivane::AppDisplay {
public:
    SometimesDrawn(std::unique_ptr<lumivane::AppDisplay> inner, int every)
        : inner_(std::move(inner)), every_(every) {}
    bool Create(lumivane::HostWindow& window, int width, int height) override {
        return inner_->Create(window, width, height);
    }
    bool Recreate() override { return inner_->Recreate(); }
    void ReleaseDevice() override { inner_->ReleaseDevice(); }
    bool HasDevice() const override { return inner_->HasDevice(); }
    void PresentFrame() override {
        if (frames_++ % every_ == 0) inner_->PresentFrame();
    }
    void SkipFrames(int count) override { inner_->SkipFrames(count); }
    platform::image::Image CaptureFrame() override { return inner_->CaptureFrame(); }
    void PaintStill(const platform::image::Image& picture) override { inner_->PaintStill(picture); }
    void ShowLoadScreen() override { inner_->ShowLoadScreen(); }
    void DrawProgress(float fraction) override { inner_->DrawProgress(fraction); }
    bool TakeDeviceLost() override { return inner_->TakeDeviceLost(); }
    bool HandleEvent(const platform::Event& event) override { return inner_->HandleEvent(event); }
    lumivane::Display* DrawingDisplay() override { return inner_->DrawingDisplay(); }

private:
    std::unique_ptr<lumivane::AppDisplay> inner_;
    int every_;
    uint64_t frames_ = 0;
};

// Bytes the allocator has handed out and not had back, in MiB.
double HeapInUseMiB() {
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks + info.hblkhd) / (1024.0 * 1024.0);
}

// Bytes the allocator holds from the system, in use or free, in MiB.
double HeapHeldMiB() {
    const struct mallinfo2 info = mallinfo2();
    return double(info.arena + info.hblkhd) / (1024.0 * 1024.0);
}

// A settings store and named objects of the soak's own, so that it neither
// reads nor disturbs the user's.
bool PrivateSettings(const std::string& scene, const SoakOptions& options) {
    char folder[] = "/tmp/lumivane-soak-XXXXXX";
    if (!mkdtemp(folder)) return false;
    setenv("JENTRA_SETTINGS_DIR", folder, 1);
    const std::string prefix = "soak" + std::to_string(getpid()) + "-";
    setenv("JENTRA_NAMED_PREFIX", prefix.c_str(), 1);
    lumivane::SettingsKey key;
    std::string why;
    if (!key.OpenKeys(&why)) {
        std::fprintf(stderr, "soak: settings: %s\n", why.c_str());
        return false;
    }
    namespace values = lumivane::values;
    return key.Write(values::kScene, scene) && key.Write(values::kRandomStartup, uint8_t(0)) &&
           key.Write(values::kRandomPeriod, options.rotateSeconds);
}

struct Sample {
    int minute;
    double resident, heap, held, anonymous;
};

// One scene, in this process.
bool Soak(const std::string& scene, const SoakOptions& options) {
    if (!PrivateSettings(scene, options)) return false;
    SteppedClock clock;
    platform::ScopedClock useClock(clock);

    lumivane::AppServices services = lumivane::DefaultAppServices();
    const int drawEvery = options.drawEvery;
    services.makeDisplay = [drawEvery]() -> std::unique_ptr<lumivane::AppDisplay> {
        auto display = lumivane::MakeProgramDisplay();
        if (!display || drawEvery <= 1) return display;
        return std::make_unique<SometimesDrawn>(std::move(display), drawEvery);
    };
    auto app = std::make_unique<lumivane::DesktopApp>(std::move(services));
    if (!app->SetUpMode({"--window"})) return false;
    if (app->Startup() != lumivane::DesktopApp::StartupResult::Ready) {
        std::fprintf(stderr, "soak: %s: the program did not start\n", scene.c_str());
        return false;
    }
    app->BeginRun();
    if (app->FirstRun() != lumivane::DesktopApp::FirstRunResult::Ready) {
        std::fprintf(stderr, "soak: %s: no display\n", scene.c_str());
        return false;
    }
    app->ReadyToLoop();

    const bench::Clock::time_point start = bench::Clock::now();
    const uint64_t startMs = clock.NowMilliseconds64();
    const uint64_t endMs = startMs + uint64_t(options.minutes) * 60000;
    uint64_t nextSampleMs = startMs + 60000;
    std::vector<Sample> samples;
    double peakResident = 0.0;
    std::printf("%s%s: minute  resident MiB  heap MiB  (held)  anonymous\n", scene.c_str(),
                options.rotateSeconds ? " (rotating)" : "");
    std::fflush(stdout);
    while (clock.NowMilliseconds64() < endMs) {
        if (!app->PumpEvents()) break;
        const uint64_t passStart = clock.NowMilliseconds64();
        app->MainLoopPass();
        const uint64_t passMs = clock.NowMilliseconds64() - passStart;
        if (passMs < options.stepMs) clock.Advance(options.stepMs - passMs);
        peakResident = std::max(peakResident, bench::ProcessMemoryMiB("VmRSS"));
        if (clock.NowMilliseconds64() >= nextSampleMs) {
            const Sample sample{int((nextSampleMs - startMs) / 60000),
                                bench::ProcessMemoryMiB("VmRSS"), HeapInUseMiB(), HeapHeldMiB(),
                                bench::ProcessMemoryMiB("RssAnon")};
            samples.push_back(sample);
            std::printf("%s: %6d  %12.1f  %8.1f  (%5.1f)  %9.1f   %s, %.0f s\n", scene.c_str(),
                        sample.minute, sample.resident, sample.heap, sample.held, sample.anonymous,
                        app->CurrentScene().c_str(), bench::SecondsSince(start));
            std::fflush(stdout);
            nextSampleMs += 60000;
        }
    }
    const bool ran = !samples.empty() && int(samples.size()) == options.minutes;
    if (!samples.empty()) {
        const Sample& first = samples.front();
        const Sample& last = samples.back();
        std::printf("%s: growth minute %d to %d: %+.1f MiB resident, %+.1f MiB heap; "
                    "peak %.1f MiB resident (VmHWM %.1f); %.0f s\n",
                    scene.c_str(), first.minute, last.minute, last.resident - first.resident,
                    last.heap - first.heap, peakResident, bench::ProcessMemoryMiB("VmHWM"),
                    bench::SecondsSince(start));
    }
    std::fflush(stdout);
    app->Term();
    return ran;
}

bool SoakApart(const std::string& scene, const SoakOptions& options) {
    std::fflush(stdout);
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        const bool ok = Soak(scene, options);
        std::fflush(stdout);
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::vector<std::string> ShippedScenes() {
    std::vector<std::string> scenes;
    std::error_code error;
    const auto folder = platform::ProgramFolder() / "LumivaneData" / "scenes";
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        if (entry.path().extension() == ".mis") scenes.push_back(entry.path().filename().string());
    std::sort(scenes.begin(), scenes.end());
    return scenes;
}

int Usage() {
    std::fprintf(stderr, "usage: soak [--scene <file in scenes/>]... [--minutes N] "
                         "[--rotate SECONDS] [--step-ms 1..100] [--draw-every N] [--here]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    // One rendering thread of the software rasteriser, off screen unless
    // asked for otherwise; no sound device of the machine's.
    setenv("LP_NUM_THREADS", "1", 1);
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("ALSOFT_DRIVERS", "null", 0);
    SoakOptions options;
    std::vector<std::string> scenes;
    bool here = false;
    for (int i = 1; i < argc; ++i) {
        const bool more = i + 1 < argc;
        if (std::strcmp(argv[i], "--scene") == 0 && more) {
            scenes.push_back(argv[++i]);
        } else if (std::strcmp(argv[i], "--minutes") == 0 && more) {
            options.minutes = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--rotate") == 0 && more) {
            options.rotateSeconds = uint32_t(std::max(0, std::atoi(argv[++i])));
        } else if (std::strcmp(argv[i], "--step-ms") == 0 && more) {
            options.stepMs = uint32_t(std::clamp(std::atoi(argv[++i]), 1, int(kLongestStepMs)));
        } else if (std::strcmp(argv[i], "--draw-every") == 0 && more) {
            options.drawEvery = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--here") == 0) {
            here = true;
        } else {
            return Usage();
        }
    }
    if (scenes.empty()) scenes = ShippedScenes();
    if (scenes.empty()) {
        std::fprintf(stderr, "soak: no scenes\n");
        return 1;
    }
    if (options.rotateSeconds) scenes.resize(1);
    if (here) {
        if (scenes.size() != 1) {
            std::fprintf(stderr, "soak: --here runs one scene\n");
            return 2;
        }
        return Soak(scenes[0], options) ? 0 : 1;
    }
    bool ok = true;
    for (const std::string& scene : scenes)
        ok = SoakApart(scene, options) && ok;
    return ok ? 0 : 1;
}
