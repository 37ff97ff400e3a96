// OrbitLines and Grid: GeoNodes their owners build directly (the orbit
// rings of celestial bodies, the scene's reference grid), drawn see-through
// and unlit with program-wide textures loaded once at start-up. They animate
// nothing and clone as plain GeoNodes of their class.
#pragma once

#include "desktop/scene/object/geo_node.h"

namespace lumivane {

class ScriptConfig;

class OrbitLines : public GeoNode {
public:
    OrbitLines();
    void Animate(Entity*) override {}

    // "models\textures\" + the "orbitlinestex" text of Game/settings.
    static void LoadTexture(const ScriptConfig& config);
    static TextureSet* sharedTexture;
};

class Grid : public GeoNode {
public:
    // n = trunc(sceneRadius x 0.4) cells: 8n vertices and 12n indices.
    explicit Grid(float sceneRadius = 0.0f);
    void Animate(Entity*) override {}

    // "models\textures\" + the "gridtex" text of Game/settings.
    static void LoadTexture(const ScriptConfig& config);
    static TextureSet* sharedTexture;
};

} // namespace lumivane
