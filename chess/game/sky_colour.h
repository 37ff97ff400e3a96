// The sky's tint: the glow of every plain-textured surface of the sky's model.
#pragma once

#include "chess/game/sun_cycle.h"

class JTNode;

// Sets the emissive colour of each JTEffect_Simple below node (null: nothing).
void SetSkyColour(JTNode* node, const ChessSunColour& colour);
