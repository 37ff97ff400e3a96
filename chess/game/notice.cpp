// The notice line: what went wrong, told to the player at the foot of the
// screen for a few seconds (a refused name, a damaged recording, no network
// game, the opponent gone). The details go to stderr where they arise. A
// notice may belong to a menu's dialog; the menu switch drops it with the
// dialog, so that no menu's business is told over another.
#include "Jentra/JTEntity.h"
#include "Jentra/JTFrameClock.h"
#include "chess/game/chess_game.h"

namespace {

constexpr uint32_t kNoticeMs = 5000;
// A little smaller than the menus' text (its place: PlaceInterface).
constexpr float kNoticeScale = 0.0015f;

} // namespace

void ChessGame::CreateNotice() {
    noticeText = AddInterfaceText(kNoticeScale);
    PlaceInterface();
}

void ChessGame::ShowNotice(const char* text, JTEntity* owner) {
    notice = text ? text : "";
    noticeShownAt = gdwRealTime;
    noticeOwned = owner && !notice.empty();
    if (noticeOwned) noticeOwner = owner->GetID();
    SetInterfaceText(noticeText, notice.c_str());
}

void ChessGame::ExpireNotice() {
    if (!notice.empty() && gdwRealTime - noticeShownAt > kNoticeMs) ShowNotice("");
}

void ChessGame::DropNoticeOf(JTEntity* dialog) {
    if (noticeOwned && dialog && dialog->GetID() == noticeOwner) ShowNotice("");
}
