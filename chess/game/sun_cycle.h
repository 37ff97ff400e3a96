// The sun of the park worlds: a one-minute cycle of game time that moves the
// world's light across the sky and back, fades it in and out at the turns,
// and tints the sky from a dawn red to white at noon.
#pragma once

#include <cstdint>

#include "Jentra/JTMath.h"

struct ChessSunColour {
    float r, g, b;
};

// Where the sun is and how it lights the world at one moment.
struct ChessSunState {
    JTVec3 position;      // the light's place (it shines towards the origin)
    ChessSunColour light; // the sunlight (diffuse)
    ChessSunColour fill;  // the light's ambient colour
    ChessSunColour sky;   // the sky's tint
};

class ChessSunCycle {
public:
    static constexpr uint32_t kCycleMs = 60000;

    // The state at that game time. Called once a frame: each time the cycle
    // wraps, the sun turns and goes back the way it came.
    ChessSunState Step(uint32_t gameTimeMs);
    bool IsReturning() const { return returning; }

private:
    bool returning = false;
    float lastT = 0.0f;
};
