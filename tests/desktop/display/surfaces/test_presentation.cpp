// The display's surfaces and presentation on the recording backend: the
// render size, the scaling surface and the halves on cards with little
// memory, the skipped first frame, lost surfaces and the device reset that
// brings back the textures and the sound, the screen saver's input rules,
// a desktop colour depth the device cannot draw, and the progress bar's
// geometry.
#include "tests/desktop/display/display_test_support.h"

#include "desktop/display/surfaces/load_screen.h"
#include "platform/message_box.h"

#include <cmath>

using namespace display_test;
using platform::render::DeviceKind;
using platform::render::RecordedBlit;

namespace {

// Notes every call the display makes of the program.
class RecordingHost : public DisplayHost {
public:
    bool ScreensaverMode() const override { return screensaver; }
    bool PlayingScreensaver() const override { return playing; }
    bool TakePaint() override { return false; }
    void ResetPaint() override { calls.push_back("reset paint"); }
    void SetPreload(bool on) override {
        if (on) calls.push_back("preload");
    }
    void SetVolumes(float level) override { calls.push_back("volume " + std::to_string(level)); }
    void RestoreVolumes() override { calls.push_back("volume back"); }
    void UpdateSound() override { calls.push_back("sound update"); }
    void SetDeviceLost(bool lost) override {
        if (lost) calls.push_back("device lost");
    }
    void PostQuit() override { calls.push_back("quit"); }
    void EndDesktopScreensaver() override { calls.push_back("saver ends"); }
    void RebuildSharedVertices() override { calls.push_back("vertices"); }
    bool HighQualityMode(int) const override { return highQuality; }
    void Sleep(uint32_t ms) override { calls.push_back("sleep " + std::to_string(ms)); }

    bool screensaver = false;
    bool playing = false;
    bool highQuality = false;
    std::vector<std::string> calls;
};

class Presentation : public ::testing::Test {
protected:
    void Make(int width, int height, uint64_t textureMemory = 0) {
        window = HiddenWindow(width, height);
        display = std::make_unique<Display>(
            host, DisplayOptions{DeviceKind::Recording, textureMemory, {}});
        display->Init(adapter);
        ASSERT_EQ(display->Create(*window, false, width, height, 32), D3D_OK);
    }
    platform::render::Recording& Recorded() { return *display->Device()->GetRecording(); }
    platform::render::Surface* Back() { return display->Device()->GetBackBuffer(); }
    platform::render::Surface* Primary() { return display->Device()->GetPrimarySurface(); }

    RecordingHost host;
    AdapterRecord adapter;
    std::unique_ptr<platform::Window> window;
    std::unique_ptr<Display> display;
};

bool SameRect(const D3DRECT& a, const D3DRECT& b) {
    return a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2;
}

} // namespace

TEST_F(Presentation, NormalQualityRendersAtFiveEighthsAndStretchesThroughTheScalingSurface) {
    Make(1280, 1024);
    EXPECT_EQ(display->RenderWidth(), 800);
    EXPECT_EQ(display->RenderHeight(), 640);
    EXPECT_EQ(Back()->Width(), 800);
    ASSERT_NE(display->ScalingSurface(), nullptr);
    EXPECT_EQ(display->ScalingSurface()->Height(), 1024);
    EXPECT_FALSE(display->LowVideoMemory());
    EXPECT_EQ(display->ZBuffer()->Width(), 800);

    Recorded().Forget();
    display->Present(); // the first frame after creation is not shown
    EXPECT_TRUE(Recorded().blits.empty());
    EXPECT_EQ(Recorded().primaryShows, 0);
    display->Present();
    ASSERT_EQ(Recorded().blits.size(), 2u);
    const RecordedBlit& toScaling = Recorded().blits[0];
    EXPECT_EQ(toScaling.source, Back());
    EXPECT_TRUE(SameRect(toScaling.from, {0, 0, 800, 640}));
    EXPECT_EQ(toScaling.target, display->ScalingSurface());
    EXPECT_TRUE(toScaling.linear);
    EXPECT_EQ(Recorded().blits[1].target, Primary());
    EXPECT_TRUE(SameRect(Recorded().blits[1].to, {0, 0, 1280, 1024}));
    EXPECT_EQ(Recorded().primaryShows, 1);
}

TEST_F(Presentation, SizesRoundDownToMultiplesOfFour) {
    Make(1030, 771);
    EXPECT_EQ(display->RenderWidth(), 640);  // 643.75
    EXPECT_EQ(display->RenderHeight(), 480); // 481.875
    EXPECT_FLOAT_EQ(display->Aspect(), 1030.0f / 771.0f);
}

TEST_F(Presentation, LittleTextureMemoryPresentsInTwoHalves) {
    Make(1280, 1024, 20ull << 20);
    ASSERT_TRUE(display->LowVideoMemory());
    EXPECT_EQ(display->ScalingSurface()->Height(), 512);
    display->SkipFrames(0);
    Recorded().Forget();
    display->Present();
    const auto& b = Recorded().blits;
    ASSERT_EQ(b.size(), 4u);
    EXPECT_TRUE(SameRect(b[0].from, {0, 0, 800, 320}));
    EXPECT_TRUE(SameRect(b[1].to, {0, 0, 1280, 512}));
    EXPECT_TRUE(SameRect(b[2].from, {0, 320, 800, 640}));
    EXPECT_TRUE(SameRect(b[3].to, {0, 512, 1280, 1024}));
    EXPECT_EQ(b[1].source, display->ScalingSurface());
}

TEST_F(Presentation, HighQualityDrawsAtTheOutputSizeWithoutScaling) {
    host.highQuality = true;
    Make(640, 480);
    EXPECT_EQ(display->RenderWidth(), 640);
    EXPECT_EQ(display->ScalingSurface(), nullptr);
    display->SkipFrames(0);
    Recorded().Forget();
    display->Present();
    ASSERT_EQ(Recorded().blits.size(), 1u);
    EXPECT_EQ(Recorded().blits[0].source, Back());
    EXPECT_EQ(Recorded().blits[0].target, Primary());
}

TEST_F(Presentation, LostSurfacesMuteAndTheResetBringsTexturesAndSoundBack) {
    Make(320, 240);
    platform_test::TempDir root;
    WriteFile(root.Path() / "hull.dds",
              DdsBytes(Chain(image::PixelFormat::R5G6B5, 64, {0x10, 0x84})));
    TextureManager manager;
    manager.SetDataRoot(root.Path());
    gpTextureManager = &manager;
    ASSERT_TRUE(manager.Init(*display));
    TextureSet* hull = manager.GetTexture("hull.dds", "Ship", 1, 0);
    ASSERT_TRUE(hull && hull->GetSurface(3, 0));

    display->SkipFrames(0);
    Recorded().surfacesLost = true;
    display->Present();
    EXPECT_FALSE(display->HasDevice());
    EXPECT_EQ(hull->GetSurface(3, 0), nullptr);
    EXPECT_EQ(host.calls,
              (std::vector<std::string>{"device lost", "volume 0.000000", "sound update", "preload",
                                        "sleep 2000", "reset paint"}));
    EXPECT_TRUE(display->TakeDeviceLost());
    EXPECT_FALSE(display->TakeDeviceLost());

    // The window comes back to the front: the device is made again.
    host.calls.clear();
    platform::Event focus;
    focus.type = platform::EventType::FocusGained;
    display->HandleEvent(focus);
    EXPECT_TRUE(display->HasDevice());
    EXPECT_NE(hull->GetSurface(3, 0), nullptr);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"vertices", "volume back"}));
    gpTextureManager = nullptr;
}

TEST_F(Presentation, TheScreenSaverIgnoresTheFirstMouseMove) {
    host.screensaver = true;
    Make(320, 240);
    platform::Event move;
    move.type = platform::EventType::MouseMove;
    EXPECT_TRUE(display->HandleEvent(move));
    EXPECT_TRUE(host.calls.empty());
    EXPECT_TRUE(display->HandleEvent(move));
    EXPECT_EQ(host.calls, std::vector<std::string>{"quit"});

    // The desktop playing the screen saver ends its show on a key instead.
    host.screensaver = false;
    host.playing = true;
    host.calls.clear();
    platform::Event key;
    key.type = platform::EventType::KeyDown;
    EXPECT_TRUE(display->HandleEvent(key));
    EXPECT_EQ(host.calls, std::vector<std::string>{"saver ends"});
    // Without either mode input is not the display's.
    host.playing = false;
    EXPECT_FALSE(display->HandleEvent(key));
}

TEST_F(Presentation, AColourDepthTheDeviceCannotDrawIsToldOnce) {
    window = HiddenWindow(160, 120);
    display = std::make_unique<Display>(host, DisplayOptions{DeviceKind::Recording});
    display->Init(adapter);
    int boxes = 0;
    auto previous = platform::SetMessageBoxHook([&](const platform::MessageBoxRequest& r) {
        EXPECT_EQ(r.title, "Lumivane");
        ++boxes;
        return platform::MessageBoxResult::Ok;
    });
    EXPECT_NE(display->Create(*window, false, 160, 120, 8), D3D_OK);
    EXPECT_NE(display->Create(*window, false, 160, 120, 8), D3D_OK);
    EXPECT_EQ(boxes, 1);
    EXPECT_FALSE(display->HasDevice());
    EXPECT_EQ(display->Create(*window, false, 160, 120, 32), D3D_OK);
    EXPECT_NE(display->Create(*window, false, 160, 120, 8), D3D_OK);
    EXPECT_EQ(boxes, 2);
    platform::SetMessageBoxHook(previous);
}

TEST(ProgressBar, SegmentsFillFromTheBottomUp) {
    const ProgressBar half = LayOutProgress(0.5f, 1000, 1000);
    // left 810, right 940, first top 582, step (881 - 582) / 6 = 49.
    ASSERT_EQ(half.count, 4);
    EXPECT_TRUE(SameRect(half.segments[0].rect, {810, 876, 940, 910}));
    EXPECT_TRUE(SameRect(half.segments[3].rect, {810, 729, 940, 763}));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(half.segments[size_t(i)].color, D3DCOLOR_ARGB(255, 128, 128, 255));
    EXPECT_EQ(half.segments[3].color, D3DCOLOR_ARGB(255, 0, 0, 0));

    const ProgressBar full = LayOutProgress(1.0f, 1000, 1000);
    ASSERT_EQ(full.count, 6);
    EXPECT_EQ(full.segments[5].color, D3DCOLOR_ARGB(255, 128, 128, 255));
    EXPECT_TRUE(SameRect(full.segments[5].rect, {810, 631, 940, 665}));

    // Part way into a segment: a share of the full colour.
    const ProgressBar part = LayOutProgress(0.25f, 1000, 1000);
    ASSERT_EQ(part.count, 2);
    EXPECT_EQ(part.segments[1].color, D3DCOLOR_ARGB(255, 64, 64, 127));
    // Not a number counts as nothing done; beyond the ends is clamped.
    const ProgressBar none = LayOutProgress(std::nanf(""), 1000, 1000);
    ASSERT_EQ(none.count, 1);
    EXPECT_EQ(none.segments[0].color, D3DCOLOR_ARGB(255, 0, 0, 0));
    EXPECT_EQ(LayOutProgress(7.0f, 1000, 1000).count, 6);
    EXPECT_EQ(LayOutProgress(-1.0f, 1000, 1000).count, 1);
}
