// PartNode: the particle arrays, the system's deletion check, and the
// simulation: ageing, respawning with the time carried over, and motion
// under drag, forces, springs, spirals and turbulence.
#include "desktop/scene/entity/part_node.h"

#include <algorithm>
#include <cmath>

#include "desktop/scene/entity/part_sys.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/math_tables.h"
#include "desktop/scene/object/random_generator.h"
#include "desktop/scene/world/world.h"

namespace lumivane {

namespace {

// The catch-up of a respawned spiralling particle moves in steps of this
// much time, and in no more steps than the cap (a long life would otherwise
// cost thousands of steps at once).
constexpr float kSpiralStep = 0.1f;
constexpr int kMaxSpiralSteps = 32;
// A slowed emission waits at most this many lives between births.
constexpr float kMaxEmissionWait = 1000.0f;
constexpr int kMaxQuadIndices = 16383; // particles whose corners 16-bit indices reach

Vec3 Axis(int axis) {
    Vec3 v;
    (&v.x)[axis] = 1.0f;
    return v;
}

// The turn of a vector about Y by the angle whose cosine and sine are given.
Vec3 TurnAboutY(const Vec3& v, float c, float s) {
    return {v.x * c + v.z * s, v.y, -v.x * s + v.z * c};
}

} // namespace

PartNode::PartNode() {
    classId = uint8_t(ClassId::PartNode);
    textureLevel = kParticleTextureLevel;
    transparent = 1;
    lastUpdate = GetSceneClock().gameTime;
}

PartNode::PartNode(const PartNode& other) : GeoNode(other) {
    owner = other.owner;
    lastUpdate = GetSceneClock().gameTime;
}

Node* PartNode::Clone() {
    auto* copy = new PartNode(*this);
    copy->InitClone(this);
    copy->textureLevel = kParticleTextureLevel;
    return copy;
}

// --- Deletion -----------------------------------------------------------------

void PartNode::Update() {
    if (!owner || !owner->HasPartSysBlock()) return;
    World* world = GetWorld();
    if (!world || world->IsQueuedForRemoval(owner)) return;
    const PartSysPropFields& f = PartSysFields();
    const PropBlock& props = *owner->props;
    const bool held = owner->runsWithoutOwner || owner->LivingOwner();
    if (props.Flag(f.deleteImmediately) && !held) {
        world->QueueRemove(owner, nullptr, false);
        return;
    }
    const bool stays =
        (held && !props.Flag(f.autoDelete)) || (!owner->oneShot && held && owner->Emitting());
    if (stays) return;
    const float rate = props.Float(f.timeScale) * owner->timeFactor * owner->fadeFactor;
    const float step = rate * GetSceneClock().frameTime;
    if (std::isfinite(step) && step > 0.0f) owner->deleteTimer += step;
    if (owner->deleteTimer >= owner->lifespan + owner->lifespanSpread)
        world->QueueRemove(owner, nullptr, false);
}

// --- Rebuild ------------------------------------------------------------------

void PartNode::Rebuild(bool fromZero) {
    if (!owner) return;
    const int count = std::clamp(owner->count, 0, kMaxParticles);
    if (fromZero) initialised = 0;
    particles.resize(size_t(count));
    initialised = std::clamp(initialised, 0, count);
    const int quads = std::min(count, kMaxQuadIndices);
    quadIndices.resize(size_t(quads) * 6);
    for (int p = 0; p < quads; ++p) {
        const uint16_t first = uint16_t(4 * p);
        const uint16_t corners[6] = {first,
                                     uint16_t(first + 1),
                                     uint16_t(first + 2),
                                     uint16_t(first + 1),
                                     uint16_t(first + 2),
                                     uint16_t(first + 3)};
        std::copy(corners, corners + 6, quadIndices.begin() + p * 6);
    }
    const bool spreadOut =
        owner->HasPartSysBlock() && owner->props->Flag(PartSysFields().startSpreadOut);
    RandomGenerator& random = MainRandom();
    for (int i = initialised; i < count; ++i) {
        Particle& p = particles[size_t(i)];
        p = Particle();
        p.lifetime = owner->lifespan - owner->lifespanSpread +
                     2.0f * owner->lifespanSpread * random.NextUnit();
        p.age = float(i) / float(count) * p.lifetime;
        if (spreadOut) p.age += p.lifetime;
        if (!owner->Emitting()) p.state = kParticleAlive; // at the origin, of no size
    }
    initialised = count;
}

// --- Simulation ---------------------------------------------------------------

void PartNode::Update(ParticleCanvas& canvas) {
    Simulate();
    Draw(canvas);
}

bool PartNode::Simulate() {
    const SceneClock& clock = GetSceneClock();
    if (lastFrame == clock.frame) return false;
    lastFrame = clock.frame;
    const int32_t elapsed = int32_t(clock.gameTime - lastUpdate);
    lastUpdate = clock.gameTime;
    if (!owner || !owner->HasPartSysBlock()) return true;
    const PartSysPropFields& f = PartSysFields();
    const PropBlock& props = *owner->props;

    const bool emitting = !owner->oneShot && (owner->runsWithoutOwner || owner->LivingOwner()) &&
                          owner->Emitting() && owner->rateScale > 0.0f;
    // However late the frame, the particles move on by at most a step's worth.
    float dt = float(std::max(elapsed, 0)) * props.Float(f.timeScale) * owner->timeFactor *
               owner->fadeFactor * 0.001f;
    dt = std::isfinite(dt) ? std::clamp(dt, 0.0f, kMaxParticleStep) : 0.0f;

    const float damping = std::pow(1.0f - owner->drag, dt);
    const Vec3 forceStep =
        Vec3(props.Float(f.force[0]), props.Float(f.force[1]), props.Float(f.force[2])) * dt;
    const float spiral = props.Float(f.spiralAmount);
    const float spiralCos = spiral != 0.0f ? TableCos(dt * spiral) : 1.0f;
    const float spiralSin = spiral != 0.0f ? TableSin(dt * spiral) : 0.0f;
    const bool spaceEvenly = props.Flag(f.spaceEvenly);

    for (size_t i = 0; i < particles.size(); ++i) {
        Particle& p = particles[i];
        if (p.state == kParticleAlive || emitting) p.age += dt;
        if (p.age >= p.lifetime) {
            const float rate = owner->rateScale;
            if (emitting && p.state == kParticleAlive && rate < 1.0f) {
                // A slowed emission: the particle waits before its next life.
                const float wait = std::min(1.0f / rate - 1.0f, kMaxEmissionWait);
                p.state = kParticleWaiting;
                p.age = p.lifetime - wait * p.lifetime;
            } else if (emitting || p.state == kParticleWaiting) {
                const float carried =
                    spaceEvenly && p.lifetime > 0.0f ? std::fmod(p.age, p.lifetime) : 0.0f;
                Spawn(int(i), carried);
                p.age = carried;
                if (carried > 0.0f) CarryOver(p, int(i), carried);
            } else {
                p.size = 0.0f;
                p.opacity = 0.0f;
            }
        }
        if (p.state == kParticleAlive)
            Move(p, int(i), dt, damping, forceStep, spiralCos, spiralSin);
    }
    return true;
}

void PartNode::CarryOver(Particle& p, int index, float carried) {
    (void)index;
    const float spiral = owner->props->Float(PartSysFields().spiralAmount);
    if (spiral != 0.0f) {
        const int steps = std::clamp(int(std::ceil(carried / kSpiralStep)), 1, kMaxSpiralSteps);
        const float step = carried / float(steps);
        const float c = TableCos(step * spiral), s = TableSin(step * spiral);
        for (int k = 0; k < steps; ++k) {
            p.velocity = TurnAboutY(p.velocity, c, s);
            p.position += p.velocity * step;
        }
    } else if (!owner->DropMode()) {
        p.position += p.velocity * carried;
    }
    p.spinAngle += p.spinRate * carried;
    p.size += p.grow * carried;
}

void PartNode::Move(Particle& p, int index, float dt, float damping, const Vec3& forceStep,
                    float spiralCos, float spiralSin) {
    const PartSysPropFields& f = PartSysFields();
    const PropBlock& props = *owner->props;
    p.velocity = TurnAboutY(p.velocity, spiralCos, spiralSin);
    for (int axis = 0; axis < 3; ++axis) {
        const float spring = props.Float(f.spring[axis]);
        const float spiral = props.Float(f.spiral[axis]);
        if (spring == 0.0f && spiral == 0.0f) continue;
        Vec3 offset = p.position;
        (&offset.x)[axis] = 0.0f;
        const float d = offset.Length();
        if (!(d > 0.001f)) continue;
        p.velocity = p.velocity - offset * (spring * dt);
        p.velocity += Vec3::Cross(offset * (1.0f / d), Axis(axis)) * (spiral * dt);
    }
    for (int axis = 0; axis < 3; ++axis) {
        const float amount = props.Float(f.turbulenceAmount[axis]);
        if (amount == 0.0f) continue;
        const float wave =
            std::sin(props.Float(f.turbulenceFrequency[axis]) * p.age + float(index));
        (&p.position.x)[axis] += dt * amount * wave;
    }
    p.velocity = p.velocity * damping;
    p.velocity += forceStep;
    p.position += p.velocity * dt;
    p.spinAngle += p.spinRate * dt;
    p.size += p.grow * dt;
}

} // namespace lumivane
