// The geometry-part hooks over JTMesh and JTEffect, and the installation of
// everything the mesh and effect code plugs into the engine.
#include "Jentra/render/render_parts.h"

#include "Jentra/JTDisplay.h"
#include "Jentra/JTEffects.h"
#include "Jentra/JTMesh.h"
#include "Jentra/JTShadowPass.h"
#include "Jentra/core/frame/frame_hooks.h"
#include "Jentra/core/scene/geo_parts.h"
#include "Jentra/render/console_text.h"

namespace {

class RenderGeoParts : public JTGeoParts {
public:
    int MeshClassType() override { return JTMesh::nType; }
    int EffectClassType() override { return JTEffect::nType; }
    JTUnknown* MeshObject(JTMesh* mesh) override { return mesh; }
    JTMesh* AsMesh(JTUnknown* object) override {
        return object && object->IsDerived(JTMesh::nType) ? static_cast<JTMesh*>(object) : nullptr;
    }
    JTUnknown* EffectObject(JTEffect* effect) override { return effect; }
    JTEffect* AsEffect(JTUnknown* object) override {
        return object && object->IsDerived(JTEffect::nType) ? static_cast<JTEffect*>(object)
                                                            : nullptr;
    }

    int MeshVertexCount(JTMesh* mesh) override { return int(mesh->GetNumVertices()); }
    int MeshFaceCount(JTMesh* mesh) override { return int(mesh->GetNumFaces()); }
    float MeshBoundRadius(JTMesh* mesh) override { return mesh->GetBound(); }
    bool MeshFace(JTMesh* mesh, int face, JTVec3 corners[3]) override {
        if (face < 0 || unsigned(face) >= mesh->GetNumFaces()) return false;
        mesh->LockSMBuffers(true);
        Vert1 *a = nullptr, *b = nullptr, *c = nullptr;
        mesh->GetFaceVertices(unsigned(face), &a, &b, &c);
        bool found = a && b && c;
        if (found) {
            corners[0] = JTVec3(a->x, a->y, a->z);
            corners[1] = JTVec3(b->x, b->y, b->z);
            corners[2] = JTVec3(c->x, c->y, c->z);
        }
        mesh->UnlockSMBuffers();
        return found;
    }
    bool MeshVertex(JTMesh* mesh, int index, JTVec3& position) override {
        Vert1 v;
        if (index < 0 || !mesh->GetVertex(unsigned(index), v)) return false;
        position = JTVec3(v.x, v.y, v.z);
        return true;
    }
    void MeshDrawPrimitives(JTMesh* mesh, JTDrawQueue* display, bool dynamic,
                            JTGeoNode* node) override {
        if (auto* d = dynamic_cast<JTDisplay*>(display)) mesh->DrawPrimitives(d, dynamic, node);
    }
    void MeshCreateStrip(JTMesh* mesh) override { mesh->CreateStrip(gpJTDisplay); }
    void MeshSetUseStrips(JTMesh* mesh, bool on) override { mesh->SetUseStrip(on); }

    bool EffectTransparent(JTEffect* effect) override { return effect->GetTransparent(); }
    void EffectRender(JTEffect* effect, JTDrawQueue* display, JTGeoNode* node) override {
        if (auto* d = dynamic_cast<JTDisplay*>(display)) effect->Render(d, node);
    }
};

RenderGeoParts gRenderGeoParts;

JTEffect* MakeShadowEffect() {
    return new JTEffect_Shadow;
}

} // namespace

void JTInstallRenderParts() {
    SetGeoParts(&gRenderGeoParts);
    JTDisplayHooks display = JTDisplay::GetHooks();
    display.renderConsole = &JTRenderConsoleText;
    display.createShadowEffect = &MakeShadowEffect;
    JTDisplay::SetHooks(display);
    JTFrameRenderHooks frame = JTGetFrameRenderHooks();
    frame.shadowPass = &JTShadowPass;
    JTSetFrameRenderHooks(frame);
}

void JTUninstallRenderParts() {
    // The geometry-part hooks stay: they hold nothing, and whatever still
    // owns meshes and effects (models, scenes, the display's shadow effect)
    // deletes them through the hooks.
    JTDisplayHooks display = JTDisplay::GetHooks();
    display.renderConsole = nullptr;
    display.createShadowEffect = nullptr;
    JTDisplay::SetHooks(display);
    JTFrameRenderHooks frame = JTGetFrameRenderHooks();
    frame.shadowPass = nullptr;
    JTSetFrameRenderHooks(frame);
    // What the parts made on the display's device goes before the device.
    JTReleaseConsoleText();
    JTEffect::ReleaseSharedEffects();
    JTEffect_WetIce::ReleaseCube();
    JTReleaseShadowTargets();
}
