// Debris: a piece of a destroyed model. The entity's explosion breaks a
// model into pieces that tumble away; each bursts in its explosion colour
// a quarter second before its life ends and is then removed.
#pragma once

#include <cstdint>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/class_table.h"

namespace lumivane {

class Debris : public Entity {
public:
    static constexpr float kBurstAt = 0.25f; // seconds of life left

    Debris();
    Node* Clone() override;
    void Update() override;
    // The explosion of its colour where it is.
    Entity* Explode() override;

    float remainingLife = 0.0f; // seconds
    int32_t colourCode = 0;     // 2 red, 3 blue, else yellow

protected:
    Debris(const Debris& other) = default;
};

} // namespace lumivane
