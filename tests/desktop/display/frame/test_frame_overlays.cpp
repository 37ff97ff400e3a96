// What the program's frame draws over the scene, proven by its pixels: an
// additive particle system, a highlighted ship's health bar and crosshair,
// the selection box and the cursor; with the head-up display off only the
// box and the cursor stay.
//
// One small reference picture, golden/frame_overlays.png (96 x 72), holds
// them all (see the README for how reference pictures are compared and made
// again).
#include "tests/desktop/display/display_test_support.h"
#include "tests/desktop/display/own_window_host.h"
#include "tests/desktop/scene/world_fixture.h"
#include "tests/jentra/render/golden.h"

#include "desktop/display/frame/program_frame_hooks.h"
#include "desktop/display/hud/hud.h"
#include "desktop/display/overlay/scene_display_link.h"
#include "desktop/scene/command/command_interface.h"
#include "desktop/scene/entity/part_node.h"
#include "desktop/scene/entity/part_sys.h"
#include "desktop/scene/world/keyboard.h"
#include "desktop/scene/world/mouse.h"
#include "desktop/scene/world/scene_hooks.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/units/ship_base/ship.h"

using namespace display_test;

namespace lumivane {
namespace {

constexpr int kWidth = 96, kHeight = 72;

class LvFrameOverlays : public test::WorldTest {
protected:
    void SetUp() override {
        window = HiddenWindow(kWidth, kHeight);
        display = std::make_unique<Display>(
            host, DisplayOptions{platform::render::DeviceKind::OpenGL, 0, root.Path()});
        display->Init(adapter);
        ASSERT_EQ(display->Create(*window, false, kWidth, kHeight, 32), D3D_OK);
        world.Init();
        link = std::make_unique<DisplaySceneLink>(*display);
        display->SetFrameHooks(&hooks);
        GetHud().SetVisible(true, false);
        GetCommandInterface() = CommandInterface();
        GetUserInputWords() = {};
        GetSceneClock().realTime = GetSceneClock().gameTime = 20000;
        pointer.overWindow = 1; // the cursor is drawn where the pointer is
        SetInputHolders(&keys, &pointer);
    }
    void TearDown() override {
        SetInputHolders(nullptr, nullptr);
        GetCommandInterface() = CommandInterface();
        display->SetFrameHooks(nullptr);
        link.reset();
        world.Clear();
        display.reset();
    }

    Keyboard keys;
    Mouse pointer;

    Vec3 Ahead(float distance, float across, float up) const {
        const CameraView& view = display->Camera().Current();
        return view.position + view.direction * distance + view.right * across + view.up * up;
    }

    // A red-orange glow of everlasting particles on the left.
    void AddGlow() {
        AddPrototype<PartSys>("glow", [](Entity& e) {
            SetInt(e, "Num particles", 40);
            SetFloat(e, "Lifespan", 20.0f);
            SetFloat(e, "Velocity", 0.0f);
            SetFloat(e, "Size", 0.8f);
            SetFloat(e, "Spawn radius", 2.0f);
            SetFlag(e, "Additive Blend", true);
            SetFlag(e, "Fade in", false);
            SetFloat(e, "Red", 1.0f);
            SetFloat(e, "Green", 0.25f);
            SetFloat(e, "Blue", 0.0f);
        });
        PartSys* glow = Spawn<PartSys>("glow", Ahead(30.0f, -9.0f, 3.0f));
        ASSERT_NE(glow, nullptr);
        glow->Update();
    }

    // A highlighted ship on the right, its crosshair long grown in.
    void AddShip() {
        AddPrototype<Ship>("scout");
        Ship* ship = Spawn<Ship>("scout", Ahead(30.0f, 8.0f, 2.0f));
        ASSERT_NE(ship, nullptr);
        ship->radius = 2.0f;
        ship->highlighted = 1;
        ship->crosshairActive = 1;
        ship->crosshairStart = GetSceneClock().realTime - 10000;
    }

    void Frame() {
        world.JoinPending();
        display->Camera().Apply();
        display->PresentFrame();
        platform::render::Device& device = *display->Device();
        ASSERT_TRUE(device.ReadSurface(display->LastFrameSurface(), pixels, width, height));
    }
    uint32_t Pixel(int x, int y) const { return pixels[size_t(y * width + x)] & 0xFFFFFFu; }
    // How many pixels of the rectangle pass the test.
    int Count(int x0, int y0, int x1, int y1, bool (*test)(uint32_t)) const {
        int count = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                count += test(Pixel(x, y)) ? 1 : 0;
        return count;
    }
    static int R(uint32_t c) { return int(c >> 16 & 0xFF); }
    static int G(uint32_t c) { return int(c >> 8 & 0xFF); }
    static int B(uint32_t c) { return int(c & 0xFF); }

    platform_test::TempDir root;
    QuietHost host;
    AdapterRecord adapter;
    std::unique_ptr<platform::Window> window;
    std::unique_ptr<Display> display;
    std::unique_ptr<DisplaySceneLink> link;
    ProgramFrameHooks hooks;
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
};

bool Glowing(uint32_t c) {
    return (c >> 16 & 0xFF) > 100 && (c & 0xFF) < 40;
}
bool Yellow(uint32_t c) {
    return (c >> 16 & 0xFF) > 40 && (c >> 8 & 0xFF) > 40 && (c & 0xFF) < 10;
}
bool Green(uint32_t c) {
    return (c >> 8 & 0xFF) > 40 && (c >> 16 & 0xFF) < 10 && (c & 0xFF) < 10;
}
bool White(uint32_t c) {
    return (c & 0xFFFFFF) == 0xFFFFFF;
}

TEST_F(LvFrameOverlays, ParticlesHudBoxAndCursorMatchTheirGolden) {
    AddGlow();
    AddShip();
    CommandInterface& commands = GetCommandInterface();
    commands.mode = kModeBoxSelect;
    commands.pressScreen[0] = -0.2f;
    commands.pressScreen[1] = 0.3f;
    commands.currentScreen[0] = 0.2f;
    commands.currentScreen[1] = 0.6f;
    commands.cursorX = 0.7f;
    commands.cursorY = -0.5f;
    Frame();
    EXPECT_TRUE(golden::MatchesGolden("frame_overlays", pixels, width, height));

    // The glow on the left half, additive: brighter where quads overlap.
    EXPECT_GT(Count(0, 0, width / 2, height, Glowing), 20);
    // The crosshair (yellow) and health bar (green) on the right half.
    EXPECT_GT(Count(width / 2, 0, width, height, Yellow), 3);
    EXPECT_GT(Count(width / 2, 0, width, height, Green), 1);
    // The box's field: x -0.2..0.2, y 0.3..0.6 down the screen (y runs
    // -0.75 at the top to 0.75 at the bottom).
    EXPECT_TRUE(White(Pixel(width / 2, int((0.45f / 1.5f + 0.5f) * float(height)))));
    // The cursor's top-left corner sits at its hot spot.
    const int cx = int((0.7f + 1.0f) / 2.0f * float(width)) + 1;
    const int cy = int((-0.5f / 1.5f + 0.5f) * float(height)) + 1;
    EXPECT_TRUE(White(Pixel(cx, cy))) << std::hex << Pixel(cx, cy);

    // The head-up display off: its layers go, the box and cursor stay.
    GetHud().SetVisible(false, false);
    Frame();
    EXPECT_EQ(Count(width / 2, 0, width, height, Yellow), 0);
    EXPECT_EQ(Count(width / 2, 0, width, height, Green), 0);
    EXPECT_TRUE(White(Pixel(cx, cy)));
    EXPECT_TRUE(White(Pixel(width / 2, int((0.45f / 1.5f + 0.5f) * float(height)))));
    EXPECT_GT(Count(0, 0, width / 2, height, Glowing), 20) << "particles are not the HUD's";
}

} // namespace
} // namespace lumivane
