// OrbitLines and Grid construction and their shared textures.
#include "desktop/scene/object/orbit_lines.h"

#include <cmath>
#include <string>

#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/script_config.h"

namespace lumivane {

namespace {

TextureSet* LoadSettingsTexture(const ScriptConfig& config, const char* key, const char* group) {
    TextureSource* source = GetTextureSource();
    const ScriptBlock* settings = config.FindBlock("Game", "settings");
    std::string name;
    if (!source || !settings || !settings->GetString(key, name)) return nullptr;
    return source->GetTexture("models\\textures\\" + name, group, 1, 0);
}

// Both are drawn as see-through, two-sided, unlit lines at full brightness.
void SetLineDrawing(GeoNode& node) {
    node.indexed = 1;
    node.transparent = 1;
    node.blendMode = 1;
    node.depthTest = 1;
    node.twoSided = 1;
    node.lighting = 0;
    node.displayOption24 = 0;
    node.brightness = 1.0f;
}

} // namespace

TextureSet* OrbitLines::sharedTexture = nullptr;
TextureSet* Grid::sharedTexture = nullptr;

OrbitLines::OrbitLines() {
    classId = uint8_t(ClassId::OrbitLines);
    SetLineDrawing(*this);
    texture = sharedTexture;
    depthWrite = 0;
}

void OrbitLines::LoadTexture(const ScriptConfig& config) {
    sharedTexture = LoadSettingsTexture(config, "orbitlinestex", "OrbitLines");
}

Grid::Grid(float sceneRadius) {
    classId = uint8_t(ClassId::Grid);
    double cells = std::trunc(double(sceneRadius) * 2.0 * 0.2);
    // The index list is 16-bit and counted in a 16-bit field.
    int n = cells > 0.0 ? int(std::fmin(cells, double(kMaxVertices / 12))) : 0;
    vertexCount = 8 * n;
    indexCount = 12 * n;
    vertices = std::make_shared<std::vector<Vertex>>(size_t(vertexCount));
    indices = std::make_shared<std::vector<uint16_t>>(size_t(indexCount));
    SetLineDrawing(*this);
    if (GetDisplaySwitches().gridTexture) texture = sharedTexture;
    depthWrite = 1;
    fixedTextureLevel = 1;
    textureLevel = 6;
}

void Grid::LoadTexture(const ScriptConfig& config) {
    sharedTexture = LoadSettingsTexture(config, "gridtex", "Grid");
}

} // namespace lumivane
