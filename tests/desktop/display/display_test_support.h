// Shared by the display tests: a hidden window with a rendering device for
// the texture manager, a host that records what the display asked of the
// program, a sink for warnings, and DDS files written by the shared writer
// into a temporary data root.
#pragma once

#include "desktop/display/device/display.h"
#include "desktop/display/textures/texture_manager.h"
#include "platform/binary_io.h"
#include "platform/image/dds.h"
#include "platform/render/device.h"
#include "platform/window.h"
#include "tests/platform/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace display_test {

namespace image = platform::image;
using namespace lumivane;

inline std::unique_ptr<platform::Window> HiddenWindow(int width = 64, int height = 64) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    platform::WindowDesc desc;
    desc.title = "display test";
    desc.width = width;
    desc.height = height;
    desc.hidden = true;
    std::string error;
    auto window = platform::Window::Create(desc, &error);
    EXPECT_TRUE(window) << error;
    return window;
}

// Warnings and fatal errors by language entry, for its lifetime.
class CapturedMessages : public MessageSink {
public:
    CapturedMessages() { SetMessageSink(this); }
    ~CapturedMessages() override { SetMessageSink(nullptr); }
    void ShowWarning(int entry, std::string_view detail) override {
        warnings.emplace_back(entry, std::string(detail));
    }
    void ShowFatalError(int entry, std::string_view detail) override {
        fatals.emplace_back(entry, std::string(detail));
    }
    std::vector<int> WarningEntries() const {
        std::vector<int> entries;
        for (const auto& w : warnings)
            entries.push_back(w.first);
        return entries;
    }
    std::vector<std::pair<int, std::string>> warnings;
    std::vector<std::pair<int, std::string>> fatals;
};

// A texture host on a recording device with a texture budget.
class DeviceTextureHost : public TextureHost {
public:
    explicit DeviceTextureHost(uint64_t budget = 64ull << 20) {
        window = HiddenWindow();
        platform::render::PresentParams params;
        params.BackBufferWidth = 64;
        params.BackBufferHeight = 64;
        device = platform::render::Device::Create(platform::render::DeviceKind::Recording, *window,
                                                  params);
        EXPECT_TRUE(device);
        device->SetTextureBudget(budget);
    }
    platform::render::Device* RenderDevice() override { return device.get(); }
    bool Dot3() const override { return dot3; }
    bool EnvironmentBump() const override { return envBump; }
    void ClearDot3() override { dot3 = false; }
    void DrawProgress(float fraction) override { progress.push_back(fraction); }
    void DisplaySize(int& w, int& h) const override {
        w = width;
        h = height;
    }

    std::unique_ptr<platform::Window> window;
    std::unique_ptr<platform::render::Device> device;
    bool dot3 = true;
    bool envBump = false;
    int width = 800, height = 600;
    std::vector<float> progress;
};

// A square texture of `side` with its whole chain down to 8 x 8, every texel
// of every level `texel` (the format's bytes, repeated).
inline image::TextureImage Chain(image::PixelFormat format, int side,
                                 const std::vector<uint8_t>& texel) {
    image::TextureImage t;
    t.format = format;
    t.width = t.height = side;
    for (int s = side; s >= 8; s /= 2) {
        image::Image level = image::MakeImage(format, s, s);
        for (size_t i = 0; i < level.pixels.size(); ++i)
            level.pixels[i] = texel[i % texel.size()];
        t.levels.push_back(std::move(level));
    }
    t.mipCount = int(t.levels.size());
    return t;
}

inline void WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::filesystem::create_directories(path.parent_path());
    ASSERT_TRUE(platform::WriteWholeFile(path, bytes));
}

inline std::vector<uint8_t> DdsBytes(const image::TextureImage& texture) {
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(image::EncodeDds(texture, bytes, &error)) << error;
    return bytes;
}

// Header fields of a written file, changed in place.
inline void PutU32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + size_t(i)] = uint8_t(value >> (8 * i));
}
constexpr size_t kHeightAt = 12, kWidthAt = 16, kPixelFlagsAt = 80, kFourCCAt = 84,
                 kBitCountAt = 88;

// The little-endian 16-bit word at texel `index` of a picture.
inline uint16_t Texel16(const image::Image& picture, size_t index) {
    return uint16_t(picture.pixels[index * 2] | picture.pixels[index * 2 + 1] << 8);
}

} // namespace display_test
