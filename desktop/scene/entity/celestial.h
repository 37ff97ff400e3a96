// Celestial: the sky of a scene (its star dome, the "father" node, and the
// bodies drawn with it). It is drawn first, behind everything, never culled
// or picked, and does no physics: it travels with the camera (a celestial
// named "mother" instead stands at the origin at its own scale), asks the
// display for its textures every frame, and brightens and tiles its star
// texture by the screen's width.
#pragma once

#include "desktop/scene/entity/entity.h"

namespace lumivane {

class Celestial : public Entity {
public:
    Celestial();
    Node* Clone() override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    void InitClone(Node* source) override;
    void Update() override;
    void Animate(Entity* entity) override;
    void NodeCallback(GeoNode* node, Vertex* vertices) override;

    // Every GeoNode's drawing settings, its own vertices and the unbounded
    // radius; done on loading and cloning (and by whoever builds a sky).
    void PrepareSky();

    // By how much the star texture is brightened and tiled.
    float starFactor = 0.0f;

protected:
    Celestial(const Celestial& other) = default;
};

} // namespace lumivane
