// JTList: a scrolling list. It keeps a longer list of entries (ListItem) and
// shows a window of them as a column of button entities (slots) that it makes
// itself in its own scene: the first slot follows the list, every later one
// the previous slot's node "NextItem". Choosing a slot tells the owner the
// index of the entry it shows (message 19, data = the index).
#pragma once

#include "Jentra/JTArray.h"
#include "JTControls/JTControl.h"

// One entry of a list: its text and slot model (the entry's own copies),
// the owner's value, and whether its slot can be chosen.
class ListItem {
public:
    ListItem() = default;
    ListItem(const char* text, void* data, const char* model);
    // Copies take copies of the strings: each item frees its own.
    ListItem(const ListItem& other);
    ListItem& operator=(const ListItem& other);
    ~ListItem();

    // A copy of the string, or none for null.
    void SetText(const char* text);
    void SetModel(const char* model);
    const char* GetText() const { return text; }
    const char* GetModel() const { return model; }
    void SetData(void* value) { data = value; }
    void* GetData() const { return data; }

    bool enabled = true;

private:
    char* text = nullptr;
    void* data = nullptr;
    char* model = nullptr;
};

class JTList : public JTControl {
public:
    // The slot model used for entries that name none.
    static constexpr const char* kDefaultSlotModel = "JTControls\\ListItem.jtm";

    JTList();
    ~JTList() override;
    // The list owns its entries.
    JTList(const JTList&) = delete;
    JTList& operator=(const JTList&) = delete;

    // 18 sets the notify target; 19 from a slot tells the owner the entry
    // that slot shows.
    unsigned Message(JTID* from, JTID* to, unsigned msg, void* data) override;
    const char* GetClassNameA() const override;

    // Appends an entry and refreshes; its index, or -1 when memory ran out.
    int AddItem(const char* text, void* data, const char* model, bool enabled);
    // Deletes every entry and refreshes.
    void RemoveAll();
    int GetNumItems() const { return items.GetCount(); }
    // Null (or 0) for an index outside the list.
    const char* GetItemText(int index) const;
    void* GetItemData(int index) const;
    int GetNumVisible() const { return slotIds.GetCount(); }
    int GetFirstVisible() const { return firstVisible; }
    // The identifier of a slot; one that names nobody outside the slots.
    const JTID& GetSlotID(int slot) const;

    // Moves the window by n entries; the first visible entry afterwards.
    int Scroll(int n);
    // Shows n slots (-1: one for every entry). New slots are made in the
    // list's scene; slots no longer needed are deleted from it.
    void SetNumVisible(int n);
    // Selects (23) or deselects (24) the slot's button: a slot number, not
    // an entry index.
    void SelectItem(int slot, bool select);
    // Keeps the window inside the entries and gives every slot its entry's
    // text and enabled state (empty and enabled past the last entry).
    void Refresh();

private:
    JTEntity* FindSlot(int slot) const;
    void MakeSlot(int slot);
    void DropSlot(int slot);

    JTArray<ListItem*> items{1};
    JTArray<JTID> slotIds{1};
    int firstVisible = 0;
};
