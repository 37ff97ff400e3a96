// The scene tests' fixture over the shared scene runner: the shipped data
// from the runtime folder, warnings captured.
#pragma once

#include "tests/desktop/display/display_test_support.h"
#include "tests/desktop/display/frame/scene_frame_runner.h"

#include "desktop/display/camera/camera.h"
#include "platform/paths.h"

namespace display_test {

class SceneFrameFixture : public ::testing::Test {
protected:
    // In high quality, or else in the scaled rendering (drawn at a fraction
    // of the window's size, then stretched).
    void Start(int w, int h, const char* scenePath, bool highQuality = true) {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        const std::filesystem::path root = platform::ProgramFolder() / "LumivaneData";
        std::string why;
        ASSERT_TRUE(runner.Start(root, w, h, highQuality, scenePath, why)) << why;
    }
    void RunFrames(int count) { runner.RunFrames(count); }
    void ReadWindow() { ASSERT_TRUE(runner.ReadWindow(pixels, width, height)); }
    uint32_t Pixel(int x, int y) const { return pixels[size_t(y * width + x)] & 0xFFFFFFu; }

    // The camera stands at `at` looking along `direction`, level, following
    // nothing.
    void Look(Vec3 at, Vec3 direction) {
        auto& camera = static_cast<lumivane::Camera&>(runner.Draw().Camera());
        CameraView view;
        view.position = at;
        view.direction = direction.Normalize();
        view.right = Vec3::Cross({0, 1, 0}, view.direction).Normalize();
        view.up = Vec3::Cross(view.direction, view.right).Normalize();
        camera.SetView(view);
    }

    CapturedMessages messages;
    SceneFrameRunner runner;
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
};

} // namespace display_test
