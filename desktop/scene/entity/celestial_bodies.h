// The bodies of a scene's scenery: suns, planets, moons and asteroids. Their
// record is the Entity record; each differs from Entity only in what a
// collision does to it or to what hit it.
#pragma once

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/class_table.h"

namespace lumivane {

// Whatever touches a sun is destroyed; the sun itself bounces nothing.
class Sun : public Entity {
public:
    Sun();
    Node* Clone() override;
    void OnCollision(Entity* other, const Vec3& normal) override;

protected:
    Sun(const Sun& other) = default;
};

// A body that what hits it does not move: planets and moons.
template <uint8_t Number> class FirmBody : public Entity {
public:
    FirmBody() { classId = Number; }
    Node* Clone() override {
        auto* copy = new FirmBody(*this);
        copy->InitClone(this);
        return copy;
    }
    void OnCollision(Entity*, const Vec3&) override {}

protected:
    FirmBody(const FirmBody& other) = default;
};

using Planet = FirmBody<uint8_t(ClassId::Planet)>;
using Moon = FirmBody<uint8_t(ClassId::Moon)>;

// Asteroids bounce off each other and most things, but pods and a few unit
// kinds pass through them.
class Asteroid : public Entity {
public:
    Asteroid();
    Node* Clone() override;
    void OnCollision(Entity* other, const Vec3& normal) override;

protected:
    Asteroid(const Asteroid& other) = default;
};

} // namespace lumivane
