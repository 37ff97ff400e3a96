// Fixtures of the texture cache tests: pictures made in code and written as
// ".tex" files (JP2) by OpenJPEG's encoder, in a temporary data root.
#pragma once

#include "platform/binary_io.h"
#include "platform/image/jpeg2000.h"
#include "tests/platform/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace lumivane_test {

using platform::image::Image;
using platform::image::PixelFormat;

// A picture whose every pixel is fn(x, y) as 0xAARRGGBB.
inline Image MakePicture(PixelFormat format, int width, int height,
                         const std::function<uint32_t(int, int)>& fn) {
    Image image = platform::image::MakeImage(format, width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t argb = fn(x, y);
            uint8_t* p = image.pixels.data() + (size_t(y) * size_t(width) + size_t(x)) * 4;
            p[0] = uint8_t(argb);
            p[1] = uint8_t(argb >> 8);
            p[2] = uint8_t(argb >> 16);
            p[3] = format == PixelFormat::A8R8G8B8 ? uint8_t(argb >> 24) : 255;
        }
    return image;
}

inline void WriteTex(const std::filesystem::path& path, const Image& image) {
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(
        platform::image::EncodeJpeg2000(image, platform::image::Jpeg2000Kind::Jp2, bytes, &error))
        << error;
    std::filesystem::create_directories(path.parent_path());
    ASSERT_TRUE(platform::WriteWholeFile(path, bytes, &error)) << error;
}

inline void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::filesystem::create_directories(path.parent_path());
    ASSERT_TRUE(platform::WriteWholeFile(path, bytes));
}

inline std::vector<uint8_t> ReadBytes(const std::filesystem::path& path) {
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(platform::ReadWholeFile(path, bytes)) << path;
    return bytes;
}

// The names in a folder, sorted.
inline std::vector<std::string> Listing(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace lumivane_test
