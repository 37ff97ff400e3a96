// JTLight: an entity that holds one light record for the device and keeps
// it aimed from its position at the world origin.
#pragma once

#include "Jentra/JTEntity.h"

struct JTColorValue {
    float r, g, b, a;
};

// The device's light record: kind, colours, placement, range and falloff.
struct JTLightRecord {
    enum Type : int { POINT = 1, SPOT = 2, DIRECTIONAL = 3 };
    int type;
    JTColorValue diffuse;
    JTColorValue specular;
    JTColorValue ambient;
    JTVec3 position;
    JTVec3 direction;
    float range;
    float falloff;
    float attenuation0;
    float attenuation1;
    float attenuation2;
    float theta;
    float phi;
};

class JTLight : public JTEntity {
    JT_CLASS(JTLight, JTEntity)
public:
    // A light is never hit by the cursor.
    JTLight();
    JTLight(const JTLight&) = default;
    JTLight& operator=(const JTLight&) = default;

    void Update(JTSequencer* sequencer) override;

    JTLightRecord& GetLight() { return light; }

private:
    JTLightRecord light{};
};

// The rotation that turns a onto b; about Y by the angle when they are
// (anti)parallel.
JTQuat RotationBetween(const JTVec3& a, const JTVec3& b);
// Angle between two vectors in radians.
float AngleBetween(const JTVec3& a, const JTVec3& b);
