// Node: the scene-graph node every model, prototype and scene object is made
// of. A node holds counted references to its children (a node may have
// several parents), knows the prototype it was cloned from, carries up to ten
// animation channels with one play state each, and defines the operations
// every node class shares: cloning, per-frame update and animation, picking,
// folding transformations into geometry (Transform) and removing nodes that
// do nothing (Collapse).
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "desktop/scene/object/matrix.h"
#include "desktop/scene/object/unknown.h"

namespace lumivane {

class Channel;
class Entity;
struct PickRecord;

inline constexpr int kMaxNodeChannels = 10;
inline constexpr int kMaxChildren = 32767;
inline constexpr int kNameSize = 32; // 31 characters and the terminator

// Per node and channel: the time last asked for and the time last applied
// (-1 so the first apply always takes effect).
struct ChannelState {
    float time = 0.0f;
    float lastApplied = -1.0f;
};

// A node's channels, each with its play state. Holds a reference to every
// channel; a clone lists its prototype's channels with fresh states.
struct ChannelList {
    ChannelList() = default;
    ~ChannelList();
    ChannelList(const ChannelList&) = delete;
    ChannelList& operator=(const ChannelList&) = delete;

    // False when the list is full.
    bool Add(Channel* channel);

    Channel* channels[kMaxNodeChannels] = {};
    ChannelState states[kMaxNodeChannels];
    int8_t count = 0;
};

// What Transform pushes down a tree: M still to be applied, N the local
// matrices accumulated so far, and whether local matrices are kept.
struct TransformState {
    Matrix m;
    Matrix n;
    bool keepLocals = false;
};

class Node : public Unknown {
public:
    Node();
    ~Node() override;

    int Save(platform::BinaryWriter& file, ObjectTable& table) override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    void Traverse(int depth) override;

    // A new node of the same class sharing what the prototype keeps
    // read-only and owning clones of the children.
    virtual Node* Clone();
    virtual void InitClone(Node* source);
    virtual void Update() {}
    virtual void UpdateLinks(int arg);
    // Applies this node's channels other than frame channels at the
    // entity's sequencer times.
    virtual void Animate(Entity* entity);
    virtual void Intersect(const Vec3& origin, const Vec3& direction, PickRecord* pick, bool retry);
    virtual void Transform(TransformState state);
    // Removes nodes that do nothing, bottom-up. The caller replaces this
    // node by the answer, or removes it when the answer is null.
    virtual Node* Collapse(Node* parent, Node* after);
    virtual int SumOverChildren();
    virtual void CountVertPoly(int& vertices, int& polygons);

    // Children. Every holder keeps a reference; false when refused.
    bool AddChild(Node* child);
    // Behind `after` when it is a child, else at the end.
    bool InsertChildAfter(Node* after, Node* child);
    // Replaces the child at an existing place; an index past the end is
    // refused. Storing the child already there does nothing.
    bool SetChildAt(int index, Node* child);
    void RemoveChildAt(int index);
    void RemoveChild(Node* child);
    void RemoveAllChildren();
    int ChildCount() const { return int(children.size()); }
    Node* ChildAt(int index) const;
    int IndexOfChild(const Node* child) const;
    Node* Parent() const { return parent; }
    void SetParent(Node* node) { parent = node; }
    Node* Prototype() const { return prototype; }

    // The name, or "" for a node without one.
    std::string_view Name() const { return name ? std::string_view(name) : std::string_view(); }
    bool HasName() const { return name != nullptr; }
    bool OwnsName() const { return ownsName; }
    // At most 31 characters. A node that owns its name reuses the buffer; a
    // node sharing its prototype's name gets one of its own.
    void SetName(std::string_view text);

    // Depth first, this node first; names compared without regard to case.
    Node* FindByName(std::string_view text);
    Node* FindByNameNth(std::string_view text, int n);
    // 1 when target is in this subtree, adding to count every node of the
    // target's name visited before it; 0 otherwise.
    int CountSameNameBefore(const Node* target, int& count);
    bool HasChannelOfClass(int classNumber) const;

    // Geometry of the subtree: the local matrices of this node and its
    // TransNode ancestors combined; the nearest hit (t >= 0) of a ray on the
    // visible triangles in world space, and that point (the origin when
    // nothing is hit); and whether some vertex lies inside every plane
    // (point, outward normals) of a selection box.
    Matrix WorldMatrix() const;
    bool RayTest(const Vec3& origin, const Vec3& direction, float& distance) const;
    Vec3 RayHitPoint(const Vec3& origin, const Vec3& direction) const;
    bool InSelectionVolume(const Vec3& point, int planeCount, const Vec3* normals) const;

    ChannelList* Channels() const { return channels.get(); }
    // Creates the list when needed; false when the node has ten channels.
    bool AddChannel(Channel* channel);
    int ChannelCount() const { return channels ? channels->count : 0; }

    // Takes the class-independent fields of `other` (children, parent,
    // prototype, channels, name, flags); `other` keeps none of them. Used
    // when a node is replaced by a plain one.
    void TakeOverFrom(Node& other);

    // Nodes marked hidden are skipped by drawing; childrenVisible 0 keeps
    // counting and drawing passes out of the subtree.
    uint8_t visible = 1;
    uint8_t childrenVisible = 1;

protected:
    // The field copy of cloning: everything but the children and channels,
    // which InitClone makes; the name is shared, not owned.
    Node(const Node& other);

    bool SaveNodeRecord(platform::BinaryWriter& file, ObjectTable& table);
    bool LoadNodeRecord(platform::BinaryReader& file, ObjectTable& table, uint32_t version);
    // The channel and child parts of the record, which the Entity record
    // shares: a presence flag, the count and the channels; the count and
    // the children.
    void SaveChannelList(platform::BinaryWriter& file, ObjectTable& table);
    bool LoadChannelList(platform::BinaryReader& file, ObjectTable& table, uint32_t version);
    void SaveChildList(platform::BinaryWriter& file, ObjectTable& table);
    bool LoadChildList(platform::BinaryReader& file, ObjectTable& table, uint32_t version);
    // Replaces each child by its collapsed form.
    void CollapseChildren();
    void TransformChildren(const TransformState& state);

    std::vector<Node*> children;
    Node* parent = nullptr;
    Node* prototype = nullptr;
    std::unique_ptr<ChannelList> channels;
    char* name = nullptr;
    bool ownsName = false;

private:
    void FreeName();
    Node* FindNth(std::string_view text, int& remaining);
};

} // namespace lumivane
