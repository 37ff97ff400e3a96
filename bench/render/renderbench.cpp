// renderbench [--frames N] [--window] [--shots <folder>]
// Draws scenes of 1, 100 and 1000 lit spheres, then the display's ribbon
// benchmark ("benmark"), each for N frames (default 200) on a 1024 x 768
// display, and prints frames per second, triangles per frame and the
// process's resident memory (VmRSS, and its peak VmHWM). Off screen unless
// --window; --shots writes the last frame of each scene as a bitmap.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "Jentra/JTCamera.h"
#include "Jentra/JTConsole.h"
#include "Jentra/JTDisplay.h"
#include "Jentra/JTFrameClock.h"
#include "Jentra/JTGlobals.h"
#include "Jentra/JTID.h"
#include "Jentra/JTLight.h"
#include "Jentra/JTRenderer.h"
#include "Jentra/JTScene.h"
#include "Jentra/JTView.h"
#include "Jentra/render/screenshot_file.h"
#include "bench_geo_parts.h"
#include "platform/window.h"

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr float kSpacing = 3.0f;

// "VmRSS" or "VmHWM" of this process in megabytes.
double ProcessMemoryMb(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(key, 0) == 0) return std::atof(line.c_str() + std::strlen(key) + 1) / 1024.0;
    }
    return 0.0;
}

void AddSpheres(JTScene& scene, int count, BenchEffect* effect) {
    int side = 1;
    while (side * side * side < count)
        ++side;
    const float middle = 0.5f * float(side - 1) * kSpacing;
    for (int i = 0; i < count; ++i) {
        const int x = i % side, y = (i / side) % side, z = i / (side * side);
        auto* mesh = new BenchMesh;
        mesh->color = {0.3f + 0.7f * float(x) / float(side), 0.3f + 0.7f * float(y) / float(side),
                       0.3f + 0.7f * float(z) / float(side), 1.0f};
        auto* node = new JTGeoNode;
        node->SetMesh(reinterpret_cast<JTMesh*>(mesh));
        node->SetEffect(reinterpret_cast<JTEffect*>(effect), false);
        auto* entity = new JTEntity;
        entity->AddChild(node);
        entity->SetPos(JTVec3(float(x) * kSpacing - middle, float(y) * kSpacing - middle,
                              float(z) * kSpacing - middle));
        entity->ComputeMatrix();
        scene.Add(entity);
    }
    scene.PostFrameUpdate();
}

struct Result {
    double fps;
    double trianglesPerFrame;
};

// Frames drawn in a row, the camera turning slowly about the scene.
Result Run(JTDisplay& display, JTCamera& camera, float distance, int frames) {
    auto frame = [&](int i) {
        const float angle = 0.01f * float(i);
        camera.SetView(
            JTVec3(distance * std::sin(angle), 0.3f * distance, -distance * std::cos(angle)),
            JTVec3(-std::sin(angle), -0.3f, std::cos(angle)), JTVec3(0, 1, 0));
        gdwTime += 16;
        display.Render();
    };
    for (int i = 0; i < 5; ++i)
        frame(i);
    display.SetStatsInterval(0.0f);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; ++i)
        frame(i + 5);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // The display's own count over the last frame.
    return Result{frames / seconds, display.GetTrisPerSec() / display.GetFramesPerSec()};
}

void Report(const char* what, const Result& r) {
    std::printf("%-18s %8.1f fps %10.0f triangles/frame   VmRSS %6.1f MB   VmHWM %6.1f MB\n", what,
                r.fps, r.trianglesPerFrame, ProcessMemoryMb("VmRSS"), ProcessMemoryMb("VmHWM"));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    int frames = 200;
    bool windowed = false;
    std::filesystem::path shots;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
            frames = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--window") == 0) {
            windowed = true;
        } else if (std::strcmp(argv[i], "--shots") == 0 && i + 1 < argc) {
            shots = argv[++i];
        } else {
            std::fprintf(stderr, "usage: renderbench [--frames N] [--window] [--shots folder]\n");
            return 2;
        }
    }
    if (frames <= 0) frames = 1;
    if (!windowed) setenv("SDL_VIDEODRIVER", "offscreen", 0);

    JTIDMap ids;
    gpJTIDMap = &ids;
    platform::WindowDesc desc;
    desc.title = "renderbench";
    desc.width = kWidth;
    desc.height = kHeight;
    desc.hidden = !windowed;
    std::string error;
    auto window = platform::Window::Create(desc, &error);
    if (!window) {
        std::fprintf(stderr, "renderbench: %s\n", error.c_str());
        return 1;
    }
    int status = 0;
    {
        JTRenderer renderer;
        JTDisplay* display = renderer.CreateDisplayWindowed(0, window.get());
        BenchGeoParts parts;
        if (!display->GetDevice() || !parts.Prepare(*display)) {
            std::fprintf(stderr, "renderbench: no display\n");
            return 1;
        }
        gpJTDisplay = display;
        SetGeoParts(&parts);
        BenchEffect effect;

        JTScene scene;
        auto* light = new JTLight;
        light->GetLight().type = JTLightRecord::DIRECTIONAL;
        light->GetLight().diffuse = {1, 1, 1, 1};
        light->GetLight().ambient = {0.2f, 0.2f, 0.2f, 1};
        light->GetLight().direction = JTVec3Normalize(JTVec3(0.4f, -0.7f, 0.6f));
        scene.Add(light);
        scene.PostFrameUpdate();
        JTCamera camera;
        camera.SetAspect(float(kWidth) / float(kHeight));
        camera.SetClip(0.5f, 500.0f);
        JTView view(&scene, &camera, 0, 0, 1, 1, 0, 1);
        display->AddView(&view);

        std::printf("renderbench: %d frames at %d x %d on %s\n", frames, display->GetWidth(),
                    display->GetHeight(), windowed ? "a window" : "an off-screen display");
        for (int count : {1, 100, 1000}) {
            AddSpheres(scene, count, &effect);
            int side = 1;
            while (side * side * side < count)
                ++side;
            const Result r = Run(*display, camera, 4.0f + 2.2f * float(side) * kSpacing, frames);
            char what[32];
            std::snprintf(what, sizeof what, "%d sphere%s", count, count == 1 ? "" : "s");
            Report(what, r);
            if (!shots.empty())
                JTWriteFrontBufferBitmap(*display->GetDevice(),
                                         shots / ("spheres-" + std::to_string(count) + ".bmp"));
            // Keep the light, drop the spheres.
            for (int i = scene.GetNumChildren() - 1; i >= 0; --i)
                if (scene.GetChild(i) != light) scene.Delete(scene.GetChild(i));
            scene.PostFrameUpdate();
        }

        // The ribbons are switched on as a developer would, at the console.
        JTConsole console;
        console.SetOpen(true);
        for (const char* c = "benmark\r"; *c; ++c)
            console.ProcessChar(*c);
        console.SetOpen(false);
        const Result r = Run(*display, camera, 4.5f, frames);
        Report("benmark ribbons", r);
        if (!shots.empty()) JTWriteFrontBufferBitmap(*display->GetDevice(), shots / "benmark.bmp");
        if (display->GetDevice()->TakeErrors(&error) != 0) {
            std::fprintf(stderr, "renderbench: GPU error %s\n", error.c_str());
            status = 1;
        }

        display->RemoveView(0);
        scene.Reset();
        scene.PostFrameUpdate();
        parts.Release();
        SetGeoParts(nullptr);
        gpJTDisplay = nullptr;
    }
    window.reset();
    gpJTIDMap = nullptr;
    return status;
}
