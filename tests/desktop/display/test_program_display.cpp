// The program's display: made for a host window, the texture manager
// started with the first device and restored with each later one, still
// pictures captured and painted back (also with the device released),
// bitmaps that are not 24-bit pictures refused, and what the display tells
// the crash report and the model loader.
#include "tests/desktop/display/display_test_support.h"

#include "desktop/display/host_window.h"
#include "desktop/display/program_display.h"
#include "platform/window.h"
#include "tests/desktop/display/own_window_host.h"

#include <cstdio>

using namespace display_test;
using platform::render::DeviceKind;

namespace {

class ProgramDisplayTest : public ::testing::Test {
protected:
    std::unique_ptr<ProgramDisplay> Make(DeviceKind kind) {
        ProgramDisplayOptions options;
        options.display.deviceKind = kind;
        options.display.dataRoot = root.Path();
        return std::make_unique<ProgramDisplay>(std::make_unique<QuietHost>(), options);
    }
    platform_test::TempDir root;
    CapturedMessages messages;
};

} // namespace

TEST_F(ProgramDisplayTest, TexturesStartWithTheFirstDeviceAndComeBackWithEachLaterOne) {
    WriteFile(root.Path() / "models" / "textures" / "hull.dds",
              DdsBytes(Chain(image::PixelFormat::DXT1, 64, {0})));
    OwnWindowHost host(HiddenWindow(160, 120));
    auto display = Make(DeviceKind::Recording);
    ASSERT_NE(display->GetDisplay(), nullptr);
    ASSERT_EQ(gpTextureManager, display->Textures());
    ASSERT_EQ(GetTextureSource(), display->Textures());
    ASSERT_TRUE(display->Create(host, 160, 120));
    EXPECT_EQ(gpTextureManager->PlainFormat(), D3DFMT_R5G6B5);
    TextureSet* hull = GetTextureSource()->GetTexture("models\\textures\\hull.dds", "Ship", 1, 0);
    ASSERT_TRUE(hull);
    EXPECT_NE(hull->GetSurface(3, 0), nullptr);

    display->ReleaseDevice();
    EXPECT_FALSE(display->HasDevice());
    EXPECT_EQ(hull->GetSurface(3, 0), nullptr);
    ASSERT_TRUE(display->Recreate());
    EXPECT_TRUE(display->HasDevice());
    EXPECT_NE(hull->GetSurface(3, 0), nullptr);

    display.reset();
    EXPECT_EQ(gpTextureManager, nullptr);
    EXPECT_EQ(GetTextureSource(), nullptr);
}

TEST_F(ProgramDisplayTest, AStillPictureIsCapturedAndPaintedBackWithoutTheDevice) {
    OwnWindowHost host(HiddenWindow(37, 20));
    auto display = Make(DeviceKind::OpenGL);
    ASSERT_TRUE(display->Create(host, 37, 20));
    platform::render::Device& device = *display->GetDisplay()->Device();
    const D3DRECT left{0, 0, 10, 20};
    device.ColorFill(device.GetBackBuffer(), nullptr, 0xFF0000FF);
    device.ColorFill(device.GetBackBuffer(), &left, 0xFFFF0000);
    const image::Image still = display->CaptureFrame();
    ASSERT_EQ(still.format, image::PixelFormat::R8G8B8);
    ASSERT_EQ(still.width, 37);
    ASSERT_EQ(still.height, 20);
    EXPECT_EQ(still.pixels[2], 0xFF);          // top left: red
    EXPECT_EQ(still.pixels[3 * 36 + 0], 0xFF); // top right: blue

    // Painted back over the window, stretched to its size.
    display->PaintStill(still);
    std::vector<uint32_t> shown;
    int w = 0, h = 0;
    ASSERT_TRUE(device.ReadSurface(device.GetPrimarySurface(), shown, w, h));
    EXPECT_EQ(shown[0] & 0xFFFFFFu, 0xFF0000u);
    EXPECT_EQ(shown[size_t(w - 1)] & 0xFFFFFFu, 0x0000FFu);
    // A paused desktop has no device: one is made for the picture alone.
    display->ReleaseDevice();
    EXPECT_TRUE(display->GetDisplay()->PaintPicture(still));
    EXPECT_FALSE(display->HasDevice());
}

TEST(PictureOfBitmap, OnlyWholeTwentyFourBitBitmapsArePictures) {
    // 3 x 2, rows of 9 bytes padded to 12, bottom row first.
    std::vector<uint8_t> bitmap(40 + 24, 0);
    bitmap[0] = 40;
    bitmap[4] = 3;
    bitmap[8] = 2;
    bitmap[12] = 1;
    bitmap[14] = 24;
    bitmap[40] = 0x11;      // bottom left blue
    bitmap[40 + 12] = 0x22; // top left blue
    const image::Image picture = PictureOfBitmap(bitmap);
    ASSERT_EQ(picture.width, 3);
    EXPECT_EQ(picture.pixels[0], 0x22);
    EXPECT_EQ(picture.pixels[9], 0x11);
    std::vector<uint8_t> shorter(bitmap.begin(), bitmap.end() - 1);
    EXPECT_TRUE(PictureOfBitmap(shorter).Empty());
    bitmap[14] = 32;
    EXPECT_TRUE(PictureOfBitmap(bitmap).Empty());
    EXPECT_TRUE(PictureOfBitmap({}).Empty());
}

// A crash report quotes the video card only while the program's display
// exists: the driver's names and version, the screen's mode, and zeros
// where no driver string tells; and models loaded after the device carry
// the rotations its DOT3 pass needs.
TEST_F(ProgramDisplayTest, TheDisplayHandsTheCrashReportItsCardAndTheModelsTheirRotations) {
    CrashInfo crash{};
    crash.code = exception_codes::kAccessViolation;
    EXPECT_EQ(CrashReportText(crash, "main thread", 1).find("Video card"), std::string::npos);

    OwnWindowHost host(HiddenWindow(64, 48));
    auto display = Make(DeviceKind::OpenGL);
    ASSERT_TRUE(display->Create(host, 64, 48));
    const AdapterRecord& adapter = *display->GetDisplay()->Adapter();
    ASSERT_FALSE(adapter.description.empty());
    const std::string report = CrashReportText(crash, "main thread", 1);
    const size_t card =
        report.find("Video card: " + adapter.description + ", " + adapter.driverName + "\r\n     " +
                    adapter.identifier.description + ", " + adapter.identifier.driverFile +
                    "\r\n     version: ");
    ASSERT_NE(card, std::string::npos) << report;
    EXPECT_NE(
        report.find("\r\n     vendor: 0, device: 0, subsysID: 0, revision: 0, WHQL: 0\r\n"
                    "     guid: 00000000-0000-0000-0000-0000000000000000\r\n     resolution: ",
                    card),
        std::string::npos)
        << report;
    int width = 0, height = 0, bits = 0;
    const size_t resolution = report.find("resolution: ", card);
    ASSERT_EQ(std::sscanf(report.c_str() + resolution, "resolution: %d x %d %d bpp", &width,
                          &height, &bits),
              3);
    platform::ScreenMode screen;
    ASSERT_TRUE(platform::PrimaryScreenMode(screen));
    EXPECT_EQ(width, screen.width);
    EXPECT_EQ(height, screen.height);
    EXPECT_EQ(bits, screen.bitsPerPixel);
    EXPECT_GE(bits, 15);

    ASSERT_TRUE(display->GetDisplay()->Dot3());
    EXPECT_EQ(GetDisplaySwitches().vertexRotationMode, 1);

    display.reset();
    EXPECT_EQ(CrashReportText(crash, "main thread", 1).find("Video card"), std::string::npos);
    EXPECT_EQ(GetDisplaySwitches().vertexRotationMode, 0);
}

TEST(DriverVersionNumbers, TheDriversOwnNumbersFollowTheInterfacesVersion) {
    auto numbers = [](std::string_view text) {
        uint32_t out[4] = {9, 9, 9, 9};
        DriverVersionNumbers(text, out);
        return std::vector<uint32_t>(out, out + 4);
    };
    EXPECT_EQ(numbers("4.5 (Compatibility Profile) Mesa 22.3.6"),
              (std::vector<uint32_t>{22, 3, 6, 0}));
    EXPECT_EQ(numbers("4.6.0 NVIDIA 535.104.05"), (std::vector<uint32_t>{535, 104, 5, 0}));
    EXPECT_EQ(numbers("4.6"), (std::vector<uint32_t>{4, 6, 0, 0}));
    EXPECT_EQ(numbers("1.2.3.4.5 build"), (std::vector<uint32_t>{1, 2, 3, 4}));
    EXPECT_EQ(numbers("no numbers"), (std::vector<uint32_t>{0, 0, 0, 0}));
    EXPECT_EQ(numbers("99999999999.1"), (std::vector<uint32_t>{4294967295u, 1, 0, 0}));
}
