// The drawing steps of the frame. The rendering layer installs them; until it
// does (or when it has nothing to draw with) the frame skips them.
#pragma once

class JTGame;

struct JTFrameRenderHooks {
    // The shadow pass, run before drawing while gbShadow is set.
    void (*shadowPass)(JTGame* game) = nullptr;
    // Draws every display (JTRenderer::Render).
    void (*render)(JTGame* game) = nullptr;
    // Takes a screenshot of the display (JTDisplay::Screenshot).
    void (*screenshot)(JTGame* game) = nullptr;
};

void JTSetFrameRenderHooks(const JTFrameRenderHooks& hooks);
const JTFrameRenderHooks& JTGetFrameRenderHooks();
