// The board square's pick target, its hover marker and the halos it puts
// on pieces.
#include "chess/game/chess_square.h"

#include <cmath>
#include <cstdint>

#include "Jentra/JTFrameClock.h"
#include "Jentra/JTGeoNode.h"
#include "Jentra/JTGlobals.h"
#include "Jentra/JTMessages.h"
#include "Jentra/JTProtobase.h"
#include "Jentra/JTScene.h"
#include "chess/engine/board.h"
#include "chess/game/chess_effects.h"
#include "chess/game/chess_game.h"
#include "chess/game/chess_pieces.h"

JT_CLASS_IMPL(ChessSquare)

namespace {

// The marker pulses by a tenth of its size once a second of game time.
constexpr float kPulseAmount = 0.1f;
constexpr float kPulseRadiansPerMs = 0.00628319f;

bool BoardIsPlayable() {
    return gpChessGame && gpChessGame->GetCurrentMenu() == kMenuBoard &&
           gpChessGame->GetPlayerToMove() == kPlayerLocal;
}

// The live entity registered under the identifier, or null.
JTEntity* FindEntity(const JTID& id) {
    JTUnknown* found = gpJTIDMap ? gpJTIDMap->Find(&id) : nullptr;
    return found && found->IsDerived(JTEntity::nType) ? static_cast<JTEntity*>(found) : nullptr;
}

// Whether the move from `from` to `to` is in the ply-0 legal list (any
// promotion).
bool IsLegalTarget(int from, int to) {
    const chess::ChessMove fromTo = chess::EncodeMove(from, to);
    for (int i = 0; i < chess::LegalMoveCount(); ++i)
        if ((chess::LegalMove(i) & 0x3FFF) == fromTo) return true;
    return false;
}

} // namespace

void ChessSquare::ApplyMarkerEffect(JTNode* node, int kind) {
    if (!node) return;
    if (node->IsDerived(JTGeoNode::nType)) {
        auto* geo = static_cast<JTGeoNode*>(node);
        // The node's own material goes; one it only borrows stays.
        if (geo->OwnsEffect()) delete geo->GetEffect();
        geo->SetEffect(new ChessMarkerEffect(kind), true);
    }
    for (int i = 0; i < node->GetNumChildren(); ++i)
        ApplyMarkerEffect(node->GetChild(i), kind);
}

JTEntity* ChessSquare::GetHighlight() const {
    return hasHighlight ? FindEntity(highlight) : nullptr;
}

JTEntity* ChessSquare::GetMarker() const {
    return hasMarker ? FindEntity(marker) : nullptr;
}

void ChessSquare::Update(JTSequencer* sequencer) {
    JTEntity::Update(sequencer);
    const bool playable = BoardIsPlayable();
    SetPickable(playable);
    if (!playable) {
        SetHilighted(false);
        // Nothing is offered while the player may not move; the selected
        // piece keeps its halo.
        DeleteMarker();
        if (!IsSelectedSquare()) DeleteHighlight();
    }
    // The square is never drawn; it only catches the cursor.
    SetOpacity(0.0f);
    if (JTEntity* shown = GetMarker())
        shown->SetScale(1.0f + kPulseAmount * std::sin(float(gdwTime % 1000) * kPulseRadiansPerMs));
}

unsigned ChessSquare::Message(JTID*, JTID*, unsigned msg, void* data) {
    switch (msg) {
    case JTMSG_BUTTONDOWN:
    case JTMSG_DOUBLECLICK:
        if (reinterpret_cast<intptr_t>(data) != 0) break; // the left button only
        comm.Broadcast(CHESSMSG_SQUAREPICKED, reinterpret_cast<void*>(intptr_t(square)));
        if (!IsSelectedSquare()) DeleteHighlight();
        break;
    case JTMSG_CURSORENTER:
        if (GetPickable()) CursorEntered();
        break;
    case JTMSG_CURSORLEAVE:
        if (!IsSelectedSquare()) DeleteHighlight();
        DeleteMarker();
        break;
    case CHESSMSG_SQUARESELECT:
        DeleteHighlight();
        HighlightPieces(kMarkerSelected);
        break;
    case CHESSMSG_SQUARECLEAR:
        DeleteHighlight();
        break;
    default:
        break;
    }
    return 0;
}

bool ChessSquare::IsSelectedSquare() const {
    return gpChessGame && gpChessGame->GetSelected() == square;
}

void ChessSquare::CursorEntered() {
    if (!IsSelectedSquare()) DeleteHighlight();
    DeleteMarker();
    if (!gpChessGame || gpChessGame->GetPlayerToMove() != kPlayerLocal) return;

    const int selected = gpChessGame->GetSelected();
    if (selected < 0) {
        if (chess::gBoard.board[square] == chess::gBoard.side) {
            ShowMarker(kValidMarker);
            HighlightPieces(kMarkerOwnPiece);
        } else {
            ShowMarker(kInvalidMarker);
        }
    } else if (IsLegalTarget(selected, square)) {
        ShowMarker(kValidMarker);
        HighlightPieces(kMarkerCapture); // the piece that would be taken
    } else {
        ShowMarker(kInvalidMarker);
    }
}

void ChessSquare::DeleteHighlight() {
    JTEntity* shown = GetHighlight();
    hasHighlight = false;
    if (shown && shown->GetScene()) shown->GetScene()->Delete(shown);
}

void ChessSquare::DeleteMarker() {
    JTEntity* shown = GetMarker();
    hasMarker = false;
    if (shown && shown->GetScene()) shown->GetScene()->Delete(shown);
}

void ChessSquare::ShowMarker(const char* model) {
    JTScene* scene = GetScene();
    if (!scene || !gpJTProtobase) return;
    JTEntity* made = gpJTProtobase->Create(model, nullptr);
    if (!made) return;
    // A marker whose model is missing shows nothing; it is not kept.
    if (made->GetNumChildren() == 0) {
        delete made;
        return;
    }
    // The cursor looks through the marker at the square below.
    made->SetPickable(false);
    made->SetPos(GetPos());
    scene->Add(made);
    marker = made->GetID();
    hasMarker = true;
}

void ChessSquare::HighlightPieces(int kind) {
    JTScene* scene = GetScene();
    if (!scene || !gpChessGame) return;
    for (int i = 0; i < gpChessGame->GetNumPieces(); ++i) {
        ChessPieceEntity* piece = gpChessGame->GetPiece(i);
        if (!piece || piece->square != square || !piece->GetChild(0)) continue;
        JTUnknown* copy = piece->GetChild(0)->Clone();
        if (!copy) continue;
        // One halo a square: a second piece here replaces the first's.
        DeleteHighlight();
        auto* halo = new JTEntity();
        halo->AddChild(static_cast<JTNode*>(copy));
        halo->SetPos(piece->GetPos());
        halo->SetRot(piece->GetRot());
        halo->SetPickable(false);
        halo->ComputeMatrix();
        halo->RecomputeBound();
        scene->Add(halo);
        ApplyMarkerEffect(halo, kind);
        highlight = halo->GetID();
        hasHighlight = true;
    }
}
