// TransNode, Group, FrameAnim and DummyLink.
#include "desktop/scene/object/trans_node.h"

#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/frame_channel.h"
#include "desktop/scene/object/object_file.h"
#include "platform/binary_io.h"

#include <algorithm>
#include <iterator>

namespace lumivane {

TransNode::TransNode() {
    classId = uint8_t(ClassId::TransNode);
}

Node* TransNode::Clone() {
    TransNode* copy = new TransNode(*this);
    copy->InitClone(this);
    return copy;
}

int TransNode::Save(platform::BinaryWriter& file, ObjectTable& table) {
    if (!Unknown::Save(file, table)) return 0;
    SaveNodeRecord(file, table);
    WriteMatrix(file, local);
    return 1;
}

bool TransNode::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    return LoadNodeRecord(file, table, version) && ReadMatrix(file, local);
}

Matrix TransNode::GetWorldMatrix() const {
    Matrix world = local;
    for (const Node* p = Parent(); p; p = p->Parent())
        if (IsA(p, ClassId::TransNode)) world = world * static_cast<const TransNode*>(p)->local;
    return world;
}

bool TransNode::HasFrameChannel() const {
    return HasChannelOfClass(int(ClassId::FrameChannel));
}

void TransNode::TransformFrameKeys(const Matrix& m) {
    if (!channels) return;
    for (int i = 0; i < channels->count; ++i)
        if (IsA(channels->channels[i], ClassId::FrameChannel))
            static_cast<FrameChannel*>(channels->channels[i])->TransformKeys(m);
}

void TransNode::Transform(TransformState state) {
    if (HasFrameChannel() && !state.keepLocals) {
        state.n = local * state.n;
        local = local * state.m;
        TransformFrameKeys(state.m);
        state.m.MakeIdentity();
    } else {
        state.m = local * state.m;
        state.n = local * state.n;
        if (!state.keepLocals) local.MakeIdentity();
    }
    TransformChildren(state);
}

Node* TransNode::Collapse(Node* newParent, Node*) {
    // Only a plain TransNode dissolves; its relatives carry other numbers.
    if (classId != uint8_t(ClassId::TransNode) || !local.IsIdentity() || ChannelCount() > 0) {
        CollapseChildren();
        return this;
    }
    Node* plain = new Node;
    plain->TakeOverFrom(*this);
    Node* result = plain->Collapse(newParent, this);
    if (result != plain) plain->Release();
    return result;
}

// --- Group ------------------------------------------------------------------

Group::Group() {
    classId = uint8_t(ClassId::Group);
}

Node* Group::Clone() {
    Group* copy = new Group(*this);
    copy->InitClone(this);
    return copy;
}

Node* Group::Collapse(Node*, Node*) {
    CollapseChildren();
    if (!local.IsIdentity() || ChannelCount() > 0) return this;
    Node* plain = new Node;
    plain->TakeOverFrom(*this);
    return plain;
}

// --- FrameAnim, DummyLink ---------------------------------------------------

FrameAnim::FrameAnim() {
    classId = uint8_t(ClassId::FrameAnim);
}

Node* FrameAnim::Clone() {
    FrameAnim* copy = new FrameAnim(*this);
    copy->InitClone(this);
    return copy;
}

int FrameAnim::Save(platform::BinaryWriter& file, ObjectTable& table) {
    if (!TransNode::Save(file, table)) return 0;
    const uint8_t reserved[kReservedBytes] = {};
    file.WriteBytes(reserved, kReservedBytes);
    return 1;
}

bool FrameAnim::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    return TransNode::Load(file, table, version) && file.Skip(kReservedBytes);
}

void FrameAnim::Transform(TransformState state) {
    if (state.keepLocals) {
        state.m = local * state.m;
        state.n = local * state.n;
    } else {
        state.n = local * state.n;
        local = local * state.m;
        TransformFrameKeys(state.m);
        state.m.MakeIdentity();
    }
    TransformChildren(state);
}

DummyLink::DummyLink() {
    classId = uint8_t(ClassId::DummyLink);
}

// The FrameAnim layout ends in 64 zero bytes. The bare TransNode layout is
// followed by the end of the data or by what comes next in the stream (an
// object reference, never zero, or the rest of the parent's record), so 64
// zero bytes mean the longer layout. The rest of a parent's record is zero
// only where a bare-layout DummyLink is the parent's last child and the
// parent's own matrix is all zero, which scales its whole tree to nothing:
// such a file is misread (the zero matrix taken for the reserved bytes),
// and the read goes wrong or ends short after it.
bool DummyLink::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    if (!TransNode::Load(file, table, version)) return false;
    if (file.Remaining() < kReservedBytes) return true;
    const uint64_t start = file.Position();
    uint8_t next[kReservedBytes];
    if (!file.ReadBytes(next, kReservedBytes)) return false;
    if (std::all_of(std::begin(next), std::end(next), [](uint8_t b) { return b == 0; }))
        return true;
    return file.Seek(start);
}

Node* DummyLink::Clone() {
    DummyLink* copy = new DummyLink(*this);
    copy->InitClone(this);
    return copy;
}

} // namespace lumivane
