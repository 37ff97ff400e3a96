// JTNode: children, names, channels, the recursive passes and the node
// record of model files.
#include "Jentra/JTNode.h"

#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <vector>

#include "Jentra/JTChannel.h"
#include "Jentra/JTEntity.h"
#include "Jentra/JTFile.h"
#include "Jentra/core/scene/load_owned.h"

JT_CLASS_IMPL(JTNode)

namespace {
constexpr size_t kNameSlack = 128; // a name buffer holds the name plus this
constexpr size_t kMaxSetName = 127;
} // namespace

JTNode::JTNode() = default;

namespace {
// Nodes waiting to be deleted while a tree is being torn down on this
// thread. Deleting a child from within its parent's destructor would
// recurse once per level, and a deep enough tree would exhaust the stack;
// instead the outermost destructor deletes the whole subtree from this
// list, in the same order the recursion would (each node before its
// children, children in order).
thread_local std::vector<JTNode*>* tPendingDeletes = nullptr;
} // namespace

JTNode::~JTNode() {
    if (chanData && ownsChanData) {
        for (int i = 0; i < chanData->count; i++)
            delete chanData->channels[i];
        std::free(chanData);
    }
    if (ownsName) std::free(name);

    const bool outermost = tPendingDeletes == nullptr;
    std::vector<JTNode*> pending;
    if (outermost) tPendingDeletes = &pending;
    // Last child first onto the stack, so the first child is deleted first.
    // The parent is gone by the time a child is deleted.
    for (int i = children.GetCount() - 1; i >= 0; i--) {
        children[i]->parent = nullptr;
        tPendingDeletes->push_back(children[i]);
    }
    if (!outermost) return;
    while (!pending.empty()) {
        JTNode* next = pending.back();
        pending.pop_back();
        delete next;
    }
    tPendingDeletes = nullptr;
}

void JTNode::InitClone(JTUnknown* source) {
    base = static_cast<JTNode*>(source);
    // Name and channel block stay the source's; the children become our own.
    ownsName = false;
    ownsChanData = false;
    // The copy took the source's parent, which does not hold the clone; it
    // gets its own when someone adds it.
    parent = nullptr;
    for (int i = 0; i < children.GetCount(); i++) {
        auto* clone = static_cast<JTNode*>(children[i]->Clone());
        clone->parent = this;
        children[i] = clone;
    }
}

void JTNode::SetName(const char* newName) {
    if (!newName) newName = "";
    if (!ownsName || !name) {
        name = static_cast<char*>(std::malloc(std::strlen(newName) + kNameSlack));
        ownsName = true;
    }
    std::strncpy(name, newName, kMaxSetName);
    name[kMaxSetName < std::strlen(newName) ? kMaxSetName : std::strlen(newName)] = '\0';
}

bool JTNode::AddChannel(JTChannel* channel) {
    if (!channel) return false;
    if (!chanData) {
        chanData = static_cast<JTChanData*>(std::calloc(1, sizeof(JTChanData)));
        ownsChanData = true;
    }
    if (chanData->count >= JTChanData::kMaxChannels) return false;
    chanData->channels[chanData->count++] = channel;
    return true;
}

bool JTNode::HasChannel(unsigned short type) const {
    if (!chanData) return false;
    for (int i = 0; i < chanData->count; i++)
        if (chanData->channels[i]->IsDerived(type)) return true;
    return false;
}

void JTNode::AppendChild(JTNode* child) {
    if (!child) return;
    children.Add(child);
    child->parent = this;
}

void JTNode::AddChild(JTNode* child) {
    AppendChild(child);
}

void JTNode::InsertChild(JTNode* child, int index) {
    if (!child) return;
    if (index < 0) index = 0;
    if (index >= children.GetCount())
        children.Add(child);
    else
        children.Insert(index, child);
    child->parent = this;
}

bool JTNode::SetChild(int index, JTNode* child) {
    // A null child would leave a hole that every pass steps into.
    if (!child || index < 0 || index >= children.GetCount()) return false;
    if (children[index] == child) return true;
    JTNode* old = children[index];
    children[index] = child;
    child->parent = this;
    delete old;
    return true;
}

bool JTNode::RemoveChild(JTNode* child) {
    int index = FindChild(child);
    if (index < 0) return false;
    return RemoveChild(index);
}

bool JTNode::RemoveChild(int index) {
    if (index < 0 || index >= children.GetCount()) return false;
    JTNode* child = children[index];
    children.RemoveAt(index);
    delete child;
    return true;
}

void JTNode::RemoveFromParent() {
    if (parent) parent->RemoveChild(this);
}

void JTNode::RemoveAllChildren() {
    while (children.GetCount() > 0) {
        JTNode* child = children[children.GetCount() - 1];
        children.RemoveLast();
        delete child;
    }
}

int JTNode::FindChild(JTNode* child) const {
    if (!child) return -1;
    for (int i = 0; i < children.GetCount(); i++)
        if (children[i] == child) return i;
    return -1;
}

JTNode* JTNode::FindChild(const char* wanted) {
    if (!wanted) return nullptr;
    if (name && strcasecmp(name, wanted) == 0) return this;
    for (int i = 0; i < children.GetCount(); i++) {
        const char* childName = children[i]->GetName();
        if (childName && strcasecmp(childName, wanted) == 0) return children[i];
    }
    return nullptr;
}

JTNode* JTNode::FindChildRecursive(const char* wanted) {
    if (!wanted) return nullptr;
    if (name && strcasecmp(name, wanted) == 0) return this;
    for (int i = 0; i < children.GetCount(); i++)
        if (JTNode* found = children[i]->FindChildRecursive(wanted)) return found;
    return nullptr;
}

JTNode* JTNode::GetChild(int index) const {
    if (index < 0 || index >= children.GetCount()) return nullptr;
    return children[index];
}

JTEntity* JTNode::GetEntity() const {
    for (JTNode* p = parent; p; p = p->parent)
        if (p->IsDerived(JTEntity::nType)) return static_cast<JTEntity*>(p);
    return nullptr;
}

float JTNode::RecomputeBound(JTMatrix m) {
    float radius = 0.0f;
    for (int i = 0; i < children.GetCount(); i++) {
        float r = children[i]->RecomputeBound(m);
        if (r > radius) radius = r;
    }
    return radius;
}

void JTNode::UpdateChannels(JTSequencer* sequencer, bool duringRender) {
    if (!chanData) return;
    for (int i = 0; i < chanData->count; i++)
        if (chanData->channels[i]->UpdateDuringRender() == duringRender)
            chanData->channels[i]->Update(this, sequencer);
}

void JTNode::Update(JTSequencer* sequencer) {
    UpdateChannels(sequencer, false);
    for (int i = 0; i < children.GetCount(); i++)
        children[i]->Update(sequencer);
}

void JTNode::UpdateLinks(bool flag) {
    for (int i = 0; i < children.GetCount(); i++)
        children[i]->UpdateLinks(flag);
}

void JTNode::Intersect(JTVec3, JTVec3, HTInfo*, bool) {}

void JTNode::CountVertPoly(int& vertices, int& polygons) {
    if (opacity == 0.0f) return;
    for (int i = 0; i < children.GetCount(); i++)
        children[i]->CountVertPoly(vertices, polygons);
}

void JTNode::RenderPreProcess(JTDrawQueue* display, JTSequencer* sequencer, float parentOpacity) {
    UpdateChannels(sequencer, true);
    float o = opacity * parentOpacity;
    if (o <= 0.0f) return;
    for (int i = 0; i < children.GetCount(); i++)
        children[i]->RenderPreProcess(display, sequencer, o);
}

void JTNode::Render(JTDrawQueue*) {}

void JTNode::Print(int indent) {
    for (int i = 0; i < children.GetCount(); i++)
        children[i]->Print(indent + 2);
}

bool JTNode::SaveLoad(JTFile& f) {
    if (!JTUnknown::SaveLoad(f)) return false;
    uint16_t version = 3;
    if (!SaveLoadField(f, version)) return false;

    // Name: a presence word, then the length with the terminator and the bytes.
    uint32_t present = name ? 1 : 0;
    if (!SaveLoadField(f, present)) return false;
    if (present) {
        uint32_t length = f.Saving() ? uint32_t(std::strlen(name) + 1) : 0;
        if (!SaveLoadField(f, length)) return false;
        if (f.Saving()) {
            if (!f.SaveLoad(name, length)) return false;
        } else {
            if (length == 0 || length > kMaxLoadedNameLength) return false;
            char* loaded = static_cast<char*>(std::calloc(length + kNameSlack, 1));
            if (!f.SaveLoad(loaded, length)) {
                std::free(loaded);
                return false;
            }
            loaded[length - 1] = '\0';
            if (ownsName) std::free(name);
            name = loaded;
            ownsName = true;
        }
    }

    if (version >= 3) {
        if (!SaveLoadField(f, opacity)) return false;
    } else {
        uint8_t ignored = 0;
        if (!SaveLoadField(f, ignored)) return false;
    }

    if (version >= 2) {
        uint32_t hasChannels = chanData ? 1 : 0;
        if (!SaveLoadField(f, hasChannels)) return false;
        if (hasChannels) {
            uint32_t count = f.Saving() ? uint32_t(chanData->count) : 0;
            if (!SaveLoadField(f, count)) return false;
            if (f.Saving()) {
                for (int i = 0; i < chanData->count; i++)
                    if (!chanData->channels[i]->SaveLoad(f)) return false;
            } else {
                if (count > uint32_t(JTChanData::kMaxChannels)) return false;
                for (uint32_t i = 0; i < count; i++) {
                    JTChannel* channel = LoadOwned<JTChannel>(f);
                    if (!channel) return false;
                    if (!AddChannel(channel)) {
                        delete channel;
                        return false;
                    }
                }
            }
        }
    }

    int32_t childCount = children.GetCount();
    if (!SaveLoadField(f, childCount)) return false;
    if (f.Saving()) {
        for (int i = 0; i < children.GetCount(); i++)
            if (!children[i]->SaveLoad(f)) return false;
        return true;
    }
    if (childCount < 0 || childCount > kMaxLoadedChildren) return false;
    for (int i = 0; i < childCount; i++) {
        JTNode* child = LoadOwned<JTNode>(f);
        if (!child) return false;
        AppendChild(child);
    }
    return true;
}
