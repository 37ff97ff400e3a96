// JTCursor: views, modes, capture, and the selection and hilight lists.
#include "Jentra/JTCursor.h"

#include "Jentra/JTMessages.h"
#include "Jentra/core/scene/scene_hooks.h"

namespace {

JTEngineCursorServices gEngineServices;
JTCursorServices* gServices = nullptr;

// The scene's deletion hook: the cursor forgets entities it still points at.
void ForgetDeletedEntity(JTEntity* entity) {
    if (gpCursor) gpCursor->EntityDeleted(entity);
}

} // namespace

JTCursor::JTCursor() {
    pickable = 0; // the cursor never picks itself
    gJTSceneHooks.entityDeleted = &ForgetDeletedEntity;
}

JTCursor::~JTCursor() {
    if (gpCursor == this) gpCursor = nullptr;
}

void JTCursor::SetServices(JTCursorServices* services) {
    gServices = services;
}

JTCursorServices* JTCursor::GetServices() {
    return gServices ? gServices : &gEngineServices;
}

void JTCursor::InsertView(int i, JTView* view) {
    // An index past either end inserts at that end, never outside the list.
    if (i < 0) i = 0;
    if (i > views.GetCount()) i = views.GetCount();
    views.Insert(i, view);
}

void JTCursor::AddView(JTView* view) {
    views.Add(view);
}

void JTCursor::RemoveView(int i) {
    views.RemoveAt(i);
}

JTView* JTCursor::GetView(int i) const {
    return (i >= 0 && i < views.GetCount()) ? views.GetData()[i] : nullptr;
}

bool JTCursor::ComputeRay(JTView* view, JTVec3& origin, JTVec3& dir) {
    jentra::cursor::RayView rv;
    if (!view || !GetServices()->GetRayView(view, rv)) return false;
    return jentra::cursor::ComputeRay(x, y, rv, origin, dir);
}

bool JTCursor::InCamera(JTCamera* camera) {
    for (int i = 0; i < views.GetCount(); ++i) {
        JTView* view = views[i];
        if (GetServices()->GetViewCamera(view) != camera) continue;
        JTVec3 origin, dir;
        return ComputeRay(view, origin, dir);
    }
    return false;
}

bool JTCursor::AtEdge() const {
    return x <= 0.0f || x >= 1.0f || y <= 0.0f || y >= 1.0f;
}

void JTCursor::SetMode(CursorMode m) {
    mode = m;
    ShowCursor(true);
    GetServices()->SetMouseRelative(false);
}

void JTCursor::Capture(JTEntity* e) {
    capture = e;
    mode = CM_CAPTURED;
}

void JTCursor::Uncapture() {
    mode = CM_NORMAL;
    capture = nullptr;
}

void JTCursor::EndSelectionMode() {
    if (mode != CM_5 && mode != CM_13 && mode != CM_14) return;
    SetMode(CM_NORMAL);
    look = LOOK_NORMAL;
}

bool JTCursor::AddSelection(JTEntity* e) {
    EndSelectionMode();
    if (!e) return false;
    if (IsSelected(e)) return true;
    if (numSelected >= kMaxSelections) return false;
    selections[numSelected++] = e;
    e->SetSelected(true);
    selectionChanged = 1;
    return true;
}

void JTCursor::RemoveSelection(JTEntity* e) {
    for (int i = 0; i < numSelected; ++i) {
        if (selections[i] != e) continue;
        EndSelectionMode();
        for (int k = i + 1; k < numSelected; ++k)
            selections[k - 1] = selections[k];
        --numSelected;
        e->SetSelected(false);
        selectionChanged = 1;
        return;
    }
}

void JTCursor::ClearSelection() {
    EndSelectionMode();
    for (int i = 0; i < numSelected; ++i)
        selections[i]->SetSelected(false);
    numSelected = 0;
    selectionChanged = 1;
}

bool JTCursor::IsSelected(JTEntity* e) const {
    for (int i = 0; i < numSelected; ++i)
        if (selections[i] == e) return true;
    return false;
}

JTEntity* JTCursor::GetDominantSelection() const {
    return numSelected > 0 ? selections[0] : nullptr;
}

JTEntity* JTCursor::GetSelected(int i) const {
    return (i >= 0 && i < numSelected) ? selections[i] : nullptr;
}

bool JTCursor::AddHilight(JTEntity* e) {
    if (!e) return false;
    for (int i = 0; i < numHilights; ++i)
        if (hilights[i] == e) return true;
    if (numHilights >= kMaxHilights) return false;
    hilights[numHilights++] = e;
    e->SetHilighted(true);
    comm.Send(e->GetID(), JTMSG_HILIGHTON, nullptr);
    return true;
}

void JTCursor::RemoveHilight(JTEntity* e) {
    for (int i = 0; i < numHilights; ++i) {
        if (hilights[i] != e) continue;
        for (int k = i + 1; k < numHilights; ++k)
            hilights[k - 1] = hilights[k];
        --numHilights;
        e->SetHilighted(false);
        comm.Send(e->GetID(), JTMSG_HILIGHTOFF, nullptr);
        return;
    }
}

void JTCursor::RemoveHilights() {
    // The list is emptied first, so a message handler that changes the
    // hilights works on a consistent list.
    JTEntity* ended[kMaxHilights];
    int count = numHilights;
    for (int i = 0; i < count; ++i)
        ended[i] = hilights[i];
    numHilights = 0;
    for (int i = 0; i < count; ++i) {
        JTEntity* e = ended[i];
        e->SetHilighted(false);
        comm.Send(e->GetID(), JTMSG_HILIGHTOFF, nullptr);
    }
}

JTEntity* JTCursor::GetHilight(int i) const {
    return (i >= 0 && i < numHilights) ? hilights[i] : nullptr;
}

void JTCursor::EntityDeleted(JTEntity* e) {
    if (!e) return;
    RemoveSelection(e);
    for (int i = 0; i < numHilights; ++i) {
        if (hilights[i] != e) continue;
        for (int k = i + 1; k < numHilights; ++k)
            hilights[k - 1] = hilights[k];
        --numHilights;
        break;
    }
    if (focusEntity == e) focusEntity = nullptr;
    if (capture == e) {
        mode = CM_NORMAL;
        capture = nullptr;
    }
}
