// A display on software GL, checked by its pixels: two views of one scene
// through two cameras each show their own object in their own half, and a
// screenshot is a numbered 24-bit bitmap with the expected headers.
#include "render_test_support.h"

#include "Jentra/JTID.h"

#include <filesystem>
#include <fstream>
#include <iterator>

using namespace render_test;

namespace {

constexpr D3DCOLOR kRed = 0xFFFF0000, kGreen = 0xFF00FF00;

uint32_t Le32(const std::vector<unsigned char>& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
           uint32_t(b[at + 3]) << 24;
}

} // namespace

TEST_F(DisplayTest, TwoViewsOfOneSceneEachShowWhatTheirCameraSees) {
    JTIDMap ids;
    gpJTIDMap = &ids;
    Open(DeviceKind::OpenGL, 128, 64);
    JTScene scene;
    scene.Add(PaintedEntity(JTVec3(-5, 0, 10), kRed));
    scene.Add(PaintedEntity(JTVec3(5, 0, 10), kGreen));
    scene.PostFrameUpdate();
    // Each camera looks straight at one square; the other is 45 degrees
    // off to the side, outside its 22.5 degree half field of view.
    JTCamera left, right;
    for (JTCamera* camera : {&left, &right}) {
        camera->SetAspect(1.0f); // each view is 64 x 64
        camera->SetClip(0.5f, 100.0f);
    }
    left.SetView(JTVec3(-5, 0, 0), JTVec3(0, 0, 1), JTVec3(0, 1, 0));
    right.SetView(JTVec3(5, 0, 0), JTVec3(0, 0, 1), JTVec3(0, 1, 0));
    JTView leftView(&scene, &left, 0.0f, 0.0f, 0.5f, 1.0f, 0.0f, 1.0f);
    JTView rightView(&scene, &right, 0.5f, 0.0f, 0.5f, 1.0f, 0.0f, 1.0f);
    display->AddView(&leftView);
    display->AddView(&rightView);
    display->Render();

    std::vector<uint32_t> pixels;
    int w = 0, h = 0;
    ASSERT_TRUE(display->GetDevice()->ReadFrontBuffer(pixels, w, h));
    ASSERT_EQ(w, 128);
    int redLeft = 0, redRight = 0, greenLeft = 0, greenRight = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t p = pixels[size_t(y * w + x)] & 0xFFFFFF;
            (x < 64 ? redLeft : redRight) += p == (kRed & 0xFFFFFF);
            (x < 64 ? greenLeft : greenRight) += p == (kGreen & 0xFFFFFF);
        }
    EXPECT_GT(redLeft, 100);
    EXPECT_EQ(redRight, 0);
    EXPECT_GT(greenRight, 100);
    EXPECT_EQ(greenLeft, 0);
    // Each square sits in the middle of its view.
    EXPECT_EQ(pixels[size_t(32 * w + 32)] & 0xFFFFFF, kRed & 0xFFFFFF);
    EXPECT_EQ(pixels[size_t(32 * w + 96)] & 0xFFFFFF, kGreen & 0xFFFFFF);
    EXPECT_EQ(display->GetDevice()->TakeErrors(), 0);
    display->RemoveView(1);
    display->RemoveView(0);
    scene.Reset();
    scene.PostFrameUpdate();
    gpJTIDMap = nullptr;
}

TEST_F(DisplayTest, AScreenshotIsTheNextNumberedBitmapOnTheDesktop) {
    const std::filesystem::path desktop =
        std::filesystem::temp_directory_path() / ("jentra-shots-" + std::to_string(getpid()));
    std::filesystem::remove_all(desktop);
    std::filesystem::create_directories(desktop);
    const char* before = std::getenv("XDG_DESKTOP_DIR");
    const std::string saved = before ? before : "";
    setenv("XDG_DESKTOP_DIR", desktop.c_str(), 1);
    std::ofstream(desktop / "Jentra 0000.bmp") << "taken";
    std::ofstream(desktop / "Jentra 0001.bmp") << "taken";

    Open(DeviceKind::OpenGL, 30, 20);
    display->Render();
    display->Screenshot();
    if (before)
        setenv("XDG_DESKTOP_DIR", saved.c_str(), 1);
    else
        unsetenv("XDG_DESKTOP_DIR");

    std::ifstream in(desktop / "Jentra 0002.bmp", std::ios::binary);
    ASSERT_TRUE(in) << "written as number 0002";
    const std::vector<unsigned char> b((std::istreambuf_iterator<char>(in)),
                                       std::istreambuf_iterator<char>());
    const size_t row = 30 * 3 + 2; // 90 bytes padded to 92
    ASSERT_EQ(b.size(), 54 + row * 20);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(Le32(b, 2), 54 + row * 20);
    EXPECT_EQ(Le32(b, 6), 0u);
    EXPECT_EQ(Le32(b, 10), 54u);
    EXPECT_EQ(Le32(b, 14), 40u);
    EXPECT_EQ(Le32(b, 18), 30u);
    EXPECT_EQ(Le32(b, 22), 20u);
    EXPECT_EQ(uint32_t(b[26] | b[27] << 8), 1u);
    EXPECT_EQ(uint32_t(b[28] | b[29] << 8), 24u);
    for (size_t at = 30; at < 54; ++at)
        EXPECT_EQ(b[at], 0) << at;
    std::filesystem::remove_all(desktop);
}
