// The piece entity's motion step and the self-removing timed entity.
#include "chess/game/chess_pieces.h"

#include "Jentra/JTFrameClock.h"
#include "Jentra/JTScene.h"
#include "chess/engine/board.h"
#include "chess/game/chess_constants.h"
#include "chess/game/chess_game.h"
#include "chess/game/piece_motion.h"

JT_CLASS_IMPL(ChessPieceEntity)
JT_CLASS_IMPL(ChessTimedEntity)

JTVec3 ChessPieceEntity::SquarePosition(int square, float y) {
    return JTVec3(float(chess::FileOf(square)) - 3.5f, y, 3.5f - float(chess::RowOf(square)));
}

void ChessPieceEntity::Update(JTSequencer* sequencer) {
    JTEntity::Update(sequencer);
    SetPickable(false);
    SetCastsShadow(true);
    if (!moving) return;

    // Taken pieces of the elements and every holographic move have their
    // own ways (piece_captures.cpp).
    const bool offBoard = IsOffBoardMove(moveTarget);
    if (style == kStyleHolographic) {
        HolographicStep(offBoard);
        return;
    }
    if (style == kStyleIce && offBoard) {
        MeltStep();
        return;
    }
    if (style == kStyleFire && offBoard) {
        BurstStep();
        return;
    }

    ChessPieceMotion motion;
    motion.start = moveStart;
    motion.target = moveTarget;
    motion.style = style;
    motion.rookFlag = rookFlag;
    motion.captureFlag = captureFlag;
    motion.belowCentre = GetPos().z < 0.0f;
    const ChessPiecePose pose = PiecePoseAt(motion, float(int32_t(gdwTime - moveStartTime)));
    SetPos(pose.position);
    SetRot(pose.orientation);
    ComputeMatrix();
    if (pose.arrived) {
        moving = false;
        // Replacing a promoted pawn deletes this entity (at the frame's end).
        if (gpChessGame) gpChessGame->ReplacePromotedPiece(this);
    }
}

void ChessPieceEntity::Arrive() {
    SetPos(moveTarget);
    ComputeMatrix();
    moving = false;
    if (gpChessGame) gpChessGame->ReplacePromotedPiece(this);
}

ChessTimedEntity::ChessTimedEntity() : born(gdwTime) {}

void ChessTimedEntity::Update(JTSequencer* sequencer) {
    JTEntity::Update(sequencer);
    // Signed, so a clock set back (a world reloaded) counts as time passed
    // only forwards.
    if (leaving || int32_t(gdwTime - born) <= int32_t(kLifetimeMs)) return;
    if (JTScene* scene = GetScene()) {
        leaving = true;
        scene->Delete(this);
    }
}
