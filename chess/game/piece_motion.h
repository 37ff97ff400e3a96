// How a piece travels during a move: a pure function of the move's start,
// target, flags and progress, so it can be checked without a scene. A move
// takes 1.5 s (2 s for the rook of a castling); the piece arcs over the
// board and stands on its target from 95 % of the time on, leaning forward
// as it goes and swinging back as it lands. A taken piece leaving the board
// for its parking place tumbles on the way.
#pragma once

#include "Jentra/JTMath.h"

struct ChessPieceMotion {
    JTVec3 start, target;
    int style = 0; // ChessPieceStyle
    bool rookFlag = false;
    bool captureFlag = false;
    bool belowCentre = false; // the piece stands at z < 0 (White's half)
};

struct ChessPiecePose {
    JTVec3 position;
    JTQuat orientation;
    bool arrived = false; // the move's time is over
};

// Seconds a move lasts.
float PieceMoveSeconds(bool rookFlag);
// A move whose target lies beyond the board's edge (a taken piece).
bool IsOffBoardMove(const JTVec3& target);
// The pose after elapsedMs of game time.
ChessPiecePose PiecePoseAt(const ChessPieceMotion& motion, float elapsedMs);
