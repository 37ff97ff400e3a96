// ChessSquare: the invisible pick target of one board square. A left click
// on it tells the game which square was picked (message 1001, broadcast);
// it can be picked only while the board is played and a person at this
// computer is to move. Under the cursor it shows what the player may do
// there: a pulsing marker (valid or invalid) and a glowing halo copy of the
// piece that stands on it; the selected piece keeps its halo.
#pragma once

#include "Jentra/JTEntity.h"

class ChessSquare : public JTEntity {
    JT_CLASS(ChessSquare, JTEntity)
public:
    static constexpr const char* kSquareModel = "Chess\\ChessSquare.jtm";
    static constexpr const char* kValidMarker = "Chess\\SquareValid.jtm";
    static constexpr const char* kInvalidMarker = "Chess\\SquareInvalid.jtm";

    void Update(JTSequencer* sequencer) override;
    unsigned Message(JTID* from, JTID* to, unsigned msg, void* data) override;

    // The node and every node below it, in child order: each geometry node
    // is drawn from now on by a new halo of the marker kind
    // (ChessMarkerKind), which replaces its own material.
    static void ApplyMarkerEffect(JTNode* node, int kind);

    // The halo copy of the piece on this square and the hover marker, while
    // they are shown; null otherwise.
    JTEntity* GetHighlight() const;
    JTEntity* GetMarker() const;

    int square = 0; // the 0x88 square (0 = a8)

private:
    bool IsSelectedSquare() const;
    void CursorEntered();
    void DeleteHighlight();
    void DeleteMarker();
    void ShowMarker(const char* model);
    // A halo of the kind on every piece standing on this square.
    void HighlightPieces(int kind);

    // Both live in the square's scene; they are found again by identifier,
    // so one the scene has removed meanwhile is simply gone.
    JTID highlight;
    JTID marker;
    bool hasHighlight = false;
    bool hasMarker = false;
};
