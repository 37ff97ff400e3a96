// The device's starting state, vertex layouts from format bits, and the
// vertex count of a draw.
#include "platform/render/device_state.h"

#include <cstring>

namespace platform::render {

uint32_t FloatBits(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

float BitsFloat(uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

float DeviceState::RenderStateFloat(D3DRENDERSTATETYPE state) const {
    return BitsFloat(renderStates[state]);
}

D3DMATRIX MultiplyMatrices(const D3DMATRIX& a, const D3DMATRIX& b) {
    D3DMATRIX r{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            for (int k = 0; k < 4; ++k)
                r.m[i][j] += a.m[i][k] * b.m[k][j];
    return r;
}

namespace {

D3DMATRIX Identity() {
    D3DMATRIX m{};
    for (int i = 0; i < 4; ++i)
        m.m[i][i] = 1.0f;
    return m;
}

struct RenderStateDefault {
    D3DRENDERSTATETYPE state;
    uint32_t value;
};

// What a fresh device holds; every other render state starts at 0.
const RenderStateDefault kRenderStateDefaults[] = {
    {D3DRS_ZENABLE, D3DZB_TRUE},
    {D3DRS_FILLMODE, D3DFILL_SOLID},
    {D3DRS_SHADEMODE, D3DSHADE_GOURAUD},
    {D3DRS_ZWRITEENABLE, 1},
    {D3DRS_LASTPIXEL, 1},
    {D3DRS_SRCBLEND, D3DBLEND_ONE},
    {D3DRS_DESTBLEND, D3DBLEND_ZERO},
    {D3DRS_CULLMODE, D3DCULL_CCW},
    {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
    {D3DRS_ALPHAFUNC, D3DCMP_ALWAYS},
    {D3DRS_FOGEND, 0x3F800000u},     // 1.0
    {D3DRS_FOGDENSITY, 0x3F800000u}, // 1.0
    {D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP},
    {D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP},
    {D3DRS_STENCILPASS, D3DSTENCILOP_KEEP},
    {D3DRS_STENCILFUNC, D3DCMP_ALWAYS},
    {D3DRS_STENCILMASK, 0xFFFFFFFFu},
    {D3DRS_STENCILWRITEMASK, 0xFFFFFFFFu},
    {D3DRS_TEXTUREFACTOR, 0xFFFFFFFFu},
    {D3DRS_CLIPPING, 1},
    {D3DRS_LIGHTING, 1},
    {D3DRS_COLORVERTEX, 1},
    {D3DRS_LOCALVIEWER, 1},
    {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1},
    {D3DRS_SPECULARMATERIALSOURCE, D3DMCS_COLOR2},
    {D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL},
    {D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_MATERIAL},
    {D3DRS_COLORWRITEENABLE, 0xF},
    {D3DRS_BLENDOP, D3DBLENDOP_ADD},
};

void ResetStage(uint32_t (&s)[kMaxStageStates], int stage) {
    std::memset(s, 0, sizeof s);
    s[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    s[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    s[D3DTSS_COLORARG2] = D3DTA_CURRENT;
    s[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    s[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    s[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    s[D3DTSS_TEXCOORDINDEX] = uint32_t(stage);
    s[D3DTSS_ADDRESSU] = D3DTADDRESS_WRAP;
    s[D3DTSS_ADDRESSV] = D3DTADDRESS_WRAP;
    s[D3DTSS_ADDRESSW] = D3DTADDRESS_WRAP;
    s[D3DTSS_MAGFILTER] = D3DTEXF_POINT;
    s[D3DTSS_MINFILTER] = D3DTEXF_POINT;
    s[D3DTSS_MIPFILTER] = D3DTEXF_NONE;
    s[D3DTSS_MAXANISOTROPY] = 1;
    s[D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_DISABLE;
    s[D3DTSS_COLORARG0] = D3DTA_CURRENT;
    s[D3DTSS_ALPHAARG0] = D3DTA_CURRENT;
    s[D3DTSS_RESULTARG] = D3DTA_CURRENT;
}

} // namespace

void ResetDeviceState(DeviceState& state, int targetWidth, int targetHeight) {
    DeviceState fresh;
    for (const RenderStateDefault& d : kRenderStateDefaults)
        fresh.renderStates[d.state] = d.value;
    for (int stage = 0; stage < kMaxTextureStages; ++stage) {
        ResetStage(fresh.stageStates[stage], stage);
        fresh.textureTransforms[stage] = Identity();
    }
    fresh.world = Identity();
    fresh.view = Identity();
    fresh.projection = Identity();
    for (D3DLIGHT8& light : fresh.lights) {
        light = D3DLIGHT8{};
        light.Type = D3DLIGHT_DIRECTIONAL;
        light.Diffuse = {1, 1, 1, 0};
        light.Direction = {0, 0, 1};
    }
    fresh.viewport = {0, 0, uint32_t(targetWidth), uint32_t(targetHeight), 0.0f, 1.0f};
    LayoutFromFvf(D3DFVF_XYZ, fresh.layout);
    // Versions only grow, so a backend never mistakes the new state for one
    // it has already sent.
    fresh.renderStateVersion = state.renderStateVersion + 1;
    fresh.stageVersion = state.stageVersion + 1;
    fresh.transformVersion = state.transformVersion + 1;
    fresh.lightVersion = state.lightVersion + 1;
    fresh.materialVersion = state.materialVersion + 1;
    fresh.layoutVersion = state.layoutVersion + 1;
    fresh.viewportVersion = state.viewportVersion + 1;
    fresh.targetVersion = state.targetVersion + 1;
    state = fresh;
}

uint32_t VertexCountOf(D3DPRIMITIVETYPE type, uint32_t primCount) {
    switch (type) {
    case D3DPT_POINTLIST:
        return primCount;
    case D3DPT_LINELIST:
        return primCount * 2;
    case D3DPT_LINESTRIP:
        return primCount + 1;
    case D3DPT_TRIANGLELIST:
        return primCount * 3;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN:
        return primCount + 2;
    }
    return 0;
}

bool LayoutFromFvf(uint32_t fvf, VertexLayout& layout, uint32_t* vertexSize) {
    VertexLayout out;
    out.fvf = fvf;
    uint16_t offset = 0;
    auto add = [&](VertexElementType type, uint8_t location, uint16_t size) {
        out.elements[out.count++] = VertexElement{0, offset, type, location};
        offset = uint16_t(offset + size);
    };
    switch (fvf & D3DFVF_POSITION_MASK) {
    case D3DFVF_XYZ:
        add(VertexElementType::Float3, kLocationPosition, 12);
        break;
    case D3DFVF_XYZRHW:
        add(VertexElementType::Float4, kLocationPosition, 16);
        out.pretransformed = true;
        break;
    default:
        return false; // no position, or blend weights
    }
    if (fvf & D3DFVF_NORMAL) add(VertexElementType::Float3, kLocationNormal, 12);
    if (fvf & D3DFVF_PSIZE) offset = uint16_t(offset + 4); // point sizes are not drawn
    if (fvf & D3DFVF_DIFFUSE) add(VertexElementType::Color, kLocationDiffuse, 4);
    if (fvf & D3DFVF_SPECULAR) add(VertexElementType::Color, kLocationSpecular, 4);
    uint32_t sets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    if (sets > 4) return false;
    // Only two-float texture coordinates: the format bits that widen them
    // are not used by the engines.
    if (fvf & 0xFFFF0000u) return false;
    for (uint32_t i = 0; i < sets; ++i)
        add(VertexElementType::Float2, uint8_t(kLocationTexCoord0 + i), 8);
    layout = out;
    if (vertexSize) *vertexSize = offset;
    return true;
}

uint32_t FvfVertexSize(uint32_t fvf) {
    VertexLayout layout;
    uint32_t size = 0;
    return LayoutFromFvf(fvf, layout, &size) ? size : 0;
}

} // namespace platform::render
