// The renderer's adapter and mode questions over adapters the tests
// describe, full-screen displays whose sizes the screen refuses, and
// windowed displays that change size.
#include "render_test_support.h"

#include "Jentra/JTGame.h"
#include "Jentra/render/screen_mode.h"

using namespace render_test;
using platform::render::AdapterInfo;

namespace {

AdapterInfo Card(uint32_t vendor, uint32_t device, std::vector<D3DDISPLAYMODE> modes) {
    AdapterInfo a;
    a.description = "card";
    a.vendorId = vendor;
    a.deviceId = device;
    a.subSysId = 7;
    a.revision = 1;
    a.desktop = {1024, 768, 60, D3DFMT_X8R8G8B8};
    a.modes = std::move(modes);
    a.maxSamples = 4;
    return a;
}

} // namespace

TEST(Renderer, ModesAndAdaptersAreFoundFirstMatchFirst) {
    JTRenderer renderer;
    renderer.SetAdapters({Card(1, 2,
                               {{1024, 768, 60, D3DFMT_X8R8G8B8},
                                {1024, 768, 85, D3DFMT_X8R8G8B8},
                                {800, 600, 60, D3DFMT_R5G6B5},
                                {640, 480, 60, D3DFMT_A8R8G8B8}}),
                          Card(3, 4, {}), Card(3, 4, {})});
    int mode = -1;
    EXPECT_EQ(renderer.FindMode(0, {1024, 768, 85, D3DFMT_X8R8G8B8}, &mode), S_OK);
    EXPECT_EQ(mode, 0) << "the refresh rate is not compared";
    EXPECT_EQ(renderer.FindMode(0, {1024, 768, 60, D3DFMT_R5G6B5}, &mode), JT_UNSUPPORTED_MODE);
    EXPECT_EQ(renderer.FindMode(1, {1024, 768, 60, D3DFMT_X8R8G8B8}, &mode), JT_UNSUPPORTED_MODE);
    EXPECT_EQ(renderer.FindMode(9, {1024, 768, 60, D3DFMT_X8R8G8B8}, &mode), JT_UNSUPPORTED_MODE);

    int adapter = -1;
    EXPECT_EQ(renderer.FindAdapter({3, 4, 7, 1}, &adapter), S_OK);
    EXPECT_EQ(adapter, 1) << "of two identical cards the first";
    adapter = 42;
    EXPECT_EQ(renderer.FindAdapter({3, 4, 7, 2}, &adapter), JT_UNSUPPORTED_ADAPTER);
    EXPECT_EQ(adapter, 42);

    char text[64];
    renderer.GetModeDescString(text, sizeof text, 0, 2);
    EXPECT_STREQ(text, "800 x 600, 16 Bit RGB");
    renderer.GetModeDescString(text, sizeof text, 0, 3);
    EXPECT_STREQ(text, "640 x 480, unknown");
    char small[8];
    renderer.GetModeDescString(small, sizeof small, 0, 0);
    EXPECT_STREQ(small, "1024 x ");
    EXPECT_EQ(renderer.GetModeBPP(0, 0), 32);
    EXPECT_EQ(renderer.GetModeBPP(0, 3), 0);
    EXPECT_TRUE(renderer.CheckDeviceMultiSampleType(0, D3DFMT_X8R8G8B8, 3));
    EXPECT_FALSE(renderer.CheckDeviceMultiSampleType(0, D3DFMT_X8R8G8B8, 8));
}

TEST(Renderer, RefusedFullScreenSizesStepDownThenTakeTheDesktop) {
    // The offscreen screen has one mode, 1024 x 768: every other size is
    // refused.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    JTRenderer::SetDeviceKind(DeviceKind::Recording);
    JTRenderer renderer;
    renderer.SetAdapters(
        {Card(1, 2, {{1600, 1200, 60, D3DFMT_X8R8G8B8}, {1152, 864, 60, D3DFMT_X8R8G8B8}})});
    platform::WindowDesc desc;
    desc.hidden = true;
    desc.width = 100;
    desc.height = 100;
    auto stepped = platform::Window::Create(desc);
    auto odd = platform::Window::Create(desc);
    ASSERT_TRUE(stepped && odd);

    // 1600 x 1200, then 1280 x 1024, then 1024 x 768: taken.
    JTDisplay* a = renderer.CreateDisplayFullScreen(0, 0, stepped.get());
    ASSERT_TRUE(a->GetDevice());
    EXPECT_TRUE(a->GetFullScreen());
    EXPECT_EQ(a->GetWidth(), 1024);
    EXPECT_EQ(a->GetHeight(), 768);
    EXPECT_EQ(stepped->Mode(), platform::WindowMode::Fullscreen);
    EXPECT_FLOAT_EQ(a->GetAspect(), 1024.0f / 768.0f);
    // A size the screen does not offer is refused, the mode in use kept.
    const D3DDISPLAYMODE unoffered = {800, 600, 0, D3DFMT_X8R8G8B8};
    EXPECT_FALSE(a->ChangeDisplayMode(&unoffered));
    EXPECT_EQ(a->GetWidth(), 1024);
    EXPECT_EQ(a->GetHeight(), 768);
    EXPECT_EQ(stepped->Mode(), platform::WindowMode::Fullscreen);
    const D3DDISPLAYMODE offered = {1024, 768, 0, D3DFMT_X8R8G8B8};
    EXPECT_TRUE(a->ChangeDisplayMode(&offered));

    // 1152 x 864 has no smaller step: the screen is taken as it is.
    JTDisplay* b = renderer.CreateDisplayFullScreen(0, 1, odd.get());
    ASSERT_TRUE(b->GetDevice());
    EXPECT_EQ(odd->Mode(), platform::WindowMode::FullscreenDesktop);
    EXPECT_EQ(renderer.GetNumDisplays(), 2);
    JTRenderer::SetDeviceKind(DeviceKind::OpenGL);
}

TEST(Renderer, WithoutVertexShadersMultisamplingIsOffUnlessTheUserChoseIt) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    JTRenderer::SetDeviceKind(DeviceKind::Recording);
    JTGame game;
    gpJTGame = &game;
    platform::WindowDesc desc;
    desc.hidden = true;
    auto window = platform::Window::Create(desc);
    for (bool chosen : {false, true}) {
        JTRenderer renderer;
        AdapterInfo card = Card(1, 2, {{1024, 768, 60, D3DFMT_X8R8G8B8}});
        card.vertexShaders = false;
        renderer.SetAdapters({card});
        game.GetUserOptions()->Multisample = true;
        game.GetUserOptions()->MultisampleSet = chosen;
        JTDisplay* display = renderer.CreateDisplayWindowed(0, window.get());
        EXPECT_FALSE(display->GetHWVertProc());
        EXPECT_EQ(game.GetUserOptions()->Multisample, chosen);
        EXPECT_EQ(display->GetMultisampleType(), 3) << "kept for later resets";
    }
    gpJTGame = nullptr;
    JTRenderer::SetDeviceKind(DeviceKind::OpenGL);
}

TEST(Renderer, AWindowSizeStepsDownUntilItFitsTheScreen) {
    using jentra::render::FitSize;
    int w = 1024, h = 768;
    EXPECT_TRUE(FitSize(w, h, 1280, 1024));
    EXPECT_EQ(w, 1024);
    w = 1600, h = 1200;
    EXPECT_FALSE(FitSize(w, h, 1280, 1000)) << "1280 x 1024 is too tall by a frame's bar";
    EXPECT_EQ(w, 1024);
    EXPECT_EQ(h, 768);
    w = 1152, h = 864; // no smaller step: cut to the screen
    EXPECT_FALSE(FitSize(w, h, 1024, 768));
    EXPECT_EQ(w, 1024);
    EXPECT_EQ(h, 768);
    w = 800, h = 600; // smaller than every step
    EXPECT_FALSE(FitSize(w, h, 320, 240));
    EXPECT_EQ(w, 320);
    EXPECT_EQ(h, 240);
}

TEST(Renderer, AWindowedDisplayTakesANewSizeThatFitsAndRefusesOneThatDoesNot) {
    // The offscreen screen is 1024 x 768.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    JTRenderer::SetDeviceKind(DeviceKind::Recording);
    JTRenderer renderer;
    renderer.SetAdapters({Card(1, 2, {{1024, 768, 60, D3DFMT_X8R8G8B8}})});
    platform::WindowDesc desc;
    desc.hidden = true;
    desc.width = 640;
    desc.height = 480;
    auto window = platform::Window::Create(desc);
    ASSERT_TRUE(window);
    JTDisplay* display = renderer.CreateDisplayWindowed(0, window.get());
    ASSERT_TRUE(display->GetDevice());
    ASSERT_EQ(display->GetWidth(), 640);

    const D3DDISPLAYMODE larger = {800, 600, 0, D3DFMT_X8R8G8B8};
    EXPECT_TRUE(display->ChangeDisplayMode(&larger));
    EXPECT_EQ(window->Width(), 800);
    EXPECT_EQ(window->Height(), 600);
    EXPECT_EQ(display->GetWidth(), 800);
    EXPECT_EQ(display->GetDevice()->BackBufferHeight(), 600);
    EXPECT_FLOAT_EQ(display->GetAspect(), 800.0f / 600.0f);
    int x = -1, y = -1;
    window->Position(x, y);
    EXPECT_EQ(x, 112) << "centred on the screen";
    EXPECT_EQ(y, 84);

    const D3DDISPLAYMODE tooLarge = {1280, 1024, 0, D3DFMT_X8R8G8B8};
    EXPECT_FALSE(display->ChangeDisplayMode(&tooLarge));
    EXPECT_EQ(window->Width(), 800);
    EXPECT_EQ(display->GetWidth(), 800);
    EXPECT_EQ(display->GetHeight(), 600);
    EXPECT_NE(display->GetDynamicVB(), nullptr) << "the display still draws";
    EXPECT_TRUE(display->ChangeDisplayMode(nullptr));
    JTRenderer::SetDeviceKind(DeviceKind::OpenGL);
}
