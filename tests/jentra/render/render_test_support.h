// Shared by the renderer tests: a display on a hidden window (recording or
// OpenGL), and a node that draws a coloured square through the display so
// frames can be checked without meshes or effects.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "Jentra/JTCamera.h"
#include "Jentra/JTDisplay.h"
#include "Jentra/JTEntity.h"
#include "Jentra/JTGlobals.h"
#include "Jentra/JTRenderer.h"
#include "Jentra/JTScene.h"
#include "Jentra/JTView.h"
#include "platform/window.h"

namespace render_test {

using platform::render::DeviceKind;

// A square of half-size 1 in its node's x-y plane, drawn unlit in one
// colour. Before drawing it writes its mark into the texture factor, so a
// recording shows which node drew.
class PaintedNode : public JTNode {
public:
    PaintedNode(D3DCOLOR color, bool transparent = false, float distance = 0.0f)
        : color(color), transparent(transparent), distance(distance) {}

    void RenderPreProcess(JTDrawQueue* queue, JTSequencer*, float) override {
        matrix = queue->GetMatrix();
        queue->AddToQueue(this, transparent);
    }
    float GetRenderDist() override { return distance; }
    void Render(JTDrawQueue* queue) override {
        auto* display = dynamic_cast<JTDisplay*>(queue);
        ASSERT_NE(display, nullptr);
        platform::render::Device* device = display->GetDevice();
        D3DMATRIX world;
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                world.m[r][c] = matrix.m[r][c];
        device->SetTransform(D3DTS_WORLD, world);
        device->SetRenderState(D3DRS_TEXTUREFACTOR, mark ? mark : color);
        device->SetRenderState(D3DRS_LIGHTING, 0);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE);
        struct V {
            float x, y, z;
            D3DCOLOR c;
        } const quad[4] = {
            {-1, 1, 0, color}, {1, 1, 0, color}, {-1, -1, 0, color}, {1, -1, 0, color}};
        device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(V));
    }

    D3DCOLOR color;
    bool transparent;
    float distance;
    uint32_t mark = 0;
    JTMatrix matrix;
};

// An entity holding one painted square.
inline JTEntity* PaintedEntity(JTVec3 position, D3DCOLOR color, bool transparent = false,
                               float distance = 0.0f, uint32_t mark = 0) {
    auto* entity = new JTEntity;
    auto* node = new PaintedNode(color, transparent, distance);
    node->mark = mark;
    entity->AddChild(node);
    entity->SetPos(position);
    entity->ComputeMatrix();
    return entity;
}

class DisplayTest : public ::testing::Test {
protected:
    void Open(DeviceKind kind, int width = 64, int height = 48) {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        JTRenderer::SetDeviceKind(kind);
        platform::WindowDesc desc;
        desc.width = width;
        desc.height = height;
        desc.hidden = true;
        window = platform::Window::Create(desc);
        ASSERT_TRUE(window);
        renderer = std::make_unique<JTRenderer>();
        display = renderer->CreateDisplayWindowed(0, window.get());
        ASSERT_TRUE(display && display->GetDevice());
        gpJTDisplay = display;
    }

    void TearDown() override {
        gpJTDisplay = nullptr;
        renderer.reset();
        window.reset();
        JTRenderer::SetDeviceKind(DeviceKind::OpenGL);
    }

    platform::render::Recording& Recorded() { return *display->GetDevice()->GetRecording(); }

    std::unique_ptr<platform::Window> window;
    std::unique_ptr<JTRenderer> renderer;
    JTDisplay* display = nullptr;
};

} // namespace render_test
