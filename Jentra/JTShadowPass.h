// The shadow pass: before the frame is drawn, the main scene is drawn from
// its first light into a shadow texture (every node solid black on white,
// through the display's JTEffect_Shadow), which is then blurred into a
// half-size texture. Effects that receive shadows read the blurred texture
// through matShadow, the world-to-shadow-texture transform.
#pragma once

#include "Jentra/JTMath.h"

class JTGame;
namespace platform::render {
class Texture;
class Surface;
} // namespace platform::render

// Made on first use on the display's device; a display-mode change
// releases them and the next pass makes them again.
extern platform::render::Texture* pShadowTex;            // 1024 x 1024 target
extern platform::render::Surface* pShadowSurface;        // its level 0
extern platform::render::Texture* pShadowTexBlurred;     // 512 x 512 target
extern platform::render::Surface* pShadowSurfaceBlurred; // its level 0
extern platform::render::Surface* pShadowZ;              // 1024 x 1024 depth
extern JTMatrix matShadow;

// One shadow pass for the game's main scene on gpJTDisplay (the frame's
// shadowPass step while gbShadow is set). Skipped while Ctrl+Alt+S is held,
// when the scene has no light or the targets cannot be made.
void JTShadowPass(JTGame* game);
// Releases the five targets.
void JTReleaseShadowTargets();
