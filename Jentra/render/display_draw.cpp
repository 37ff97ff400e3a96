// JTDisplay's drawing helpers: counted indexed draws (with the edged-faces
// overlay), the immediate-mode batch, particle systems through the shared
// dynamic buffers, and those buffers themselves.
#include "Jentra/JTDisplay.h"
#include "Jentra/JTGlobals.h"
#include "Jentra/JTTexture.h"

#include <algorithm>
#include <cstring>

using platform::render::VertexCountOf;

void JTDisplay::CreateDynamicBuffers() {
    ReleaseDynamicBuffers();
    if (!device) return;
    const uint32_t usage = D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY;
    dynamicVB = std::make_unique<DynamicVB>(
        device->CreateVertexBuffer(kDynamicVertexBytes, usage, 0, D3DPOOL_DEFAULT), true);
    dynamicVB2 = std::make_unique<DynamicVB>(
        device->CreateVertexBuffer(kDynamicVertexBytes, usage, 0, D3DPOOL_DEFAULT), true);
    dynamicIB = std::make_unique<DynamicIB>(
        device->CreateIndexBuffer(kDynamicIndices * 2, usage, D3DFMT_INDEX16, D3DPOOL_DEFAULT),
        false);
}

void JTDisplay::ReleaseDynamicBuffers() {
    // Nothing may still draw from them.
    if (device) {
        if (dynamicVB && device->State().streams[0].buffer == dynamicVB->GetBuffer())
            device->SetStreamSource(0, nullptr, 0);
        device->SetStreamSource(1, nullptr, 0);
        device->SetIndices(nullptr, 0);
    }
    dynamicVB.reset();
    dynamicVB2.reset();
    dynamicIB.reset();
}

HRESULT JTDisplay::DrawOnce(D3DPRIMITIVETYPE type, unsigned minIndex, unsigned numVertices,
                            unsigned startIndex, unsigned primCount) {
    if (!device) return D3DERR_INVALIDCALL;
    return device->DrawIndexedPrimitive(type, minIndex, numVertices, startIndex, primCount);
}

HRESULT JTDisplay::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, unsigned minIndex,
                                        unsigned numVertices, unsigned startIndex,
                                        unsigned primCount, int countedPrims) {
    // Counted once, however many times it is drawn.
    vertexCounter += numVertices;
    primitiveCounter += countedPrims < 0 ? primCount : unsigned(countedPrims);
    HRESULT result = DrawOnce(type, minIndex, numVertices, startIndex, primCount);
    if (!edgedFaces || !device) return result;
    // The edges over the solid faces: wireframe, unlit, untextured.
    RenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
    RenderState(D3DRS_LIGHTING, 0);
    device->SetTexture(0, nullptr);
    DrawOnce(type, minIndex, numVertices, startIndex, primCount);
    return DrawOnce(type, minIndex, numVertices, startIndex, primCount);
}

// ---- immediate mode ----

void JTDisplay::Begin(D3DPRIMITIVETYPE type, unsigned long value) {
    batchType = type;
    batchValue = value;
    batchCount = 0;
}

void JTDisplay::Vertex(const Vert1* vertex) {
    if (!vertex || batchCount >= kBatchSize) return;
    batch[batchCount++] = *vertex;
}

void JTDisplay::End(unsigned long) {
    // Whole primitives of the batch's type only; fewer vertices than one
    // primitive needs draw nothing.
    uint32_t primitives = 0;
    const uint32_t n = uint32_t(batchCount);
    switch (batchType) {
    case D3DPT_POINTLIST:
        primitives = n;
        break;
    case D3DPT_LINELIST:
        primitives = n / 2;
        break;
    case D3DPT_LINESTRIP:
        primitives = n >= 2 ? n - 1 : 0;
        break;
    case D3DPT_TRIANGLELIST:
        primitives = n / 3;
        break;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN:
        primitives = n >= 3 ? n - 2 : 0;
        break;
    }
    if (primitives == 0 || !device) return;
    RenderState(D3DRS_INDEXEDVERTEXBLENDENABLE, 1);
    device->SetVertexShader(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1);
    device->DrawPrimitiveUP(batchType, primitives, batch, sizeof(Vert1));
    vertexCounter += VertexCountOf(batchType, primitives);
    primitiveCounter += primitives;
}

// ---- particles ----

void JTDisplay::DrawParticles(const JTPartSysDraw& draw) {
    if (!device || !dynamicVB || !dynamicIB || draw.numVertices < 4 || draw.numIndices < 6 ||
        !draw.vertices || !draw.indices)
        return;
    SetTransform(D3DTS_WORLD, draw.world);
    if (device->SetVertexShader(draw.vertexFormat) != D3D_OK) return;
    // Each name is loaded once (or tried once) by the texture manager.
    JTTextureFrame* frame = gpJTTextureMan ? gpJTTextureMan->FindFrame(draw.texture) : nullptr;
    SetTextureStage(0, frame, 0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE,
                    D3DTA_TEXTURE, D3DTA_DIFFUSE);
    // The quads carry their own colours.
    RenderState(D3DRS_LIGHTING, 0);
    SetZEnable(draw.zTest, D3DCMP_LESSEQUAL);
    SetZWriteEnable(draw.zWrite);
    switch (draw.blend) {
    case JTPartSysDraw::BLEND_ADDITIVE:
        SetAlphaBlend(true, D3DBLEND_SRCALPHA, D3DBLEND_ONE, D3DBLENDOP_ADD);
        break;
    case JTPartSysDraw::BLEND_SUBTRACTIVE:
        SetAlphaBlend(true, D3DBLEND_SRCALPHA, D3DBLEND_ONE, D3DBLENDOP_REVSUBTRACT);
        break;
    default:
        SetAlphaBlend(true, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLENDOP_ADD);
        break;
    }
    SetAlphaTest(draw.alphaTest, static_cast<unsigned char>(draw.alphaRef), D3DCMP_GREATEREQUAL);
    SetCullMode(draw.cullCounterClockwise ? D3DCULL_CCW : D3DCULL_NONE);

    // Quads of four vertices and six indices each, in as many pieces as the
    // shared buffers need.
    const int stride = int(sizeof(JTPartVertex));
    const int quads = std::min(draw.numVertices / 4, draw.numIndices / 6);
    const int perPiece =
        std::min(dynamicVB->GetCapacity() / (4 * stride), dynamicIB->GetCapacity() / 6);
    for (int first = 0; first < quads && perPiece > 0; first += perPiece) {
        const int n = std::min(perPiece, quads - first);
        unsigned vertexStart = 0, indexStart = 0;
        unsigned char* vertices = dynamicVB->Lock(unsigned(n * 4 * stride), vertexStart);
        if (!vertices) return;
        std::memcpy(vertices, draw.vertices + first * 4, size_t(n) * 4 * size_t(stride));
        dynamicVB->Unlock();
        unsigned short* indices = dynamicIB->Lock(unsigned(n * 6), indexStart);
        if (!indices) return;
        // The piece's indices count from its own first vertex.
        const int base = first * 4;
        bool valid = true;
        for (int i = 0; i < n * 6; ++i) {
            const int index = int(draw.indices[first * 6 + i]) - base;
            valid = valid && index >= 0 && index < n * 4;
            indices[i] = uint16_t(valid ? index : 0);
        }
        dynamicIB->Unlock();
        if (!valid) continue;
        device->SetStreamSource(0, dynamicVB->GetBuffer(), uint32_t(stride));
        device->SetIndices(dynamicIB->GetBuffer(), vertexStart / uint32_t(stride));
        DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, unsigned(n * 4), indexStart, unsigned(n * 2));
    }
}
