// JTLight: a light entity aimed at the world origin.
#include "Jentra/JTLight.h"

#include <algorithm>
#include <cmath>

JT_CLASS_IMPL(JTLight)

float AngleBetween(const JTVec3& a, const JTVec3& b) {
    float lengths = a.Length() * b.Length();
    if (lengths == 0.0f) return 0.0f;
    return std::acos(std::clamp(JTVec3Dot(a, b) / lengths, -1.0f, 1.0f));
}

JTQuat RotationBetween(const JTVec3& a, const JTVec3& b) {
    JTVec3 axis = JTVec3Cross(a, b);
    if (axis.Length() < 0.000001f)
        axis = JTVec3(0.0f, 1.0f, 0.0f);
    else
        axis = JTVec3Normalize(axis);
    return JTQuaternionRotationAxis(axis, AngleBetween(a, b));
}

JTLight::JTLight() {
    pickable = 0;
}

void JTLight::Update(JTSequencer* sequencer) {
    JTEntity::Update(sequencer);
    light.position = pos;
    // A light at the origin has no direction towards it; it keeps the one
    // it had.
    if (pos.Length() == 0.0f) return;
    JTVec3 d = JTVec3Normalize(-pos);
    rot = RotationBetween(JTVec3(0.0f, 0.0f, 1.0f), d);
    light.direction = d;
}
