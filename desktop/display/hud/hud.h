// Hud: the head-up display over the rendered scene. A flat tray halo under
// every listed ship, a health bar with bay pips and a turning crosshair on
// highlighted units, height bars down to the ground plane and the squad
// numbers over the local player's squad leaders; faded in and out as a
// whole. Its geometry goes to an OverlayCanvas in batches of the halo sheet.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "desktop/scene/command/overlay_canvas.h"
#include "desktop/scene/object/geo_node.h"

namespace lumivane {

class Entity;
class OverlayState;
struct OverlayExtent;
class ScriptConfig;
class TextureSet;

// The most vertices one batch holds, and the room below which a new one
// begins.
inline constexpr int kHudBatchVertices = 10000;
inline constexpr int kHudBatchReserve = 40;

// Cells of the 4 x 4 halo sheet.
inline constexpr int kTrayCell = 8;      // a 2 x 2 block: cells 8, 9, 12, 13
inline constexpr int kHealthBarCell = 4; // a strip over cells 4 and 5
inline constexpr int kBayPipCell = 6;    // 1..4 units; cell 7 holds 5..8
inline constexpr int kCrosshairCell = 15;

inline constexpr uint32_t kHealthFull = 0x00C000;
inline constexpr uint32_t kHealthHalf = 0xFFFF00;
inline constexpr uint32_t kHealthLow = 0xFF4040;

// The overlay nodes of the hover label.
inline constexpr const char* kHoverName = "hilighted name";
inline constexpr const char* kHoverNameShadow = "hilighted name shadow";

struct HudSettings {
    TextureSet* halo = nullptr;
    TextureSet* squadNumbers = nullptr;
    TextureSet* heightBar = nullptr;
    float haloSize = 0.01f;
    float haloGrowTime = 0.5f;
    float squadIconSize = 0.04f;
    float crosshairSize = 0.2f;
    float crosshairMinSize = 0.01f;
    float crosshairSpeed = 2.0f;
    float crosshairGrowTime = 1.0f;
    float crosshairGrowSize = 3.0f;
    float crosshairDieTime = 1.0f;
};

// Quads of one texture gathered into indexed triangle lists.
class HudBatch {
public:
    HudBatch(OverlayCanvas& canvas, TextureSet* texture) : canvas(canvas), texture(texture) {}
    ~HudBatch() { Flush(); }
    HudBatch(const HudBatch&) = delete;
    HudBatch& operator=(const HudBatch&) = delete;
    void AddQuad(const Vertex (&corners)[4]);
    void Flush();

private:
    OverlayCanvas& canvas;
    TextureSet* texture;
    std::vector<Vertex> vertices;
    std::vector<uint16_t> indices;
};

class Hud {
public:
    void LoadSettings(const ScriptConfig& config);
    // Shows or hides, fading over "halogrowtime" when asked; answers
    // `visible`.
    bool SetVisible(bool visible, bool fade);
    void UpdateFade(float frameTime);

    // Trays, health bars, bay pips and crosshairs of the halo list.
    void DrawUnitOverlays(OverlayCanvas& canvas, std::span<Entity* const> units);
    void DrawHeightBars(OverlayCanvas& canvas, std::span<Entity* const> units);
    void DrawSquadNumbers(OverlayCanvas& canvas);
    // The label of the one unit under the mouse, made again in the overlay
    // node (placed in shares of the overlay view's extent); gone when there
    // is none.
    void ShowHoverName(OverlayState& overlay, const OverlayExtent& extent);
    // Maps texture coordinates given in one cell's 0..1 square (0..2 for a
    // 2 x 2 block) into cell `cell` of the sheet.
    static void SelectCell(std::span<Vertex> vertices, int cell);
    // What the command interface's drawing takes from the display.
    OverlayLook Look() const { return {hudOn != 0, alpha, false, settings.heightBar}; }

    HudSettings settings;
    int hudOn = 1;
    float alpha = 1.0f;
    int fadingIn = 0;
    int fadingOut = 0;

private:
    void DrawTray(HudBatch& batch, const Entity& unit, float r, uint32_t clock);
    void DrawHealthBar(HudBatch& batch, const Entity& unit, float r);
    void DrawCrosshair(HudBatch& batch, Entity& unit, float r, uint32_t clock);
};

Hud& GetHud();

// A value of the unit's class properties, or `fallback` when its class has
// none (or holds no number).
float UnitValue(const Entity& unit, const char* name, float fallback);
// The player colour of a ship with an owner (RGB), else white.
uint32_t UnitColour(const Entity& unit);

} // namespace lumivane
