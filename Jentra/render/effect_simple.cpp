// The fixed-function effects: JTEffect_Simple (and JTEffect_Bump, which is
// it) and the glowing trail of JTEffect_StreamingLight, whose glow copies
// are added in one pass where the trail holds still (see glow_trail.h).
#include "Jentra/JTEffects.h"

#include <cstring>

#include "Jentra/JTDisplay.h"
#include "Jentra/JTFile.h"
#include "Jentra/JTFrameClock.h"
#include "Jentra/JTGeoNode.h"
#include "Jentra/JTTexture.h"
#include "Jentra/render/compiled_effect.h"
#include "Jentra/render/glow_trail.h"
#include "platform/render/device.h"

JT_CLASS_IMPL(JTEffect_Simple)
JT_CLASS_IMPL(JTEffect_StreamingLight)

namespace {

// The alpha test every blended fixed-function effect uses, the glow's own.
using jentra::glow::kAlphaReference;

D3DMATRIX ToDevice(const JTMatrix& m) {
    D3DMATRIX out;
    std::memcpy(out.m, m.m, sizeof out.m);
    return out;
}

D3DMATERIAL8 Material(D3DCOLORVALUE diffuse, D3DCOLORVALUE ambient, D3DCOLORVALUE emissive) {
    D3DMATERIAL8 m{};
    m.Diffuse = diffuse;
    m.Ambient = ambient;
    m.Specular = {0, 0, 0, 1};
    m.Emissive = emissive;
    m.Power = 0;
    return m;
}

} // namespace

bool JTEffect_Simple::SaveLoad(JTFile& f) {
    if (!SaveLoadHead(f)) return false;
    SaveLoadTexture(f, texture); // a missing texture does not stop the load
    uint8_t sides = twoSided ? 1 : 0;
    if (!f.SaveLoadValue(sides)) return false;
    twoSided = sides != 0;
    for (float& c : emissive)
        if (!f.SaveLoadValue(c)) return false;
    return true;
}

bool JTEffect_Simple::GetTransparent() {
    return texture && TextureHasAlpha(texture);
}

void JTEffect_Simple::Render(JTDisplay* display, JTGeoNode* node) {
    if (!display || !node || !display->GetDevice()) return;
    float opacity = node->GetRenderOpacity();
    if (!(opacity > 0.0f)) return;
    display->GetDevice()->SetTransform(D3DTS_WORLD, ToDevice(node->GetRenderMatrix()));
    display->SetTextureStage(0, TextureFrame(texture, frameIndex), 0, D3DTOP_MODULATE,
                             D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_MODULATE, D3DTA_TEXTURE,
                             D3DTA_CURRENT);
    display->SetTextureStage(1, nullptr, unsigned(-1), D3DTOP_DISABLE, D3DTA_TEXTURE, D3DTA_CURRENT,
                             D3DTOP_DISABLE, D3DTA_TEXTURE, D3DTA_CURRENT);
    display->SetMaterial(Material({1, 1, 1, opacity}, {1, 1, 1, 1},
                                  {emissive[0], emissive[1], emissive[2], emissive[3]}));
    display->SetCullMode(twoSided ? D3DCULL_NONE : D3DCULL_CCW);
    if (!depthWrite) display->SetZWriteEnable(false);
    if (!depthTest) display->SetZEnable(false, D3DCMP_LESSEQUAL);
    if (opacity < 1.0f || TextureHasAlpha(texture)) {
        display->SetAlphaBlend(true, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLENDOP_ADD);
        display->SetZWriteEnable(false);
        display->SetAlphaTest(true, kAlphaReference, D3DCMP_GREATEREQUAL);
    }
    node->DrawPrimitives(display);
}

void JTEffect_StreamingLight::Render(JTDisplay* display, JTGeoNode* node) {
    using jentra::glow::kTrailCopies;
    if (!display || !node || !display->GetDevice()) return;
    platform::render::Device* device = display->GetDevice();
    JTTextureFrame* frame = TextureFrame(texture, frameIndex);
    auto bindTexture = [&] {
        display->SetTextureStage(0, frame, 0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT,
                                 D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT);
    };
    bindTexture();
    display->SetTextureStage(1, nullptr, unsigned(-1), D3DTOP_DISABLE, D3DTA_TEXTURE, D3DTA_CURRENT,
                             D3DTOP_DISABLE, D3DTA_TEXTURE, D3DTA_CURRENT);
    display->SetCullMode(twoSided ? D3DCULL_NONE : D3DCULL_CCW);
    display->SetZWriteEnable(false);
    display->SetZEnable(false, D3DCMP_LESSEQUAL);
    display->SetAlphaBlend(true, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLENDOP_ADD);
    display->SetAdditiveBlend();
    display->SetAlphaTest(true, kAlphaReference, D3DCMP_GREATEREQUAL);

    jentra::glow::TrailCopy copies[kTrailCopies];
    jentra::glow::PlanTrail(float(gdwTime), node->GetRenderOpacity(), copies);
    const float glowColour[3] = {1, 0.5f, 1};
    int first = 0;
    if (jentra::glow::GetOnePassGlow() && jentra::glow::TrailHoldsStill(display, node, copies)) {
        platform::render::BaseTexture* atlas =
            frame && display->GetTexturing() ? frame->GetD3DTexture() : nullptr;
        // A white node goes down with its glow in the same pass: its blend
        // over the glow and the scene equals its blend over the scene with
        // the glow added, as the glow only brightens. A dark one does not
        // (it darkens what the glow brightened past white), and follows.
        const bool withNode = !darkFinalPass;
        if (JTCompiledEffect* glow =
                jentra::glow::PrepareGlowPass(display, node, atlas, copies, glowColour, withNode)) {
            DrawPasses(*glow, display, node);
            if (withNode) return;
            first = jentra::glow::kGlowCopies;
            bindTexture();
            display->SetAlphaTest(true, kAlphaReference, D3DCMP_GREATEREQUAL);
        }
    }
    const JTMatrix& placed = node->GetRenderMatrix();
    for (int i = first; i < kTrailCopies; ++i) {
        const bool last = i == kTrailCopies - 1;
        if (last)
            display->SetAlphaBlend(true, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLENDOP_ADD);
        const JTVec3& o = copies[i].offset;
        // The copies drift in the node's own space, not the scene's: moved by
        // scene units, a text in the interface (where the screen is two
        // units wide and the text hangs one unit away) would be smeared by
        // copies a fifth of the view away; in its own units the trail stays
        // a glow on the letters, whatever the node's scale.
        device->SetTransform(D3DTS_WORLD, ToDevice(JTMatrixTranslation(o.x, o.y, o.z) * placed));
        D3DCOLORVALUE glow = {glowColour[0], glowColour[1], glowColour[2], 1};
        if (last) glow = darkFinalPass ? D3DCOLORVALUE{0, 0, 0, 1} : D3DCOLORVALUE{1, 1, 1, 1};
        display->SetMaterial(Material({0, 0, 0, copies[i].alpha}, {0, 0, 0, 1}, glow));
        node->DrawPrimitives(display);
    }
}
