// JTScene: the live entities of one world and the deferred additions and
// deletions carried out between frames.
#include "Jentra/JTScene.h"

#include "Jentra/JTEntity.h"
#include "Jentra/JTLight.h"
#include "Jentra/JTMessages.h"
#include "Jentra/core/scene/scene_hooks.h"

JTScene::JTScene() : comm(this) {}

JTScene::~JTScene() {
    // Entities still waiting to enter belong to the scene as well; the
    // live ones go with the node's children.
    for (int i = 0; i < pendingAdds.GetCount(); i++)
        delete pendingAdds[i];
    for (int i = 0; i < pendingFrontAdds.GetCount(); i++)
        delete pendingFrontAdds[i];
    for (int i = 0; i < pendingDeletes.GetCount(); i++)
        if (FindChild(pendingDeletes[i]) < 0) delete pendingDeletes[i];
}

JTEntity* JTScene::GetChild(int index) const {
    return static_cast<JTEntity*>(JTNode::GetChild(index));
}

JTLight* JTScene::GetLight(int index) const {
    if (index < 0 || index >= lights.GetCount()) return nullptr;
    return lights[index];
}

bool JTScene::IsPending(JTEntity* entity) const {
    return pendingAdds.Find(entity) >= 0 || pendingFrontAdds.Find(entity) >= 0;
}

void JTScene::Add(JTEntity* entity) {
    // An entity on its way out, or already here, is not added again.
    if (!entity || pendingDeletes.Find(entity) >= 0 || dying.Find(entity) >= 0) return;
    if (IsPending(entity) || FindChild(entity) >= 0) return;
    pendingAdds.Add(entity);
    entity->SetParent(this);
}

void JTScene::AddFront(JTEntity* entity) {
    if (!entity || pendingDeletes.Find(entity) >= 0 || dying.Find(entity) >= 0) return;
    if (IsPending(entity) || FindChild(entity) >= 0) return;
    pendingFrontAdds.Add(entity);
    entity->SetParent(this);
}

void JTScene::Delete(JTEntity* entity) {
    // Pointer comparisons first: an entity of the batch being deleted may
    // already be gone.
    if (!entity || pendingDeletes.Find(entity) >= 0 || dying.Find(entity) >= 0) return;
    if (entity->GetParent() != this) return;
    pendingDeletes.Add(entity);
    pendingAdds.Remove(entity);
    pendingFrontAdds.Remove(entity);
    // Entities that follow this one go with it.
    for (int i = 0; i < GetNumChildren(); i++) {
        JTEntity* child = GetChild(i);
        if (child && child != entity && child->GetLink() && child->GetLinkID() == entity->GetID())
            Delete(child);
    }
}

void JTScene::Reset() {
    for (int i = GetNumChildren() - 1; i >= 0; i--)
        Delete(GetChild(i));
    JTArray<JTEntity*> adds = pendingAdds;
    for (int i = 0; i < adds.GetCount(); i++)
        Delete(adds[i]);
}

void JTScene::Update() {
    // Entities leave and enter only in PostFrameUpdate, so the child list
    // holds still while it is walked.
    for (int i = 0; i < GetNumChildren(); i++)
        if (JTEntity* e = GetChild(i)) e->Update(nullptr);
    for (int i = 0; i < GetNumChildren(); i++)
        if (JTEntity* e = GetChild(i)) e->UpdateLinks(true);
}

void JTScene::Enter(JTEntity* entity, bool front) {
    if (front)
        InsertChild(entity, 0);
    else
        AppendChild(entity);
    if (entity->IsDerived(JTLight::nType)) AddLight(static_cast<JTLight*>(entity));
    comm.Send(entity->GetID(), JTMSG_ADDED, this);
}

void JTScene::PostFrameUpdate() {
    while (pendingDeletes.GetCount() > 0) {
        dying = pendingDeletes;
        pendingDeletes = JTArray<JTEntity*>(16);
        for (int i = 0; i < dying.GetCount(); i++) {
            JTEntity* entity = dying[i];
            comm.Send(entity->GetID(), JTMSG_REMOVED, this);
            if (entity->IsDerived(JTLight::nType)) RemoveLight(static_cast<JTLight*>(entity));
            if (gJTSceneHooks.entityDeleted) gJTSceneHooks.entityDeleted(entity);
            int index = FindChild(entity);
            if (index >= 0)
                RemoveChild(index);
            else
                delete entity; // queued for adding, never live
        }
        dying = JTArray<JTEntity*>(16);
    }
    while (pendingAdds.GetCount() > 0) {
        JTArray<JTEntity*> batch = pendingAdds;
        pendingAdds = JTArray<JTEntity*>(16);
        for (int i = 0; i < batch.GetCount(); i++)
            Enter(batch[i], false);
    }
    while (pendingFrontAdds.GetCount() > 0) {
        JTArray<JTEntity*> batch = pendingFrontAdds;
        pendingFrontAdds = JTArray<JTEntity*>(16);
        for (int i = 0; i < batch.GetCount(); i++)
            Enter(batch[i], true);
    }
}

void JTScene::AddLight(JTLight* light) {
    if (lights.Find(light) < 0) lights.Add(light);
}

void JTScene::RemoveLight(JTLight* light) {
    lights.Remove(light);
}
