// The particle system's drawing pass: queueing on the display, the
// simulation step that runs when the game clock moved, and the quads, index
// list and render states handed to the display.
#include "Jentra/JTPartSys.h"

#include "Jentra/JTFrameClock.h"
#include "Jentra/JTGeoNode.h"
#include "Jentra/JTGlobals.h"
#include "Jentra/JTRandom.h"
#include "Jentra/JTScene.h"
#include "Jentra/core/scene/draw_queue.h"
#include "Jentra/core/scene/geo_parts.h"

namespace {

// The longest step one drawing pass simulates, in seconds of game time.
constexpr float kMaxStep = 0.1f;
constexpr float kSortBehindDistance = 999999.0f;

// Spawn points at the vertices of the emitter nodes' meshes, in the
// system's space: a node, then one of its vertices, each drawn with
// RandomInt. The nodes were collected with a mesh that has vertices.
class MeshEmitPoints : public jentra::particles::EmitPoints {
public:
    MeshEmitPoints(JTArray<JTGeoNode*>& nodes, JTArray<JTMatrix>& matrices,
                   const JTMatrix& toSystem)
        : nodes(nodes), matrices(matrices), toSystem(toSystem) {}

    bool PickPoint(JTVec3& point) override {
        JTGeoParts* parts = GetGeoParts();
        int count = nodes.GetCount();
        if (!parts || count == 0) return false;
        int n = RandomInt(0, count - 1);
        JTMesh* mesh = JTPartSys::EmitterMesh(nodes[n]);
        int vertices = mesh ? parts->MeshVertexCount(mesh) : 0;
        if (vertices <= 0) return false;
        JTVec3 vertex;
        if (!parts->MeshVertex(mesh, RandomInt(0, vertices - 1), vertex)) return false;
        point = JTVec3TransformCoord(JTVec3TransformCoord(vertex, matrices[n]), toSystem);
        return true;
    }

private:
    JTArray<JTGeoNode*>& nodes;
    JTArray<JTMatrix>& matrices;
    const JTMatrix& toSystem;
};

} // namespace

void JTPartSys::RenderPreProcess(JTDrawQueue* display, JTSequencer* sequencer, float opacity) {
    if (!display) return;
    if (display->GetRenderingShadow() && !castsShadow) return;
    float o = opacity * GetOpacity();
    if (!(o > 0.0f)) return;
    const JTPartSysValues& v = GetPartProps()->values;

    worldMatrix = GetMatrix() * display->GetMatrix();
    display->PushMatrix(worldMatrix);
    if (GetSortBehind()) {
        sortDist = kSortBehindDistance;
    } else {
        JTVec3 eye, dir;
        sortDist = v.fSortAdjust;
        if (display->GetCameraView(eye, dir))
            sortDist += JTVec3Dot(worldMatrix.GetTranslation() - eye, dir);
    }
    // Always the sorted transparent queue: "Transparent" only decides
    // whether the quads write depth.
    display->AddToQueue(this, true);
    for (int i = 0; i < GetNumChildren(); ++i)
        GetChild(i)->RenderPreProcess(display, sequencer, o);
    display->PopMatrix();
}

bool JTPartSys::Simulate() {
    const JTPartSysValues& v = GetPartProps()->values;
    float elapsed = float(uint32_t(gdwTime - lastSimTime)) * 0.001f;
    float h = (elapsed < kMaxStep ? elapsed : kMaxStep) * v.fTimeScale;

    jentra::particles::Frame frame;
    frame.values = &v;
    frame.running = running || burst;
    burst = 0;
    frame.finish = finish != 0;
    frame.entityVelocity = velocity;
    frame.world = worldMatrix;
    // The emitter's position in the particles' own space: its place in the
    // world when they are dropped, else the origin of its own space.
    frame.center = v.bDropParticles ? worldMatrix.GetTranslation() : JTVec3();
    if (havePrevWorld) {
        frame.prevWorld = prevWorld;
        frame.prevAge = float(uint32_t(gdwTime - prevWorldTime)) * 0.001f;
    }
    frame.spawnScaleY = spawnScale[0];
    frame.spawnScaleXZ = spawnScale[1];

    // Vertices are found in the world; spawn points live in the system's
    // own space, which spawning later carries into the world when it drops.
    // Taking them as they are would move them by the system's own placement
    // a second time.
    JTMatrix toSystem;
    MeshEmitPoints emit(emitterNodes, emitterMatrices, toSystem);
    if (emitFromModel) {
        JTMatrixInverse(toSystem, worldMatrix);
        while (emitterNodes.GetCount() > 0)
            emitterNodes.RemoveLast();
        while (emitterMatrices.GetCount() > 0)
            emitterMatrices.RemoveLast();
        JTUnknown* target = (GetLink() && gpJTIDMap) ? gpJTIDMap->Find(&linkTarget) : nullptr;
        if (target && target->IsDerived(JTEntity::nType))
            CollectEmitterNodes(static_cast<JTEntity*>(target));
        if (emitterNodes.GetCount() > 0) frame.emitPoints = &emit;
    }

    int count = particles.GetCount();
    int ended = 0;
    bool visible = false;
    for (int i = 0; i < count; ++i) {
        if (!jentra::particles::StepParticle(frame, particles[i], i, h)) ++ended;
        if (particles[i].size != 0.0f) visible = true;
    }
    anyVisible = visible ? 1 : 0;

    if (((v.bOneShot && v.bDeleteWhenDone) || finish) && ended == count) {
        // A system outside any scene has nobody to remove it; it just stops.
        if (JTScene* scene = GetScene()) scene->Delete(this);
        removing = 1;
        return false;
    }
    lastSimTime = gdwTime;
    return true;
}

void JTPartSys::BuildDrawing(JTDrawQueue* display) {
    const JTPartSysValues& v = GetPartProps()->values;
    int count = particles.GetCount();

    jentra::particles::CameraAxes camera;
    auto* target = dynamic_cast<JTPartSysDrawTarget*>(display);
    if (!target ||
        !target->GetCameraAxes(camera.position, camera.right, camera.up, camera.direction)) {
        camera.direction = JTVec3(0, 0, 1);
        if (display) display->GetCameraView(camera.position, camera.direction);
        camera.right = JTVec3Normalize(JTVec3Cross(JTVec3(0, 1, 0), camera.direction));
        if (camera.right.Length() == 0.0f) camera.right = JTVec3(1, 0, 0);
        camera.up = JTVec3Cross(camera.direction, camera.right);
    }
    JTVec3 center = v.bDropParticles ? worldMatrix.GetTranslation() : JTVec3();
    if (!v.bDropParticles) {
        JTMatrix inverse;
        if (JTMatrixInverse(inverse, worldMatrix)) {
            camera.position = JTVec3TransformCoord(camera.position, inverse);
            camera.right = JTVec3Normalize(JTVec3TransformNormal(camera.right, inverse));
            camera.up = JTVec3Normalize(JTVec3TransformNormal(camera.up, inverse));
            camera.direction = JTVec3Normalize(JTVec3TransformNormal(camera.direction, inverse));
        }
    }

    while (vertices.GetCount() > 4 * count)
        vertices.RemoveLast();
    while (vertices.GetCount() < 4 * count)
        if (vertices.Add(JTPartVertex{}) < 0) return;
    while (indices.GetCount() > 6 * count)
        indices.RemoveLast();
    while (indices.GetCount() < 6 * count)
        if (indices.Add(0) < 0) return;
    jentra::particles::BuildQuads(v, particles.GetData(), count, center, camera,
                                  vertices.GetData());
    jentra::particles::BuildIndices(indices.GetData(), count);

    if (!target) return;
    JTPartSysDraw draw;
    draw.vertices = vertices.GetData();
    draw.numVertices = vertices.GetCount();
    draw.indices = indices.GetData();
    draw.numIndices = indices.GetCount();
    if (!v.bDropParticles) draw.world = worldMatrix;
    draw.texture = textureName;
    draw.zTest = v.bZBuffer;
    draw.zWrite = !v.bTransparent;
    draw.blend = v.bAdditiveBlend      ? JTPartSysDraw::BLEND_ADDITIVE
                 : v.bSubtractiveBlend ? JTPartSysDraw::BLEND_SUBTRACTIVE
                                       : JTPartSysDraw::BLEND_ALPHA;
    draw.alphaTest = v.bAlphaTest;
    draw.alphaRef = v.iAlphaTestThreshold;
    draw.cullCounterClockwise = v.bBackfaceCull;
    target->DrawParticles(draw);
}

void JTPartSys::Render(JTDrawQueue* display) {
    if (particles.GetCount() == 0 || removing) return;
    if (gdwTime != lastSimTime && !Simulate()) return;
    prevWorld = worldMatrix;
    prevWorldTime = gdwTime;
    havePrevWorld = true;
    BuildDrawing(display);
}
