// The marker halo and the burst parts' material.
#include "chess/game/chess_effects.h"

#include <iterator>

namespace {

struct MarkerLook {
    float r, g, b, a;
    float size;
};

// Kinds 0 to 2; any other kind keeps the halo's defaults.
constexpr MarkerLook kMarkerLooks[] = {
    {1.0f, 1.0f, 1.0f, 1.0f, 0.05f}, // own piece
    {1.0f, 1.0f, 1.0f, 1.0f, 0.1f},  // selected
    {1.0f, 0.2f, 0.2f, 1.0f, 0.1f},  // may be taken
};

} // namespace

ChessMarkerEffect::ChessMarkerEffect(int kind) {
    if (kind < 0 || kind >= int(std::size(kMarkerLooks))) return;
    const MarkerLook& look = kMarkerLooks[kind];
    SetColor(look.r, look.g, look.b, look.a);
    size = look.size;
}

ChessMarkerEffect::~ChessMarkerEffect() = default;

ChessPieceParts::ChessPieceParts(JTEffect* pieceMaterial) {
    if (auto* fire = dynamic_cast<JTEffect_FireKnight*>(pieceMaterial)) texture = fire->diffuse;
}

ChessPieceParts::~ChessPieceParts() = default;
