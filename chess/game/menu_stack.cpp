// The menu stack: opening, closing and replacing menus, and the switch that
// removes the old menu's dialog, builds the new one and sets the cursor and
// the camera for it.
#include "Jentra/JTAudio.h"
#include "Jentra/JTCamera.h"
#include "Jentra/JTCursor.h"
#include "Jentra/JTProtobase.h"
#include "Jentra/JTScene.h"
#include "chess/game/chess_game.h"
#include "chess/game/menu_dialogs.h"

namespace {

// The dialog of the current menu sits this far in front of the interface camera.
const JTVec3 kDialogPosition(0.0f, 0.0f, 1.0f);
// The main menu lets the board world turn slowly behind it.
constexpr float kMenuIdleStartSeconds = 20.0f;

bool IsMenuNumber(int menu) {
    return menu >= 0 && menu <= kMenuLast;
}

bool ShowsDialog(int menu) {
    return IsMenuNumber(menu) && menu != kMenuNone1 && menu != kMenuNone2 && menu != kMenuBoard;
}

// Every dialog but the intro and the closing screen has controls to click.
bool TakesClicks(int menu) {
    return ShowsDialog(menu) && menu != kMenuIntro && menu != kMenuExitLogo;
}

} // namespace

int ChessGame::GetCurrentMenu() const {
    return menuStack.GetCount() > 0 ? menuStack[menuStack.GetCount() - 1] : int(kMenuBoard);
}

void ChessGame::OpenMenu(int menu) {
    const int old = GetCurrentMenu();
    menuStack.Add(menu);
    SwitchMenu(menu, old);
}

void ChessGame::CloseMenu() {
    const int old = GetCurrentMenu();
    menuStack.RemoveLast();
    SwitchMenu(GetCurrentMenu(), old);
}

void ChessGame::ReplaceMenu(int menu) {
    const int old = GetCurrentMenu();
    menuStack.RemoveLast();
    menuStack.Add(menu);
    SwitchMenu(menu, old);
}

void ChessGame::CloseToBoard() {
    while (menuStack.GetCount() > 0 && GetCurrentMenu() != kMenuBoard)
        CloseMenu();
}

void ChessGame::SwitchMenu(int newMenu, int oldMenu) {
    JTEntity* const before = currentDialog;
    if (IsMenuNumber(oldMenu) && currentDialog) {
        // What the menu had to say goes with it, now rather than with the
        // dialog at the frame's end: the next menu shows at once.
        DropNoticeOf(currentDialog);
        if (interfaceScene) interfaceScene->Delete(currentDialog);
        currentDialog = nullptr;
    }
    if (ShowsDialog(newMenu) && menuDialogs && interfaceScene && gpJTProtobase) {
        if (JTEntity* dialog = menuDialogs->NewDialog(newMenu)) {
            gpJTProtobase->Create(nullptr, dialog);
            dialog->SetPos(kDialogPosition);
            interfaceScene->Add(dialog);
            currentDialog = dialog;
        }
    }

    // A menu with controls to click has the cursor, whatever hid it before:
    // a network game started from the command line comes to its waiting
    // screen straight from the intro, which has none.
    if (TakesClicks(newMenu) && gpCursor) gpCursor->ShowCursor(true);
    switch (newMenu) {
    case kMenuMain:
        menuCameraFlag = 1;
        if (mainCamera) {
            mainCamera->SetIdleStartTime(kMenuIdleStartSeconds);
            mainCamera->StartIdle();
        }
        break;
    case kMenuBoard:
        // The cursor is for the people at this computer: with none it goes,
        // with one it comes back (the game may have started without it).
        if (player[0] != kPlayerLocal && player[1] != kPlayerLocal) {
            if (gpCursor) gpCursor->ShowCursor(false);
        } else {
            if (gpCursor) gpCursor->ShowCursor(true);
            if (mainCamera) mainCamera->SetIdleStartTime(0.0f);
        }
        break;
    case kMenuColour:
    case kMenuLevel:
        menuCameraFlag = 0;
        break;
    case kMenuExitLogo:
        if (gpCursor) gpCursor->ShowCursor(false);
        break;
    default:
        break;
    }

    if (currentDialog != before) {
        SetInterfaceText(banner, "");
        if (newMenu != kMenuIntro && newMenu != kMenuExitLogo) PlaySound("MenuOpen.wav");
    } else {
        UpdateBanner();
    }
}

void ChessGame::PlaySound(const char* name) {
    if (gpJTAudio) gpJTAudio->PlaySoundA(name, 0, false);
}
