// LightNode: a light placed in a model by its local matrix. Its twenty values
// are loaded, saved and cloned as a unit; how they light the scene is the
// display's business.
#pragma once

#include <cstdint>

#include "desktop/scene/object/trans_node.h"
#include "desktop/scene/object/vec3.h"

namespace lumivane {

struct LightValues {
    int32_t kind = 1;
    float range = 50.0f;
    float falloff = 0.0f;
    Vec3 diffuse{1, 1, 1};
    int32_t enabled = 1;
    Vec3 ambient{0, 0, 0};
    Vec3 specular{1, 1, 1};
    Vec3 direction{0, 0, 0};
    int32_t flags = 0;
    Vec3 attenuation{0, 0, 0};
};

class LightNode : public TransNode {
public:
    LightNode();

    int Save(platform::BinaryWriter& file, ObjectTable& table) override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    Node* Clone() override;
    void Transform(TransformState state) override;

    LightValues light;

protected:
    LightNode(const LightNode& other) = default;
};

} // namespace lumivane
