// Light: a scene light the display feeds to the renderer. It stands alone or
// hangs on a unit as a spawned part. It is exactly one of point,
// directional or spot light; its diffuse and ambient colours are kept both as
// three floats and as a colour word, and flicker by their own amounts and
// speeds. A "Global" light lights the whole scene through the world's light
// list; others light only the entity they belong to.
#pragma once

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/class_table.h"

namespace lumivane {

// The Light table (Entity's, then the light's values).
const PropDesc* LightPropDescs();

struct LightPropFields {
    size_t on, point, directional, spotlight, range, falloff, global, castBumps;
    size_t diffuse[3], diffuseColour, diffuseFlickerAmount, diffuseFlickerSpeed;
    size_t ambient[3], ambientColour, ambientFlickerAmount, ambientFlickerSpeed;
    size_t specular, saturation, innerCone, outerCone;
};
const LightPropFields& LightFields();

class Light : public Entity {
public:
    Light();
    Node* Clone() override;
    const PropDesc* GetPropDescs() const override;
    // Entity's block with a light's own defaults.
    void CreateProps() override;
    void PropChanged(int32_t field) override;
    void ApplyProps(int32_t field) override;
    void Update() override;

    // The colours this frame (flicker applied), red, green, blue.
    Vec3 diffuse{1.0f, 1.0f, 1.0f};
    Vec3 ambient;
    float diffusePhase = 0.0f;
    float ambientPhase = 0.0f;
    // Cleared for a light spawned as a part: it goes with its owner.
    int32_t freeStanding = 1;

protected:
    Light(const Light& other) = default;

private:
    bool HasLightBlock() const;
    void KeepOneType(int32_t field);
    void KeepColoursInStep(int32_t field);
};

inline Light* AsLight(Entity* entity) {
    return IsA(entity, ClassId::Light) ? static_cast<Light*>(entity) : nullptr;
}

} // namespace lumivane
