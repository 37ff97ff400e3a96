// The head-up display's height bars (from a unit down to the ground plane,
// as wide on screen at both ends) and the squad numbers over the local
// player's squad leaders, faded as the camera comes down.
#include <algorithm>
#include <cmath>

#include "desktop/display/hud/hud.h"
#include "desktop/scene/entity/entity.h"
#include "desktop/scene/entity/part_sys.h"
#include "desktop/scene/entity/unit.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene_services.h"

namespace lumivane {

namespace {

constexpr float kBarWidth = 0.004f;
constexpr float kBarAlpha = 90.0f;
constexpr float kSquadAlpha = 128.0f;
constexpr float kInverseRootTwo = 0.70710678f;

} // namespace

void Hud::DrawHeightBars(OverlayCanvas& canvas, std::span<Entity* const> units) {
    if (!hudOn) return;
    const CameraPose camera = CurrentCameraPose();
    const CameraLink* link = GetCameraLink();
    const Entity* chased = link ? link->GetChaseTarget() : nullptr;
    HudBatch batch(canvas, settings.heightBar);
    for (Entity* unit : units) {
        if (!unit || unit == chased || IsA(unit, ClassId::Weapon)) continue;
        if (unit->ownerHandle >= 0 && !AsPartSys(unit)) continue; // spawned by another
        float top = unit->position.y;
        if (AsUnit(unit)) {
            const float r = unit->radius * unit->GetDistanceScale();
            const float tray = r * UnitValue(*unit, "tray height", 1.0f);
            if (!(std::fabs(top) > tray)) continue; // it hovers within its tray
            top += top > 0.0f ? -tray : tray;
        }
        if (alpha < 0.5f) top *= 2.0f * alpha;
        const Vec3 foot{unit->position.x, 0.0f, unit->position.z};
        const Vec3 head{foot.x, top, foot.z};
        const Vec3 footSide = camera.right * (kBarWidth * (foot - camera.position).Length());
        const Vec3 headSide = camera.right * (kBarWidth * (head - camera.position).Length());
        const uint32_t colour = uint32_t(kBarAlpha) << 24 | UnitColour(*unit);
        const Vertex quad[4] = {OverlayVertex(head - headSide, colour, 0, 0),
                                OverlayVertex(foot - footSide, colour, 0, 1),
                                OverlayVertex(foot + footSide, colour, 1, 1),
                                OverlayVertex(head + headSide, colour, 1, 0)};
        batch.AddQuad(quad);
    }
}

void Hud::DrawSquadNumbers(OverlayCanvas& canvas) {
    const Player* local = GetPlayers().local;
    const float limit = GetSceneBounds().heightLimit;
    if (!hudOn || !local || !(limit > 0.0f)) return;
    const CameraPose camera = CurrentCameraPose();
    const float fade = std::min((camera.position.y - 0.5f * limit) / (1.5f * limit), 1.0f);
    if (!(fade > 0.0f)) return;
    const float a = std::clamp(std::round(kHudOpacity * alpha * fade * kSquadAlpha), 0.0f, 255.0f);
    const uint32_t colour = uint32_t(a) << 24 | 0xFFFFFF;
    for (int n = 0; n < kSquadCount; ++n) {
        const Unit* leader = local->squads[n].GetLeader();
        if (!leader) continue;
        const float size = (leader->position - camera.position).Length() * settings.squadIconSize;
        const float lift = leader->radius * leader->GetDistanceScale() * kInverseRootTwo + size;
        const Vec3 centre = leader->position + camera.up * lift;
        const Vec3 a1 = camera.right * size, b1 = camera.up * size;
        const Vertex quad[4] = {OverlayVertex(centre - a1 + b1, colour, 0, 0),
                                OverlayVertex(centre + a1 + b1, colour, 1, 0),
                                OverlayVertex(centre + a1 - b1, colour, 1, 1),
                                OverlayVertex(centre - a1 - b1, colour, 0, 1)};
        // Squads 1..9 show their number, the tenth shows 0.
        canvas.Fan(quad, settings.squadNumbers, (n + 1) % kSquadCount, false);
    }
}

} // namespace lumivane
