// The game's own kinds of the engine's cursor and light.
#pragma once

#include "Jentra/JTCursor.h"
#include "Jentra/JTLight.h"

// The pointer of the game's interface.
class ChessCursor : public JTCursor {};

// A light of the board world or the interface.
class ChessLight : public JTLight {
    JT_CLASS(ChessLight, JTLight)
public:
    // A light of that kind (JTLightRecord::Type) and colour with the given
    // range, at position.
    static ChessLight* Make(int type, float r, float g, float b, float range,
                            const JTVec3& position);
};
