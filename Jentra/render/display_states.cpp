// JTDisplay's device states: what Init sets on a new or reset device, the
// defaults every queued node starts from, and the thin setters effects use.
#include "Jentra/JTDisplay.h"

#include "Jentra/JTGlobals.h"
#include "Jentra/JTTexture.h"

using platform::render::FloatBits;

void JTDisplay::RenderState(D3DRENDERSTATETYPE state, uint32_t value) {
    if (device) device->SetRenderState(state, value);
}

void JTDisplay::StageState(unsigned stage, D3DTEXTURESTAGESTATETYPE type, uint32_t value) {
    if (device) device->SetTextureStageState(stage, type, value);
}

void JTDisplay::SetTransform(D3DTRANSFORMSTATETYPE type, const JTMatrix& m) {
    if (!device) return;
    D3DMATRIX d;
    static_assert(sizeof d.m == sizeof m.m);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            d.m[r][c] = m.m[r][c];
    device->SetTransform(type, d);
}

void JTDisplay::Init() {
    if (!device) return;
    RenderState(D3DRS_SPECULARENABLE, 0);
    RenderState(D3DRS_INDEXEDVERTEXBLENDENABLE, 0);
    RenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    RenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    RenderState(D3DRS_ZWRITEENABLE, 1);
    RenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    RenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
    RenderState(D3DRS_ALPHABLENDENABLE, 0);
    RenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    RenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    RenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    RenderState(D3DRS_ALPHAREF, 1);
    RenderState(D3DRS_DITHERENABLE, 1);
    RenderState(D3DRS_NORMALIZENORMALS, 1);
    RenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    RenderState(D3DRS_COLORVERTEX, 0);
    RenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
    RenderState(D3DRS_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL);
    RenderState(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL);
    RenderState(D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_MATERIAL);
    device->SetMaterial(defaultMaterial);

    StageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    StageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    StageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    StageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    StageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    StageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    for (unsigned stage = 0; stage < 4; ++stage) {
        StageState(stage, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
        StageState(stage, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
        StageState(stage, D3DTSS_MIPFILTER, D3DTEXF_POINT);
    }
    StageState(1, D3DTSS_TEXCOORDINDEX, 1);

    device->SetVertexShader(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1);
    device->SetPixelShader(0);
    aspect = height > 0 ? float(width) / float(height) : 1.0f;
    invAspect = 1.0f / aspect;
    CreateDynamicBuffers();
}

void JTDisplay::SetDefaultStates() {
    if (!device) return;
    device->SetProgram(nullptr);
    device->SetPixelShader(0);
    device->SetVertexShader(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1);
    device->SetStreamSource(0, nullptr, 0);
    device->SetStreamSource(1, nullptr, 0);
    device->SetTexture(0, nullptr);
    for (unsigned stage = 0; stage < 4; ++stage) {
        StageState(stage, D3DTSS_COLOROP, D3DTOP_DISABLE);
        StageState(stage, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
        StageState(stage, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
        StageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    }
    device->SetMaterial(defaultMaterial);
    SetAlphaBlend(false, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLENDOP_ADD);
    RenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    RenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    RenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    RenderState(D3DRS_ZWRITEENABLE, 1);
    // The developer switches hold across nodes: wireframe (unless edged
    // faces draw the lines themselves) and lighting.
    RenderState(D3DRS_FILLMODE, wireframe && !edgedFaces ? D3DFILL_WIREFRAME : D3DFILL_SOLID);
    RenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
    RenderState(D3DRS_ALPHATESTENABLE, 0);
    RenderState(D3DRS_DITHERENABLE, 1);
    RenderState(D3DRS_SPECULARENABLE, 0);
    RenderState(D3DRS_FOGENABLE, 0);
    SetStencil(false, D3DSTENCILOP_KEEP, D3DSTENCILOP_KEEP, D3DSTENCILOP_KEEP, D3DCMP_ALWAYS, 0,
               0xFFFFFFFF, 0xFFFFFFFF);
    RenderState(D3DRS_LIGHTING, enableLighting ? 1 : 0);
    RenderState(D3DRS_ZBIAS, 0);
    RenderState(D3DRS_COLORVERTEX, 0);
    RenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
    RenderState(D3DRS_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL);
    RenderState(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL);
    RenderState(D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_MATERIAL);
}

void JTDisplay::SetTextureStage(unsigned stage, JTTextureFrame* frame, unsigned texCoordIndex,
                                D3DTEXTUREOP colorOp, unsigned colorArg1, unsigned colorArg2,
                                D3DTEXTUREOP alphaOp, unsigned alphaArg1, unsigned alphaArg2) {
    if (!device) return;
    device->SetTexture(stage, frame && texturing ? frame->GetD3DTexture() : nullptr);
    StageState(stage, D3DTSS_TEXCOORDINDEX, texCoordIndex == unsigned(-1) ? stage : texCoordIndex);
    StageState(stage, D3DTSS_COLOROP, colorOp);
    StageState(stage, D3DTSS_COLORARG1, colorArg1);
    StageState(stage, D3DTSS_COLORARG2, colorArg2);
    StageState(stage, D3DTSS_ALPHAOP, alphaOp);
    StageState(stage, D3DTSS_ALPHAARG1, alphaArg1);
    StageState(stage, D3DTSS_ALPHAARG2, alphaArg2);
}

void JTDisplay::SetMaterial(const D3DMATERIAL8& material) {
    if (device) device->SetMaterial(material);
}

void JTDisplay::SetAlphaBlend(bool on, D3DBLEND src, D3DBLEND dst, D3DBLENDOP op) {
    RenderState(D3DRS_ALPHABLENDENABLE, on ? 1 : 0);
    RenderState(D3DRS_SRCBLEND, src);
    RenderState(D3DRS_DESTBLEND, dst);
    RenderState(D3DRS_BLENDOP, op);
}

void JTDisplay::SetAdditiveBlend() {
    SetAlphaBlend(true, D3DBLEND_SRCALPHA, D3DBLEND_ONE, D3DBLENDOP_ADD);
}

void JTDisplay::SetCullMode(D3DCULL mode) {
    RenderState(D3DRS_CULLMODE, mode);
}

void JTDisplay::SetTwoSided(bool on) {
    RenderState(D3DRS_CULLMODE, on ? D3DCULL_NONE : D3DCULL_CCW);
}

void JTDisplay::SetZEnable(bool on, D3DCMPFUNC func) {
    RenderState(D3DRS_ZENABLE, on ? D3DZB_TRUE : D3DZB_FALSE);
    RenderState(D3DRS_ZFUNC, func);
}

void JTDisplay::SetZWriteEnable(bool on) {
    RenderState(D3DRS_ZWRITEENABLE, on ? 1 : 0);
}

void JTDisplay::SetFillMode(D3DFILLMODE mode) {
    RenderState(D3DRS_FILLMODE, mode);
}

void JTDisplay::SetShadeMode(bool flat) {
    RenderState(D3DRS_SHADEMODE, flat ? D3DSHADE_FLAT : D3DSHADE_GOURAUD);
}

void JTDisplay::SetLinePattern(unsigned short repeat, unsigned short pattern) {
    RenderState(D3DRS_LINEPATTERN, uint32_t(repeat) | uint32_t(pattern) << 16);
}

void JTDisplay::SetAlphaTest(bool on, unsigned char reference, D3DCMPFUNC func) {
    RenderState(D3DRS_ALPHATESTENABLE, on ? 1 : 0);
    if (!on) return;
    RenderState(D3DRS_ALPHAREF, reference);
    RenderState(D3DRS_ALPHAFUNC, func);
}

void JTDisplay::SetLastPixel(bool on) {
    RenderState(D3DRS_LASTPIXEL, on ? 1 : 0);
}

void JTDisplay::SetDitherEnable(bool on) {
    RenderState(D3DRS_DITHERENABLE, on ? 1 : 0);
}

void JTDisplay::SetSpecularEnable(bool on) {
    RenderState(D3DRS_SPECULARENABLE, on ? 1 : 0);
}

void JTDisplay::SetFogDisable() {
    RenderState(D3DRS_FOGENABLE, 0);
}

namespace {

void SetFog(platform::render::Device* device, bool table, bool range, unsigned long color,
            D3DFOGMODE mode) {
    if (!device) return;
    device->SetRenderState(D3DRS_FOGENABLE, 1);
    device->SetRenderState(table ? D3DRS_FOGTABLEMODE : D3DRS_FOGVERTEXMODE, mode);
    device->SetRenderState(D3DRS_FOGCOLOR, uint32_t(color));
    device->SetRenderState(D3DRS_RANGEFOGENABLE, range ? 1 : 0);
}

} // namespace

void JTDisplay::SetFogLinear(bool table, bool range, unsigned long color, float start, float end) {
    SetFog(device.get(), table, range, color, D3DFOG_LINEAR);
    RenderState(D3DRS_FOGSTART, FloatBits(start));
    RenderState(D3DRS_FOGEND, FloatBits(end));
}

void JTDisplay::SetFogExp(bool table, bool range, unsigned long color, float density) {
    SetFog(device.get(), table, range, color, D3DFOG_EXP);
    RenderState(D3DRS_FOGDENSITY, FloatBits(density));
}

void JTDisplay::SetFogExp2(bool table, bool range, unsigned long color, float density) {
    SetFog(device.get(), table, range, color, D3DFOG_EXP2);
    RenderState(D3DRS_FOGDENSITY, FloatBits(density));
}

void JTDisplay::SetStencil(bool on, D3DSTENCILOP fail, D3DSTENCILOP zfail, D3DSTENCILOP pass,
                           D3DCMPFUNC func, unsigned long reference, unsigned long mask,
                           unsigned long writeMask) {
    RenderState(D3DRS_STENCILENABLE, on ? 1 : 0);
    RenderState(D3DRS_STENCILFAIL, fail);
    RenderState(D3DRS_STENCILZFAIL, zfail);
    RenderState(D3DRS_STENCILPASS, pass);
    RenderState(D3DRS_STENCILFUNC, func);
    RenderState(D3DRS_STENCILREF, uint32_t(reference));
    RenderState(D3DRS_STENCILMASK, uint32_t(mask));
    RenderState(D3DRS_STENCILWRITEMASK, uint32_t(writeMask));
}

void JTDisplay::SetLighting(bool on) {
    RenderState(D3DRS_LIGHTING, on ? 1 : 0);
}

void JTDisplay::SetZBias(unsigned bias) {
    RenderState(D3DRS_ZBIAS, bias);
}

void JTDisplay::SetTextureFactor(unsigned long factor) {
    RenderState(D3DRS_TEXTUREFACTOR, uint32_t(factor));
}

void JTDisplay::SetColorVertex(bool on) {
    RenderState(D3DRS_COLORVERTEX, on ? 1 : 0);
}

void JTDisplay::SetDiffuseMaterialSource(D3DMATERIALCOLORSOURCE source) {
    RenderState(D3DRS_DIFFUSEMATERIALSOURCE, source);
}

void JTDisplay::SetSpecularMaterialSource(D3DMATERIALCOLORSOURCE source) {
    RenderState(D3DRS_SPECULARMATERIALSOURCE, source);
}

void JTDisplay::SetAmbientMaterialSource(D3DMATERIALCOLORSOURCE source) {
    RenderState(D3DRS_AMBIENTMATERIALSOURCE, source);
}

void JTDisplay::SetEmissiveMaterialSource(D3DMATERIALCOLORSOURCE source) {
    RenderState(D3DRS_EMISSIVEMATERIALSOURCE, source);
}
