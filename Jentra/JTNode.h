// JTNode: base of the scene graph. A named node owns an ordered list of
// children and up to twenty animation channels, and carries an opacity that
// fades its whole subtree. It defines the per-frame passes (update, link
// update, bound, render preparation) that every node class overrides.
#pragma once

#include "Jentra/JTUnknown.h"
#include "Jentra/JTArray.h"
#include "Jentra/JTMath.h"

class JTChannel;
class JTSequencer;
class JTEntity;
class JTDrawQueue;
struct HTInfo;

// The channel block of a node; clones share their base node's block.
struct JTChanData {
    static constexpr int kMaxChannels = 20;
    JTChannel* channels[kMaxChannels];
    int count;
};

class JTNode : public JTUnknown {
    JT_CLASS(JTNode, JTUnknown)
public:
    JTNode();
    ~JTNode() override;
    // Member-wise copies exist for cloning only: InitClone then replaces
    // the borrowed children with clones of their own.
    JTNode(const JTNode&) = default;
    JTNode& operator=(const JTNode&) = default;

    void InitClone(JTUnknown* source) override;
    bool SaveLoad(JTFile& f) override;

    virtual float RecomputeBound(JTMatrix m);
    virtual void Update(JTSequencer* sequencer);
    virtual void UpdateLinks(bool flag);
    virtual void Intersect(JTVec3 origin, JTVec3 direction, HTInfo* info, bool flag);
    virtual void CountVertPoly(int& vertices, int& polygons);
    virtual void RenderPreProcess(JTDrawQueue* display, JTSequencer* sequencer, float opacity);
    virtual void Render(JTDrawQueue* display);
    virtual float GetRenderDist() { return 0.0f; }
    virtual void Print(int indent);

    // Names are cut to 127 characters.
    void SetName(const char* name);
    const char* GetName() const { return name; }
    JTNode* GetParent() const { return parent; }
    void SetParent(JTNode* p) { parent = p; }
    JTNode* GetBase() const { return base; }
    JTChanData* GetChanData() const { return chanData; }
    float GetOpacity() const { return opacity; }
    void SetOpacity(float o) { opacity = o; }
    void SetVisible(bool on) { opacity = on ? 1.0f : 0.0f; }
    bool GetVisible() const { return opacity > 0.0f; }

    // Appends a channel; false (the caller keeps it) when the block is full.
    bool AddChannel(JTChannel* channel);
    bool HasChannel(unsigned short type) const;

    // Appends and takes ownership.
    virtual void AddChild(JTNode* child);
    // Inserts before index (0..count) and takes ownership.
    void InsertChild(JTNode* child, int index);
    // Replaces the child at index, deleting the one there; false for a null
    // node or an index outside the list (the caller keeps the node).
    bool SetChild(int index, JTNode* child);
    // Takes the node out of the list and deletes it; a node that is not a
    // child of this one is left alone.
    bool RemoveChild(JTNode* child);
    bool RemoveChild(int index);
    // Deletes this node through its parent.
    void RemoveFromParent();
    void RemoveAllChildren();
    int FindChild(JTNode* child) const;
    // This node or a direct child of that name, ignoring case.
    JTNode* FindChild(const char* name);
    // Depth first through the subtree, this node first.
    JTNode* FindChildRecursive(const char* name);
    int GetNumChildren() const { return children.GetCount(); }
    // Null for an index outside the list.
    JTNode* GetChild(int index) const;
    // Nearest ancestor that is an entity.
    JTEntity* GetEntity() const;

protected:
    // Hands a child to this node without the scene's add rules.
    void AppendChild(JTNode* child);
    // Updates this node's channels of one timing: those sampled during
    // render preparation, or those sampled in the update pass.
    void UpdateChannels(JTSequencer* sequencer, bool duringRender);

    JTArray<JTNode*> children{16};
    JTNode* parent = nullptr;
    JTNode* base = nullptr;
    JTChanData* chanData = nullptr;
    char* name = nullptr;
    bool ownsName = false;
    bool ownsChanData = false;
    float opacity = 1.0f;
};
