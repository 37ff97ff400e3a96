// JTGeoNode: mesh and effect ownership, queueing for drawing, bounds and
// counts, and the geometry node record.
#include "Jentra/JTGeoNode.h"

#include "Jentra/JTEntity.h"
#include "Jentra/JTFile.h"
#include "Jentra/core/scene/draw_queue.h"
#include "Jentra/core/scene/geo_parts.h"
#include "Jentra/core/scene/load_owned.h"

JT_CLASS_IMPL(JTGeoNode)

namespace {
JTGeoParts* gGeoParts = nullptr;

constexpr float kSortBehindDistance = 999999.0f;
} // namespace

JTGeoParts* GetGeoParts() {
    return gGeoParts;
}
void SetGeoParts(JTGeoParts* parts) {
    gGeoParts = parts;
}

JTGeoNode::JTGeoNode() = default;

JTGeoNode::~JTGeoNode() {
    JTGeoParts* parts = GetGeoParts();
    if (parts) {
        if (mesh && ownsMesh) delete parts->MeshObject(mesh);
        if (effect && ownsEffect) delete parts->EffectObject(effect);
    }
}

void JTGeoNode::InitClone(JTUnknown* source) {
    JTNode::InitClone(source);
    // The mesh is shared with the model; the effect is the clone's own, so
    // a per-instance setting never reaches the model.
    ownsMesh = 0;
    ownsEffect = 0;
    JTGeoParts* parts = GetGeoParts();
    if (effect && parts) {
        effect = parts->AsEffect(parts->EffectObject(effect)->Clone());
        ownsEffect = effect ? 1 : 0;
    } else {
        effect = nullptr;
    }
}

void JTGeoNode::SetMesh(JTMesh* newMesh) {
    // Handing back the mesh already held changes nothing: deleting it would
    // leave a dead pointer, and taking ownership of a mesh shared with the
    // model would free it twice.
    if (newMesh == mesh) return;
    JTGeoParts* parts = GetGeoParts();
    if (mesh && ownsMesh && parts) delete parts->MeshObject(mesh);
    mesh = newMesh;
    ownsMesh = newMesh ? 1 : 0;
}

void JTGeoNode::SetEffect(JTEffect* newEffect, bool owned) {
    // The previous effect is left to the caller, owned or not: callers that
    // replace an effect they handed over free the old one themselves first.
    effect = newEffect;
    ownsEffect = (newEffect && owned) ? 1 : 0;
}

bool JTGeoNode::GetTransparent() {
    JTGeoParts* parts = GetGeoParts();
    if (effect && parts && parts->EffectTransparent(effect)) return true;
    return renderOpacity < 1.0f;
}

void JTGeoNode::RenderPreProcess(JTDrawQueue* display, JTSequencer* sequencer,
                                 float parentOpacity) {
    UpdateChannels(sequencer, true);
    float o = opacity * parentOpacity;
    if (o <= 0.0f) return;
    renderOpacity = o;
    renderMatrix = display->GetMatrix();
    bool transparent = GetTransparent();
    if (transparent) {
        JTEntity* entity = GetEntity();
        JTVec3 cameraPos, cameraDir;
        if (entity && entity->GetSortBehind())
            renderDist = kSortBehindDistance;
        else if (display->GetCameraView(cameraPos, cameraDir))
            renderDist = JTVec3Dot(renderMatrix.GetTranslation() - cameraPos, cameraDir);
    }
    display->AddToQueue(this, transparent);
}

void JTGeoNode::Render(JTDrawQueue* display) {
    if (display->GetRenderingShadow()) {
        display->RenderShadow(this);
        return;
    }
    JTGeoParts* parts = GetGeoParts();
    if (effect && parts) parts->EffectRender(effect, display, this);
}

void JTGeoNode::DrawPrimitives(JTDrawQueue* display) {
    JTGeoParts* parts = GetGeoParts();
    if (!mesh || !parts) return;
    parts->MeshDrawPrimitives(mesh, display, sink || squash, this);
}

void JTGeoNode::CountVertPoly(int& vertices, int& polygons) {
    JTNode::CountVertPoly(vertices, polygons);
    JTGeoParts* parts = GetGeoParts();
    if (opacity > 0.0f && mesh && parts) {
        vertices += parts->MeshVertexCount(mesh);
        polygons += parts->MeshFaceCount(mesh);
    }
}

float JTGeoNode::RecomputeBound(JTMatrix m) {
    JTGeoParts* parts = GetGeoParts();
    if (!mesh || !parts) return 0.0f;
    return parts->MeshBoundRadius(mesh) * m.GetMaxScale() + m.GetTranslation().Length();
}

bool JTGeoNode::SaveLoad(JTFile& f) {
    if (!JTNode::SaveLoad(f)) return false;
    uint16_t version = 1;
    if (!SaveLoadField(f, version)) return false;
    JTGeoParts* parts = GetGeoParts();

    uint32_t present = mesh ? 1 : 0;
    if (!SaveLoadField(f, present)) return false;
    if (present) {
        if (f.Saving()) {
            if (!parts || !parts->MeshObject(mesh)->SaveLoad(f)) return false;
        } else {
            JTUnknown* object = parts ? LoadOwnedObject(f, parts->MeshClassType()) : nullptr;
            JTMesh* loaded = object ? parts->AsMesh(object) : nullptr;
            if (!loaded) {
                RefuseLoadedObject(f, object);
                return false;
            }
            SetMesh(loaded);
        }
    }

    present = effect ? 1 : 0;
    if (!SaveLoadField(f, present)) return false;
    if (!present) return true;
    if (f.Saving()) return parts && parts->EffectObject(effect)->SaveLoad(f);
    JTUnknown* object = parts ? LoadOwnedObject(f, parts->EffectClassType()) : nullptr;
    JTEffect* loaded = object ? parts->AsEffect(object) : nullptr;
    if (!loaded) {
        RefuseLoadedObject(f, object);
        return false;
    }
    SetEffect(loaded, true);
    return true;
}
