// Frames of hand-built worlds on software GL, proven by their pixels: no
// colour clear behind a backdrop body, transparent quads blended far to
// near whatever their queue order, the statistics line's frame rate, and
// the title, caption and hover label where their slots put them.
//
// One small reference picture, golden/frame_text_letterbox.png (64 x 36),
// holds a grey scene with the green text3 over its black shadow and the
// letterbox bars (see the README for how reference pictures are compared
// and made again).
#include "tests/desktop/display/display_test_support.h"
#include "tests/desktop/display/own_window_host.h"
#include "tests/jentra/render/golden.h"

#include "desktop/display/font/bitmap_font.h"
#include "desktop/display/hud/hud.h"
#include "desktop/scene/command/command_interface.h"
#include "desktop/scene/entity/celestial.h"
#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/script_config.h"
#include "desktop/scene/world/world.h"

using namespace display_test;

namespace {

class LvFramePixels : public ::testing::Test {
protected:
    void Make(int w, int h) {
        window = HiddenWindow(w, h);
        display = std::make_unique<Display>(
            host, DisplayOptions{platform::render::DeviceKind::OpenGL, 0, root.Path()});
        display->Init(adapter);
        ASSERT_EQ(display->Create(*window, false, w, h, 32), D3D_OK);
        world.Init();
        SetWorld(&world);
    }
    void TearDown() override {
        world.Clear();
        SetWorld(nullptr);
        display.reset();
    }

    // An unlit square of `size` facing the camera, `distance` ahead of it.
    Entity* AddSquare(Entity* entity, float distance, float size, uint32_t colour) {
        const CameraView& view = display->Camera().Current();
        const float h = size / 2.0f;
        std::vector<Vertex> corners(4);
        const Vec3 positions[4] = {{-h, -h, 0}, {-h, h, 0}, {h, -h, 0}, {h, h, 0}};
        for (int i = 0; i < 4; ++i) {
            corners[size_t(i)].position = positions[i];
            corners[size_t(i)].colour = colour;
        }
        auto* square = new GeoNode;
        square->SetGeometry(corners, {0, 1, 2, 2, 1, 3});
        square->lighting = 0;
        square->billboard = 1;
        square->twoSided = 1;
        if (colour >> 24 != 0xFF) {
            square->transparent = 1;
            square->blendMode = 1;
            square->depthWrite = 0;
        }
        entity->AddChild(square);
        entity->position = view.position + view.direction * distance;
        entity->PlaceLocalMatrix();
        world.AddEntity(entity);
        return entity;
    }

    // The picture after one frame.
    void Frame() {
        world.JoinPending();
        display->Camera().Apply();
        display->PresentFrame();
        platform::render::Device& device = *display->Device();
        ASSERT_TRUE(device.ReadSurface(display->LastFrameSurface(), pixels, width, height));
    }
    uint32_t Pixel(int x, int y) const { return pixels[size_t(y * width + x)] & 0xFFFFFFu; }

    platform_test::TempDir root;
    QuietHost host;
    AdapterRecord adapter;
    std::unique_ptr<platform::Window> window;
    std::unique_ptr<Display> display;
    World world;
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
};

bool Near(uint32_t rgb, int r, int g, int b, int tolerance = 3) {
    return std::abs(int(rgb >> 16 & 0xFF) - r) <= tolerance &&
           std::abs(int(rgb >> 8 & 0xFF) - g) <= tolerance &&
           std::abs(int(rgb & 0xFF) - b) <= tolerance;
}

} // namespace

TEST_F(LvFramePixels, ABackdropBodyFirstMeansNoColourClear) {
    Make(64, 48);
    platform::render::Device& device = *display->Device();
    world.AddEntity(new Celestial); // draws nothing here
    world.JoinPending();
    ASSERT_EQ(device.ColorFill(device.GetBackBuffer(), nullptr, 0xFFFF0000), D3D_OK);
    Frame();
    EXPECT_EQ(Pixel(5, 5), 0xFF0000u);
    // With the backdrop switched off it is hidden and the target cleared.
    display->Switches().backdropOff = true;
    Frame();
    EXPECT_EQ(Pixel(5, 5), 0u);
    EXPECT_EQ(world.EntityAt(0)->visible, 0);
}

TEST_F(LvFramePixels, AnyOtherEntityFirstClearsToBlack) {
    Make(64, 48);
    platform::render::Device& device = *display->Device();
    AddSquare(new Entity, 50.0f, 1.0f, 0xFF00FF00);
    ASSERT_EQ(device.ColorFill(device.GetBackBuffer(), nullptr, 0xFFFF0000), D3D_OK);
    Frame();
    EXPECT_EQ(Pixel(2, 2), 0u);
    EXPECT_EQ(Pixel(32, 24), 0x00FF00u); // the square at the view's centre
}

TEST_F(LvFramePixels, TransparentQuadsAreBlendedFarToNear) {
    Make(64, 48);
    // Queued near first; drawn far first: blue over red over black.
    AddSquare(new Entity, 40.0f, 10.0f, 0x800000FF);
    AddSquare(new Entity, 80.0f, 20.0f, 0x80FF0000);
    Frame();
    EXPECT_TRUE(Near(Pixel(32, 24), 64, 0, 128)) << std::hex << Pixel(32, 24);
}

TEST_F(LvFramePixels, FourFramesInOneHundredMillisecondsShowFortyAStillClockShowsNone) {
    Make(32, 24);
    uint32_t now = 5000;
    display->Frame().clock = [&] { return now; };
    display->Switches().statistics = true;
    for (int i = 0; i < 4; ++i)
        display->PresentFrame();
    now += 100;
    for (int i = 0; i < 4; ++i)
        display->PresentFrame();
    EXPECT_EQ(display->Frame().statistics.line.rfind("FPS:040 ", 0), 0u)
        << display->Frame().statistics.line;
    for (int i = 0; i < 4; ++i)
        display->PresentFrame();
    EXPECT_EQ(display->Frame().statistics.line.rfind("FPS:000 ", 0), 0u);
    display->Switches().statistics = false;
    display->PresentFrame();
    EXPECT_EQ(display->Overlay().statisticsText, nullptr);
}

TEST_F(LvFramePixels, TextAndLetterboxGolden) {
    Make(64, 36);
    // Glyphs without a sheet are solid cells: their places show plainly.
    BitmapFont font;
    ScriptConfig script;
    script.Parse("[Fonts]\n<font1>\ncharPerRow 16\ncharPerColumn 16\n");
    font.Load("font1", &script);
    SetFont(&font);
    AddSquare(new Entity, 20.0f, 50.0f, 0xFF808080);
    display->ShowText(2, "Lumi", true);
    display->SetLetterbox(1, false);
    Frame();
    SetFont(nullptr);
    EXPECT_TRUE(golden::MatchesGolden("frame_text_letterbox", pixels, width, height));
    // The bars cover 15% of each half of the height.
    EXPECT_EQ(Pixel(32, 1), 0u);
    EXPECT_EQ(Pixel(32, 34), 0u);
    EXPECT_TRUE(Near(Pixel(2, 18), 128, 128, 128));
}

// On a wide picture the title, the caption and the hover label keep the
// places their slots give as shares of the picture's half width and height:
// the title's top 0.77 of the way up from the middle, the caption's foot
// 0.7 of the way down, the label's right end 0.84 of the way right.
TEST_F(LvFramePixels, TitleCaptionAndHoverLabelSitAtTheirSlotsShares) {
    Make(320, 180);
    BitmapFont font;
    ScriptConfig script;
    script.Parse("[Fonts]\n<font1>\ncharPerRow 16\ncharPerColumn 16\n");
    font.Load("font1", &script);
    SetFont(&font);
    Entity* unit = AddSquare(new Entity, 20.0f, 60.0f, 0xFF808080);
    unit->SetName("Scout");
    display->ShowText(2, "Lumi", true);
    display->ShowText(3, "Vane", true);
    unit->handle = world.AllocHandle(unit); // a unit is listed by its handle
    CommandInterface& commands = GetCommandInterface();
    ASSERT_TRUE(commands.candidates.Add(unit));
    GetHud().ShowHoverName(display->Overlay(), OverlayExtentOf(display->OverlayProjection()));
    Frame();
    commands = CommandInterface();
    SetFont(nullptr);
    int greenTop = height, greenLeft = width, greenRight = -1, whiteBottom = -1, labelRight = -1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t p = Pixel(x, y);
            if (p == 0x00FF00u) {
                greenTop = std::min(greenTop, y);
                greenLeft = std::min(greenLeft, x);
                greenRight = std::max(greenRight, x);
            }
            const bool white = (p >> 16 & 0xFF) > 200 && (p & 0xFF) > 200;
            if (white && y > height / 2) whiteBottom = std::max(whiteBottom, y);
            if (white && y < height / 2) labelRight = std::max(labelRight, x);
        }
    EXPECT_NEAR(greenTop, (1.0f - 0.77f) * height / 2, 1.5f);
    EXPECT_NEAR((greenLeft + greenRight) / 2.0f, width / 2.0f, 2.0f);
    EXPECT_NEAR(whiteBottom, (1.0f + 0.7f) * height / 2, 1.5f);
    EXPECT_NEAR(labelRight, (1.0f + 0.84f) * width / 2, 1.5f);
}

// A node rebuilt by code every frame (a tow cable's ribbon) goes to the
// device through the dynamic vertex buffer as a strip of vertex pairs, and
// only as many segments as its index count says are drawn.
TEST_F(LvFramePixels, AStreamedRibbonIsDrawnThroughTheDynamicBuffer) {
    Make(64, 48);
    const CameraView& view = display->Camera().Current();
    constexpr int kPairs = 11;
    std::vector<Vertex> strip(2 * kPairs);
    std::vector<uint16_t> indices;
    for (int i = 0; i < kPairs; ++i) {
        const Vec3 along = view.right * (float(i) - 5.0f) * 2.0f;
        strip[size_t(2 * i)].position = along + view.up * 1.5f;
        strip[size_t(2 * i + 1)].position = along - view.up * 1.5f;
        strip[size_t(2 * i)].colour = strip[size_t(2 * i + 1)].colour = 0xFFFFFFFF;
        if (i + 1 < kPairs)
            for (int k : {0, 1, 2, 1, 3, 2})
                indices.push_back(uint16_t(2 * i + k));
    }
    auto* ribbon = new GeoNode;
    ribbon->SetGeometry(strip, indices);
    ribbon->lighting = 0;
    ribbon->twoSided = 1;
    ribbon->streamed = 1;
    ribbon->indexCount = 6 * 5; // the left half only
    auto* cable = new Entity;
    cable->AddChild(ribbon);
    cable->position = view.position + view.direction * 50.0f;
    cable->PlaceLocalMatrix();
    world.AddEntity(cable);
    ASSERT_NE(display->DynamicBuffer(), nullptr);
    const uint32_t before = display->DynamicBuffer()->Position();
    Frame();
    EXPECT_EQ(display->DynamicBuffer()->Position(), before + 12) << "six pairs uploaded";
    EXPECT_EQ(Pixel(32 - 8, 24), 0xFFFFFFu) << "left of centre: drawn";
    EXPECT_EQ(Pixel(32 + 8, 24), 0u) << "right of centre: not indexed this frame";
    ribbon->indexCount = 6 * (kPairs - 1);
    Frame();
    EXPECT_EQ(Pixel(32 + 8, 24), 0xFFFFFFu);
}
