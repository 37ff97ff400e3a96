// Display::RenderFrame: the entities walked into the draw queues, the
// requested texture levels uploaded, the opaque queue drawn with each
// entity's lights, the head-up display's layers, the transparent queue
// sorted far to near, the overlay nodes, the inset picture, the fade, the
// overlay layer, the command markers, the letterbox bars and the
// statistics line.
#include "desktop/display/device/display.h"

#include "desktop/display/frame/frame_math.h"
#include "desktop/display/textures/texture_manager.h"
#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/anim_text.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/scene/world/world.h"
#include "platform/render/device.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace lumivane {

namespace {

constexpr float kOverlayNear = 0.01f;
constexpr float kOverlayFar = 1600.0f;
constexpr float kOverlayFov = 1.5707964f; // a quarter turn: at depth 1, x spans -1..1
constexpr float kLetterboxShare = 0.15f;  // of the half height a bar covers
constexpr float kBarOverhang = 0.1f;
constexpr float kInsetDistance = 15.0f; // radii: nearer entities get no inset
constexpr int kInsetLevel = 4;

Vertex ScreenVertex(float x, float y, uint32_t colour, float u = 0.0f, float v = 0.0f) {
    Vertex vertex;
    vertex.position = {x, y, 1.0f};
    vertex.normal = {0.0f, 0.0f, -1.0f};
    vertex.colour = colour;
    vertex.u = u;
    vertex.v = v;
    return vertex;
}

// The first world entity whose "focus" value is set, else the origin.
Vec3 FocusPosition(const World* world) {
    for (int i = 0; world && i < world->EntityCount(); ++i)
        if (const Entity* entity = world->EntityAt(i); entity && entity->PropFlag("focus"))
            return entity->position;
    return {};
}

} // namespace

void Display::SetCamera(std::unique_ptr<DisplayCamera> camera) {
    if (!camera) return;
    camera_ = std::move(camera);
    camera_->SetAspect(aspect_);
}

Matrix Display::OverlayProjection() const {
    Matrix projection;
    projection.MakePerspective(kOverlayNear, kOverlayFar, kOverlayFov, aspect_);
    return projection;
}

void Display::SetTransform(D3DTRANSFORMSTATETYPE type, const Matrix& matrix) {
    D3DMATRIX m;
    std::memcpy(&m.m[0][0], matrix.m, sizeof matrix.m);
    device3D_->SetTransform(type, m);
}

void Display::RenderFrame() {
    FrameState& f = frame_;
    World* world = GetWorld();
    f.cameraPosition = camera_->Current().position;
    f.focus = FocusPosition(world);
    DisableLights();

    device3D_->BeginScene();
    device3D_->SetViewport(viewport_);
    states_.SetRenderState(D3DRS_FILLMODE,
                           f.switches.wireframe ? D3DFILL_WIREFRAME : D3DFILL_SOLID);
    f.view = camera_->ViewMatrix();
    f.projection = camera_->ProjectionMatrix();
    f.eye = f.cameraPosition;
    SetTransform(D3DTS_VIEW, f.view);
    SetTransform(D3DTS_PROJECTION, f.projection);
    f.opaque.clear();
    f.transparent.clear();
    f.hudList.clear();
    f.highlighted = 0;
    f.infoList.clear();
    f.current = nullptr;

    // A backdrop body first is drawn at once, behind everything.
    for (int i = 0; world && i < world->EntityCount(); ++i) {
        Entity* entity = world->EntityAt(i);
        if (!entity) continue;
        if (i == 0 && IsA(entity, ClassId::Celestial)) {
            f.drawNow = true;
            QueueEntity(entity, true);
            f.drawNow = false;
            continue;
        }
        QueueEntity(entity, false);
        FrameYield();
    }
    f.current = nullptr;
    if (gpTextureManager) gpTextureManager->UploadRequested();

    SetTransform(D3DTS_WORLD, Matrix::Identity());
    DrawQueue(f.opaque);
    DisableLights();
    SetTransparentState();
    hooks_->DrawHud(*this, f.hudList, f.highlighted, f.infoList);
    const Vec3 camera = f.cameraPosition;
    std::sort(f.transparent.begin(), f.transparent.end(),
              [&](const QueuedNode& a, const QueuedNode& b) { return DepthOrder(a, b, camera); });
    DrawQueue(f.transparent);
    DisableLights();

    if (hooks_->HudOn() || f.switches.debugOverlay) {
        DrawOverlayLayer(*overlay_.hudOverlay);
        DrawOverlayLayer(*overlay_.hudOverlayTransform);
    }
    DrawPictureInPicture();

    // The fade and the letterbox bars follow their switches over a second.
    const float step = GetSceneClock().frameTime;
    auto ramp = [&](int onWord, int amountWord) {
        overlay_.SetModeFloat(
            amountWord, RampAmount(overlay_.ModeFloat(amountWord), overlay_.Mode(onWord), step));
    };
    ramp(kModeFadeIn, kModeFadeAmount);
    DrawFadeVeil();
    DrawOverlayLayer(*overlay_.overlay);
    hooks_->DrawCommandMarkers(*this);
    ramp(kModeLetterbox, kModeLetterboxAmount);
    DrawLetterbox();

    if (overlay_.statisticsText) {
        f.view = Matrix::Identity();
        f.projection = OverlayProjection();
        f.eye = {};
        SetTransform(D3DTS_VIEW, f.view);
        SetTransform(D3DTS_PROJECTION, f.projection);
        QueuedNode item;
        item.node = overlay_.statisticsText;
        DrawObject(item);
    }
    device3D_->EndScene();
}

void Display::DrawQueue(std::vector<QueuedNode>& queue) {
    bool first = true;
    Entity* lastEntity = nullptr;
    for (const QueuedNode& item : queue) {
        if (first || item.entity != lastEntity) SetupLights(item.entity, false);
        first = false;
        lastEntity = item.entity;
        DrawObject(item);
        FrameYield();
    }
}

void Display::SetTransparentState() {
    states_.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    states_.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    states_.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    states_.SetRenderState(D3DRS_ZWRITEENABLE, 0);
    states_.SetRenderState(D3DRS_ALPHATESTENABLE, 0);
    states_.SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    states_.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    states_.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    states_.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    states_.SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
}

// The children of an overlay node, drawn at once in the camera's space:
// entities with their own lights and no culling, other nodes as they come.
void Display::DrawOverlayLayer(Node& parent) {
    FrameState& f = frame_;
    f.view = Matrix::Identity();
    f.projection = OverlayProjection();
    f.eye = {};
    SetTransform(D3DTS_VIEW, f.view);
    SetTransform(D3DTS_PROJECTION, f.projection);
    SetTransform(D3DTS_WORLD, Matrix::Identity());
    f.drawNow = true;
    std::vector<Node*> children;
    for (int i = 0; i < parent.ChildCount(); ++i)
        if (Node* child = parent.ChildAt(i); child && child->visible) {
            child->AddRef();
            children.push_back(child);
        }
    const Matrix base = IsA(&parent, ClassId::TransNode) ? static_cast<TransNode&>(parent).local
                                                         : Matrix::Identity();
    for (Node* child : children) {
        f.current = nullptr;
        f.currentInside = false;
        f.currentScreenSize = 1.0f;
        if (IsA(child, ClassId::Entity)) {
            auto* entity = static_cast<Entity*>(child);
            f.overlayLighting = true;
            SetupLights(entity, true);
            QueueEntity(entity, true);
            f.overlayLighting = false;
            DisableLights();
        } else if (IsA(child, ClassId::GeoNode)) {
            QueueNode(static_cast<GeoNode*>(child), base);
            QueueChildren(child, base);
        } else if (IsA(child, ClassId::TransNode)) {
            QueueChildren(child, static_cast<TransNode*>(child)->local * base);
        } else {
            QueueChildren(child, base);
        }
    }
    for (Node* child : children)
        child->Release();
    f.drawNow = false;
    f.current = nullptr;
}

// Flat quads in the overlay's space at depth 1 (x -1..1, y -r..r with r
// the height over the width), unlit, never hidden by the scene.
void Display::DrawScreenQuads(const Vertex* vertices, int quads) {
    SetTransform(D3DTS_VIEW, Matrix::Identity());
    SetTransform(D3DTS_PROJECTION, OverlayProjection());
    SetTransform(D3DTS_WORLD, Matrix::Identity());
    states_.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    states_.SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
    states_.SetRenderState(D3DRS_ZWRITEENABLE, 0);
    states_.SetRenderState(D3DRS_ALPHATESTENABLE, 0);
    states_.SetRenderState(D3DRS_LIGHTING, 0);
    for (int q = 0; q < quads; ++q) {
        Begin(D3DPT_TRIANGLEFAN, kModelVertexFormat);
        for (int k = 0; k < 4; ++k)
            AddVertex(vertices[q * 4 + k]);
        End();
    }
}

void Display::DrawLetterbox() {
    const float amount = overlay_.ModeFloat(kModeLetterboxAmount);
    if (!(amount > 0.0f)) return;
    const float r = inverseAspect_;
    const uint32_t black = 0xFF000000u;
    const float topEdge = (1.0f - kLetterboxShare * amount) * r;
    const float bottomEdge = (kLetterboxShare * amount - 1.0f) * r;
    const Vertex bars[8] = {
        ScreenVertex(-1.0f, r + kBarOverhang, black),
        ScreenVertex(1.0f, r + kBarOverhang, black),
        ScreenVertex(1.0f, topEdge, black),
        ScreenVertex(-1.0f, topEdge, black),
        ScreenVertex(-1.0f, -r - kBarOverhang, black),
        ScreenVertex(1.0f, -r - kBarOverhang, black),
        ScreenVertex(1.0f, bottomEdge, black),
        ScreenVertex(-1.0f, bottomEdge, black),
    };
    states_.SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
    device3D_->SetTexture(0, nullptr);
    states_.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    states_.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    states_.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    DrawScreenQuads(bars, 2);
}

// While the scene fades in, black over it that thins away.
void Display::DrawFadeVeil() {
    const float amount = overlay_.ModeFloat(kModeFadeAmount);
    if (!(amount < 1.0f)) return;
    const auto alpha = uint32_t(std::clamp(1.0f - amount, 0.0f, 1.0f) * 255.0f + 0.5f);
    const uint32_t colour = alpha << 24;
    const float r = inverseAspect_ + kBarOverhang, w = 1.0f + kBarOverhang;
    const Vertex veil[4] = {ScreenVertex(-w, r, colour), ScreenVertex(w, r, colour),
                            ScreenVertex(w, -r, colour), ScreenVertex(-w, -r, colour)};
    states_.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    states_.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    states_.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device3D_->SetTexture(0, nullptr);
    states_.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    states_.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    states_.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    DrawScreenQuads(veil, 1);
}

// The inspected entity in a small square beside it, framed, while the
// camera keeps a view for it.
void Display::DrawPictureInPicture() {
    if (!hooks_->HudOn()) return;
    Entity* entity = hooks_->InspectedEntity();
    // Without its frame texture the inset is not drawn at all.
    if (!entity || !overlay_.pictureInPicture ||
        !overlay_.pictureInPicture->GetSurface(kBestAvailableLevel, 0))
        return;
    const Vec3 offset = entity->position - frame_.cameraPosition;
    if (offset.Length() < kInsetDistance * entity->radius) return;
    Matrix view, projection;
    if (!camera_->AimPictureInPicture(*entity, view, projection)) return;
    Vec3 seen = entity->position;
    (camera_->ViewMatrix() * camera_->ProjectionMatrix()).TransformPoint(seen);
    const InsetRect inset = PictureInPictureRect(seen.x, seen.y, renderWidth_, renderHeight_);
    if (inset.side <= 0) return;
    const D3DVIEWPORT8 box{uint32_t(inset.left),
                           uint32_t(inset.top),
                           uint32_t(inset.side),
                           uint32_t(inset.side),
                           0.0f,
                           1.0f};
    device3D_->SetViewport(box);
    device3D_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);

    FrameState& f = frame_;
    f.view = view;
    f.projection = projection;
    f.eye = camera_->Current().position;
    SetTransform(D3DTS_VIEW, view);
    SetTransform(D3DTS_PROJECTION, projection);
    f.opaque.clear();
    f.transparent.clear();
    QueueEntity(entity, true);
    SetNodeLevel(entity, kInsetLevel);
    f.current = nullptr;
    DrawQueue(f.opaque);
    DisableLights();
    SetTransparentState();
    DrawQueue(f.transparent);
    DisableLights();

    // The frame over it: the inset's whole square with the frame texture.
    platform::render::BaseTexture* frameTexture =
        overlay_.pictureInPicture ? overlay_.pictureInPicture->GetSurface(kBestAvailableLevel, 0)
                                  : nullptr;
    if (frameTexture) {
        const float r = inverseAspect_;
        const uint32_t white = 0xFFFFFFFFu;
        const Vertex square[4] = {
            ScreenVertex(-1.0f, r, white, 0.0f, 0.0f), ScreenVertex(1.0f, r, white, 1.0f, 0.0f),
            ScreenVertex(1.0f, -r, white, 1.0f, 1.0f), ScreenVertex(-1.0f, -r, white, 0.0f, 1.0f)};
        states_.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
        device3D_->SetTexture(0, frameTexture);
        states_.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        states_.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        DrawScreenQuads(square, 1);
    }
    device3D_->SetViewport(viewport_);
    f.view = camera_->ViewMatrix();
    f.projection = camera_->ProjectionMatrix();
    f.eye = f.cameraPosition;
    SetTransform(D3DTS_VIEW, f.view);
    SetTransform(D3DTS_PROJECTION, f.projection);
}

} // namespace lumivane
