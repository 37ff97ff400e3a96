// Fixtures of the texture tests: a fresh working folder with an empty
// "modules" per test, and writers of the picture files the tests load.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "Jentra/JTDataFolder.h"
#include "platform/binary_io.h"
#include "platform/image/image.h"
#include "platform/image/jpeg.h"
#include "platform/image/tga.h"

class TextureFolder {
public:
    // A picture whose pixel (x, y) is shade(x, y) as blue, green, red, alpha.
    static platform::image::Image
    Picture(int width, int height, const std::function<uint32_t(int, int)>& shade,
            platform::image::PixelFormat format = platform::image::PixelFormat::X8R8G8B8) {
        platform::image::Image image = platform::image::MakeImage(format, width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const uint32_t v = shade(x, y);
                uint8_t* p = image.pixels.data() + (size_t(y) * size_t(width) + size_t(x)) * 4;
                p[0] = uint8_t(v), p[1] = uint8_t(v >> 8), p[2] = uint8_t(v >> 16),
                p[3] = uint8_t(v >> 24);
            }
        return image;
    }
    static uint32_t Grey(uint8_t v) { return 0xFF000000u | v << 16 | v << 8 | v; }

protected:
    void MakeFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "jentra-textures-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder = pattern;
        modules = folder / "modules";
        std::filesystem::create_directories(modules);
        JTSetDataFolder(folder.c_str());
    }
    void RemoveFolder() {
        JTSetDataFolder(nullptr);
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }

    void WriteJpeg(const std::string& name, const platform::image::Image& image) {
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(platform::image::EncodeJpeg(image, 95, bytes));
        ASSERT_TRUE(platform::WriteWholeFile(modules / name, bytes));
    }
    void WriteTga(const std::string& name, const platform::image::Image& image) {
        ASSERT_TRUE(platform::image::WriteTgaFile(modules / name, image));
    }
    void WriteBytes(const std::string& name, const std::vector<uint8_t>& bytes) {
        ASSERT_TRUE(platform::WriteWholeFile(modules / name, bytes));
    }

    std::filesystem::path folder;
    std::filesystem::path modules;
};

class TextureFolderTest : public ::testing::Test, public TextureFolder {
protected:
    void SetUp() override { MakeFolder(); }
    void TearDown() override { RemoveFolder(); }
};
