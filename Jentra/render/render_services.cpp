// The renderer's seams in the engine core: JTRenderer::Render and
// JTDisplay::Screenshot as the frame's steps, and cursor rays through the
// views' cameras.
#include "Jentra/render/render_services.h"

#include "Jentra/JTCamera.h"
#include "Jentra/JTDisplay.h"
#include "Jentra/JTRenderer.h"
#include "Jentra/JTView.h"
#include "Jentra/core/frame/frame_hooks.h"

namespace {

JTRenderCursorServices gCursorServices;

void RenderFrame(JTGame*) {
    if (gpJTRenderer) gpJTRenderer->Render();
}

void TakeScreenshot(JTGame*) {
    if (gpJTDisplay) gpJTDisplay->Screenshot();
}

} // namespace

JTScene* JTRenderCursorServices::GetViewScene(JTView* view) {
    return view ? view->GetScene() : nullptr;
}

JTCamera* JTRenderCursorServices::GetViewCamera(JTView* view) {
    return view ? view->GetCamera() : nullptr;
}

bool JTRenderCursorServices::GetRayView(JTView* view, jentra::cursor::RayView& out) {
    if (!view || !view->GetCamera()) return false;
    const JTCamera* camera = view->GetCamera();
    out.left = view->GetX();
    out.top = view->GetY();
    out.width = view->GetWidth();
    out.height = view->GetHeight();
    out.view = camera->GetView();
    out.projection = camera->GetPerspective();
    out.eye = camera->GetPos();
    out.hud = camera->IsHUD();
    return true;
}

float JTRenderCursorServices::GetCameraAspect(JTCamera* camera) {
    return camera ? camera->GetAspect() : 1.0f;
}

void JTInstallRenderServices() {
    JTFrameRenderHooks hooks = JTGetFrameRenderHooks();
    hooks.render = RenderFrame;
    hooks.screenshot = TakeScreenshot;
    JTSetFrameRenderHooks(hooks);
    JTCursor::SetServices(&gCursorServices);
}

void JTUninstallRenderServices() {
    JTFrameRenderHooks hooks = JTGetFrameRenderHooks();
    hooks.render = nullptr;
    hooks.screenshot = nullptr;
    JTSetFrameRenderHooks(hooks);
    if (JTCursor::GetServices() == &gCursorServices) JTCursor::SetServices(nullptr);
}
