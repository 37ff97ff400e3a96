// Building the drawable form of a particle system: four vertices a particle
// (a camera-facing square turned by its spin, a streak along its velocity,
// or a quad oriented away from the emitter centre), their colours with the
// fades, and the index list of two triangles a particle.
#pragma once

#include <cstdint>

#include "Jentra/JTMath.h"
#include "Jentra/core/particles/particle_sim.h"

// A particle vertex: position, ARGB colour, one texture pair (24 bytes;
// the fixed-function format position | diffuse | one texture set, 0x142).
struct JTPartVertex {
    float x, y, z;
    uint32_t color;
    float u, v;
};

namespace jentra::particles {

constexpr uint32_t kPartVertexFormat = 0x142;

// The camera in the particles' space.
struct CameraAxes {
    JTVec3 position;
    JTVec3 right;
    JTVec3 up;
    JTVec3 direction;
};

// Opacity of a living particle at its age, with the fade in and fade out.
float ParticleAlpha(const JTPartSysValues& values, const JTParticle& p);
// ARGB colour of a living particle: start colour, blended towards the end
// colour once its life passes the end-colour fade time.
uint32_t ParticleColor(const JTPartSysValues& values, const JTParticle& p);

// Writes four vertices for each of count particles into out (4 x count).
// A particle that is not alive gets four zero vertices.
void BuildQuads(const JTPartSysValues& values, const JTParticle* particles, int count,
                const JTVec3& center, const CameraAxes& camera, JTPartVertex* out);

// Writes six indices for each of count quads (at most kMaxParticles).
void BuildIndices(uint16_t* out, int count);

} // namespace jentra::particles
