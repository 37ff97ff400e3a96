// JTEntity: the engine's scene object. A transform node with position,
// orientation and scale and simple motion; an identity under which it
// receives messages; a prototype record; an optional link that makes it
// follow a node of another entity; pick state; and the ray test the 3D
// cursor uses to find what lies under it.
#pragma once

#include <cstdint>

#include "Jentra/JTTransNode.h"
#include "Jentra/JTEntityProps.h"
#include "Jentra/JTID.h"

class JTGeoNode;
class JTScene;

// The hit-test record filled by JTEntity::Intersect. The caller clears it
// and sets the three distances to the largest float before a test.
struct HTInfo {
    JTEntity* entity = nullptr;
    JTGeoNode* node = nullptr; // non-null: a polygon was hit
    unsigned char hit = 0;
    float distance = 0.0f;       // nearest ray parameter, then the centre distance
    float centerDistance = 0.0f; // centre distance of the accepted entity
    float unused = 0.0f;
    JTVec3 point; // hit point in the hit node's model space
    int face = 0;
};

// The entity holds its prototype record through its JTPropContainer base.
// A constructed entity owns a private default record; an entity made from a
// prototype shares the prototype database's record and never deletes it.
class JTEntity : public JTTransNode, public JTPropContainer {
    JT_CLASS(JTEntity, JTTransNode)
public:
    JTEntity();
    ~JTEntity() override;
    // Member-wise, as the clone machinery needs it: the copy takes the
    // source's record pointer and owns-flag, which InitClone then settles.
    JTEntity(const JTEntity&) = default;
    JTEntity& operator=(const JTEntity&) = default;

    void PreClone() override;
    void InitClone(JTUnknown* source) override;
    bool SaveLoad(JTFile& f) override;
    void Update(JTSequencer* sequencer) override;
    void UpdateLinks(bool flag) override;
    void Intersect(JTVec3 origin, JTVec3 direction, HTInfo* info, bool flag) override;
    void RenderPreProcess(JTDrawQueue* display, JTSequencer* sequencer, float opacity) override;

    const JTVec3& GetPos() const { return pos; }
    void SetPos(const JTVec3& p) { pos = p; }
    const JTQuat& GetRot() const { return rot; }
    void SetRot(const JTQuat& q) { rot = q; }
    float GetScale() const { return scale; }
    void SetScale(float s) { scale = s; }
    float GetLinkScale() const { return linkScale; }
    // Prototype scale x link scale x own scale.
    float GetScaleTotal() const;
    // Radius of the model in the world.
    float GetBound() const;
    // The facing direction: +Z turned by the orientation.
    JTVec3 GetDir() const;
    void SetVelocity(const JTVec3& v) { velocity = v; }
    const JTVec3& GetVelocity() const { return velocity; }
    void SetAcceleration(const JTVec3& a) { acceleration = a; }
    void SetAngularVelocity(const JTVec3& w) { angularVelocity = w; }
    void SetCastsShadow(bool on) { castsShadow = on ? 1 : 0; }
    bool GetCastsShadow() const { return castsShadow != 0; }

    JTID& GetID() { return comm.id; }
    JTCommunicator& GetCommunicator() { return comm; }
    // The scene the entity belongs to: its parent when that is a scene.
    JTScene* GetScene() const;
    // The model root's sequencer when the entity has exactly one child.
    JTSequencer* GetSequencer() const;

    void SetLink(const JTID& target, JTNode* node, const JTVec3& offset);
    void SetLinkEffect(bool position, bool rotation, bool scaleToo);
    bool GetLink() const { return linked != 0; }
    const JTID& GetLinkID() const { return linkTarget; }
    void ClearLink() { linked = 0; }

    void SetPickable(bool on) { pickable = on ? 1 : 0; }
    bool GetPickable() const { return pickable != 0; }
    void SetHilighted(bool on) { hilighted = on ? 1 : 0; }
    bool GetHilighted() const { return hilighted != 0; }
    bool IsHilighted() const { return hilighted != 0; }
    bool IsSelected() const { return selected != 0; }
    void SetSelected(bool on) { selected = on ? 1 : 0; }

    // Rebuilds the local matrix: scale, then rotation, then translation.
    void ComputeMatrix();
    // Model radius in model space from the children.
    void RecomputeBound();
    using JTTransNode::RecomputeBound;

    void CreateStrips(JTNode* node);
    void SetUseStrips(bool on, JTNode* node);

    void IntersectRecurse(JTNode* node, JTVec3 origin, JTVec3 direction, HTInfo* info);
    void IntersectPolyLevel(JTVec3 origin, JTVec3 direction, HTInfo* info);
    bool PlaneTest(JTVec3, int, JTVec3, JTVec3, JTVec3, JTVec3, JTNode*) { return false; }

    // The prototype record: a fresh private one (owned), and what changes
    // in the record it uses (nothing for a plain entity).
    void InitProps() override;
    void PropChanged(void* value) override;
    // The record this entity uses (the same as GetProps).
    JTEntityProps* GetMyProps() const { return pProps; }
    bool GetOwnsProps() const { return ownsProps != 0; }
    // Makes the entity use props; with owns the entity deletes it. A record
    // it owned before is deleted. False, changing nothing, when the record
    // does not suit the entity's class (see SuitsProps) or is null.
    bool SetProps(JTEntityProps* props, bool owns);
    // Whether the entity can work from a record of that kind. Any record
    // suits a plain entity; classes that read values of a derived record
    // accept only that record.
    virtual bool SuitsProps(const JTEntityProps* props) const;

    // Values of the prototype record this entity uses.
    float GetPropScale() const;
    bool GetSortBehind() const;

protected:
    unsigned char castsShadow = 0;
    JTVec3 velocity;
    JTVec3 acceleration;
    JTVec3 angularVelocity;
    JTCommunicator comm;
    float scale = 1.0f;
    float linkScale = 1.0f;
    JTVec3 pos;
    JTQuat rot;
    unsigned char ownsProps = 0;
    unsigned char selected = 0;
    unsigned char hilighted = 0;
    unsigned char pickable = 1;
    float bound = 0.0f;
    unsigned char linked = 0;
    unsigned char linkPosition = 1;
    unsigned char linkRotation = 1;
    unsigned char linkScaleFlag = 1;
    JTID linkTarget;
    JTNode* linkNode = nullptr;
    uint32_t lastLinkUpdate = 0xFFFFFFFFu;
    JTVec3 linkOffset;
};

// Ray against triangle a, b, c; t and point are stored on a hit (negative t
// included; callers reject it).
bool IntersectTriangle(const JTVec3& origin, const JTVec3& direction, const JTVec3& a,
                       const JTVec3& b, const JTVec3& c, float* t, JTVec3* point);
