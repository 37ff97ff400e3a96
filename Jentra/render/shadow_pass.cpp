// The shadow pass: the main scene drawn from its first light into a shadow
// texture, then blurred into a texture of half the size by four shifted,
// faded copies.
#include "Jentra/JTShadowPass.h"

#include <cmath>
#include <memory>

#include "Jentra/JTCamera.h"
#include "Jentra/JTDisplay.h"
#include "Jentra/JTGame.h"
#include "Jentra/JTGlobals.h"
#include "Jentra/JTKeyboard.h"
#include "Jentra/JTLight.h"
#include "Jentra/JTScene.h"
#include "Jentra/JTView.h"

platform::render::Texture* pShadowTex = nullptr;
platform::render::Surface* pShadowSurface = nullptr;
platform::render::Texture* pShadowTexBlurred = nullptr;
platform::render::Surface* pShadowSurfaceBlurred = nullptr;
platform::render::Surface* pShadowZ = nullptr;
JTMatrix matShadow;

namespace {

constexpr int kShadowSize = 1024;
constexpr int kBlurredSize = 512;
constexpr uint32_t kBlurVertexFormat = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX2;

// Owners of the targets the exported pointers name.
struct ShadowTargets {
    platform::render::Device* device = nullptr;
    std::unique_ptr<platform::render::Texture> texture;
    std::unique_ptr<platform::render::Texture> blurred;
    std::unique_ptr<platform::render::Surface> depth;
};
ShadowTargets gTargets;

bool MakeTargets(platform::render::Device& device) {
    if (gTargets.device != &device) JTReleaseShadowTargets();
    if (pShadowTex && pShadowTexBlurred && pShadowZ) return true;
    JTReleaseShadowTargets();
    gTargets.device = &device;
    gTargets.texture = device.CreateTexture(kShadowSize, kShadowSize, 1, D3DUSAGE_RENDERTARGET,
                                            D3DFMT_R5G6B5, D3DPOOL_DEFAULT);
    if (gTargets.texture) {
        gTargets.blurred = device.CreateTexture(
            kBlurredSize, kBlurredSize, 1, D3DUSAGE_RENDERTARGET, D3DFMT_R5G6B5, D3DPOOL_DEFAULT);
        gTargets.depth = device.CreateDepthStencilSurface(kShadowSize, kShadowSize, D3DFMT_D16, 0);
    }
    pShadowTex = gTargets.texture.get();
    pShadowSurface = pShadowTex ? pShadowTex->GetSurfaceLevel(0) : nullptr;
    pShadowTexBlurred = gTargets.blurred.get();
    pShadowSurfaceBlurred = pShadowTexBlurred ? pShadowTexBlurred->GetSurfaceLevel(0) : nullptr;
    pShadowZ = gTargets.depth.get();
    JTDisplay::JoinReleaseList(&JTReleaseShadowTargets);
    return pShadowTex && pShadowSurface && pShadowTexBlurred && pShadowSurfaceBlurred && pShadowZ;
}

// A camera at the light, looking along it, seeing its outer cone. It is a
// HUD camera: no input steers it, and no limit of the user camera's (tilt,
// distance from a focus) moves it off the light.
void AimAtLight(JTCamera& camera, const JTLightRecord& light) {
    camera.SetHUD(true);
    const JTVec3 dir = light.direction;
    JTVec3 up(0, 1, 0);
    if (JTVec3Cross(dir, up).Length() < 0.001f) up = JTVec3(1, 0, 0);
    camera.SetAspect(1.0f);
    camera.SetView(light.position, dir, up);
    camera.SetClip(0.5f, 2000.0f);
    camera.SetFOV(light.phi);
    camera.Update();
}

struct BlurVertex {
    float x, y, z;
    D3DCOLOR color;
    float u0, v0, u1, v1;
};
static_assert(sizeof(BlurVertex) == 32);

// Four copies of the shadow texture shifted by half a pixel of the blurred
// target each way, faded black over the white clear.
void Blur(JTDisplay& display, platform::render::Device& device) {
    display.SetDefaultStates();
    display.SetZEnable(false, D3DCMP_LESSEQUAL);
    display.SetZWriteEnable(false);
    device.SetVertexShader(kBlurVertexFormat);
    device.SetPixelShader(0);
    const D3DMATRIX identity = {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
    device.SetTransform(D3DTS_VIEW, identity);
    device.SetTransform(D3DTS_PROJECTION, identity);
    device.SetTransform(D3DTS_WORLD, identity);
    display.SetLighting(false);
    display.SetAlphaBlend(true, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLENDOP_ADD);
    device.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device.SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    device.SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    device.SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_BORDER);
    device.SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_BORDER);
    device.SetTextureStageState(0, D3DTSS_BORDERCOLOR, 0xFFFFFFFFu);
    device.SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    device.SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    device.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device.SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);

    device.SetRenderTarget(pShadowSurfaceBlurred, nullptr);
    device.SetViewport({0, 0, kBlurredSize, kBlurredSize, 0.0f, 1.0f});
    device.Clear(D3DCLEAR_TARGET, 0xFFFFFFFFu, 1.0f, 0);
    device.BeginScene();
    device.SetTexture(0, pShadowTex);

    struct Shift {
        float x, y;
        uint32_t alpha;
    };
    const float half = 1.0f / float(kBlurredSize);
    const Shift shifts[4] = {
        {-half, -half, 0x80}, {half, -half, 0x40}, {-half, half, 0x2A}, {half, half, 0x20}};
    DynamicVB* vertices = display.GetDynamicVB();
    DynamicIB* indices = display.GetDynamicIB();
    for (const Shift& s : shifts) {
        if (!vertices || !indices) break;
        const D3DCOLOR black = s.alpha << 24;
        const BlurVertex quad[4] = {{-1 + s.x, -1 + s.y, 1, black, 0, 1, 0, 1},
                                    {-1 + s.x, 1 + s.y, 1, black, 0, 0, 0, 0},
                                    {1 + s.x, -1 + s.y, 1, black, 1, 1, 1, 1},
                                    {1 + s.x, 1 + s.y, 1, black, 1, 0, 1, 0}};
        unsigned vertexStart = 0, indexStart = 0;
        unsigned char* v = vertices->Lock(sizeof quad, vertexStart);
        unsigned short* i = indices->Lock(4, indexStart);
        if (v) std::memcpy(v, quad, sizeof quad);
        if (i)
            for (unsigned short k = 0; k < 4; ++k)
                i[k] = k;
        vertices->Unlock();
        indices->Unlock();
        if (!v || !i) break;
        device.SetStreamSource(0, vertices->GetBuffer(), sizeof(BlurVertex));
        device.SetIndices(indices->GetBuffer(), vertexStart / sizeof(BlurVertex));
        device.DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, 4, indexStart, 2);
    }
    device.EndScene();
    device.SetTexture(0, nullptr);
    device.SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP);
    device.SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_WRAP);
}

} // namespace

void JTReleaseShadowTargets() {
    pShadowTex = nullptr;
    pShadowSurface = nullptr;
    pShadowTexBlurred = nullptr;
    pShadowSurfaceBlurred = nullptr;
    pShadowZ = nullptr;
    gTargets = ShadowTargets{};
}

void JTShadowPass(JTGame* game) {
    JTDisplay* display = gpJTDisplay;
    platform::render::Device* device = display ? display->GetDevice() : nullptr;
    if (!game || !device || !MakeTargets(*device)) return;
    if (gpJTKeyboard && gpJTKeyboard->KeyDown(DIK_S, JTMOD_CTRL | JTMOD_ALT)) return;
    JTScene* scene = game->GetMainScene();
    JTLight* light = scene && scene->GetNumLights() > 0 ? scene->GetLight(0) : nullptr;
    if (!light) return;

    platform::render::Surface* keptTarget = device->GetRenderTarget();
    platform::render::Surface* keptDepth = device->GetDepthStencilSurface();
    device->SetRenderTarget(pShadowSurface, pShadowZ);

    // The display draws only the shadow view.
    std::vector<JTView*> views;
    while (display->GetNumViews() > 0) {
        views.push_back(display->GetView(0));
        display->RemoveView(0);
    }
    JTCamera camera;
    AimAtLight(camera, light->GetLight());
    matShadow = camera.GetView() * camera.GetPerspective() * JTMatrixScaling(0.5f, -0.5f, 1.0f) *
                JTMatrixTranslation(0.5f, 0.505f, 1.0f);
    JTView view(scene, &camera, 0, 0, 1, 1, 0, 1);
    display->AddView(&view);
    display->SetRenderingShadow(true);
    display->Render();
    display->SetRenderingShadow(false);
    display->RemoveView(0);
    for (JTView* v : views)
        display->AddView(v);

    Blur(*display, *device);
    device->SetRenderTarget(keptTarget, keptDepth);
}
