// JTDisplay's frame: clear, each view's scene queued and drawn (opaque nodes
// in order, transparent ones far to near), the overlays, present and the
// statistics.
#include "Jentra/JTDisplay.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "Jentra/JTCamera.h"
#include "Jentra/JTConsole.h"
#include "Jentra/JTLight.h"
#include "Jentra/JTScene.h"
#include "Jentra/JTView.h"
#include "Jentra/core/frame/app_clock.h"

namespace {

template <typename T> void EmptyAndFree(JTArray<T>& array) {
    while (array.GetCount() > 0)
        array.RemoveLast();
    array.Compact();
}

D3DLIGHT8 DeviceLight(const JTLightRecord& r) {
    D3DLIGHT8 l{};
    l.Type = D3DLIGHTTYPE(r.type);
    l.Diffuse = {r.diffuse.r, r.diffuse.g, r.diffuse.b, r.diffuse.a};
    l.Specular = {r.specular.r, r.specular.g, r.specular.b, r.specular.a};
    l.Ambient = {r.ambient.r, r.ambient.g, r.ambient.b, r.ambient.a};
    l.Position = {r.position.x, r.position.y, r.position.z};
    l.Direction = {r.direction.x, r.direction.y, r.direction.z};
    l.Range = r.range;
    l.Falloff = r.falloff;
    l.Attenuation0 = r.attenuation0;
    l.Attenuation1 = r.attenuation1;
    l.Attenuation2 = r.attenuation2;
    l.Theta = r.theta;
    l.Phi = r.phi;
    return l;
}

} // namespace

void JTDisplay::Render() {
    if (!device) return;
    if (device->TestCooperativeLevel() == D3DERR_DEVICENOTRESET && !renderingShadow)
        ChangeDisplayMode(nullptr);
    if (renderingShadow && !shadowEffect && GetHooks().createShadowEffect)
        shadowEffect = GetHooks().createShadowEffect();
    if (dynamicVB) dynamicVB->SetDiscard();
    if (dynamicVB2) dynamicVB2->SetDiscard();
    if (dynamicIB) dynamicIB->SetDiscard();

    if (!renderingShadow) {
        device->SetViewport({0, 0, uint32_t(width), uint32_t(height), 0.0f, 1.0f});
        const uint32_t flags =
            D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL | (clearScreen ? D3DCLEAR_TARGET : 0);
        device->Clear(flags, 0x00000000, 1.0f, 0);
    } else {
        device->Clear(D3DCLEAR_TARGET, 0x00FFFFFF, 1.0f, 0);
    }

    device->BeginScene();
    // Views are fractions of whatever is drawn into, so a shadow pass into a
    // smaller texture scales them.
    const platform::render::Surface* target = device->GetRenderTarget();
    const int targetWidth = target ? target->Width() : width;
    const int targetHeight = target ? target->Height() : height;
    RenderState(D3DRS_FILLMODE, wireframe && !edgedFaces ? D3DFILL_WIREFRAME : D3DFILL_SOLID);
    RenderState(D3DRS_LIGHTING, enableLighting ? 1 : 0);
    for (int i = 0; i < views.GetCount(); ++i)
        RenderView(views[i], i, targetWidth, targetHeight);

    if (!renderingShadow) {
        SetDefaultStates();
        if (gpJTConsole && GetHooks().renderConsole) GetHooks().renderConsole(this);
    }
    device->EndScene();

    if (renderingShadow) return;
    device->Present();
    ++frameCounter;
    UpdateStatistics();
}

void JTDisplay::RenderView(JTView* view, int index, int targetWidth, int targetHeight) {
    if (!view) return;
    currentScene = view->GetScene();
    currentCamera = view->GetCamera();
    if (currentCamera) currentCamera->Update();
    PushMatrix(JTMatrix());
    if (currentScene) currentScene->RenderPreProcess(this, nullptr, 1.0f);

    D3DVIEWPORT8 viewport;
    view->GetViewport(viewport, targetWidth, targetHeight);
    device->SetViewport(viewport);
    if (currentCamera) {
        SetTransform(D3DTS_VIEW, currentCamera->GetView());
        SetTransform(D3DTS_PROJECTION, currentCamera->GetPerspective());
    }
    RenderState(D3DRS_LIGHTING, enableLighting ? 1 : 0);
    if (enableLighting) SetSceneLights(currentScene);

    DrawQueue(opaqueQueue);
    // Far to near. The distances are read once; a distance that is not a
    // number sorts last rather than breaking the order.
    std::vector<std::pair<float, JTNode*>> sorted;
    sorted.reserve(size_t(transparentQueue.GetCount()));
    for (int i = 0; i < transparentQueue.GetCount(); ++i) {
        const float d = transparentQueue[i]->GetRenderDist();
        sorted.emplace_back(std::isnan(d) ? -INFINITY : d, transparentQueue[i]);
    }
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    for (size_t i = 0; i < sorted.size(); ++i)
        transparentQueue[int(i)] = sorted[i].second;
    DrawQueue(transparentQueue);

    EmptyAndFree(opaqueQueue);
    EmptyAndFree(transparentQueue);
    EmptyAndFree(matrixStack);

    if (showBounds) DrawBounds(currentScene);
    if (index == 0 && benchmark) BenMarkRender();
}

void JTDisplay::SetSceneLights(JTScene* scene) {
    // The device has eight lights; a scene's ninth and later are not drawn.
    int lit = 0;
    if (scene) {
        const int count = std::min(scene->GetNumLights(), platform::render::kMaxLights);
        for (; lit < count; ++lit) {
            JTLight* light = scene->GetLight(lit);
            if (!light) break;
            device->SetLight(uint32_t(lit), DeviceLight(light->GetLight()));
            device->LightEnable(uint32_t(lit), true);
        }
    }
    for (int i = lit; i < platform::render::kMaxLights; ++i)
        device->LightEnable(uint32_t(i), false);
}

void JTDisplay::DrawQueue(JTArray<JTNode*>& queue) {
    // By index against the current count: a node may queue more as it draws.
    for (int i = 0; i < queue.GetCount(); ++i) {
        SetDefaultStates();
        queue[i]->Render(this);
    }
}

void JTDisplay::UpdateStatistics() {
    const uint32_t now = JTTickMs();
    const float elapsed = float(now - lastSample) * 0.001f;
    if (haveSample && elapsed < statsInterval) return;
    // The very first sample only starts the clock.
    if (haveSample && elapsed > 0.0f) {
        vertsPerSec = float(vertexCounter) / elapsed;
        trisPerSec = float(primitiveCounter) / elapsed;
        framesPerSec = float(frameCounter) / elapsed;
    }
    vertexCounter = primitiveCounter = frameCounter = 0;
    lastSample = now;
    haveSample = true;
}
