// JTScene: the root of one world. Its children are the live entities; they
// join and leave only between frames, through three deferred lists, and
// learn of it by messages 12 (added) and 13 (removed) from the scene.
#pragma once

#include "Jentra/JTNode.h"
#include "Jentra/JTID.h"

class JTEntity;
class JTLight;

class JTScene : public JTNode {
public:
    JTScene();
    ~JTScene() override;
    JTScene(const JTScene&) = delete;
    JTScene& operator=(const JTScene&) = delete;

    // Scenes are not stored.
    bool SaveLoad(JTFile&) override { return true; }

    // Queues the entity to become the last child at the next PostFrameUpdate;
    // its parent is this scene at once.
    void Add(JTEntity* entity);
    // The same, to become the first child.
    void AddFront(JTEntity* entity);
    // Queues the entity, and every live entity linked to it, for deletion.
    // Entities of another scene are refused.
    void Delete(JTEntity* entity);
    // Queues every live and every pending entity for deletion (pending
    // front additions still enter).
    void Reset();
    // Each entity's update, then each entity's link update.
    void Update();
    using JTNode::Update;
    // Carries out the queued deletions (message 13), then the additions
    // (message 12).
    void PostFrameUpdate();

    // Entities enter only through Add and AddFront.
    void AddChild(JTNode*) override {}
    JTEntity* GetChild(int index) const;
    bool GetUpdating() const { return updating != 0; }
    void SetUpdating(bool on) { updating = on ? 1 : 0; }
    int GetNumLights() const { return lights.GetCount(); }
    JTLight* GetLight(int index) const;
    JTID& GetID() { return comm.id; }

protected:
    void AddLight(JTLight* light);
    void RemoveLight(JTLight* light);

private:
    bool IsPending(JTEntity* entity) const;
    void Enter(JTEntity* entity, bool front);

    JTCommunicator comm;
    unsigned char updating = 1;
    JTArray<JTLight*> lights{16};
    JTArray<JTEntity*> pendingAdds{16};
    JTArray<JTEntity*> pendingFrontAdds{16};
    JTArray<JTEntity*> pendingDeletes{16};
    // The batch of deletions being carried out: its members are already on
    // their way out and are not queued again.
    JTArray<JTEntity*> dying{16};
};
