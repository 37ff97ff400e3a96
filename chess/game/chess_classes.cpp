// The game's classes join the engine's class registry when the program
// loads, after the engine's own.
#include "Jentra/JTClassMap.h"
#include "chess/game/chess_game.h"
#include "chess/game/chess_pieces.h"
#include "chess/game/chess_square.h"
#include "chess/game/scene_objects.h"

namespace {

struct ChessClassRegistration {
    ChessClassRegistration() {
        JTRegisterClass<ChessGame>();
        JTRegisterClass<ChessPieceEntity>();
        JTRegisterClass<ChessTimedEntity>();
        JTRegisterClass<ChessSquare>();
        JTRegisterClass<ChessLight>();
    }
} gChessClassRegistration;

} // namespace
