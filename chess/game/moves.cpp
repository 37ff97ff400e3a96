// The game's protocol: picked squares become a selection or a move, moves
// are carried out on the board, in the scene and towards the network peer,
// network data and the session's end are answered, the banner tells of
// check, mate, stalemate and a draw, and a game that has ended takes no
// more moves.
#include <cstdint>
#include <cstdio>

#include "Jentra/JTFrameClock.h"
#include "Jentra/JTMessages.h"
#include "Jentra/JTNetwork.h"
#include "chess/engine/attacks.h"
#include "chess/engine/makemove.h"
#include "chess/engine/movegen.h"
#include "chess/game/chess_game.h"
#include "chess/game/chess_pieces.h"
#include "chess/game/chess_square.h"
#include "chess/game/menu_dialogs.h"
#include "chess/game/net_packets.h"

namespace {

constexpr chess::ChessMove kFromToMask = 0x3FFF;

const char* const kMoveSounds[4] = {"ParkMove.wav", "FireMove.wav", "IceMove.wav", "HoloMove.wav"};
const char* const kTakenSounds[4] = {"ParkTaken.wav", "FireTaken.wav", "IceTaken.wav",
                                     "HoloTaken.wav"};

const char* StyleSound(const char* const (&sounds)[4], int style) {
    return style >= 0 && style < 4 ? sounds[style] : sounds[0];
}

// The first move of the ply-0 legal list with these from and to squares, or 0.
chess::ChessMove FindLegalMove(chess::ChessMove fromTo) {
    for (int i = 0; i < chess::LegalMoveCount(); ++i) {
        const chess::ChessMove m = chess::LegalMove(i);
        if ((m & kFromToMask) == (fromTo & kFromToMask)) return m;
    }
    return 0;
}

} // namespace

unsigned ChessGame::Message(JTID*, JTID*, unsigned msg, void* data) {
    switch (msg) {
    case CHESSMSG_SQUAREPICKED:
        SquarePicked(int(reinterpret_cast<intptr_t>(data)));
        break;
    case JTMSG_NETRECEIVE:
        NetworkData(data);
        break;
    case JTMSG_NETPLAYERLEFT:
        ShowNotice("Your opponent has left the game");
        if (gpJTNetwork) gpJTNetwork->LeaveGame();
        break;
    case JTMSG_NETSESSIONLOST:
        SessionEnded();
        break;
    default:
        break;
    }
    return 0;
}

void ChessGame::SendToSquare(int square, unsigned msg) {
    if (ChessSquare* entity = GetSquare(square))
        GetCommunicator()->Send(entity->GetID(), msg, nullptr);
}

void ChessGame::SquarePicked(int square) {
    if (square < 0 || square >= kNumSquares || !chess::OnBoard(square)) return;
    if (GetPlayerToMove() != kPlayerLocal || IsGameOver()) {
        PlaySound("JTBeep_Invalid.wav");
        return;
    }
    if (selected < 0) {
        if (chess::gBoard.board[square] == chess::gBoard.side) {
            PlaySound("JTBeep_Alert.wav");
            selected = square;
            SendToSquare(square, CHESSMSG_SQUARESELECT);
        } else {
            PlaySound("JTBeep_Invalid.wav");
        }
        return;
    }
    const chess::ChessMove picked = chess::EncodeMove(selected, square);
    SendToSquare(selected, CHESSMSG_SQUARECLEAR);
    if (!FindLegalMove(picked)) {
        PlaySound("JTBeep_Invalid.wav");
        selected = -1;
        return;
    }
    PlaySound("JTBeep_Alert.wav");
    ExecuteMove(picked);
    if (gpJTNetwork && gpJTNetwork->IsNetworkGame()) {
        uint8_t packet[ChessNetMove::kSize];
        uint8_t* cursor = packet;
        ChessNetMove(picked).Write(cursor);
        gpJTNetwork->SendNetwork(packet, sizeof packet);
    }
}

void ChessGame::NetworkData(const void* data) {
    const auto* block = static_cast<const JTNetData*>(data);
    if (!block || !block->pData || block->nSize < 1) return;
    const uint8_t* cursor = block->pData;
    switch (cursor[0]) {
    case kNetMove: {
        // Only a whole move packet, on the peer's turn, with a move that is
        // legal here; anything else from the peer changes nothing.
        if (block->nSize != ChessNetMove::kSize || GetPlayerToMove() != kPlayerRemote) return;
        ChessNetMove packet;
        packet.Read(cursor);
        if (!ExecuteMove(packet.move))
            std::fprintf(stderr, "Rookfall: the opponent's move %#x is not legal here\n",
                         unsigned(packet.move));
        break;
    }
    case kNetNewGame:
        if (block->nSize != ChessNetNewGame::kSize) return;
        // One request a frame is taken: a new game rebuilds the world, and
        // the old world goes only at the frame's end, so a burst of requests
        // would hold the frame and pile up worlds. A second one with no move
        // since the first asks for what is already there; after a move it
        // waits for the next frame, and what the peer sent after it waits
        // behind it, so the peer's order holds.
        if (networkNewGameFrame == gnFrame) {
            if (moves.GetCount() == networkNewGameMoves) return;
            if (gpJTNetwork) gpJTNetwork->PostponeDelivery();
            return;
        }
        networkNewGameFrame = gnFrame;
        if (GetCurrentMenu() == kMenuNameGame) {
            if (menuDialogs && currentDialog) menuDialogs->NewGameRequested(currentDialog);
        } else {
            CloseToBoard();
            StartNewGame();
        }
        networkNewGameMoves = moves.GetCount();
        break;
    default:
        break;
    }
}

void ChessGame::SessionEnded() {
    CloseToBoard();
    StartNewGame();
    SetPlayers(kPlayerComputer, kPlayerComputer);
    OpenMenu(kMenuMain);
}

bool ChessGame::ExecuteMove(chess::ChessMove m) {
    // Legal moves first: nothing of a move that is not in the list happens.
    // The move carried out is the list's own word, never the one given:
    // bits beyond the from and to squares (a damaged file, a foreign peer)
    // would make the engine refuse it after the pieces had already moved.
    chess::ChessMove legal = FindLegalMove(m);
    // A drawn game is over although moves remain.
    if (!legal || GetDrawRule() != chess::DrawRule::None) return false;
    const int from = chess::MoveFrom(legal), to = chess::MoveTo(legal);
    const chess::ChessBoard& b = chess::gBoard;
    const bool pawn = b.board[from + 8] == chess::Pawn;
    const bool promotion = pawn && (chess::RowOf(to) == 0 || chess::RowOf(to) == 7);
    // A promotion is always to a queen, whoever makes it.
    if (promotion) legal = (legal & kFromToMask) | (chess::Queen << 14);
    const bool takes = b.board[to] != chess::kEmpty;
    const bool enPassant = pawn && to == b.ep && chess::FileOf(from) != chess::FileOf(to) && !takes;
    const int enPassantSquare = b.side == chess::White ? to + 16 : to - 16;
    const bool castles = b.board[from + 8] == chess::King && (to - from == 2 || from - to == 2);

    // The engine first: the scene shows only a move the position has taken.
    if (!chess::MakeMove(legal)) return false;
    selected = -1;

    bool captured = false;
    auto park = [&](int square, bool takenSound) {
        ChessPieceEntity* taken = PieceOn(square);
        if (!taken) return;
        taken = StartPieceMove(taken, taken->parking, false, false);
        if (taken) {
            taken->square = -1;
            if (takenSound) PlaySound(StyleSound(kTakenSounds, taken->style));
        }
        captured = true;
    };
    if (takes) park(to, true);
    // En passant: the pawn taken stands beside the target square. It leaves
    // quietly; the capture is heard in the moving pawn's landing.
    if (enPassant) park(enPassantSquare, false);

    // Castling: the king moves two files, the rook jumps over it.
    if (castles) {
        const int rookFrom = to > from ? from + 3 : from - 4;
        const int rookTo = to > from ? from + 1 : from - 1;
        if (ChessPieceEntity* rook = StartPieceMove(
                PieceOn(rookFrom), ChessPieceEntity::SquarePosition(rookTo), true, false))
            rook->square = rookTo;
    }

    if (ChessPieceEntity* mover =
            StartPieceMove(PieceOn(from), ChessPieceEntity::SquarePosition(to), false, captured)) {
        mover->square = to;
        if (promotion) {
            mover->promotionPending = true;
            mover->promotionKind = chess::Queen;
        }
        PlaySound(StyleSound(kMoveSounds, mover->style));
    }

    moves.Add(legal);
    chess::BuildLegalMoves(true);
    lastMoveTime = gdwTime;
    UpdateBanner();

    // Between two computers nothing is shown: the next turn finds the game
    // over and starts another.
    if (IsGameOver() && GetCurrentMenu() == kMenuBoard &&
        (player[0] == kPlayerLocal || player[1] == kPlayerLocal))
        OpenMenu(kMenuGameOver);
    return true;
}

chess::DrawRule ChessGame::GetDrawRule() const {
    return chess::DrawnByRule();
}

bool ChessGame::IsGameOver() const {
    return chess::LegalMoveCount() == 0 || GetDrawRule() != chess::DrawRule::None;
}

void ChessGame::UpdateBanner() {
    if (!banner || GetCurrentMenu() != kMenuBoard) return;
    const bool check = chess::SideInCheck(chess::gBoard.side);
    const char* text;
    if (chess::LegalMoveCount() > 0 && GetDrawRule() != chess::DrawRule::None)
        text = "DRAW";
    else if (chess::LegalMoveCount() > 0)
        text = check ? "CHECK" : "";
    else
        text = check ? "CHECKMATE" : "STALEMATE";
    SetInterfaceText(banner, text);
}
