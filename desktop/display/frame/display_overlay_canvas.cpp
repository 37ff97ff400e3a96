// The overlay canvas over the display: fans through the display's immediate
// batch, the head-up display's batches as indexed triangle lists.
#include "desktop/display/frame/display_overlay_canvas.h"

#include "desktop/display/device/display.h"
#include "desktop/display/textures/texture_manager.h"
#include "desktop/display/textures/texture_set.h"
#include "platform/render/device.h"

#include <cstring>

namespace lumivane {

namespace {

// Overlay height: y runs from -0.75 to 0.75 over the screen's height.
constexpr float kOverlayHalfHeight = 0.75f;
constexpr float kTexturePriority = 1.0f;

void SetTransform(platform::render::Device& device, D3DTRANSFORMSTATETYPE type,
                  const Matrix& matrix) {
    D3DMATRIX m;
    std::memcpy(&m.m[0][0], matrix.m, sizeof matrix.m);
    device.SetTransform(type, m);
}

// Overlay space straight onto the screen, every point at the middle depth.
Matrix ScreenProjection() {
    Matrix projection;
    projection.m[5] = 1.0f / kOverlayHalfHeight;
    projection.m[10] = 0.0f;
    projection.m[14] = 0.5f;
    return projection;
}

} // namespace

DisplayOverlayCanvas::~DisplayOverlayCanvas() {
    platform::render::Device* device = display_.HasDevice() ? display_.Device() : nullptr;
    if (!changedTransforms_ || !device) return;
    SetTransform(*device, D3DTS_VIEW, display_.Frame().view);
    SetTransform(*device, D3DTS_PROJECTION, display_.Frame().projection);
    SetTransform(*device, D3DTS_WORLD, Matrix::Identity());
}

bool DisplayOverlayCanvas::Prepare(TextureSet* texture, int frame, bool overlaySpace) {
    platform::render::Device* device = display_.HasDevice() ? display_.Device() : nullptr;
    if (!device) return false;
    changedTransforms_ = true;
    SetTransform(*device, D3DTS_WORLD, Matrix::Identity());
    if (overlaySpace) {
        SetTransform(*device, D3DTS_VIEW, Matrix::Identity());
        SetTransform(*device, D3DTS_PROJECTION, ScreenProjection());
    } else {
        SetTransform(*device, D3DTS_VIEW, display_.Camera().ViewMatrix());
        SetTransform(*device, D3DTS_PROJECTION, display_.Camera().ProjectionMatrix());
    }
    RenderStateCache& states = display_.States();
    states.SetRenderState(D3DRS_LIGHTING, 0);
    states.SetRenderState(D3DRS_ZWRITEENABLE, 0);
    states.SetRenderState(D3DRS_ALPHATESTENABLE, 0);
    states.SetRenderState(D3DRS_ZFUNC, overlaySpace ? D3DCMP_ALWAYS : D3DCMP_LESSEQUAL);
    states.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    states.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    states.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    states.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);

    // A set the texture manager keeps only on request is asked for each
    // frame it is drawn.
    if (texture && !texture->Resident() && gpTextureManager)
        for (int i = 0; i < texture->FrameCount(); ++i)
            gpTextureManager->RequestLevel(texture->GetFrame(i), kTexturePriority,
                                           kBestAvailableLevel);
    platform::render::BaseTexture* surface =
        texture ? texture->GetSurface(kBestAvailableLevel, frame) : nullptr;
    device->SetTexture(0, surface);
    device->SetTexture(1, nullptr);
    states.SetBaseStage(surface != nullptr);
    states.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    states.SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    return true;
}

void DisplayOverlayCanvas::Fan(std::span<const Vertex> vertices, TextureSet* texture, int frame,
                               bool overlaySpace) {
    if (vertices.size() < 3 || !Prepare(texture, frame, overlaySpace)) return;
    display_.Begin(D3DPT_TRIANGLEFAN, kModelVertexFormat);
    for (size_t i = 0; i < vertices.size() && i < size_t(kMaxFanVertices); ++i)
        display_.AddVertex(vertices[i]);
    display_.End();
}

void DisplayOverlayCanvas::Triangles(std::span<const Vertex> vertices,
                                     std::span<const uint16_t> indices, TextureSet* texture,
                                     int frame) {
    if (vertices.empty() || indices.size() < 3 || !Prepare(texture, frame, false)) return;
    // Indices past the vertices given would read beyond them.
    for (uint16_t index : indices)
        if (index >= vertices.size()) return;
    platform::render::Device& device = *display_.Device();
    device.SetVertexShader(kModelVertexFormat);
    device.DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, uint32_t(vertices.size()),
                                  uint32_t(indices.size() / 3), indices.data(), D3DFMT_INDEX16,
                                  vertices.data(), sizeof(Vertex));
}

} // namespace lumivane
