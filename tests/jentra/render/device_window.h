// A hidden window with a rendering device on it for the renderer's tests,
// reading back the presented picture, and a quad over the whole view drawn
// through an effect.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "Jentra/JTGeoNode.h"
#include "Jentra/render/compiled_effect.h"
#include "platform/render/device.h"
#include "platform/window.h"

namespace device_window {

using namespace platform::render;

class DeviceWindowTest : public ::testing::Test {
protected:
    void Open(DeviceKind kind, int width = 64, int height = 64) {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        platform::WindowDesc desc;
        desc.width = width;
        desc.height = height;
        desc.hidden = true;
        std::string error;
        window = platform::Window::Create(desc, &error);
        ASSERT_TRUE(window) << error;
        PresentParams params;
        params.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        device = Device::Create(kind, *window, params, &error);
        ASSERT_TRUE(device) << error;
    }

    void TearDown() override {
        device.reset();
        window.reset();
    }

    // Presents and reads the frame back.
    void Capture() {
        ASSERT_EQ(device->Present(), D3D_OK);
        ASSERT_TRUE(device->ReadFrontBuffer(pixels, width, height));
    }
    // The colour at (x, y), y from the top, as 0xRRGGBB.
    uint32_t Pixel(int x, int y) const { return pixels[size_t(y * width + x)] & 0xFFFFFFu; }

    std::unique_ptr<platform::Window> window;
    std::unique_ptr<Device> device;
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
};

// Draws a quad from (-1, 1) to (1, -1) at depth 0.5 in the engine's vertex
// (u, v from the top left) once per pass of the effect; the pass count.
inline int DrawFullQuad(Device& device, JTCompiledEffect& effect) {
    const Vert1 quad[4] = {{-1, 1, 0.5f, 0, 0, -1, 0, 0},
                           {1, 1, 0.5f, 0, 0, -1, 1, 0},
                           {-1, -1, 0.5f, 0, 0, -1, 0, 1},
                           {1, -1, 0.5f, 0, 0, -1, 1, 1}};
    device.SetVertexShader(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1);
    int passes = effect.Begin();
    for (int i = 0; i < passes; ++i) {
        effect.Pass(i);
        device.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vert1));
    }
    effect.End();
    return passes;
}

} // namespace device_window
