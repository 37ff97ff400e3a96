// JTEntity: identity, motion, the matrix from position, orientation and
// scale, links to other entities, and the entity record.
#include "Jentra/JTEntity.h"

#include <cmath>

#include "Jentra/JTFile.h"
#include "Jentra/JTFrameClock.h"
#include "Jentra/JTGeoNode.h"
#include "Jentra/JTGlobals.h"
#include "Jentra/JTScene.h"
#include "Jentra/core/scene/draw_queue.h"
#include "Jentra/core/scene/geo_parts.h"
#include "Jentra/core/scene/load_owned.h"

JT_CLASS_IMPL(JTEntity)

JTEntity::JTEntity() : comm(this) {
    // Virtual calls in a constructor reach this class's InitProps; a derived
    // class that needs a record of its own kind replaces it in its own.
    JTEntity::InitProps();
    if (gpJTIDMap) gpJTIDMap->Add(&comm.id, this);
}

JTEntity::~JTEntity() {
    if (gpJTIDMap && gpJTIDMap->Find(&comm.id) == this) gpJTIDMap->Remove(&comm.id);
    if (ownsProps) delete pProps;
    pProps = nullptr;
}

void JTEntity::PreClone() {
    // The fresh object registered itself under an id that the copy is about
    // to overwrite; a clone stays unregistered.
    if (gpJTIDMap && gpJTIDMap->Find(&comm.id) == this) gpJTIDMap->Remove(&comm.id);
    // Its fresh record would be lost under the copied pointer.
    if (ownsProps) delete pProps;
    pProps = nullptr;
    ownsProps = 0;
}

void JTEntity::InitClone(JTUnknown* source) {
    JTTransNode::InitClone(source);
    comm.id.New();
    comm.owner = this;
    // The member-wise copy left the source's record and owns-flag here. A
    // prototype record (which the database keeps for longer than any entity)
    // is shared. A private record dies with its entity, which may go first,
    // so the clone takes a copy of it instead of a pointer into it.
    auto* from = static_cast<JTEntity*>(source);
    ownsProps = 0;
    if (from && from->ownsProps && from->pProps) {
        pProps = nullptr;
        InitProps();
        if (pProps) *pProps = *from->pProps;
    }
}

JTScene* JTEntity::GetScene() const {
    // An entity may also hang below another node (a light inside a model):
    // that parent is no scene, and callers would queue work on it as one.
    return dynamic_cast<JTScene*>(GetParent());
}

JTSequencer* JTEntity::GetSequencer() const {
    if (GetNumChildren() != 1) return nullptr;
    JTNode* child = GetChild(0);
    if (!child->IsDerived(JTTransNode::nType)) return nullptr;
    return static_cast<JTTransNode*>(child)->GetSequencer();
}

float JTEntity::GetPropScale() const {
    return pProps ? pProps->fScale : 1.0f;
}

bool JTEntity::GetSortBehind() const {
    return pProps && pProps->bSortBehind;
}

void JTEntity::InitProps() {
    auto* fresh = new (std::nothrow) JTEntityProps();
    if (!fresh) return; // keeps the record it has
    if (ownsProps) delete pProps;
    pProps = fresh;
    ownsProps = 1;
}

void JTEntity::PropChanged(void*) {}

bool JTEntity::SuitsProps(const JTEntityProps* props) const {
    return props != nullptr;
}

bool JTEntity::SetProps(JTEntityProps* props, bool owns) {
    if (!SuitsProps(props)) return false;
    if (props != pProps && ownsProps) delete pProps;
    pProps = props;
    ownsProps = owns ? 1 : 0;
    return true;
}

float JTEntity::GetScaleTotal() const {
    return GetPropScale() * linkScale * scale;
}

float JTEntity::GetBound() const {
    return GetPropScale() * bound * linkScale * scale;
}

JTVec3 JTEntity::GetDir() const {
    return JTVec3TransformNormal(JTVec3(0.0f, 0.0f, 1.0f), JTMatrixRotationQuaternion(rot));
}

void JTEntity::SetLink(const JTID& target, JTNode* node, const JTVec3& offset) {
    linkTarget = target;
    linkNode = node;
    linkOffset = offset;
    linked = 1;
}

void JTEntity::SetLinkEffect(bool position, bool rotation, bool scaleToo) {
    linkPosition = position ? 1 : 0;
    linkRotation = rotation ? 1 : 0;
    linkScaleFlag = scaleToo ? 1 : 0;
}

void JTEntity::ComputeMatrix() {
    float s = GetScaleTotal();
    GetMatrix() = JTMatrixScaling(s, s, s) * JTMatrixRotationQuaternion(rot) *
                  JTMatrixTranslation(pos.x, pos.y, pos.z);
}

void JTEntity::RecomputeBound() {
    bound = JTNode::RecomputeBound(JTMatrix());
}

void JTEntity::Update(JTSequencer* sequencer) {
    JTTransNode::Update(sequencer);
    velocity += acceleration * dt;
    pos += velocity * dt;
    JTQuat w(angularVelocity.x, angularVelocity.y, angularVelocity.z, 0.0f);
    JTQuat d = JTQuaternionMultiply(w, rot);
    float k = 0.5f * dt;
    rot = JTQuaternionNormalize(
        JTQuat(rot.x + d.x * k, rot.y + d.y * k, rot.z + d.z * k, rot.w + d.w * k));
    ComputeMatrix();
}

namespace {
// Searches downwards and compares pointers only, so a node that has been
// deleted meanwhile is never touched.
bool IsInSubtree(const JTNode* node, const JTNode* root) {
    if (node == root) return true;
    for (int i = 0; i < root->GetNumChildren(); i++)
        if (IsInSubtree(node, root->GetChild(i))) return true;
    return false;
}
} // namespace

void JTEntity::UpdateLinks(bool) {
    if (!linked || !gpJTIDMap) return;
    JTUnknown* found = gpJTIDMap->Find(&linkTarget);
    // Following oneself, or something that is no entity, moves nothing.
    if (!found || found == this || !found->IsDerived(JTEntity::nType)) return;
    if (lastLinkUpdate == gdwTime) return;
    lastLinkUpdate = gdwTime;
    auto* target = static_cast<JTEntity*>(found);
    target->UpdateLinks(true);

    JTNode* node = linkNode ? linkNode : target;
    // The link node belongs to the target's tree; once it has left it (or
    // was never in it) it may be gone, so it is not followed.
    if (!IsInSubtree(node, target)) return;
    if (!node->IsDerived(JTTransNode::nType)) return;
    JTMatrix w = JTMatrixTranslation(linkOffset.x, linkOffset.y, linkOffset.z) *
                 static_cast<JTTransNode*>(node)->GetConcatMatrix();
    if (linkPosition) pos = w.GetTranslation();
    if (linkRotation) {
        JTVec3 translation;
        rot = w.Decompose(translation);
    }
    if (linkScaleFlag) linkScale = target->GetPropScale() * target->linkScale * target->scale;
    ComputeMatrix();
}

void JTEntity::RenderPreProcess(JTDrawQueue* display, JTSequencer* sequencer, float o) {
    if (display->GetRenderingShadow() && !castsShadow) return;
    JTTransNode::RenderPreProcess(display, sequencer, o);
}

namespace {
template <class Fn> void ForEachMesh(JTNode* node, Fn fn) {
    if (node->IsDerived(JTGeoNode::nType)) {
        JTMesh* mesh = static_cast<JTGeoNode*>(node)->GetMesh();
        if (mesh) fn(mesh);
    }
    for (int i = 0; i < node->GetNumChildren(); i++)
        ForEachMesh(node->GetChild(i), fn);
}
} // namespace

void JTEntity::CreateStrips(JTNode* node) {
    JTGeoParts* parts = GetGeoParts();
    if (!parts) return;
    ForEachMesh(node ? node : this, [parts](JTMesh* mesh) { parts->MeshCreateStrip(mesh); });
}

void JTEntity::SetUseStrips(bool on, JTNode* node) {
    JTGeoParts* parts = GetGeoParts();
    if (!parts) return;
    ForEachMesh(node ? node : this,
                [parts, on](JTMesh* mesh) { parts->MeshSetUseStrips(mesh, on); });
}

bool JTEntity::SaveLoad(JTFile& f) {
    if (!JTTransNode::SaveLoad(f)) return false;
    uint16_t version = 1;
    if (!SaveLoadField(f, version)) return false;
    if (!SaveLoadField(f, scale)) return false;
    if (!SaveLoadField(f, pos.x) || !SaveLoadField(f, pos.y) || !SaveLoadField(f, pos.z))
        return false;
    if (!SaveLoadField(f, rot.x) || !SaveLoadField(f, rot.y) || !SaveLoadField(f, rot.z) ||
        !SaveLoadField(f, rot.w))
        return false;
    return SaveLoadField(f, pickable) && SaveLoadField(f, bound);
}
