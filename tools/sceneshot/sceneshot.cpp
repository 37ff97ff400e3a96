// sceneshot <data root> <scene> <out prefix> [--at SECONDS]... [--size WxH]
//           [--quality high|scaled] [--logo]
// Runs a Lumivane scene with the program's display off screen on a test
// clock of 30 frames a second and writes a PNG picture at each time asked
// for (by default 5 s, 1, 5 and 10 minutes) as <out prefix>-<seconds>s.png.
// Frames between the pictures are stepped (the world, the players, the
// triggers and the camera) but not drawn, so ten minutes of a scene take
// seconds. With --logo the logo is shown, as the program shows it when its
// "Logo" setting is on.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "desktop/display/hud/hud.h"
#include "platform/image/png.h"
#include "tests/desktop/display/frame/scene_frame_runner.h"

namespace {

int Usage() {
    std::fprintf(stderr, "usage: sceneshot <data root> <scene> <out prefix> [--at SECONDS]... "
                         "[--size WxH] [--quality high|scaled] [--logo]\n");
    return 2;
}

bool WritePicture(lumivane::SceneFrameRunner& runner, const std::string& path) {
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    if (!runner.ReadWindow(pixels, width, height)) return false;
    platform::image::Image image;
    image.format = platform::image::PixelFormat::X8R8G8B8;
    image.width = width;
    image.height = height;
    image.pixels.resize(pixels.size() * 4);
    std::memcpy(image.pixels.data(), pixels.data(), image.pixels.size());
    std::string error;
    if (!platform::image::WritePngFile(path, image, false, &error)) {
        std::fprintf(stderr, "sceneshot: %s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) return Usage();
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    const std::filesystem::path root = argv[1];
    const std::string scene = argv[2];
    const std::string prefix = argv[3];
    std::vector<int> seconds;
    int width = 1280, height = 720;
    bool highQuality = true;
    bool logo = false;
    for (int i = 4; i < argc; ++i) {
        if (std::strcmp(argv[i], "--at") == 0 && i + 1 < argc) {
            seconds.push_back(std::max(0, std::atoi(argv[++i])));
        } else if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc) {
            if (std::sscanf(argv[++i], "%dx%d", &width, &height) != 2 || width < 16 || height < 16)
                return Usage();
        } else if (std::strcmp(argv[i], "--quality") == 0 && i + 1 < argc) {
            highQuality = std::strcmp(argv[++i], "high") == 0;
        } else if (std::strcmp(argv[i], "--logo") == 0) {
            logo = true;
        } else {
            return Usage();
        }
    }
    if (seconds.empty()) seconds = {5, 60, 300, 600};
    std::sort(seconds.begin(), seconds.end());

    lumivane::SceneFrameRunner runner;
    std::string why;
    if (!runner.Start(root, width, height, highQuality, "scenes\\" + scene, why)) {
        std::fprintf(stderr, "sceneshot: %s: %s\n", scene.c_str(), why.c_str());
        return 1;
    }
    // The head-up display reads its textures and sizes at the program's
    // start; without them its squad numbers would be bare grey squares.
    lumivane::GetHud().LoadSettings(runner.script);
    if (logo) runner.Draw().LoadOverlayTextures(&runner.script, true, false);
    constexpr int kFramesPerSecond = 30;
    constexpr int kDrawnBefore = 30; // drawn frames before each picture
    int frame = 0;
    for (int at : seconds) {
        const int target = at * kFramesPerSecond;
        const int quiet = std::max(0, target - kDrawnBefore - frame);
        runner.RunFrames(quiet, false);
        runner.RunFrames(std::max(1, target - frame - quiet));
        frame = target;
        const std::string path = prefix + "-" + std::to_string(at) + "s.png";
        if (!WritePicture(runner, path)) return 1;
        std::printf("%s\n", path.c_str());
    }
    return 0;
}
