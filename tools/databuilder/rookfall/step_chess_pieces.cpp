// Writes the chess pieces of every world as model files: the park's light
// and dark wood, the holographic world's green and blue glow, Fire and
// Ice's ice and fire, and the custom world "Marble" with its white and black
// stone. Each model is a transform node whose child 0 is the piece's
// geometry node, a triangle list of several hundred faces.
#include "tools/databuilder/shared/data_step.h"

#include <string>
#include <vector>

#include "tools/databuilder/rookfall/chess_piece_shapes.h"

namespace {

using namespace databuilder::chess;

const char* const kKinds[6] = {"Pawn", "Knight", "Bishop", "Rook", "Queen", "King"};

struct PieceSet {
    const char* folder; // below modules/
    const char* prefix; // file name before the kind
    const char* suffix; // file name after the kind
    bool black;
    JTEffect* (*effect)();
};

const PieceSet kSets[] = {
    {"Chess/Park", "Classic", "Light", false,
     [] { return ParkPieceEffect("Chess\\Park\\lightwood.jpg"); }},
    {"Chess/Park", "Classic", "Dark", true,
     [] { return ParkPieceEffect("Chess\\Park\\darkwood.jpg"); }},
    {"Chess/Fire and Ice/Ice Pieces", "Ice", "", false,
     [] { return WetIceEffect("Chess\\Fire and Ice\\icepiece.jpg"); }},
    {"Chess/Fire and Ice/Fire Pieces", "Fire", "", true,
     [] { return FireKnightEffect("Chess\\Fire and Ice\\firepiece.jpg"); }},
    {"Chess/Matrix", "Green", "", false,
     [] { return SimpleEffect("Chess\\Matrix\\holopiece.jpg", 0.15f, 1.0f, 0.4f); }},
    {"Chess/Matrix", "Blue", "", true,
     [] { return SimpleEffect("Chess\\Matrix\\holopiece.jpg", 0.2f, 0.5f, 1.0f); }},
    {"Chess/Marble", "White", "", false,
     [] { return ParkPieceEffect("Chess\\Marble\\marblewhite.jpg"); }},
    {"Chess/Marble", "Black", "", true,
     [] { return ParkPieceEffect("Chess\\Marble\\marbleblack.jpg"); }},
};

} // namespace

DATABUILDER_STEP(WriteChessPieces, "chess-pieces") {
    bool ok = true;
    for (const PieceSet& set : kSets)
        for (int kind = 0; kind < 6; ++kind) {
            const std::string name = std::string(set.prefix) + kKinds[kind] + set.suffix;
            std::vector<Part> parts;
            parts.push_back({"body", PieceShape(kind, set.black), set.effect(), JTMatrix(), false});
            ok = WriteModel(context.runtime / "modules" / set.folder / (name + ".jtm"), name,
                            parts) &&
                 ok;
        }
    ReleaseNamedTextures();
    return ok;
}
