// JTTestDialog: the controls of the self-test and what their use does.
#include "JTControls/test_dialog.h"

#include <cstdint>
#include <cstdio>

#include "Jentra/JTGlobals.h"
#include "Jentra/JTMessages.h"
#include "Jentra/JTProtobase.h"
#include "Jentra/JTScene.h"
#include "JTControls/JTList.h"

namespace {

constexpr const char* kModuleName = "JTControls.dll";
constexpr const char* kButtonModel = "JTControls\\button.jtm";
constexpr int kNumEntries = 6;
constexpr int kShownEntries = 2;

struct ButtonSpec {
    const char* text;
    JTVec3 offset;
};
const ButtonSpec kButtons[] = {{"Up", {0, 0, 0}},
                               {"Down", {0, -100, 0}},
                               {"Less", {0, -200, 0}},
                               {"More", {0, -300, 0}},
                               {"none", {-200, 0, 0}}};
const JTVec3 kListOffset(-200, -100, 0);

} // namespace

JTTestDialog::JTTestDialog() = default;
JTTestDialog::~JTTestDialog() = default;

const char* JTTestDialog::GetClassNameA() const {
    return "JTControls:JTTestDialog";
}

JTList* JTTestDialog::FindList() const {
    return gpJTIDMap ? dynamic_cast<JTList*>(gpJTIDMap->Find(&list)) : nullptr;
}

void JTTestDialog::Build() {
    JTScene* scene = GetScene();
    if (!scene || !gpJTProtobase) return;
    static_assert(std::size(kButtons) == NUM_BUTTONS);
    for (int b = 0; b < NUM_BUTTONS; ++b) {
        JTEntity* button = gpJTProtobase->Create(kButtonModel, kModuleName, "JTButton");
        if (!button) continue;
        scene->Add(button);
        button->SetLink(GetID(), nullptr, kButtons[b].offset);
        comm.Send(button->GetID(), JTMSG_SETTEXT, const_cast<char*>(kButtons[b].text));
        comm.Send(button->GetID(), JTMSG_SETNOTIFY, &GetID());
        buttons[b] = button->GetID();
    }
    auto* made = dynamic_cast<JTList*>(gpJTProtobase->Create(nullptr, kModuleName, "JTList"));
    if (!made) return;
    scene->Add(made);
    made->SetLink(GetID(), nullptr, kListOffset);
    comm.Send(made->GetID(), JTMSG_SETNOTIFY, &GetID());
    for (int i = 1; i <= kNumEntries; ++i) {
        char text[16];
        std::snprintf(text, sizeof text, "Item %d", i);
        made->AddItem(text, nullptr, nullptr, true);
    }
    made->SetNumVisible(kShownEntries);
    list = made->GetID();
}

void JTTestDialog::Answer(const JTID& from, void* data) {
    JTList* shown = FindList();
    if (!shown) return;
    if (from == buttons[UP]) {
        shown->Scroll(-1);
    } else if (from == buttons[DOWN]) {
        shown->Scroll(1);
    } else if (from == buttons[LESS]) {
        // At no slots "one fewer" would read as "one for every entry".
        if (shown->GetNumVisible() > 0) shown->SetNumVisible(shown->GetNumVisible() - 1);
    } else if (from == buttons[MORE]) {
        shown->SetNumVisible(shown->GetNumVisible() + 1);
    } else if (from == list) {
        const int index = int(reinterpret_cast<intptr_t>(data));
        const char* text = shown->GetItemText(index);
        comm.Send(buttons[DISPLAY], JTMSG_SETTEXT, const_cast<char*>(text ? text : ""));
    }
}

unsigned JTTestDialog::Message(JTID* from, JTID* to, unsigned msg, void* data) {
    if (msg == JTMSG_ADDED)
        Build();
    else if (msg == JTMSG_NOTIFY && from)
        Answer(*from, data);
    return JTDialog::Message(from, to, msg, data);
}
