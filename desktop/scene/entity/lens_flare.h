// LensFlare: up to ten flare sprites drawn in screen space along the line
// from a light source (the entity it hangs on, or itself) through the centre
// of the screen. Their brightness oscillates and falls with distance, fades
// as the source nears the screen's edge (gone past it), and dims while a
// planet, moon or asteroid passes in front of the source.
#pragma once

#include <cstdint>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/class_table.h"

namespace lumivane {

inline constexpr int kFlareCount = 10;
inline constexpr int kFlareTypes = 17; // sprites "lensflare1".."lensflare17"

// The LensFlare table (Entity's, then the oscillation and ten flares).
const PropDesc* LensFlarePropDescs();

struct FlareFields {
    size_t on, type, position, size, opacity;
};
struct LensFlarePropFields {
    size_t amplitude, frequency, distanceAttenuation;
    FlareFields flare[kFlareCount];
};
const LensFlarePropFields& LensFlareFields();

// How bright the flares are (0..1) from the camera and the scene's bodies.
struct FlareLight {
    float oscillation = 1.0f; // with the distance attenuation
    float edge = 1.0f;
    float occlusion = 1.0f;
    float total = 1.0f;
};

class LensFlare : public Entity {
public:
    LensFlare();
    // Takes its sprites out of the display's overlay node.
    ~LensFlare() override;
    Node* Clone() override;
    const PropDesc* GetPropDescs() const override;
    // Entity's block with a flare's own defaults.
    void CreateProps() override;
    void Update() override;
    // Measures the light and places, sizes and fades the sprites.
    void Animate(Entity* entity) override;

    // The light of the last Animate.
    const FlareLight& Light() const { return light; }
    Entity* Sprite(int flare) const { return sprites[flare].sprite; }

private:
    struct FlareSprite {
        Entity* sprite = nullptr; // held; a child of the overlay node
        int32_t type = -1;        // the type it was made for
    };

    LensFlare(const LensFlare& other) : Entity(other) {}
    bool HasFlareBlock() const;
    FlareLight MeasureLight(const Entity& source, bool ownSource) const;
    void DropSprite(int flare);
    void PlaceSprites(const Vec3& screen);

    FlareSprite sprites[kFlareCount];
    FlareLight light;
};

} // namespace lumivane
