// The fixed-function effects: JTEffect_Simple (and JTEffect_Bump, which is
// it) and the glowing trail of JTEffect_StreamingLight.
#include "Jentra/JTEffects.h"

#include <cmath>
#include <cstring>

#include "Jentra/JTDisplay.h"
#include "Jentra/JTFile.h"
#include "Jentra/JTFrameClock.h"
#include "Jentra/JTGeoNode.h"

JT_CLASS_IMPL(JTEffect_Simple)
JT_CLASS_IMPL(JTEffect_StreamingLight)

namespace {

// The alpha test every blended fixed-function effect uses.
constexpr unsigned char kAlphaReference = 4;
// Copies of the node in the streaming trail.
constexpr int kTrailPasses = 15;

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
    if (!display || !node || !display->GetDevice()) return;
    platform::render::Device* device = display->GetDevice();
    display->SetTextureStage(0, TextureFrame(texture, frameIndex), 0, D3DTOP_MODULATE,
                             D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_MODULATE, D3DTA_TEXTURE,
                             D3DTA_CURRENT);
    display->SetTextureStage(1, nullptr, unsigned(-1), D3DTOP_DISABLE, D3DTA_TEXTURE, D3DTA_CURRENT,
                             D3DTOP_DISABLE, D3DTA_TEXTURE, D3DTA_CURRENT);
    display->SetCullMode(twoSided ? D3DCULL_NONE : D3DCULL_CCW);
    display->SetZWriteEnable(false);
    display->SetZEnable(false, D3DCMP_LESSEQUAL);
    display->SetAlphaBlend(true, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLENDOP_ADD);
    display->SetAdditiveBlend();
    display->SetAlphaTest(true, kAlphaReference, D3DCMP_GREATEREQUAL);

    const float opacity = node->GetRenderOpacity();
    const float t = float(gdwTime);
    const JTMatrix& placed = node->GetRenderMatrix();
    for (int i = 0; i < kTrailPasses; ++i) {
        const bool last = i == kTrailPasses - 1;
        const float k = float(kTrailPasses - 1 - i) / float(kTrailPasses - 1);
        float alpha = (1.0f - 0.75f * k) * opacity * 0.15f;
        if (last) {
            alpha = 1.0f;
            display->SetAlphaBlend(true, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLENDOP_ADD);
        }
        const float x = std::sin(t * 0.00111111f + 2.0f * k) * 0.05f * 0.4f * k;
        const float y = (std::cos(t * 0.000793651f + 2.0f * k) * 0.05f - 0.03f) * 0.4f * k;
        const float z = std::cos(t * 0.000498753f) * 0.3f * 0.6f * k;
        // The copies drift in the node's own space, not the scene's: moved by
        // scene units, a text in the interface (where the screen is two
        // units wide and the text hangs one unit away) would be smeared by
        // copies a fifth of the view away; in its own units the trail stays
        // a glow on the letters, whatever the node's scale.
        device->SetTransform(D3DTS_WORLD, ToDevice(JTMatrixTranslation(x, y, z) * placed));
        D3DCOLORVALUE glow = {1, 0.5f, 1, 1};
        if (last) glow = darkFinalPass ? D3DCOLORVALUE{0, 0, 0, 1} : D3DCOLORVALUE{1, 1, 1, 1};
        display->SetMaterial(Material({0, 0, 0, alpha}, {0, 0, 0, 1}, glow));
        node->DrawPrimitives(display);
    }
}
