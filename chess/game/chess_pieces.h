// The entities of the board: a chess piece, which walks to its target when a
// move starts and is replaced by a queen when it arrives as a promoted pawn,
// and the timed entity, which removes itself ten seconds after it was made.
// A holographic piece squashes and reappears at its target; a taken ice
// piece melts away with steam and a taken fire piece bursts into parts.
#pragma once

#include <cstdint>

#include "Jentra/JTEntity.h"

class ChessPieceEntity : public JTEntity {
    JT_CLASS(ChessPieceEntity, JTEntity)
public:
    // The board position of a 0x88 square's centre (at height y).
    static JTVec3 SquarePosition(int square, float y = 0.0f);

    // The motion of a running move (see piece_motion.h), then the
    // promotion replacement when the move ends.
    void Update(JTSequencer* sequencer) override;

    // Parts a taken fire piece breaks into.
    static constexpr int kBurstParts = 20;

    int index = 0;   // slot in the game's piece array
    int square = -1; // 0x88 square, -1 once taken
    int colour = 0;
    int style = 0;  // ChessPieceStyle
    JTVec3 parking; // where the piece goes when it is taken

    JTVec3 moveTarget;
    JTVec3 moveStart;
    uint32_t moveStartTime = 0; // game milliseconds
    bool moving = false;
    bool rookFlag = false;    // the rook of a castling
    bool captureFlag = false; // the move takes a piece
    bool promotionPending = false;
    int promotionKind = 0;

private:
    // The move's end: at the target, still, and a promoted pawn replaced.
    void Arrive();
    void HolographicStep(bool offBoard);
    void MeltStep();
    void BurstStep();
    // The model's faces shared out among new part entities flying off
    // from where the piece stands.
    void BreakIntoParts();
};

class ChessTimedEntity : public JTEntity {
    JT_CLASS(ChessTimedEntity, JTEntity)
public:
    static constexpr uint32_t kLifetimeMs = 10000;

    ChessTimedEntity();
    void Update(JTSequencer* sequencer) override;

    uint32_t GetBirthTime() const { return born; }

private:
    uint32_t born;
    bool leaving = false;
};
