// The developer load test ("benmark"): 25 turning copies of a long spiral
// ribbon of 7206 vertices drawn as one strip of 13199 triangles, front and
// back, textured and lit.
#include "Jentra/JTDisplay.h"
#include "Jentra/JTGlobals.h"
#include "Jentra/JTTexture.h"

#include <cmath>

#include "Jentra/JTFrameClock.h"
#include "Jentra/JTRandom.h"

namespace {

constexpr int kRings = 1201;
constexpr int kRingVertices = 6;
constexpr int kVertices = kRings * kRingVertices;                         // 7206
constexpr int kStripIndices = 1 + (kRings - 1) * (2 * kRingVertices - 1); // 13201
constexpr int kCopies = 25;
constexpr float kTurns = 188.49162f; // 30 turns, in radians
constexpr float kRadius = 0.05f;
constexpr float kLength = 3.25f;
constexpr float kStart = -1.625f;
constexpr float kColumnStep = 0.008f;
constexpr float kCopyStep = 0.1015625f;
constexpr float kFirstCopy = -1.21875f;
constexpr float kRadiansPerMs = 0.0030694604f; // one turn every 2048 ms

float Channel() {
    return 0.3f + float(JTRand()) / 32767.0f * 0.5f;
}

} // namespace

void JTDisplay::BenMarkInit() {
    auto data = std::make_unique<Benchmark>();
    const uint32_t bytes = kVertices * sizeof(Vert1);
    data->front = device->CreateVertexBuffer(
        bytes, D3DUSAGE_WRITEONLY, D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1, D3DPOOL_DEFAULT);
    data->back = device->CreateVertexBuffer(
        bytes, D3DUSAGE_WRITEONLY, D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1, D3DPOOL_DEFAULT);
    data->strip = device->CreateIndexBuffer(kStripIndices * 2, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                                            D3DPOOL_DEFAULT);
    uint8_t* front = nullptr;
    uint8_t* back = nullptr;
    uint8_t* strip = nullptr;
    if (!data->front || !data->back || !data->strip || data->front->Lock(0, 0, &front, 0) ||
        data->back->Lock(0, 0, &back, 0) || data->strip->Lock(0, 0, &strip, 0))
        return;
    auto* frontVertices = reinterpret_cast<Vert1*>(front);
    auto* backVertices = reinterpret_cast<Vert1*>(back);
    for (int ring = 0; ring < kRings; ++ring) {
        const float angle = kTurns * float(ring) / float(kRings - 1);
        const float ny = std::cos(angle), nz = std::sin(angle);
        const float x = kStart + kLength * float(ring) / float(kRings - 1);
        for (int column = 0; column < kRingVertices; ++column) {
            Vert1& v = frontVertices[ring * kRingVertices + column];
            v = Vert1{x + kColumnStep * float(column),
                      kRadius * ny,
                      kRadius * nz,
                      0.0f,
                      ny,
                      nz,
                      0.2f * float(column),
                      float(ring) / float(kRings - 1)};
            Vert1 reversed = v;
            reversed.ny = -ny;
            reversed.nz = -nz;
            backVertices[ring * kRingVertices + column] = reversed;
        }
    }
    // One strip zig-zagging between neighbouring rings, across the ribbon
    // and back again on the next pair. It runs from the last ring to the
    // first, so the outside of the ribbon is what the front pass keeps.
    auto* indices = reinterpret_cast<uint16_t*>(strip);
    int n = 0;
    indices[n++] = uint16_t((kRings - 1) * kRingVertices);
    for (int ring = 0; ring + 1 < kRings; ++ring) {
        const bool forward = ring % 2 == 0;
        auto at = [&](int r, int column) {
            return uint16_t((kRings - 1 - r) * kRingVertices +
                            (forward ? column : kRingVertices - 1 - column));
        };
        indices[n++] = at(ring + 1, 0);
        for (int column = 1; column < kRingVertices; ++column) {
            indices[n++] = at(ring, column);
            indices[n++] = at(ring + 1, column);
        }
    }
    data->front->Unlock();
    data->back->Unlock();
    data->strip->Unlock();

    for (D3DMATERIAL8& m : data->materials) {
        const float r = Channel(), g = Channel(), b = Channel();
        m.Diffuse = {r, g, b, 1.0f};
        m.Ambient = {0.3f * r, 0.3f * g, 0.3f * b, 1.0f};
    }
    D3DLIGHT8 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1, 1, 1, 1};
    light.Ambient = {0.3f, 0.3f, 0.3f, 1};
    light.Direction = {0.3f, -0.5f, 0.8f};
    device->SetLight(0, light);
    device->LightEnable(0, true);
    device->LightEnable(1, false);
    if (gpJTTextureMan) data->texture = gpJTTextureMan->FindFrame("mountains.jpg");
    benchmarkData = std::move(data);
}

void JTDisplay::BenMarkRender() {
    if (!device) return;
    if (!benchmarkData) BenMarkInit();
    if (!benchmarkData || !benchmarkData->strip) return;
    Benchmark& b = *benchmarkData;
    RenderState(D3DRS_SPECULARENABLE, 0);
    RenderState(D3DRS_LIGHTING, 1);
    device->SetVertexShader(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1);
    device->SetIndices(b.strip.get(), 0);
    D3DMATERIAL8 backMaterial{};
    backMaterial.Diffuse = {0.7f, 0.3f, 0.3f, 0.7f};
    const float spin = float(gdwTime % 2048) * kRadiansPerMs;
    for (int k = 0; k < kCopies; ++k) {
        const JTMatrix world = JTMatrixRotationX(0.4f * float(k) + spin) *
                               JTMatrixTranslation(0.0f, kFirstCopy + kCopyStep * float(k), 0.0f);
        SetTransform(D3DTS_WORLD, world);
        // The front, textured and tinted by this copy's material.
        device->SetStreamSource(0, b.front.get(), sizeof(Vert1));
        SetCullMode(D3DCULL_CW);
        SetMaterial(b.materials[k]);
        SetTextureStage(0, b.texture, 0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE,
                        D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE);
        DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, kVertices, 0, kStripIndices - 2);
        // The back, plain.
        device->SetStreamSource(0, b.back.get(), sizeof(Vert1));
        SetCullMode(D3DCULL_CCW);
        SetMaterial(backMaterial);
        SetTextureStage(0, nullptr, 0, D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE,
                        D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE);
        DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, kVertices, 0, kStripIndices - 2);
    }
}
