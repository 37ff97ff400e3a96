// What the game asks of its menu screens. The game keeps the stack of menu
// numbers and switches between them (ChessGame::OpenMenu and its kin); each
// menu that shows something is a dialog entity made here. The game builds
// the dialog with the prototype database, puts it in the interface scene and
// deletes it again when the menu is left.
#pragma once

#include <memory>

class JTEntity;

class ChessMenuDialogs {
public:
    virtual ~ChessMenuDialogs() = default;

    // A new, not yet built dialog for the menu (numbers 0-22 other than 1,
    // 2 and 5), or null when that menu shows nothing.
    virtual JTEntity* NewDialog(int menu) = 0;

    // The intro's dialog: whether it converts textures while the game
    // loads, and the loading text it shows.
    virtual bool IsDecompressing(JTEntity* intro) {
        (void)intro;
        return false;
    }
    virtual void ShowLoadingText(JTEntity* intro, const char* text) {
        (void)intro;
        (void)text;
    }

    // The dialog of the name-the-game menu: the opponent asked for a new
    // game while the player names the finished one.
    virtual void NewGameRequested(JTEntity* nameGame) { (void)nameGame; }
};

// The menu screens the program ships.
std::unique_ptr<ChessMenuDialogs> CreateChessMenuDialogs();
