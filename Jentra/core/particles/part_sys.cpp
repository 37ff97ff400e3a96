// JTPartSys: the particle-system entity's life: its prototype record, the
// reset scheduled by creation and by property changes, and the emitter
// meshes it may spawn from.
#include "Jentra/JTPartSys.h"

#include "Jentra/JTGeoNode.h"
#include "Jentra/JTGlobals.h"
#include "Jentra/JTMessages.h"
#include "Jentra/JTRandom.h"
#include "Jentra/core/scene/geo_parts.h"

#include <cstring>

JTPartSys::JTPartSys() {
    InitProps();
}

JTPartSys::~JTPartSys() {
    if (ownsPartProps) delete partProps;
}

void JTPartSys::InitProps() {
    if (ownsPartProps) delete partProps;
    partProps = new JTPartSysProps;
    ownsPartProps = true;
}

void JTPartSys::UseProps(JTPartSysProps* props) {
    if (!props || props == partProps) return;
    if (ownsPartProps) delete partProps;
    partProps = props;
    ownsPartProps = false;
}

unsigned JTPartSys::Message(JTID*, JTID*, unsigned msg, void*) {
    if (msg == JTMSG_CREATED) {
        PropChanged(nullptr);
        resetPending = 1;
    }
    return 0;
}

void JTPartSys::PropChanged(void* value) {
    const JTPartSysValues& v = partProps->values;
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
    jentra::particles::ResetParticles(partProps->values, particles);
}

void JTPartSys::CollectEmitterNodes(JTNode* node) {
    if (!node) return;
    if (node->IsDerived(JTGeoNode::nType)) {
        auto* geo = static_cast<JTGeoNode*>(node);
        JTMesh* mesh = geo->GetMesh();
        JTNode* base = geo->GetBase();
        if (!mesh && base && base->IsDerived(JTGeoNode::nType))
            mesh = static_cast<JTGeoNode*>(base)->GetMesh();
        JTGeoParts* parts = GetGeoParts();
        // Nodes without a mesh, or whose mesh has no faces, have nothing to
        // emit from and are left out.
        if (mesh && parts && parts->MeshFaceCount(mesh) > 0) {
            JTNode* parent = geo->GetParent();
            JTMatrix m;
            if (parent && parent->IsDerived(JTTransNode::nType))
                m = static_cast<JTTransNode*>(parent)->GetConcatMatrix();
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
