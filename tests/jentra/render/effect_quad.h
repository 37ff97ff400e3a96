// A quad over the whole view drawn through a compiled effect, for the
// effect-file tests on the bare device.
#pragma once

#include "Jentra/JTGeoNode.h"
#include "Jentra/render/compiled_effect.h"
#include "platform/render/device.h"

namespace effect_quad {

// Draws a quad from (-1, 1) to (1, -1) at depth 0.5 in the engine's vertex
// (u, v from the top left) once per pass of the effect; the pass count.
inline int DrawFullQuad(platform::render::Device& device, JTCompiledEffect& effect) {
    const Vert1 quad[4] = {{-1, 1, 0.5f, 0, 0, -1, 0, 0},
                           {1, 1, 0.5f, 0, 0, -1, 1, 0},
                           {-1, -1, 0.5f, 0, 0, -1, 0, 1},
                           {1, -1, 0.5f, 0, 0, -1, 1, 1}};
    device.SetVertexShader(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1);
    int passes = effect.Begin();
    for (int i = 0; i < passes; ++i) {
        effect.Pass(i);
        device.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vert1));
    }
    effect.End();
    return passes;
}

} // namespace effect_quad
