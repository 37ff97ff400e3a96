// Suns and asteroids: cloning and collisions.
#include "desktop/scene/entity/celestial_bodies.h"

namespace lumivane {

namespace {

constexpr float kSunDamage = 999999.0f;
// Unit kinds an asteroid lets through besides the utility pod.
constexpr int kPassThroughClasses[] = {81, 120};

template <class T> Node* CloneOf(const T& original, T* copy) {
    copy->InitClone(const_cast<T*>(&original));
    return copy;
}

} // namespace

Sun::Sun() {
    classId = uint8_t(ClassId::Sun);
}

Node* Sun::Clone() {
    return CloneOf(*this, new Sun(*this));
}

void Sun::OnCollision(Entity* other, const Vec3&) {
    if (other) other->TakeDamage(kSunDamage);
}

Asteroid::Asteroid() {
    classId = uint8_t(ClassId::Asteroid);
}

Node* Asteroid::Clone() {
    return CloneOf(*this, new Asteroid(*this));
}

void Asteroid::OnCollision(Entity* other, const Vec3& normal) {
    bool passes = IsA(other, ClassId::UtilityPod);
    for (int kind : kPassThroughClasses)
        passes = passes || IsA(other, kind);
    if (IsA(other, ClassId::Asteroid) || !passes) Entity::OnCollision(other, normal);
}

} // namespace lumivane
