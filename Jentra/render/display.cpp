// JTDisplay: construction and teardown, the view list, the matrix stack and
// draw queues scene nodes fill, the current camera, and the plug-ins other
// parts of the renderer give the display.
#include "Jentra/JTDisplay.h"

#include <algorithm>

#include "Jentra/JTCamera.h"
#include "Jentra/JTConsole.h"
#include "Jentra/JTView.h"
#include "Jentra/core/scene/geo_parts.h"
#include "platform/window.h"

namespace {

JTDisplayHooks gHooks;
std::vector<void (*)()> gReleaseList;

} // namespace

void JTDisplay::SetHooks(const JTDisplayHooks& hooks) {
    gHooks = hooks;
}

const JTDisplayHooks& JTDisplay::GetHooks() {
    return gHooks;
}

void JTDisplay::JoinReleaseList(void (*release)()) {
    if (release &&
        std::find(gReleaseList.begin(), gReleaseList.end(), release) == gReleaseList.end())
        gReleaseList.push_back(release);
}

void JTDisplay::LeaveReleaseList(void (*release)()) {
    gReleaseList.erase(std::remove(gReleaseList.begin(), gReleaseList.end(), release),
                       gReleaseList.end());
}

void JTDisplay::CallReleaseList() {
    // A copy: a release function may leave the list.
    const std::vector<void (*)()> list = gReleaseList;
    for (void (*release)() : list)
        release();
}

JTDisplay::JTDisplay() {
    defaultMaterial.Diffuse = {0, 0, 0, 1};
    defaultMaterial.Ambient = {0, 0, 0, 1};
    defaultMaterial.Specular = {0, 0, 0, 1};
    defaultMaterial.Emissive = {1, 1, 1, 1};
    defaultMaterial.Power = 0;
    JTConsole::BindDisplayFlag(JTCONSOLE_TEX, &texturing);
    JTConsole::BindDisplayFlag(JTCONSOLE_LIGHT, &enableLighting);
    JTConsole::BindDisplayFlag(JTCONSOLE_WIRE, &wireframe);
    JTConsole::BindDisplayFlag(JTCONSOLE_EDGE, &edgedFaces);
    JTConsole::BindDisplayFlag(JTCONSOLE_BENMARK, &benchmark);
    JTConsole::BindDisplayFlag(JTCONSOLE_BOUND, &showBounds);
}

JTDisplay::~JTDisplay() {
    for (int flag = 0; flag < JTCONSOLE_NUM_DISPLAY_FLAGS; ++flag)
        JTConsole::BindDisplayFlag(JTConsoleDisplayFlag(flag), nullptr);
    if (shadowEffect) {
        if (JTGeoParts* parts = GetGeoParts()) delete parts->EffectObject(shadowEffect);
        shadowEffect = nullptr;
    }
    benchmarkData.reset();
    ReleaseDynamicBuffers();
    // GL objects go with the device, the device before its window.
    device.reset();
    ownedWindow.reset();
    if (gpJTDisplay == this) gpJTDisplay = nullptr;
}

// ---- views ----

void JTDisplay::AddView(JTView* view) {
    views.Add(view);
}

void JTDisplay::InsertView(int i, JTView* view) {
    if (i < 0 || i > views.GetCount()) return;
    views.Insert(i, view);
}

void JTDisplay::RemoveView(int i) {
    if (i < 0 || i >= views.GetCount()) return;
    views.RemoveAt(i);
}

JTView* JTDisplay::GetView(int i) const {
    return i >= 0 && i < views.GetCount() ? views[i] : nullptr;
}

// ---- matrix stack and queues ----

void JTDisplay::PushMatrix(const JTMatrix& m) {
    matrixStack.Add(m);
}

void JTDisplay::PopMatrix() {
    if (matrixStack.GetCount() > 0) matrixStack.RemoveLast();
}

JTMatrix JTDisplay::GetMatrix() const {
    return matrixStack.GetCount() > 0 ? matrixStack[matrixStack.GetCount() - 1] : JTMatrix();
}

void JTDisplay::AddToQueue(JTNode* node, bool transparent) {
    if (!node) return;
    (transparent ? transparentQueue : opaqueQueue).Add(node);
}

bool JTDisplay::GetCameraView(JTVec3& position, JTVec3& direction) const {
    if (!currentCamera) return false;
    position = currentCamera->GetPos();
    direction = currentCamera->GetDir();
    return true;
}

bool JTDisplay::GetCameraAxes(JTVec3& position, JTVec3& right, JTVec3& up, JTVec3& dir) {
    if (!currentCamera) return false;
    position = currentCamera->GetPos();
    right = currentCamera->GetRight();
    up = currentCamera->GetUp();
    dir = currentCamera->GetDir();
    return true;
}

void JTDisplay::RenderShadow(JTGeoNode* node) {
    JTGeoParts* parts = GetGeoParts();
    if (!shadowEffect && gHooks.createShadowEffect) shadowEffect = gHooks.createShadowEffect();
    if (shadowEffect && parts && node) parts->EffectRender(shadowEffect, this, node);
}
