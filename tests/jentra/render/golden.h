// Reference pictures of the renderer's tests: small PNG files in golden/
// beside this header, compared with a stated tolerance. They change only on
// purpose: run the tests with JENTRA_UPDATE_GOLDEN=1 to write them anew
//     JENTRA_UPDATE_GOLDEN=1 ctest --test-dir build -R Golden
// A picture that does not match is written beside its reference as
// <name>.actual.png for a person to look at.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/binary_io.h"
#include "platform/image/png.h"

namespace golden {

// A pixel matches when each of its channels is within this of the
// reference; this share of the pixels may miss (edges that round the other
// way on another software rasterizer).
constexpr int kChannelTolerance = 10;
constexpr double kMismatchShare = 0.02;

inline std::filesystem::path Folder() {
    return std::filesystem::path(JENTRA_TEST_SOURCE_DIR) / "golden";
}

inline platform::image::Image ToImage(const std::vector<uint32_t>& argb, int width, int height) {
    platform::image::Image image =
        platform::image::MakeImage(platform::image::PixelFormat::X8R8G8B8, width, height);
    for (size_t i = 0; i < argb.size() && i * 4 + 3 < image.pixels.size(); ++i) {
        image.pixels[i * 4 + 0] = uint8_t(argb[i]);
        image.pixels[i * 4 + 1] = uint8_t(argb[i] >> 8);
        image.pixels[i * 4 + 2] = uint8_t(argb[i] >> 16);
        image.pixels[i * 4 + 3] = 255;
    }
    return image;
}

inline ::testing::AssertionResult
MatchesGolden(const std::string& name, const std::vector<uint32_t>& argb, int width, int height) {
    const std::filesystem::path reference = Folder() / (name + ".png");
    const std::filesystem::path actual = Folder() / (name + ".actual.png");
    platform::image::Image picture = ToImage(argb, width, height);
    std::string error;
    if (std::getenv("JENTRA_UPDATE_GOLDEN")) {
        std::filesystem::create_directories(Folder());
        if (!platform::image::WritePngFile(reference, picture, false, &error))
            return ::testing::AssertionFailure() << "cannot write " << reference << ": " << error;
        std::error_code ec;
        std::filesystem::remove(actual, ec);
        return ::testing::AssertionSuccess();
    }
    std::vector<uint8_t> bytes;
    platform::image::Image expected;
    if (!platform::ReadWholeFile(reference, bytes, &error) ||
        !platform::image::DecodePng(bytes, expected, &error)) {
        platform::image::WritePngFile(actual, picture, false);
        return ::testing::AssertionFailure() << "no reference " << reference << " (" << error
                                             << "); the picture is in " << actual;
    }
    if (expected.width != width || expected.height != height)
        return ::testing::AssertionFailure()
               << reference << " is " << expected.width << " x " << expected.height
               << ", the picture " << width << " x " << height;
    int misses = 0;
    for (size_t i = 0; i < size_t(width) * size_t(height); ++i)
        for (int c = 0; c < 3; ++c)
            if (std::abs(int(expected.pixels[i * 4 + size_t(c)]) -
                         int(picture.pixels[i * 4 + size_t(c)])) > kChannelTolerance) {
                ++misses;
                break;
            }
    if (misses > int(kMismatchShare * width * height)) {
        platform::image::WritePngFile(actual, picture, false);
        return ::testing::AssertionFailure()
               << misses << " pixels differ from " << reference << "; the picture is in " << actual;
    }
    std::error_code ec;
    std::filesystem::remove(actual, ec);
    return ::testing::AssertionSuccess();
}

} // namespace golden
