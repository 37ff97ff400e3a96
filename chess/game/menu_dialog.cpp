// The menus' common ground: building controls from the controls module,
// the title over the menus, and the small helpers the menus share.
#include "chess/game/menu_dialog.h"

#include <cstdint>

#include "Jentra/JTAudio.h"
#include "Jentra/JTEffects.h"
#include "Jentra/JTGeoNode.h"
#include "Jentra/JTMessages.h"
#include "Jentra/JTNetwork.h"
#include "Jentra/JTProtobase.h"
#include "Jentra/JTScene.h"
#include "JTControls/JTButton.h"
#include "JTControls/JTList.h"
#include "JTControls/JTText.h"
#include "chess/game/chess_game.h"

namespace {

constexpr const char* kBackgroundModel = "Chess\\Rookfall.jtm";
const JTVec3 kBackgroundOffset(0.0f, 0.67f, 0.0f);

} // namespace

ChessMenuDialog::ChessMenuDialog() = default;
ChessMenuDialog::~ChessMenuDialog() = default;

unsigned ChessMenuDialog::Message(JTID* from, JTID* to, unsigned msg, void* data) {
    if (gpChessGame) {
        // The help would run into the menu's title and controls.
        if (msg == JTMSG_ADDED || msg == JTMSG_REMOVED)
            gpChessGame->SetHelpHidden(msg == JTMSG_ADDED);
        if (msg == JTMSG_ADDED) Build();
        // A menu already left (it goes at the frame's end) does no more.
        if (msg == JTMSG_NOTIFY && from && IsCurrent())
            Used(*from, int(reinterpret_cast<intptr_t>(data)));
    }
    return JTDialog::Message(from, to, msg, data);
}

JTEntity* ChessMenuDialog::MakeControl(const char* model, const char* className) {
    if (!gpJTProtobase || !GetScene()) return nullptr;
    return gpJTProtobase->Create(model, kControlsModule, className);
}

void ChessMenuDialog::Attach(JTEntity* control, const JTVec3& offset, float scale) {
    GetScene()->Add(control);
    control->SetLink(GetID(), nullptr, offset);
    // Where the link will put it, so it shows nowhere else first.
    control->SetPos(GetPos() + offset);
    control->SetScale(scale);
    comm.Send(control->GetID(), JTMSG_SETNOTIFY, &GetID());
}

JTList* ChessMenuDialog::AddList(const JTVec3& offset, std::initializer_list<const char*> entries) {
    auto* list = AddControl<JTList>(nullptr, "JTList", offset);
    if (!list) return nullptr;
    for (const char* entry : entries)
        list->AddItem(entry, nullptr, nullptr, true);
    list->SetNumVisible(-1);
    return list;
}

JTButton* ChessMenuDialog::AddButton(const char* text, const JTVec3& offset, const char* model) {
    auto* button = AddControl<JTButton>(model, "JTButton", offset);
    SetText(button, text);
    return button;
}

JTText* ChessMenuDialog::AddText(const char* text, const JTVec3& offset, float scale) {
    auto* label = AddControl<JTText>(nullptr, "JTText", offset, scale);
    if (label) label->SetPickable(false);
    SetText(label, text);
    return label;
}

JTEntity* ChessMenuDialog::AddPicture(const char* model, const JTVec3& offset, float scale) {
    if (!gpJTProtobase || !GetScene()) return nullptr;
    JTEntity* picture = gpJTProtobase->Create(model, nullptr);
    if (!picture) return nullptr;
    GetScene()->Add(picture);
    picture->SetLink(GetID(), nullptr, offset);
    picture->SetPos(GetPos() + offset);
    picture->SetScale(scale);
    picture->SetOpacity(1.0f);
    picture->SetPickable(false);
    return picture;
}

void ChessMenuDialog::AddMenuBackground() {
    DrawOnTop(AddPicture(kBackgroundModel, kBackgroundOffset, 1.0f));
}

bool ChessMenuDialog::Is(const JTID& id, const JTEntity* control) {
    return control && const_cast<JTEntity*>(control)->GetID() == id;
}

void ChessMenuDialog::SetText(JTEntity* control, const char* text) {
    if (!control) return;
    control->GetCommunicator().Send(control->GetID(), JTMSG_SETTEXT, const_cast<char*>(text));
}

void ChessMenuDialog::Beep(const char* sound) {
    if (gpJTAudio) gpJTAudio->PlaySoundA(sound, 0, false);
}

void ChessMenuDialog::BeepInvalid() {
    Beep("JTBeep_Invalid.wav");
}

void ChessMenuDialog::DrawOnTop(JTEntity* entity) {
    JTNode* root = entity ? entity->GetChild(0) : nullptr;
    JTNode* picture = root ? root->GetChild(0) : nullptr;
    if (!picture || !picture->IsDerived(JTGeoNode::nType)) return;
    if (auto* simple =
            dynamic_cast<JTEffect_Simple*>(static_cast<JTGeoNode*>(picture)->GetEffect()))
        simple->depthTest = false;
}

void ChessMenuDialog::SelectOnly(JTList* list, int slot) {
    if (!list) return;
    for (int i = 0; i < list->GetNumVisible(); ++i)
        if (i != slot) list->SelectItem(i, false);
    if (slot >= 0 && slot < list->GetNumVisible()) list->SelectItem(slot, true);
}

bool ChessMenuDialog::InNetworkGame() {
    return gpJTNetwork && gpJTNetwork->IsNetworkGame();
}

void ChessMenuDialog::BackToMainMenu() {
    if (InNetworkGame()) gpJTNetwork->LeaveGame();
    ChessGame& game = Game();
    game.StartNewGame();
    game.SetPlayers(kPlayerComputer, kPlayerComputer);
    game.ReplaceMenu(kMenuMain);
}

bool ChessMenuDialog::IsCurrent() const {
    return gpChessGame && gpChessGame->GetCurrentDialog() == this;
}

ChessGame& ChessMenuDialog::Game() {
    return *gpChessGame;
}
