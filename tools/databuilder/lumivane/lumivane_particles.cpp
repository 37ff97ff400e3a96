// The property values of the shipped particle systems. Explosions burst
// once and delete themselves; smoke, sparks and flames run while their
// owner lives. Glows add light (additive blending); smoke covers what is
// behind it.
#include "tools/databuilder/lumivane/lumivane_particles.h"

#include <cmath>
#include <cstdint>

#include "desktop/scene/entity/entity.h"
#include "tools/databuilder/lumivane/prop_setters.h"

namespace databuilder {

namespace {

using lumivane::Entity;
using lumivane::PropDesc;

void SetTexture(Entity& e, const char* file) {
    size_t offset = 0;
    if (PropDesc::Find(e.props->Table(), "Texture", offset)) e.props->SetFixedText(offset, file);
}

uint32_t Packed(float r, float g, float b) {
    auto byte = [](float f) { return uint32_t(std::lround(f * 255.0f)) & 0xffu; };
    return 0xff000000u | byte(r) << 16 | byte(g) << 8 | byte(b);
}

// Start and end colours, the floats and the packed words alike.
void Colours(Entity& e, float r, float g, float b, float er, float eg, float eb) {
    SetFloat(e, "Red", r);
    SetFloat(e, "Green", g);
    SetFloat(e, "Blue", b);
    size_t offset = 0;
    if (PropDesc::Find(e.props->Table(), "Color", offset))
        e.props->Set<uint32_t>(offset, Packed(r, g, b));
    SetFlag(e, "End color", true);
    SetFloat(e, "End Red", er);
    SetFloat(e, "End Green", eg);
    SetFloat(e, "End Blue", eb);
    if (PropDesc::Find(e.props->Table(), "End Color", offset))
        e.props->Set<uint32_t>(offset, Packed(er, eg, eb));
}

void Glowing(Entity& e, const char* texture) {
    SetTexture(e, texture);
    SetFlag(e, "Additive Blend", true);
}

// A ball of glowing particles that flies apart once.
std::function<void(Entity&)> Explosion(float r, float g, float b) {
    return [=](Entity& e) {
        Glowing(e, "glow_yellow.dds");
        SetFlag(e, "One Shot", true);
        SetFlag(e, "Auto Delete", true);
        SetFlag(e, "Start spread out", false);
        SetInt(e, "Num particles", 60);
        SetFloat(e, "Velocity", 2.5f);
        SetFloat(e, "Velocity spread", 1.5f);
        SetFloat(e, "Drag", 0.6f);
        SetFloat(e, "Lifespan", 1.2f);
        SetFloat(e, "Lifespan spread", 0.4f);
        SetFloat(e, "Size", 0.8f);
        SetFloat(e, "Size spread", 0.3f);
        SetFloat(e, "Grow", 1.2f);
        SetFloat(e, "Fade in time", 0.05f);
        SetFloat(e, "Fade out time", 0.6f);
        Colours(e, r, g, b, r * 0.8f, g * 0.3f, b * 0.3f);
    };
}

// A stream along +Z within a narrow cone.
void Stream(Entity& e, int count, float speed, float cone, float lifespan, float size) {
    SetInt(e, "Num particles", count);
    SetFloat(e, "Cone angle", cone);
    SetFloat(e, "Velocity", speed);
    SetFloat(e, "Velocity spread", speed * 0.25f);
    SetFloat(e, "Lifespan", lifespan);
    SetFloat(e, "Lifespan spread", lifespan * 0.2f);
    SetFloat(e, "Size", size);
    SetFloat(e, "Size spread", size * 0.2f);
}

// Out of the back of a ship that flies along +Z.
void EngineFlame(Entity& e) {
    Glowing(e, "glow_white.dds");
    Stream(e, 40, 0.0f, 0.2f, 0.5f, 0.35f);
    SetFloat(e, "Velocity Z", -3.0f);
    SetFloat(e, "Velocity Z spread", 0.5f);
    SetFloat(e, "Grow", -0.5f);
    SetFlag(e, "Space evenly", true);
    Colours(e, 0.6f, 0.75f, 1.0f, 0.2f, 0.3f, 1.0f);
}

} // namespace

const std::vector<ParticleEffect>& ParticleEffects() {
    static const std::vector<ParticleEffect> effects = {
        {"explosion- Yellow", Explosion(1.0f, 0.85f, 0.4f)},
        {"explosion- Red", Explosion(1.0f, 0.35f, 0.2f)},
        {"explosion- Blue", Explosion(0.45f, 0.6f, 1.0f)},
        // The wave a structure sends out as it breaks up: fast and even.
        {"shock1",
         [](Entity& e) {
             Explosion(0.6f, 0.85f, 1.0f)(e);
             SetInt(e, "Num particles", 90);
             SetFloat(e, "Velocity", 4.0f);
             SetFloat(e, "Velocity spread", 0.4f);
         }},
        {"smoke damage",
         [](Entity& e) {
             SetTexture(e, "smoke.dds");
             Stream(e, 30, 0.6f, 0.5f, 2.0f, 0.35f);
             SetFloat(e, "Grow", 0.4f);
             SetFloat(e, "Force Y", 0.3f);
             SetFloat(e, "Opacity", 0.5f);
             SetFloat(e, "Spin spread", 1.0f);
         }},
        {"blood",
         [](Entity& e) {
             Explosion(0.7f, 0.05f, 0.05f)(e);
             SetFlag(e, "Additive Blend", false);
             SetTexture(e, "smoke.dds");
             SetInt(e, "Num particles", 25);
             SetFloat(e, "Size", 0.3f);
             SetFloat(e, "Grow", 0.1f);
         }},
        {"electricity",
         [](Entity& e) {
             Glowing(e, "glow_white.dds");
             SetInt(e, "Num particles", 20);
             SetFloat(e, "Velocity", 2.0f);
             SetFloat(e, "Velocity spread", 2.0f);
             SetFloat(e, "Lifespan", 0.3f);
             SetFloat(e, "Lifespan spread", 0.2f);
             SetFloat(e, "Size", 0.15f);
             SetFlag(e, "Kite", true);
             Colours(e, 0.7f, 0.85f, 1.0f, 0.3f, 0.4f, 1.0f);
         }},
        {"flames- yellow",
         [](Entity& e) {
             Glowing(e, "glow_yellow.dds");
             Stream(e, 40, 1.5f, 0.35f, 0.7f, 0.45f);
             SetFloat(e, "Grow", -0.3f);
             SetFloat(e, "Force Y", 1.0f);
             Colours(e, 1.0f, 0.9f, 0.5f, 1.0f, 0.25f, 0.05f);
         }},
        {"engine flame", EngineFlame},
        // The engines the unit models hang by mount name: the main engine's
        // glow and its flare, which the main thruster drives, and the two
        // side engines that the turning thrusters drive.
        {"engine-CMB", EngineFlame},
        {"engine-CMB-Kite", EngineFlame},
        {"engine-MLB", EngineFlame},
        {"engine-MRB", EngineFlame},
    };
    return effects;
}

} // namespace databuilder
