// The head-up display's unit overlays: the tray halo under each ship (pulsing
// while the unit is marked), and on highlighted units the health bar with
// its bay pips and the crosshair that grows in, turns, and swells away.
#include <algorithm>
#include <cmath>

#include "desktop/display/hud/hud.h"
#include "desktop/scene/entity/entity.h"
#include "desktop/scene/entity/unit.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene_services.h"

namespace lumivane {

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kTrayAlpha = 120.0f;
constexpr uint32_t kPulsePeriodMs = 800;
constexpr float kPulseAlpha = 192.0f;
constexpr float kBarAlpha = 128.0f;
constexpr float kCrosshairAlpha = 128.0f;
constexpr int kMaxBay = 8;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kGrey = 0x808080;
constexpr uint32_t kYellow = 0xFFFF00;

uint32_t Colour(uint32_t rgb, float alpha) {
    const float a = std::isfinite(alpha) ? std::clamp(std::round(alpha), 0.0f, 255.0f) : 0.0f;
    return uint32_t(a) << 24 | (rgb & 0xFFFFFF);
}

// Corners in order round the quad, with texture corners (0,0) (w,0) (w,h) (0,h).
void Quad(Vertex (&q)[4], const Vec3& centre, const Vec3& a, const Vec3& b, uint32_t colour,
          float w = 1.0f, float h = 1.0f) {
    const Vec3 points[4] = {centre - a + b, centre + a + b, centre + a - b, centre - a - b};
    const float uv[4][2] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
    for (int i = 0; i < 4; ++i) {
        q[i] = Vertex();
        q[i].position = points[i];
        q[i].colour = colour;
        q[i].u = uv[i][0];
        q[i].v = uv[i][1];
    }
}

} // namespace

float UnitValue(const Entity& unit, const char* name, float fallback) {
    size_t offset = 0;
    if (!unit.props || !PropDesc::Find(unit.props->Table(), name, offset)) return fallback;
    const float value = unit.props->Float(offset);
    return std::isfinite(value) ? value : fallback;
}

uint32_t UnitColour(const Entity& unit) {
    const Unit* ship = AsUnit(&unit);
    return ship && ship->owner ? Player::GetColor(ship->owner) & 0xFFFFFF : kWhite;
}

void Hud::DrawUnitOverlays(OverlayCanvas& canvas, std::span<Entity* const> units) {
    if (!hudOn) return;
    const uint32_t clock = GetSceneClock().realTime;
    const CameraLink* camera = GetCameraLink();
    const Entity* chased = camera ? camera->GetChaseTarget() : nullptr;
    HudBatch batch(canvas, settings.halo);
    for (Entity* unit : units) {
        if (!unit || unit == chased) continue;
        const float r = unit->radius * unit->GetDistanceScale();
        if (!(r > 0.0f) || !std::isfinite(r)) continue; // nothing to size the overlays by
        const bool ship = AsUnit(unit) != nullptr;
        if (ship) DrawTray(batch, *unit, r, clock);
        if (ship && unit->highlighted) DrawHealthBar(batch, *unit, r);
        if (!unit->highlighted && unit->pulsing)
            unit->crosshairActive = 0;
        else if (unit->highlighted || unit->crosshairActive)
            DrawCrosshair(batch, *unit, r, clock);
    }
}

void Hud::DrawTray(HudBatch& batch, const Entity& unit, float r, uint32_t clock) {
    float a = std::round(kHudOpacity * kTrayAlpha);
    if (unit.pulsing) {
        const float t = float(clock % kPulsePeriodMs);
        const float wave = std::sin(t * 2.0f * kPi / float(kPulsePeriodMs));
        a = std::round(((wave + 1.0f) * 0.25f + 0.5f) * kPulseAlpha);
    }
    a = a * alpha * kHudOpacity;
    Vec3 side = Vec3::Cross(unit.GetDir(), {0, 1, 0});
    side = side.Length() < 0.0001f ? Vec3(1, 0, 0) : side.Normalize();
    const Vec3 ahead = Vec3::Cross(side, {0, 1, 0});
    const float half = r * UnitValue(unit, "tray width", 1.0f) * 0.5f;
    const Vec3 centre = unit.position - Vec3(0, r * UnitValue(unit, "tray height", 1.0f), 0);
    Vertex q[4];
    Quad(q, centre, side * half, ahead * half, Colour(UnitColour(unit), a), 2.0f, 2.0f);
    SelectCell(q, kTrayCell);
    batch.AddQuad(q);
}

void Hud::DrawHealthBar(HudBatch& batch, const Entity& unit, float r) {
    const CameraPose camera = CurrentCameraPose();
    const float distance = (unit.position - camera.position).Length();
    const float growth = alpha > 0.5f ? 2.0f * (alpha - 0.5f) : 0.0f;
    const float length = growth * std::max(0.5f, 0.03f * distance / r) * r;
    const Vec3 centre = unit.position + camera.up * (r * UnitValue(unit, "tray offset", 1.0f));

    const float healthMax = unit.PropFloat("health max");
    // A unit without a maximum counts as whole.
    const float share = healthMax > 0.0f ? unit.health / healthMax : 1.0f;
    const float fraction = std::isfinite(share) ? std::clamp(share, 0.0f, 1.0f) : 0.0f;
    const uint32_t rgb = fraction >= 1.0f   ? kHealthFull
                         : fraction >= 0.5f ? kHealthHalf
                                            : kHealthLow;
    const uint32_t colour = Colour(rgb, std::round(kHudOpacity * kBarAlpha));
    const Vec3 across = camera.right * (0.8f * length);
    const Vec3 up = camera.up * (0.2f * length);

    // The frame on the upper half of the strip, the fill on the lower.
    Vertex frame[4];
    Quad(frame, centre, across, up, colour, 2.0f, 0.5f);
    SelectCell(frame, kHealthBarCell);
    batch.AddQuad(frame);
    const float filled = 0.12f + 0.785f * fraction;
    const Vec3 fillCentre = centre - across + across * filled;
    Vertex fill[4];
    Quad(fill, fillCentre, across * filled, up, colour, 2.0f * filled, 0.5f);
    for (Vertex& v : fill)
        v.v += 0.5f;
    SelectCell(fill, kHealthBarCell);
    batch.AddQuad(fill);

    const Unit* ship = AsUnit(&unit);
    if (!ship) return;
    const Vec3 pipCentre = centre - camera.up * (0.25f * length);
    auto pips = [&](int32_t count, uint32_t rgbPips) {
        const int n = std::clamp(count, 0, kMaxBay);
        if (n == 0) return;
        const int band = n > 4 ? n - 4 : n;
        Vertex q[4];
        Quad(q, pipCentre, camera.right * (0.5f * length), camera.up * (0.25f * length),
             Colour(rgbPips, std::round(kHudOpacity * kBarAlpha)));
        for (Vertex& v : q)
            v.v = (float(band - 1) + v.v) * 0.25f;
        SelectCell(q, n > 4 ? kBayPipCell + 1 : kBayPipCell);
        batch.AddQuad(q);
    };
    pips(ship->OwnedCraftCount(), kGrey);
    pips(ship->CarriedCount(), kWhite);
}

void Hud::DrawCrosshair(HudBatch& batch, Entity& unit, float r, uint32_t clock) {
    const CameraPose camera = CurrentCameraPose();
    const float distance = (unit.position - camera.position).Length();
    if (!unit.crosshairActive) {
        unit.crosshairActive = 1;
        unit.crosshairStart = clock;
        unit.crosshairDieStart = 0;
    }
    float offset =
        std::max(UnitValue(unit, "crosshair size", 1.0f), settings.haloSize * distance / r);
    const float arm =
        r * std::max(settings.crosshairSize, settings.crosshairMinSize * distance / r);
    float base = kCrosshairAlpha;
    const float growMs = 1000.0f * settings.crosshairGrowTime;
    const float elapsed = float(clock - unit.crosshairStart);
    if (growMs > 0.0f && elapsed < growMs) {
        const float p = elapsed / growMs;
        base = std::round(p * kCrosshairAlpha);
        offset *= (1.0f - p) * settings.crosshairGrowSize + 1.0f;
    }
    if (unit.highlighted) {
        unit.crosshairDieStart = 0;
    } else {
        float q = 0.0f;
        if (unit.crosshairDieStart == 0) {
            unit.crosshairDieStart = std::max(clock, 1u); // 0 means "not dying"
        } else {
            const float dieMs = 1000.0f * settings.crosshairDieTime;
            q = dieMs > 0.0f ? float(clock - unit.crosshairDieStart) / dieMs : 1.0f;
        }
        if (q >= 1.0f) {
            q = 1.0f;
            unit.crosshairActive = 0;
            unit.crosshairDieStart = 0;
        }
        base = std::round((1.0f - q) * base);
        offset *= q * settings.crosshairGrowSize + 1.0f;
    }
    const uint32_t colour =
        Colour(unit.highlighted ? kYellow : kWhite, std::round(base * kHudOpacity * alpha));
    const float turn =
        settings.crosshairSpeed > 0.0f
            ? float(clock % uint32_t(std::max(1.0f, settings.crosshairSpeed * 1000.0f))) /
                  settings.crosshairSpeed * 2.0f * kPi / 1000.0f
            : 0.0f;
    for (int i = 0; i < 4; ++i) {
        const float angle = turn + float(i) * 0.5f * kPi;
        const Vec3 out = camera.right * std::cos(angle) + camera.up * std::sin(angle);
        const Vec3 side = camera.right * -std::sin(angle) + camera.up * std::cos(angle);
        Vertex q[4];
        Quad(q, unit.position + out * (offset * r), out * (0.5f * arm), side * (0.5f * arm),
             colour);
        SelectCell(q, kCrosshairCell);
        batch.AddQuad(q);
    }
}

} // namespace lumivane
