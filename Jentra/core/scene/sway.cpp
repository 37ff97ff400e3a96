// The procedural effects of transform nodes selected by name: grass blades
// and leaves sway about their rest pose, "anglefade" nodes fade out as the
// camera looks at them from the side.
#include "Jentra/JTTransNode.h"

#include <algorithm>
#include <cmath>

#include "Jentra/JTFrameClock.h"
#include "Jentra/JTLight.h"
#include "Jentra/JTRandom.h"
#include "Jentra/core/scene/scene_hooks.h"

void JTTransNode::Sway(bool leaf) {
    // The sway is rebuilt from the model's rest pose every frame; a node
    // that is no clone has no rest pose to start from and stays still.
    if (!base || !base->IsDerived(JTTransNode::nType)) return;
    // Drawn from the engine's seeded generator, so every instance gets its
    // own phase and a seeded run sways the same way each time.
    if (swayOffset == 0.0f) swayOffset = RandomBetween(0.0f, 1.0f);
    ResetMatrix();
    float s = std::sin(float(gdwTime) * 0.0002f);
    s = std::clamp(s, 0.5f, 1.0f);
    swayPhase += (2.0f * s + 0.5f) * dt * 1.5f;
    float wave = 13.0f * swayOffset + swayPhase;
    if (!leaf) {
        float a = std::sin(wave) * s * 0.08726646f;
        local = JTMatrixRotationX(a) * local;
        local = JTMatrixScaling(0.65f, 0.65f, 0.65f) * local;
    } else {
        local = JTMatrixRotationX(std::sin(wave) * s * 0.05235988f) * local;
        local = JTMatrixRotationZ(std::cos(wave) * s * 0.017453292f) * local;
    }
}

void JTTransNode::AngleFade() {
    JTVec3 view;
    if (!gJTSceneHooks.mainViewDirection || !gJTSceneHooks.mainViewDirection(view)) return;
    view.y = 0.0f;
    JTVec3 v = JTVec3Normalize(view);
    JTVec3 u = JTVec3Normalize(JTVec3TransformNormal(JTVec3(0.0f, 0.0f, -1.0f), GetConcatMatrix()));
    float f = std::clamp(AngleBetween(v, u) * 0.63661975f, 0.0f, 1.0f);
    opacity = std::sqrt(1.0f - f);
}
