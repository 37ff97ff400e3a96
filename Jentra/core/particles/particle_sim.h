// The particle simulation of the particle-system entity, kept apart from
// the entity so that it runs (and is tested) without a scene or a display:
// resetting the particle array, spawning one particle and stepping one
// particle by a time step, all driven by the prototype's values.
#pragma once

#include <cstdint>

#include "Jentra/JTArray.h"
#include "Jentra/JTMath.h"
#include "Jentra/core/particles/part_sys_values.h"

// One particle. Positions are in the emitter's space, or in world space
// when the system drops its particles.
struct JTParticle {
    uint32_t alive; // 0: waiting to be born
    JTVec3 pos;
    JTVec3 vel;
    float lifespan; // seconds, at least kMinLifespan
    float age;      // seconds; at or past the lifespan means due
    float spin;     // radians
    float spinRate; // radians per second
    float size;     // never below 0
    float grow;     // size change per second
    float opacity;  // 0..1
};

namespace jentra::particles {

constexpr float kMinLifespan = 0.00001f;
// Most particles one system holds: what one draw of 16-bit indices can
// address (four vertices and six indices a particle).
constexpr int kMaxParticles = 2500;
// Elevation band limit of the spawn height spread (89 degrees).
constexpr float kElevationBandLimit = 1.553343f;

// Picks a spawn point on the emitter model (a vertex of one of its meshes,
// in particle space). False when there is nothing to pick from.
class EmitPoints {
public:
    virtual ~EmitPoints() = default;
    virtual bool PickPoint(JTVec3& point) = 0;
};

// What spawning and stepping know about the emitter during one step.
struct Frame {
    const JTPartSysValues* values = nullptr;
    bool running = true; // particles that die are born again
    bool finish = false; // the system ends once every particle is dead
    JTVec3 center;       // emitter centre in particle space
    JTVec3 entityVelocity;
    // Carries new particles into world space when they are dropped.
    JTMatrix world;
    // The world matrix of the previous drawing and the seconds since it;
    // a non-positive age means there is none.
    JTMatrix prevWorld;
    float prevAge = 0.0f;
    float spawnScaleY = 1.0f;
    float spawnScaleXZ = 1.0f;
    EmitPoints* emitPoints = nullptr; // set when emitting from the model
};

// The number of particles a system with these values holds.
int ClampedCount(const JTPartSysValues& values);

// a - s + 2s x [0, 1): one draw of the engine generator.
float Uniform(float a, float s);
// Three uniform values in -1..1, normalised (a cube distribution).
JTVec3 RandomDirection();

// Resizes the array to the clamped particle count and makes every particle
// wait for its birth, spaced over one lifespan when spacing evenly.
void ResetParticles(const JTPartSysValues& values, JTArray<JTParticle>& particles);

// Gives birth to one particle that should have been born t0 seconds ago.
void SpawnParticle(const Frame& frame, JTParticle& p, float t0);

// Advances particle index by h seconds. True while it is alive or waiting
// to be born again; false once it is dead for good (or for this cycle).
bool StepParticle(const Frame& frame, JTParticle& p, int index, float h);

} // namespace jentra::particles
