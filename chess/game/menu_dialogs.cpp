// The menu screens of the program. None is built yet: every menu keeps its
// place on the stack and its effect on the game, and shows nothing.
#include "chess/game/menu_dialogs.h"

namespace {

class NoMenuDialogs : public ChessMenuDialogs {
public:
    JTEntity* NewDialog(int) override { return nullptr; }
};

} // namespace

std::unique_ptr<ChessMenuDialogs> CreateChessMenuDialogs() {
    return std::make_unique<NoMenuDialogs>();
}
