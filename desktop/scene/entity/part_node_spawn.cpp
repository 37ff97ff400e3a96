// PartNode::Spawn: a particle's new life. Where it appears (beside another
// particle, on a sphere shell, a ring or a cap), how it moves off, how long
// it lives, how big and how opaque it is; reversed particles run back into
// the emitter, and in drop mode the particle is let go in world space along
// the emitter's path within the frame.
#include <algorithm>
#include <cmath>

#include "desktop/scene/entity/part_node.h"
#include "desktop/scene/entity/part_sys.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/math_tables.h"
#include "desktop/scene/object/random_generator.h"

namespace lumivane {

namespace {

// Cone angles and height spreads above these (a degree short of the whole
// sphere and of the pole) count as the whole sphere.
constexpr float kWholeCone = 3.1241395f;
constexpr float kWholeHeight = 1.553343f;
constexpr float kTwoPi = 2.0f * kPi;

float Unit() {
    return MainRandom().NextUnit();
}

// v - s + 2 s r: a value within s either side of v.
float Around(float value, float spread) {
    return value - spread + 2.0f * spread * Unit();
}

// Turns as the rotation matrices of row vectors do, through the cosine table.
Vec3 TurnAboutX(const Vec3& v, float angle) {
    const float c = TableCos(angle), s = TableSin(angle);
    return {v.x, v.y * c - v.z * s, v.y * s + v.z * c};
}

Vec3 TurnAboutY(const Vec3& v, float angle) {
    const float c = TableCos(angle), s = TableSin(angle);
    return {v.x * c + v.z * s, v.y, -v.x * s + v.z * c};
}

Vec3 TurnAboutZ(const Vec3& v, float angle) {
    const float c = TableCos(angle), s = TableSin(angle);
    return {v.x * c - v.y * s, v.x * s + v.y * c, v.z};
}

Matrix Blend(const Matrix& a, const Matrix& b, float t) {
    Matrix m;
    for (int e = 0; e < 16; ++e)
        m.m[e] = a.m[e] * (1.0f - t) + b.m[e] * t;
    return m;
}

} // namespace

Vec3 PartNode::SpawnPosition(int index, Vec3& direction) {
    const int count = int(particles.size());
    const float clumping = owner->props->Float(PartSysFields().clumpingPercent);
    if (Unit() < clumping && count > 1) {
        int other = int(MainRandom().Next() % uint32_t(count - 1));
        if (other >= index) ++other;
        const Vec3 at = particles[size_t(other)].position;
        direction = at;
        direction.Normalize();
        return at;
    }
    const float radius = Around(owner->spawnRadius, owner->spawnRadiusSpread);
    if (owner->coneAngle > kWholeCone) {
        if (owner->spawnHeightSpread > kWholeHeight) {
            direction = RandomUnitVector();
        } else {
            // A ring about Y, its particles evenly round it.
            const float tilt = Around(0.0f, owner->spawnHeightSpread);
            direction = TurnAboutY(TurnAboutX(Vec3(0, 0, 1), tilt),
                                   kTwoPi * float(index) / float(std::max(count, 1)));
        }
    } else {
        // A cap about Z.
        const float tilt = owner->coneAngle * Unit();
        direction = TurnAboutZ(TurnAboutY(Vec3(0, 0, 1), tilt), kTwoPi * Unit());
    }
    return direction * radius;
}

Vec3 PartNode::SpawnVelocity(const Vec3& direction, float& speed) {
    const PartSysPropFields& f = PartSysFields();
    const PropBlock& props = *owner->props;
    speed = Around(owner->speed, owner->speedSpread) * owner->speedScale;
    Vec3 heading;
    if (props.Flag(f.spherical)) {
        // Along the sphere's surface at the spawn point.
        heading = RandomUnitVector();
        heading = heading - direction * Vec3::Dot(heading, direction);
        heading.Normalize();
    } else if (owner->coneAngle > kWholeCone) {
        const float heightSpread = props.Float(f.velocityHeightSpread);
        if (heightSpread > kWholeHeight) {
            heading = RandomUnitVector();
        } else {
            const float tilt = Around(0.0f, heightSpread);
            heading = TurnAboutY(TurnAboutX(Vec3(0, 0, 1), tilt), kTwoPi * Unit());
        }
    } else {
        const float tilt = owner->coneAngle * Unit();
        heading = TurnAboutZ(TurnAboutY(Vec3(0, 0, 1), tilt), kTwoPi * Unit());
    }
    Vec3 velocity = heading * speed;
    for (int axis = 0; axis < 3; ++axis)
        (&velocity.x)[axis] +=
            Around(props.Float(f.axisVelocity[axis]), props.Float(f.axisVelocitySpread[axis]));
    return velocity;
}

void PartNode::Spawn(int index, float carried) {
    if (!owner || !owner->HasPartSysBlock() || index < 0 || index >= int(particles.size())) return;
    Particle& p = particles[size_t(index)];
    Vec3 direction(0, 0, 1);
    p.position = SpawnPosition(index, direction);
    float speed = 0.0f;
    p.velocity = SpawnVelocity(direction, speed);

    p.lifetime = Around(owner->lifespan, owner->lifespanSpread);
    p.age = 0.0f;
    p.spinAngle = kTwoPi * Unit();
    p.spinRate = Around(owner->spinRate, owner->spinSpread);
    p.size = Around(owner->size, owner->sizeSpread) * owner->sizeScale;
    const float growRandom = Unit();
    p.grow = owner->grow - owner->growSpread + 2.0f * owner->growSpread * growRandom;
    const float smallDeath = owner->props->Float(PartSysFields().smallDeath);
    p.lifetime = std::max(p.lifetime * (1.0f - (1.0f - growRandom) * smallDeath), 0.0f);
    if (!std::isfinite(p.lifetime)) p.lifetime = 0.0f;
    p.opacity = std::clamp(Around(owner->opacity, owner->opacitySpread), 0.0f, 1.0f);

    if (owner->reverse) {
        // Runs backwards into the emitter.
        p.position += p.velocity * p.lifetime;
        p.velocity = p.velocity * -1.0f;
        p.size += p.grow * p.lifetime;
        p.grow = -p.grow;
        p.spinRate = -p.spinRate;
    }
    if (owner->DropMode()) ReleaseInDropMode(p, speed, carried);
    p.state = kParticleAlive;
}

void PartNode::ReleaseInDropMode(Particle& p, float speed, float carried) {
    Matrix emitter = owner->emitterMatrix;
    const float frameTime = GetSceneClock().frameTime;
    if (owner->movedFrames > 1 && frameTime > 0.0f) {
        // Born `carried` ago: where the emitter was then, within the frame.
        const float t = std::clamp(carried / frameTime, 0.0f, 1.0f);
        emitter = Blend(owner->emitterMatrix, owner->previousMatrix, t);
    }
    emitter.TransformPoint(p.position);
    Vec3 axis(0, 0, 1);
    emitter.TransformVector(axis);
    axis.Normalize();
    p.emission = axis;
    const float dropVelocity = owner->props->Float(PartSysFields().dropVelocity);
    p.velocity = axis * speed + owner->emitterVelocity * dropVelocity;
    p.size *= owner->sizeFactor;
}

} // namespace lumivane
