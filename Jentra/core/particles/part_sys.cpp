// JTPartSys: the particle-system entity's life: its prototype record, the
// reset scheduled by creation and by property changes, and the emitter
// meshes it may spawn from.
#include "Jentra/JTPartSys.h"

#include "Jentra/JTGeoNode.h"
#include "Jentra/JTMessages.h"
#include "Jentra/core/scene/geo_parts.h"

#include <cstring>

JTPartSys::JTPartSys() {
    // The entity's constructor gave it a plain record; the particle values
    // need a particle record.
    JTPartSys::InitProps();
}

void JTPartSys::InitProps() {
    // A plain new: running out of memory must not leave the system reading
    // particle values from a record that has none.
    SetProps(new JTPartSysProps, true);
}

bool JTPartSys::SuitsProps(const JTEntityProps* props) const {
    return dynamic_cast<const JTPartSysProps*>(props) != nullptr;
}

unsigned JTPartSys::Message(JTID*, JTID*, unsigned msg, void*) {
    if (msg == JTMSG_CREATED) {
        PropChanged(nullptr);
        resetPending = 1;
    }
    return 0;
}

void JTPartSys::PropChanged(void* value) {
    const JTPartSysValues& v = GetPartProps()->values;
    bool reloadTexture = !value || value == &v.szTexture;
    if (reloadTexture || value == &v.iNumParticles || value == &v.bSpherical ||
        value == &v.bDropParticles || (value == &v.bReset && v.bReset))
        resetPending = 1;
    if (reloadTexture) {
        // The display loads the texture by this name when it draws.
        std::memcpy(textureName, v.szTexture, sizeof textureName - 1);
        textureName[sizeof textureName - 1] = '\0';
    }
}

void JTPartSys::Update(JTSequencer* sequencer) {
    if (resetPending) {
        ResetParticles();
        resetPending = 0;
    }
    JTEntity::Update(sequencer);
}

void JTPartSys::ResetParticles() {
    jentra::particles::ResetParticles(GetPartProps()->values, particles);
}

JTMesh* JTPartSys::EmitterMesh(JTGeoNode* geo) {
    // A cloned node shares the mesh of the node it was cloned from.
    JTMesh* mesh = geo->GetMesh();
    JTNode* base = geo->GetBase();
    if (!mesh && base && base->IsDerived(JTGeoNode::nType))
        mesh = static_cast<JTGeoNode*>(base)->GetMesh();
    return mesh;
}

void JTPartSys::CollectEmitterNodes(JTNode* node) {
    if (!node) return;
    if (node->IsDerived(JTGeoNode::nType)) {
        auto* geo = static_cast<JTGeoNode*>(node);
        JTMesh* mesh = EmitterMesh(geo);
        JTGeoParts* parts = GetGeoParts();
        // Nodes without a mesh, or whose mesh has no vertices, have nothing
        // to emit from and are left out.
        if (mesh && parts && parts->MeshVertexCount(mesh) > 0) {
            // A geometry node has no matrix of its own: it sits in the frame
            // of its nearest transform ancestor, whichever nodes lie between.
            JTMatrix m;
            for (JTNode* up = geo->GetParent(); up; up = up->GetParent()) {
                if (!up->IsDerived(JTTransNode::nType)) continue;
                m = static_cast<JTTransNode*>(up)->GetConcatMatrix();
                break;
            }
            emitterNodes.Add(geo);
            emitterMatrices.Add(m);
        }
    }
    for (int i = 0; i < node->GetNumChildren(); ++i)
        CollectEmitterNodes(node->GetChild(i));
}

JTEntity* JTPartSysCreate() {
    return new JTPartSys;
}
