// The chess game's own materials: the glowing halo that marks a piece under
// the cursor, the selected piece and a piece that may be taken, and the
// plain material of the flying parts of a burst fire piece.
#pragma once

#include "Jentra/JTEffects.h"

// What a square marks on a piece standing on it.
enum ChessMarkerKind : int {
    kMarkerOwnPiece = 0, // an own piece under the cursor, nothing selected
    kMarkerSelected = 1, // the selected piece
    kMarkerCapture = 2,  // a piece the selected one may take
};

// A halo in the colour and size of a marker kind.
class ChessMarkerEffect : public JTEffect_Halo {
public:
    explicit ChessMarkerEffect(int kind);
    ~ChessMarkerEffect() override;
};

// The material of one part of a burst piece: the piece's own texture when
// its material is a fire material, plain otherwise.
class ChessPieceParts : public JTEffect_Simple {
public:
    explicit ChessPieceParts(JTEffect* pieceMaterial);
    ~ChessPieceParts() override;
};
