// Node: the tree, names, look-ups, channels, cloning and the node record.
#include "desktop/scene/object/node.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "desktop/scene/object/channel.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/object_file.h"
#include "platform/binary_io.h"
#include "platform/paths.h"

namespace lumivane {

ChannelList::~ChannelList() {
    for (int i = 0; i < count; ++i)
        if (channels[i]) channels[i]->Release();
}

bool ChannelList::Add(Channel* channel) {
    if (!channel || count >= kMaxNodeChannels) return false;
    channel->AddRef();
    channels[count] = channel;
    states[count] = channel->CreateState();
    ++count;
    return true;
}

Node::Node() {
    classId = uint8_t(ClassId::Node);
}

Node::Node(const Node& other)
    : Unknown(other), visible(other.visible), childrenVisible(other.childrenVisible),
      parent(other.parent), prototype(other.prototype), name(other.name), ownsName(false) {}

Node::~Node() {
    channels.reset();
    std::vector<Node*> held;
    held.swap(children);
    for (Node* child : held) {
        if (child->parent == this) child->parent = nullptr;
        child->Release();
    }
    FreeName();
}

void Node::FreeName() {
    if (ownsName) delete[] name;
    name = nullptr;
    ownsName = false;
}

void Node::SetName(std::string_view text) {
    if (!ownsName) {
        name = new char[kNameSize];
        ownsName = true;
    }
    size_t length = std::min(text.size(), size_t(kNameSize - 1));
    std::memcpy(name, text.data(), length);
    std::memset(name + length, 0, kNameSize - length);
}

// --- Children ---------------------------------------------------------------

bool Node::AddChild(Node* child) {
    if (!child || ChildCount() >= kMaxChildren) return false;
    children.push_back(child);
    child->parent = this;
    child->AddRef();
    return true;
}

bool Node::InsertChildAfter(Node* after, Node* child) {
    if (!child || ChildCount() >= kMaxChildren) return false;
    int place = IndexOfChild(after);
    if (place < 0) return AddChild(child);
    children.insert(children.begin() + place + 1, child);
    child->parent = this;
    child->AddRef();
    return true;
}

bool Node::SetChildAt(int index, Node* child) {
    if (index < 0 || index >= ChildCount() || !child) return false;
    Node* old = children[size_t(index)];
    if (old == child) return true;
    child->AddRef();
    child->parent = this;
    children[size_t(index)] = child;
    if (old->parent == this) old->parent = nullptr;
    old->Release();
    return true;
}

void Node::RemoveChildAt(int index) {
    if (index < 0 || index >= ChildCount()) return;
    Node* child = children[size_t(index)];
    children.erase(children.begin() + index);
    if (child->parent == this) child->parent = nullptr;
    child->Release();
}

void Node::RemoveChild(Node* child) {
    RemoveChildAt(IndexOfChild(child));
}

void Node::RemoveAllChildren() {
    while (!children.empty())
        RemoveChildAt(0);
}

Node* Node::ChildAt(int index) const {
    return index >= 0 && index < ChildCount() ? children[size_t(index)] : nullptr;
}

int Node::IndexOfChild(const Node* child) const {
    if (!child) return -1;
    auto found = std::find(children.begin(), children.end(), child);
    return found == children.end() ? -1 : int(found - children.begin());
}

// --- Look-ups ---------------------------------------------------------------

Node* Node::FindByName(std::string_view text) {
    return FindByNameNth(text, 0);
}

Node* Node::FindByNameNth(std::string_view text, int n) {
    if (n < 0) return nullptr;
    int remaining = n;
    return FindNth(text, remaining);
}

Node* Node::FindNth(std::string_view text, int& remaining) {
    if (name && platform::EqualsIgnoreCase(Name(), text)) {
        if (remaining == 0) return this;
        --remaining;
    }
    for (Node* child : children)
        if (Node* found = child->FindNth(text, remaining)) return found;
    return nullptr;
}

int Node::CountSameNameBefore(const Node* target, int& count) {
    if (this == target) return 1;
    if (target && name && target->name && platform::EqualsIgnoreCase(Name(), target->Name()))
        ++count;
    for (Node* child : children)
        if (child->CountSameNameBefore(target, count)) return 1;
    return 0;
}

bool Node::HasChannelOfClass(int classNumber) const {
    if (!channels) return false;
    for (int i = 0; i < channels->count; ++i)
        if (IsA(channels->channels[i], classNumber)) return true;
    return false;
}

bool Node::AddChannel(Channel* channel) {
    if (!channels) channels = std::make_unique<ChannelList>();
    return channels->Add(channel);
}

// --- Cloning ----------------------------------------------------------------

Node* Node::Clone() {
    Node* copy = new Node(*this);
    copy->InitClone(this);
    return copy;
}

void Node::InitClone(Node* source) {
    prototype = source;
    referenceCount = 0;
    ownsName = false;
    name = source->name;
    channels.reset();
    if (ChannelList* sourceChannels = source->channels.get()) {
        channels = std::make_unique<ChannelList>();
        for (int i = 0; i < sourceChannels->count; ++i)
            channels->Add(sourceChannels->channels[i]);
    }
    children.clear();
    children.reserve(source->children.size());
    for (Node* sourceChild : source->children) {
        Node* copy = sourceChild->Clone();
        copy->parent = this;
        copy->AddRef();
        children.push_back(copy);
    }
}

// --- Passes -----------------------------------------------------------------

void Node::Traverse(int depth) {
    if (channels)
        for (int i = 0; i < channels->count; ++i)
            channels->channels[i]->Traverse(depth);
    for (Node* child : children)
        child->Traverse(depth + 1);
}

void Node::UpdateLinks(int arg) {
    for (Node* child : children)
        child->UpdateLinks(arg);
}

void Node::Intersect(const Vec3&, const Vec3&, PickRecord*, bool) {}

int Node::SumOverChildren() {
    int sum = 0;
    for (Node* child : children)
        sum += child->SumOverChildren();
    return sum;
}

void Node::CountVertPoly(int& vertices, int& polygons) {
    if (!visible || !childrenVisible) return;
    for (Node* child : children)
        child->CountVertPoly(vertices, polygons);
}

// --- Node record ------------------------------------------------------------

int Node::Save(platform::BinaryWriter& file, ObjectTable& table) {
    if (!Unknown::Save(file, table)) return 0;
    SaveNodeRecord(file, table);
    return 1;
}

bool Node::SaveNodeRecord(platform::BinaryWriter& file, ObjectTable& table) {
    file.WriteFixedString(Name(), kNameSize);
    SaveChannelList(file, table);
    SaveChildList(file, table);
    return file.Good();
}

void Node::SaveChildList(platform::BinaryWriter& file, ObjectTable& table) {
    file.WriteI16(int16_t(children.size()));
    for (Node* child : children)
        child->Save(file, table);
}

void Node::SaveChannelList(platform::BinaryWriter& file, ObjectTable& table) {
    if (channels) {
        file.WriteU32(1);
        file.WriteU8(uint8_t(channels->count));
        for (int i = 0; i < channels->count; ++i)
            channels->channels[i]->Save(file, table);
    } else {
        file.WriteU32(0);
    }
}

bool Node::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    return LoadNodeRecord(file, table, version);
}

bool Node::LoadNodeRecord(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    std::string text;
    if (!file.ReadFixedString(text, kNameSize)) return false;
    if (!text.empty()) SetName(text);
    return LoadChannelList(file, table, version) && LoadChildList(file, table, version);
}

bool Node::LoadChildList(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    int32_t childCount;
    if (version < kFirstCompactVersion) {
        if (!file.ReadI32(childCount)) return false;
    } else {
        int16_t count;
        if (!file.ReadI16(count)) return false;
        childCount = count;
    }
    if (childCount < 0 || childCount > kMaxChildren) return false;
    for (int i = 0; i < childCount; ++i) {
        Unknown* child = ReadObjectReference(file, table, version, ClassId::Node);
        if (!child) return false;
        AddChild(static_cast<Node*>(child));
    }
    return true;
}

bool Node::LoadChannelList(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    int32_t channelCount = 0;
    bool hasList = false;
    if (version < kFirstCompactVersion) {
        if (!file.ReadI32(channelCount)) return false;
        hasList = channelCount > 0;
    } else {
        uint32_t present;
        if (!file.ReadU32(present)) return false;
        if (present) {
            uint8_t count;
            if (!file.ReadU8(count)) return false;
            channelCount = count;
            hasList = true;
        }
    }
    if (channelCount < 0 || channelCount > kMaxNodeChannels) return false;
    if (hasList) channels = std::make_unique<ChannelList>();
    for (int i = 0; i < channelCount; ++i) {
        Unknown* channel = ReadObjectReference(file, table, version, ClassId::Channel);
        if (!channel) return false;
        channels->Add(static_cast<Channel*>(channel));
    }
    return true;
}

// --- Collapse helpers -------------------------------------------------------

void Node::CollapseChildren() {
    for (size_t i = 0; i < children.size();) {
        Node* child = children[i];
        child->AddRef(); // held while it collapses and rearranges this list
        size_t before = children.size();
        Node* result = child->Collapse(this, nullptr);
        size_t moved = children.size() - before; // children it moved in behind itself
        size_t place = size_t(IndexOfChild(child));
        if (!result) {
            RemoveChildAt(int(place));
            i = place + moved;
        } else {
            if (result != child) SetChildAt(int(place), result);
            i = place + 1 + moved;
        }
        child->Release();
    }
}

void Node::TakeOverFrom(Node& other) {
    children = std::move(other.children);
    other.children.clear();
    for (Node* child : children)
        if (child->parent == &other) child->parent = this;
    parent = other.parent;
    prototype = other.prototype;
    channels = std::move(other.channels);
    FreeName();
    name = other.name;
    ownsName = other.ownsName;
    other.name = nullptr;
    other.ownsName = false;
    visible = other.visible;
    childrenVisible = other.childrenVisible;
    referenceCount = 0;
}

} // namespace lumivane
