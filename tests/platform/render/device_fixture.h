// Shared by the device tests: a hidden window with a device on it, small
// vertex records, and reading pixels of the presented frame.
#pragma once

#include "platform/render/device.h"
#include "platform/window.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace device_test {

using namespace platform::render;

// Position and colour.
struct ColorVertex {
    float x, y, z;
    D3DCOLOR color;
};
constexpr uint32_t kColorFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;

// Screen position (pixels, 1/w) and colour.
struct ScreenVertex {
    float x, y, z, rhw;
    D3DCOLOR color;
};
constexpr uint32_t kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;

// Position and one texture pair.
struct TexturedVertex {
    float x, y, z;
    float u, v;
};
constexpr uint32_t kTexturedFvf = D3DFVF_XYZ | D3DFVF_TEX1;

class DeviceTest : public ::testing::Test {
protected:
    // A device on a hidden window of that size; lighting off so vertex
    // colours show as they are.
    void Open(DeviceKind kind, int width = 64, int height = 64, int samples = 0) {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        platform::WindowDesc desc;
        desc.width = width;
        desc.height = height;
        desc.hidden = true;
        std::string error;
        window = platform::Window::Create(desc, &error);
        ASSERT_TRUE(window) << error;
        PresentParams params;
        params.MultiSampleType = samples;
        params.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        device = Device::Create(kind, *window, params, &error);
        ASSERT_TRUE(device) << error;
        device->SetRenderState(D3DRS_LIGHTING, 0);
    }

    void TearDown() override {
        device.reset();
        window.reset();
    }

    // Presents and reads the frame back; pixel(x, y) with y from the top.
    void Capture() {
        ASSERT_EQ(device->Present(), D3D_OK);
        ASSERT_TRUE(device->ReadFrontBuffer(pixels, width, height));
    }
    uint32_t Pixel(int x, int y) const { return pixels[size_t(y * width + x)] & 0xFFFFFFu; }
    int Count(uint32_t rgb) const {
        int n = 0;
        for (uint32_t p : pixels)
            n += (p & 0xFFFFFFu) == rgb;
        return n;
    }

    std::unique_ptr<platform::Window> window;
    std::unique_ptr<Device> device;
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
};

} // namespace device_test
