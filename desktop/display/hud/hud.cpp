// The head-up display's settings, visibility and fade, the cell mapping of
// its halo sheet and the batches its quads are drawn in.
#include "desktop/display/hud/hud.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/script_config.h"

namespace lumivane {

namespace {

constexpr char kTextureDirectory[] = "models\\textures\\";

TextureSet* LoadHudTexture(const ScriptBlock* block, const char* key, int32_t forceNew) {
    std::string name;
    if (block) block->GetString(key, name);
    TextureSource* source = GetTextureSource();
    // A missing key asks for the bare folder, which gives no texture.
    return source ? source->GetTexture(std::string(kTextureDirectory) + name, "Halo", 1, forceNew)
                  : nullptr;
}

void ReadSetting(const ScriptBlock* block, const char* key, float& value) {
    if (!block) return;
    const int at = block->FindKey(key);
    if (at < 0 || block->entries[size_t(at)].text) return;
    const float read = block->entries[size_t(at)].values[0];
    if (std::isfinite(read)) value = read;
}

} // namespace

void HudBatch::AddQuad(const Vertex (&corners)[4]) {
    if (int(vertices.size()) > kHudBatchVertices - kHudBatchReserve) Flush();
    const auto first = uint16_t(vertices.size());
    vertices.insert(vertices.end(), std::begin(corners), std::end(corners));
    for (int i : {0, 1, 2, 0, 2, 3})
        indices.push_back(uint16_t(first + i));
}

void HudBatch::Flush() {
    if (!vertices.empty()) canvas.Triangles(vertices, indices, texture, 0);
    vertices.clear();
    indices.clear();
}

void Hud::LoadSettings(const ScriptConfig& config) {
    const ScriptBlock* block = config.FindBlock("Game", "settings");
    settings.halo = LoadHudTexture(block, "halotex", 1);
    settings.squadNumbers = LoadHudTexture(block, "squadnumtex", 0);
    settings.heightBar = LoadHudTexture(block, "heightbartex", 0);
    ReadSetting(block, "halosize", settings.haloSize);
    ReadSetting(block, "halogrowtime", settings.haloGrowTime);
    ReadSetting(block, "squadiconsize", settings.squadIconSize);
    ReadSetting(block, "crosshairsize", settings.crosshairSize);
    ReadSetting(block, "crosshairminsize", settings.crosshairMinSize);
    ReadSetting(block, "crosshairspeed", settings.crosshairSpeed);
    ReadSetting(block, "crosshairgrowtime", settings.crosshairGrowTime);
    ReadSetting(block, "crosshairgrowsize", settings.crosshairGrowSize);
    ReadSetting(block, "crosshairdietime", settings.crosshairDieTime);
}

bool Hud::SetVisible(bool visible, bool fade) {
    if (fade) {
        fadingIn = visible ? 1 : 0;
        fadingOut = visible ? 0 : 1;
        if (visible) hudOn = 1;
    } else {
        hudOn = visible ? 1 : 0;
        alpha = visible ? 1.0f : 0.0f;
        fadingIn = fadingOut = 0;
    }
    return visible;
}

void Hud::UpdateFade(float frameTime) {
    // Without a fade time the change is done at once.
    const float step = settings.haloGrowTime > 0.0f ? frameTime / settings.haloGrowTime : 1.0f;
    if (fadingIn) {
        alpha += step;
        if (!(alpha < 1.0f)) {
            alpha = 1.0f;
            fadingIn = 0;
        }
    } else if (fadingOut) {
        alpha -= step;
        if (!(alpha > 0.0f)) {
            alpha = 0.0f;
            fadingOut = 0;
            hudOn = 0;
        }
    }
}

void Hud::SelectCell(std::span<Vertex> vertices, int cell) {
    const float column = 0.25f * float(cell % 4);
    const float row = 0.25f * float(cell / 4);
    for (Vertex& v : vertices) {
        v.u = v.u2 = 0.25f * v.u + column;
        v.v = v.v2 = 0.25f * v.v + row;
    }
}

Hud& GetHud() {
    static Hud hud;
    return hud;
}

} // namespace lumivane
