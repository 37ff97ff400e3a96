// JTList: the entries, the window of slots that shows them, and the slots'
// notifications passed on as entry indices.
#include "JTControls/JTList.h"

#include <cstdint>
#include <new>

#include "Jentra/JTGlobals.h"
#include "Jentra/JTMessages.h"
#include "Jentra/JTProtobase.h"
#include "Jentra/JTScene.h"
#include "JTControls/JTButton.h"
#include "JTControls/control_parts.h"

namespace {

constexpr const char* kModuleName = "JTControls.dll";
// Where a new slot stands until its link places it.
const JTVec3 kSlotStep(50.0f, -100.0f, 0.0f);

void* IndexData(int index) {
    return reinterpret_cast<void*>(static_cast<intptr_t>(index));
}

} // namespace

JTList::JTList() = default;

JTList::~JTList() {
    for (int i = 0; i < items.GetCount(); ++i)
        delete items[i];
}

const char* JTList::GetClassNameA() const {
    return "JTControls:JTList";
}

int JTList::AddItem(const char* text, void* data, const char* model, bool enabled) {
    auto* item = new (std::nothrow) ListItem(text, data, model);
    if (!item) return -1;
    item->enabled = enabled;
    const int index = items.Add(item);
    if (index < 0) {
        delete item;
        return -1;
    }
    Refresh();
    return index;
}

void JTList::RemoveAll() {
    for (int i = 0; i < items.GetCount(); ++i)
        delete items[i];
    while (items.GetCount() > 0)
        items.RemoveLast();
    Refresh();
}

const char* JTList::GetItemText(int index) const {
    return index >= 0 && index < items.GetCount() ? items[index]->GetText() : nullptr;
}

void* JTList::GetItemData(int index) const {
    return index >= 0 && index < items.GetCount() ? items[index]->GetData() : nullptr;
}

const JTID& JTList::GetSlotID(int slot) const {
    static const JTID nobody;
    return slot >= 0 && slot < slotIds.GetCount() ? slotIds[slot] : nobody;
}

JTEntity* JTList::FindSlot(int slot) const {
    if (!gpJTIDMap || slot < 0 || slot >= slotIds.GetCount()) return nullptr;
    return dynamic_cast<JTEntity*>(gpJTIDMap->Find(&slotIds[slot]));
}

int JTList::Scroll(int n) {
    firstVisible += n;
    Refresh();
    return firstVisible;
}

void JTList::Refresh() {
    const int count = items.GetCount();
    if (firstVisible + GetNumVisible() > count) firstVisible = count - GetNumVisible();
    if (firstVisible < 0) firstVisible = 0;
    // The count is read on every pass: nothing a slot does may run the loop
    // past the slots that exist.
    for (int k = 0; k < GetNumVisible(); ++k) {
        JTEntity* slot = FindSlot(k);
        if (!slot) continue;
        const int i = firstVisible + k;
        const bool shown = i < count;
        if (auto* button = dynamic_cast<JTButton*>(slot))
            button->SetEnabled(shown ? items[i]->enabled : true);
        const char* text = shown ? items[i]->GetText() : nullptr;
        comm.Send(slotIds[k], JTMSG_SETTEXT, const_cast<char*>(text ? text : ""));
    }
}

void JTList::MakeSlot(int k) {
    JTScene* scene = GetScene();
    if (!scene || !gpJTProtobase) return;
    const int i = firstVisible + k;
    const char* model = i < items.GetCount() ? items[i]->GetModel() : nullptr;
    JTEntity* slot =
        gpJTProtobase->Create(model ? model : kDefaultSlotModel, kModuleName, "JTButton");
    if (!slot) return;
    scene->Add(slot);
    slot->SetPos(GetPos() + kSlotStep * float(k));
    if (k == 0) {
        slot->SetLink(GetID(), nullptr, JTVec3());
    } else if (JTEntity* previous = FindSlot(k - 1)) {
        // Slots hang one below the other where the slot model says.
        if (JTNode* next = previous->FindChildRecursive("NextItem"))
            slot->SetLink(previous->GetID(), next, JTVec3());
    }
    comm.Send(slot->GetID(), JTMSG_SETNOTIFY, &GetID());
    slotIds[k] = slot->GetID();
    jtcontrols::StartSequence(slot, "on", false, true);
}

void JTList::DropSlot(int k) {
    comm.Send(slotIds[k], JTMSG_SLOTDROPPED, nullptr);
    // A dropped slot leaves the scene: left standing it would keep showing
    // its last text, and slots would pile up as the list grows again.
    if (JTEntity* slot = FindSlot(k))
        if (JTScene* scene = slot->GetScene()) scene->Delete(slot);
}

void JTList::SetNumVisible(int n) {
    if (n == -1) n = items.GetCount();
    if (n < 0) n = 0;
    const int old = GetNumVisible();
    for (int k = n; k < old; ++k)
        DropSlot(k);
    while (GetNumVisible() > n)
        slotIds.RemoveLast();
    for (int k = old; k < n; ++k) {
        // A slot that cannot be made keeps an identifier that names nobody.
        if (slotIds.Add(JTID()) < 0) break;
        MakeSlot(k);
    }
    Refresh();
}

void JTList::SelectItem(int slot, bool select) {
    if (slot < 0 || slot >= GetNumVisible()) return;
    comm.Send(slotIds[slot], select ? JTMSG_SELECT : JTMSG_DESELECT, nullptr);
}

unsigned JTList::Message(JTID* from, JTID* to, unsigned msg, void* data) {
    if (msg == JTMSG_NOTIFY && from) {
        int chosen = -1;
        for (int k = 0; k < GetNumVisible(); ++k)
            if (slotIds[k] == *from) {
                if (firstVisible + k < items.GetCount()) chosen = firstVisible + k;
                break;
            }
        // Sent once the slots are no longer walked: the owner may well
        // change the list in answer.
        if (chosen >= 0) Notify(IndexData(chosen));
    }
    return JTControl::Message(from, to, msg, data);
}
