// The display on software GL, proven by the pixels of the window's picture:
// a frame rendered at 800 x 640 and shown stretched over 1280 x 1024, the
// load screen the right way up with the progress bar over it, a load screen
// whose header lies, and a captured frame of an odd width.
//
// One small reference picture, golden/load_screen_progress.png, holds the
// load screen with the bar at one half on a 64 x 48 window (see the README
// for how reference pictures are compared and made again).
#include "tests/desktop/display/display_test_support.h"
#include "tests/jentra/render/golden.h"

#include "desktop/display/surfaces/load_screen.h"
#include "platform/image/bmp.h"

#include <cstdlib>

using namespace display_test;
using platform::render::DeviceKind;

namespace {

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;

class QualityHost : public DisplayHost {
public:
    bool HighQualityMode(int) const override { return highQuality; }
    bool highQuality = false;
};

// A picture of four coloured quarters: red, green above; blue, white below.
image::Image Quarters(int width, int height) {
    image::Image picture = image::MakeImage(image::PixelFormat::X8R8G8B8, width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool right = x >= width / 2, bottom = y >= height / 2;
            const uint32_t rgb = bottom ? (right ? kWhite : kBlue) : (right ? kGreen : kRed);
            uint8_t* p = picture.pixels.data() + (size_t(y) * size_t(width) + size_t(x)) * 4;
            p[0] = uint8_t(rgb);
            p[1] = uint8_t(rgb >> 8);
            p[2] = uint8_t(rgb >> 16);
            p[3] = 255;
        }
    return picture;
}

class DisplayPixels : public ::testing::Test {
protected:
    void Make(int width, int height) {
        window = HiddenWindow(width, height);
        display =
            std::make_unique<Display>(host, DisplayOptions{DeviceKind::OpenGL, 0, root.Path()});
        display->Init(adapter);
        ASSERT_EQ(display->Create(*window, false, width, height, 32), D3D_OK);
    }
    void WriteLoadScreen(const std::vector<uint8_t>& bytes) {
        WriteFile(root.Path() / "LoadScreens" / "LoadScreen.bmp", bytes);
    }
    // The window's picture; pixel(x, y) with y from the top.
    void ReadWindow() {
        ASSERT_TRUE(display->Device()->ReadSurface(display->Device()->GetPrimarySurface(), pixels,
                                                   width, height));
    }
    uint32_t Pixel(int x, int y) const { return pixels[size_t(y * width + x)] & 0xFFFFFFu; }
    // Every pixel of a rectangle has the colour.
    bool Filled(const D3DRECT& r, uint32_t rgb) const {
        for (int y = r.y1; y < r.y2; ++y)
            for (int x = r.x1; x < r.x2; ++x)
                if (Pixel(x, y) != rgb) return false;
        return true;
    }

    platform_test::TempDir root;
    QualityHost host;
    AdapterRecord adapter;
    std::unique_ptr<platform::Window> window;
    std::unique_ptr<Display> display;
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
};

uint32_t Rgb(D3DCOLOR color) {
    return color & 0xFFFFFFu;
}

} // namespace

TEST_F(DisplayPixels, AFrameAtFiveEighthsIsShownStretchedOverTheWindow) {
    Make(1280, 1024);
    ASSERT_EQ(display->RenderWidth(), 800);
    ASSERT_EQ(display->RenderHeight(), 640);
    platform::render::Device& device = *display->Device();
    const D3DRECT left{0, 0, 400, 640}, right{400, 0, 800, 640};
    ASSERT_EQ(device.ColorFill(device.GetBackBuffer(), &left, 0xFFFF0000), D3D_OK);
    ASSERT_EQ(device.ColorFill(device.GetBackBuffer(), &right, 0xFF0000FF), D3D_OK);
    display->Present(); // skipped: the first frame
    ReadWindow();
    EXPECT_EQ(Pixel(100, 100), 0u);
    display->Present();
    ReadWindow();
    ASSERT_EQ(width, 1280);
    // The boundary at 400 of 800 lands at 640 of 1280; the bottom rows are
    // filled too.
    EXPECT_EQ(Pixel(630, 10), kRed);
    EXPECT_EQ(Pixel(650, 10), kBlue);
    EXPECT_EQ(Pixel(0, 1023), kRed);
    EXPECT_EQ(Pixel(1279, 1023), kBlue);
}

TEST_F(DisplayPixels, TheLoadScreenIsUprightAndTheBarFillsItsSegments) {
    std::vector<uint8_t> bmp;
    ASSERT_TRUE(image::EncodeBmp(Quarters(32, 24), bmp));
    WriteLoadScreen(bmp);
    Make(320, 240);
    ReadWindow();
    EXPECT_EQ(Pixel(10, 10), kRed);
    EXPECT_EQ(Pixel(310, 10), kGreen);
    EXPECT_EQ(Pixel(10, 230), kBlue);
    EXPECT_EQ(Pixel(310, 230), kWhite);

    display->DrawProgress(0.5f);
    ReadWindow();
    const ProgressBar half = LayOutProgress(0.5f, 320, 240);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(Filled(half.segments[size_t(i)].rect, 0x8080FF)) << "segment " << i;
    EXPECT_TRUE(Filled(half.segments[3].rect, 0x000000));
    // Above the bar's top the picture shows through.
    const ProgressBar full = LayOutProgress(1.0f, 320, 240);
    EXPECT_TRUE(Filled(full.segments[5].rect, kWhite));

    display->DrawProgress(1.0f);
    ReadWindow();
    for (int i = 0; i < kProgressSegments; ++i)
        EXPECT_TRUE(Filled(full.segments[size_t(i)].rect, Rgb(full.segments[size_t(i)].color)))
            << "segment " << i;
}

TEST_F(DisplayPixels, ALoadScreenWhoseHeaderLiesDrawsNothing) {
    std::vector<uint8_t> bmp;
    ASSERT_TRUE(image::EncodeBmp(Quarters(32, 24), bmp));
    bmp[22] = 200; // the height now claims far more rows than the file holds
    WriteLoadScreen(bmp);
    Make(160, 120);
    ReadWindow();
    for (uint32_t p : pixels)
        ASSERT_EQ(p & 0xFFFFFFu, 0u);
}

TEST_F(DisplayPixels, TheStillPictureIsTheFrameLastShown) {
    host.highQuality = true;
    Make(16, 12);
    platform::render::Device& device = *display->Device();
    // Shown straight from the back buffer (the first frame after creation is
    // drawn but not shown).
    for (int frame = 0; frame < 2; ++frame) {
        ASSERT_EQ(device.ColorFill(device.GetBackBuffer(), nullptr, 0xFF00FF00), D3D_OK);
        display->Present();
    }
    ReadWindow();
    EXPECT_EQ(pixels[0] & 0xFFFFFFu, 0x00FF00u);
    const std::vector<uint8_t> dib = display->CaptureFrame();
    ASSERT_EQ(dib.size(), 40u + 48u * 12u);
    for (size_t at = 40; at < dib.size(); at += 3)
        ASSERT_EQ(dib[at + 1], 0xFF) << at; // green, whatever the back buffer holds now
}

TEST_F(DisplayPixels, ACapturedFrameOfAnOddWidthHasPaddedBottomUpRows) {
    host.highQuality = true;
    Make(33, 21);
    platform::render::Device& device = *display->Device();
    for (int band = 0; band < 7; ++band) {
        const D3DRECT rows{0, band * 3, 33, band * 3 + 3};
        device.ColorFill(device.GetBackBuffer(), &rows,
                         D3DCOLOR_ARGB(255, band * 30, 255 - band * 30, band * 7));
    }
    const D3DRECT column{11, 0, 12, 21};
    device.ColorFill(device.GetBackBuffer(), &column, 0xFFFFFFFF);
    const std::vector<uint8_t> dib = display->CaptureFrame();
    std::vector<uint32_t> back;
    int w = 0, h = 0;
    ASSERT_TRUE(device.ReadSurface(device.GetBackBuffer(), back, w, h));
    const size_t row = 100; // 33 x 3 = 99 bytes, padded to 100
    ASSERT_EQ(dib.size(), 40 + row * 21);
    EXPECT_EQ(dib[0], 40);
    EXPECT_EQ(dib[4], 33);
    EXPECT_EQ(dib[8], 21);
    EXPECT_EQ(dib[12], 1);
    EXPECT_EQ(dib[14], 24);
    for (int y = 0; y < 21; ++y) {
        const uint8_t* line = dib.data() + 40 + size_t(20 - y) * row;
        for (int x = 0; x < 33; ++x) {
            const uint32_t p = back[size_t(y * 33 + x)];
            ASSERT_EQ(line[x * 3], uint8_t(p)) << x << "," << y;
            ASSERT_EQ(line[x * 3 + 1], uint8_t(p >> 8)) << x << "," << y;
            ASSERT_EQ(line[x * 3 + 2], uint8_t(p >> 16)) << x << "," << y;
        }
        EXPECT_EQ(line[99], 0);
    }
    EXPECT_EQ(back[size_t(20 * 33 + 11)] & 0xFFFFFFu, kWhite);
}

TEST_F(DisplayPixels, LoadScreenGolden) {
    std::vector<uint8_t> bmp;
    ASSERT_TRUE(image::EncodeBmp(Quarters(16, 12), bmp));
    WriteLoadScreen(bmp);
    Make(64, 48);
    display->DrawProgress(0.5f);
    ReadWindow();
    EXPECT_TRUE(golden::MatchesGolden("load_screen_progress", pixels, width, height));
}
