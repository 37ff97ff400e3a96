// Texture levels reach the device byte for byte and come back out the same;
// a six-face DDS becomes a cube texture.
#include "Jentra/render/texture_source.h"
#include "Jentra/render/texture_upload.h"
#include "texture_fixture.h"

#include "platform/image/dds.h"
#include "platform/image/mipmap.h"
#include "platform/window.h"

using namespace jentra::textures;
using platform::image::PixelFormat;

class TextureUploadTest : public TextureFolderTest {
protected:
    void SetUp() override {
        TextureFolderTest::SetUp();
        platform::WindowDesc desc;
        desc.width = 32;
        desc.height = 32;
        desc.hidden = true;
        std::string error;
        window = platform::Window::Create(desc, &error);
        ASSERT_TRUE(window) << error;
        device = platform::render::Device::Create(platform::render::DeviceKind::Recording, *window,
                                                  {}, &error);
        ASSERT_TRUE(device) << error;
    }
    void TearDown() override {
        device.reset();
        window.reset();
        TextureFolderTest::TearDown();
    }
    std::unique_ptr<platform::Window> window;
    std::unique_ptr<platform::render::Device> device;
};

TEST_F(TextureUploadTest, LevelsGoInAndComeOutUnchanged) {
    for (PixelFormat format : {PixelFormat::DXT5, PixelFormat::R5G6B5, PixelFormat::A8R8G8B8}) {
        SCOPED_TRACE(platform::image::FormatName(format));
        platform::image::TextureImage image;
        ASSERT_TRUE(MakeTextureLevels(
            Picture(16, 8, [](int x, int y) { return 0x80000000u | uint32_t(x * 16) << 8 | y; }),
            format, true, image));
        std::string error;
        auto texture = CreateDeviceTexture(*device, image, &error);
        ASSERT_TRUE(texture) << error;
        EXPECT_EQ(texture->Format(), ToD3DFormat(format));
        EXPECT_EQ(texture->LevelCount(), 5);
        platform::image::TextureImage back;
        ASSERT_TRUE(ReadDeviceTexture(*texture, 0, back, &error)) << error;
        ASSERT_EQ(back.levels.size(), image.levels.size());
        for (size_t m = 0; m < back.levels.size(); ++m)
            EXPECT_EQ(back.levels[m].pixels, image.levels[m].pixels) << "level " << m;
    }
}

TEST_F(TextureUploadTest, SixFaceDdsBecomesACubeTexture) {
    platform::image::TextureImage cube;
    cube.cube = true;
    for (int face = 0; face < 6; ++face) {
        platform::image::TextureImage one;
        ASSERT_TRUE(platform::image::BuildTexture(
            Picture(8, 8, [face](int, int) { return 0xFF000000u | uint32_t(face * 40); }),
            PixelFormat::X8R8G8B8, 0, one));
        cube.format = one.format;
        cube.width = cube.height = 8;
        cube.mipCount = one.mipCount;
        for (auto& level : one.levels)
            cube.levels.push_back(level);
    }
    ASSERT_TRUE(platform::image::WriteDdsFile(modules / "Sky.dds", cube));
    std::string error;
    auto texture = LoadCubeTexture(*device, "sky.dds", &error);
    ASSERT_TRUE(texture) << error;
    EXPECT_TRUE(texture->IsCube());
    EXPECT_EQ(texture->LevelCount(), 4);
    EXPECT_EQ(texture->LevelData(5, 0)[0], 200); // the last face's blue
    EXPECT_EQ(texture->LevelData(2, 3)[0], 80);

    // A plain picture is no cube map.
    cube.cube = false;
    cube.levels.resize(4);
    ASSERT_TRUE(platform::image::WriteDdsFile(modules / "flat.dds", cube));
    EXPECT_FALSE(LoadCubeTexture(*device, "flat.dds", &error));
    EXPECT_NE(error.find("cube"), std::string::npos) << error;
}
