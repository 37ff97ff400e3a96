// The menu screens of the program. Their pictures and controls are not
// built yet: each menu keeps its place on the stack and its effect on the
// game, and the one screen that acts by itself, waiting for an opponent,
// does its part without showing anything.
#include "chess/game/menu_dialogs.h"

#include "Jentra/JTEntity.h"
#include "Jentra/JTNetwork.h"
#include "chess/game/chess_game.h"

namespace {

// Waiting for the opponent: the game begins once the session holds both
// players.
class WaitingForOpponent : public JTEntity {
public:
    void Update(JTSequencer* sequencer) override {
        JTEntity::Update(sequencer);
        if (gpJTNetwork && gpJTNetwork->GetNumPlayers() >= 2 && gpChessGame &&
            gpChessGame->GetCurrentDialog() == this)
            gpChessGame->CloseMenu();
    }
};

class PlainMenuDialogs : public ChessMenuDialogs {
public:
    JTEntity* NewDialog(int menu) override {
        return menu == kMenuWaiting ? new WaitingForOpponent() : nullptr;
    }
};

} // namespace

std::unique_ptr<ChessMenuDialogs> CreateChessMenuDialogs() {
    return std::make_unique<PlainMenuDialogs>();
}
