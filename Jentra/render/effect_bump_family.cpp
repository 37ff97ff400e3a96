// The bump-mapped lit effects: JTEffect_ParkPiece, the FireKnight three
// (plain, tinted and faded, and with a detail texture in the shadow pass's
// shade), JTEffect_BumpDiffuse and JTEffect_BumpReflect.
#include "Jentra/JTDisplay.h"
#include "Jentra/JTFile.h"
#include "Jentra/JTGeoNode.h"
#include "Jentra/JTShadowPass.h"
#include "Jentra/render/file_effect.h"

JT_CLASS_IMPL(JTEffect_ParkPiece)
JT_CLASS_IMPL(JTEffect_FireKnight)
JT_CLASS_IMPL(JTEffect_FireKnightAlpha)
JT_CLASS_IMPL(JTEffect_FireKnightShadow)
JT_CLASS_IMPL(JTEffect_BumpDiffuse)
JT_CLASS_IMPL(JTEffect_BumpReflect)
JT_FILE_EFFECT_IMPL(JTEffect_ParkPiece, "ParkPiece.eft")
JT_FILE_EFFECT_IMPL(JTEffect_FireKnight, "FireKnight.eft")
JT_FILE_EFFECT_IMPL(JTEffect_FireKnightAlpha, "FireKnightAlpha.eft")
JT_FILE_EFFECT_IMPL(JTEffect_FireKnightShadow, "FireKnightShadow.eft")
JT_FILE_EFFECT_IMPL(JTEffect_BumpDiffuse, "BumpDiffuse.eft")
JT_FILE_EFFECT_IMPL(JTEffect_BumpReflect, "BumpReflect.eft")

// ---- JTEffect_ParkPiece ----

bool JTEffect_ParkPiece::SaveLoad(JTFile& f) {
    if (!SaveLoadHead(f)) return false;
    SaveLoadTextures(f, {&diffuse, &bump, &specular});
    LoadIfNeeded(f, pD3DEffect, kFileName, &ReleaseShared);
    return true;
}

void JTEffect_ParkPiece::Render(JTDisplay* display, JTGeoNode* node) {
    DrawState s;
    JTCompiledEffect* fx = Prepare(pD3DEffect, kFileName, &ReleaseShared, display, node, s);
    if (!fx) return;
    SetLitSurface(*fx, s, diffuse, bump);
    fx->SetTexture("mSPC", DeviceTexture(specular));
    SetLightColours(*fx, s.light);
    fx->SetVector("vAMB", 0.4f, 0.6f, 0.5f, 0);
    DrawPasses(*fx, display, node);
}

// ---- JTEffect_FireKnight ----

bool JTEffect_FireKnight::SaveLoad(JTFile& f) {
    if (!SaveLoadHead(f)) return false;
    SaveLoadTextures(f, {&diffuse, &bump});
    LoadIfNeeded(f, pD3DEffect, kFileName, &ReleaseShared);
    return true;
}

void JTEffect_FireKnight::Render(JTDisplay* display, JTGeoNode* node) {
    DrawState s;
    JTCompiledEffect* fx = Prepare(pD3DEffect, kFileName, &ReleaseShared, display, node, s);
    if (!fx) return;
    SetLitSurface(*fx, s, diffuse, bump);
    SetLightColours(*fx, s.light);
    DrawPasses(*fx, display, node);
}

// ---- JTEffect_FireKnightAlpha ----

bool JTEffect_FireKnightAlpha::SaveLoad(JTFile& f) {
    if (!SaveLoadHead(f)) return false;
    SaveLoadTextures(f, {&diffuse, &bump});
    LoadIfNeeded(f, pD3DEffect, kFileName, &ReleaseShared);
    return true;
}

void JTEffect_FireKnightAlpha::Render(JTDisplay* display, JTGeoNode* node) {
    DrawState s;
    JTCompiledEffect* fx = Prepare(pD3DEffect, kFileName, &ReleaseShared, display, node, s);
    if (!fx) return;
    SetLitSurface(*fx, s, diffuse, bump);
    SetLightColours(*fx, s.light);
    // The light tinted by the colour, and the node's fading in its alpha.
    const D3DCOLORVALUE& d = s.light.Diffuse;
    fx->SetVector("vDLC", d.r * color[0], d.g * color[1], d.b * color[2], node->GetRenderOpacity());
    DrawPasses(*fx, display, node);
}

// ---- JTEffect_FireKnightShadow ----

bool JTEffect_FireKnightShadow::SaveLoad(JTFile& f) {
    if (!SaveLoadHead(f)) return false;
    SaveLoadTextures(f, {&diffuse, &bump, &detail});
    if (!f.SaveLoadValue(detailScaleU) || !f.SaveLoadValue(detailScaleV)) return false;
    LoadIfNeeded(f, pD3DEffect, kFileName, &ReleaseShared);
    return true;
}

void JTEffect_FireKnightShadow::Render(JTDisplay* display, JTGeoNode* node) {
    DrawState s;
    JTCompiledEffect* fx = Prepare(pD3DEffect, kFileName, &ReleaseShared, display, node, s);
    if (!fx) return;
    SetLitSurface(*fx, s, diffuse, bump);
    fx->SetMatrix("mSHM", s.world * matShadow);
    fx->SetTexture("mDET", DeviceTexture(detail));
    fx->SetTexture("mSHA", pShadowTexBlurred);
    const D3DCOLORVALUE& d = s.light.Diffuse;
    const D3DCOLORVALUE& a = s.light.Ambient;
    const D3DCOLORVALUE& sp = s.light.Specular;
    fx->SetVector("vDLC", 0.3f * d.r, 0.3f * d.g, 0.3f * d.b, 0);
    fx->SetVector("vALC", 0.9f * a.r, 0.9f * a.g, 0.9f * a.b, 0);
    fx->SetVector("vAL2", 1.8f * a.r, 1.8f * a.g, 1.8f * a.b, 0);
    fx->SetVector("vSLC", sp.r, sp.g, sp.b, 0);
    fx->SetVector("vDET", detailScaleU, detailScaleV, 1, 1);
    DrawPasses(*fx, display, node);
}

// ---- JTEffect_BumpDiffuse ----

bool JTEffect_BumpDiffuse::SaveLoad(JTFile& f) {
    if (!SaveLoadHead(f)) return false;
    SaveLoadTextures(f, {&diffuse, &bump});
    LoadIfNeeded(f, pD3DEffect, kFileName, &ReleaseShared);
    return true;
}

void JTEffect_BumpDiffuse::Render(JTDisplay* display, JTGeoNode* node) {
    DrawState s;
    JTCompiledEffect* fx = Prepare(pD3DEffect, kFileName, &ReleaseShared, display, node, s);
    if (!fx) return;
    SetLitSurface(*fx, s, diffuse, bump);
    SetLightColours(*fx, s.light);
    DrawPasses(*fx, display, node);
}

// ---- JTEffect_BumpReflect ----

bool JTEffect_BumpReflect::SaveLoad(JTFile& f) {
    if (!SaveLoadHead(f)) return false;
    SaveLoadTextures(f, {&surface, &bump});
    LoadIfNeeded(f, pD3DEffect, kFileName, &ReleaseShared);
    return true;
}

void JTEffect_BumpReflect::Render(JTDisplay* display, JTGeoNode* node) {
    DrawState s;
    JTCompiledEffect* fx = Prepare(pD3DEffect, kFileName, &ReleaseShared, display, node, s);
    if (!fx) return;
    fx->SetMatrix("mWRD", s.world);
    fx->SetMatrix("mBWR", s.world);
    fx->SetMatrix("mWVP", s.worldViewProj);
    fx->SetTexture("mBUM", DeviceTexture(bump));
    SetVector(*fx, "vWEY", s.eyeWorld);
    fx->SetVector("vONE", 1, 1, 1, 1);
    fx->SetVector("mREF", 0, 0, 0, 0);
    fx->SetVector("mDIF", 1, 1, 1, 1);
    const D3DCOLORVALUE& d = s.light.Diffuse;
    const D3DCOLORVALUE& a = s.light.Ambient;
    fx->SetVector("vDLC", d.r, d.g, d.b, 0);
    fx->SetVector("vALC", a.r, a.g, a.b, 0);
    SetVector(*fx, "vLDR", s.lightObject);
    DrawPasses(*fx, display, node);
}
