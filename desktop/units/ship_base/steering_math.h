// Small pieces the steering code shares: turning vectors into and out of a
// unit's frame, a random direction from the shared generator, and the
// moving frame in which a unit flies relative to another entity.
#pragma once

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/vec3.h"

namespace lumivane {

// The vector as the unit sees it (its inverse orientation applied).
inline Vec3 ToLocal(const Quat& orientation, Vec3 v) {
    Quat inverse(-orientation.x, -orientation.y, -orientation.z, orientation.w);
    inverse.RotateVector(v);
    return v;
}

inline Vec3 ToWorld(const Quat& orientation, Vec3 v) {
    orientation.RotateVector(v);
    return v;
}

// The unit vector toward `to`, or the zero vector when the points meet.
inline Vec3 DirectionTo(const Vec3& from, const Vec3& to) {
    Vec3 d = to - from;
    const float length = d.Length();
    return length > 0.0f ? d * (1.0f / length) : Vec3();
}

// Flying relative to a moving entity: its velocity is taken from the unit's
// while the controller runs and given back afterwards.
class MovingFrame {
public:
    MovingFrame(Entity& unit, const Vec3& frameVelocity) : unit_(unit), velocity_(frameVelocity) {
        unit_.velocity = unit_.velocity - velocity_;
    }
    MovingFrame(Entity& unit, const Entity* frame)
        : MovingFrame(unit, frame ? frame->velocity : Vec3()) {}
    ~MovingFrame() { unit_.velocity += velocity_; }
    MovingFrame(const MovingFrame&) = delete;
    MovingFrame& operator=(const MovingFrame&) = delete;

private:
    Entity& unit_;
    Vec3 velocity_;
};

} // namespace lumivane
