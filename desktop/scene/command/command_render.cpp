// The command interface's drawing over the scene: the order preview (ring of
// ground points, height line and spinning beacon) while an order is given,
// the order beacon that bursts where an order went, the shimmering selection
// box and the animated cursor with the trackball over a lone inspected unit.
#include <algorithm>
#include <cmath>

#include "desktop/scene/command/command_interface.h"
#include "desktop/scene/command/overlay_canvas.h"
#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/world/mouse.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene_hooks.h"
#include "desktop/scene/world/scene_services.h"

namespace lumivane {

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kBeaconScale = 1.5f;
constexpr float kIdleBeaconAlpha = 192.0f;
constexpr float kHeightPerMotion = -0.1f;
constexpr float kLineWidth = 0.004f;
constexpr float kCursorSize = 0.05f;
constexpr float kShimmer = 0.05f;
constexpr float kBoxCorner = 0.02f;
constexpr float kCornerTexture = 0.98f;
// Per box corner: the shimmer rates of its first and second texture pair.
constexpr float kShimmerRates[4][2] = {{0.0034560976f, 0.0028277163f},
                                       {0.0037714199f, 0.0040852963f},
                                       {0.0029848863f, 0.0036131027f},
                                       {0.0037714199f, 0.0028277163f}};

uint32_t WithAlpha(uint32_t colour, float alpha) {
    const float a = std::isfinite(alpha) ? std::clamp(std::round(alpha), 0.0f, 255.0f) : 0.0f;
    return (uint32_t(a) << 24) | (colour & 0xffffffu);
}

// `v` turned about the unit axis by `angle`.
Vec3 Turn(const Vec3& v, const Vec3& axis, float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    return v * c + Vec3::Cross(axis, v) * s + axis * (Vec3::Dot(axis, v) * (1.0f - c));
}

Vec3 NormalisedOr(Vec3 v, const Vec3& fallback) {
    return v.Length() > 1e-6f ? v.Normalize() : fallback;
}

} // namespace

void CommandInterface::Render(OverlayCanvas& canvas, const OverlayLook& look) {
    if (mode == kModeOrderPending)
        DrawPreview(canvas, look);
    else
        previewCount = 0;
    if (beaconOn) DrawBeacon(canvas, look, beaconPosition, true);
    if (mode == kModeBoxSelect) DrawSelectionBox(canvas);
    DrawCursor(canvas, look);
}

void CommandInterface::DrawPreview(OverlayCanvas& canvas, const OverlayLook& look) {
    Vec3 origin, direction, ground;
    MakeScreenRay(pressScreen, origin, direction);
    if (GroundPoint(origin, direction, ground)) {
        previewRing[previewNext] = ground;
        previewNext = (previewNext + 1) % 3;
        previewCount = std::min(previewCount + 1, 3);
    }
    const UserInputWords& words = GetUserInputWords();
    const float limit = std::max(GetSceneBounds().heightLimit, 0.0f);
    if (const Mouse* mouse = GetMouseHolder()) orderHeight += kHeightPerMotion * float(mouse->dy);
    orderHeight = (words.permission[1] & kAllowOrderHeight) && std::isfinite(orderHeight)
                      ? std::clamp(orderHeight, -limit, limit)
                      : 0.0f;
    if (previewCount == 0 || !look.hudOn) return;
    Vec3 point;
    for (int i = 0; i < previewCount; ++i)
        point = point + previewRing[i];
    point = point * (1.0f / float(previewCount));
    const Vec3 raised{point.x, orderHeight, point.z};

    // The height line, as wide on screen at both ends.
    const CameraPose camera = CurrentCameraPose();
    const uint32_t colour =
        WithAlpha(Player::GetColor(GetPlayers().local), 255.0f * kHudOpacity * look.hudAlpha);
    const Vec3 footSide = camera.right * (kLineWidth * (point - camera.position).Length());
    const Vec3 topSide = camera.right * (kLineWidth * (raised - camera.position).Length());
    const Vertex line[4] = {OverlayVertex(point - footSide, colour, 0, 1),
                            OverlayVertex(raised - topSide, colour, 0, 0),
                            OverlayVertex(raised + topSide, colour, 1, 0),
                            OverlayVertex(point + footSide, colour, 1, 1)};
    canvas.Fan(line, look.heightBarTexture, 0, false);
    DrawBeacon(canvas, look, raised, false);
}

void CommandInterface::DrawBeacon(OverlayCanvas& canvas, const OverlayLook& look,
                                  const Vec3& position, bool exploding) {
    const CameraPose camera = CurrentCameraPose();
    const float distance = (position - camera.position).Length();
    float half = distance * beaconSize * kBeaconScale;
    float corner = distance * beaconCornerSize * kBeaconScale;
    float alpha = 255.0f;
    if (exploding) {
        const uint32_t elapsed = GetSceneClock().gameTime - beaconTime;
        // A beacon without a burst time is over at once.
        float t = beaconExplodeTime > 0.0f ? float(elapsed) / (1000.0f * beaconExplodeTime) : 1.0f;
        if (!(t < 1.0f)) {
            t = 1.0f;
            beaconOn = 0;
        }
        alpha = std::round((1.0f - t) * 255.0f);
        const float grow = t * beaconExplodeSize + 1.0f;
        half *= grow;
        corner *= grow;
    } else if (beaconSpeed > 0.0f) {
        const float turn = GetSceneClock().frameTime / beaconSpeed;
        beaconAngle = std::fmod(
            beaconAngle + turn * (mode == kModeOrderPending ? 2.0f * kPi : 0.5f * kPi), 2.0f * kPi);
        if (mode != kModeOrderPending) alpha = kIdleBeaconAlpha;
    }
    if (!look.hudOn) return;
    alpha = std::round(alpha * kHudOpacity * look.hudAlpha);
    const uint32_t colour =
        WithAlpha(beaconOn ? beaconColor : Player::GetColor(GetPlayers().local), alpha);

    const Vec3 toCamera = NormalisedOr(camera.position - position, camera.forward * -1.0f);
    const Vec3 across = NormalisedOr(Vec3(camera.right.x, 0.0f, camera.right.z), {1, 0, 0});
    // Each frame: its normal and one axis in its plane.
    const Vec3 frames[3][2] = {
        {{0, 1, 0}, across}, {camera.forward * -1.0f, camera.right}, {across, {0, 1, 0}}};
    for (const auto& frame : frames) {
        Vec3 normal = frame[0];
        Vec3 axisA = frame[1];
        if (Vec3::Dot(normal, toCamera) < 0.0f) normal = normal * -1.0f;
        // No frame is seen more edge-on than the largest angle.
        const float angle = std::acos(std::clamp(Vec3::Dot(normal, toCamera), -1.0f, 1.0f));
        if (angle > beaconMaxAngle) {
            const Vec3 hinge = Vec3::Cross(normal, toCamera);
            if (hinge.Length() > 1e-6f) {
                const Vec3 axis = NormalisedOr(hinge, {0, 1, 0});
                normal = Turn(normal, axis, angle - beaconMaxAngle);
                axisA = Turn(axisA, axis, angle - beaconMaxAngle);
            }
        }
        axisA = Turn(axisA, normal, beaconAngle);
        const Vec3 axisB = Vec3::Cross(normal, axisA);
        DrawBeaconFrame(canvas, position, axisA, axisB, half, corner, colour);
    }
}

void CommandInterface::DrawBeaconFrame(OverlayCanvas& canvas, const Vec3& centre, const Vec3& a,
                                       const Vec3& b, float half, float corner, uint32_t colour) {
    // The four corners in turn; each piece's texture is a quarter turn on
    // from the one before, so one corner picture serves all four.
    const float signs[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int k = 0; k < 4; ++k) {
        const Vec3 outA = a * signs[k][0];
        const Vec3 outB = b * signs[k][1];
        const Vec3 tip = centre + outA * half + outB * half;
        const Vec3 points[4] = {tip, tip - outA * corner, tip - outA * corner - outB * corner,
                                tip - outB * corner};
        Vertex piece[4];
        for (int i = 0; i < 4; ++i) {
            const float* t = uv[(i + k) % 4];
            piece[i] = OverlayVertex(points[i], colour, t[0], t[1]);
        }
        canvas.Fan(piece, beaconTexture, 0, false);
    }
}

void CommandInterface::DrawSelectionBox(OverlayCanvas& canvas) {
    const float x0 = std::min(pressScreen[0], currentScreen[0]);
    const float x1 = std::max(pressScreen[0], currentScreen[0]);
    // Overlay space has y up.
    const float top = -std::min(pressScreen[1], currentScreen[1]);
    const float bottom = -std::max(pressScreen[1], currentScreen[1]);
    const float clock = float(GetSceneClock().realTime);
    const float uMax = (x1 - x0) * fieldRepeat;
    const float vMax = (top - bottom) * fieldRepeat;
    const Vec3 corners[4] = {{x0, top, 0}, {x1, top, 0}, {x1, bottom, 0}, {x0, bottom, 0}};
    const float cornerUV[4][2] = {{0, 0}, {uMax, 0}, {uMax, vMax}, {0, vMax}};
    Vertex field[4];
    for (int i = 0; i < 4; ++i) {
        field[i] = OverlayVertex(corners[i], 0xffffffffu, cornerUV[i][0], cornerUV[i][1]);
        field[i].u += kShimmer * std::sin(clock * kShimmerRates[i][0]);
        field[i].u2 += kShimmer * std::sin(clock * kShimmerRates[i][1]);
    }
    canvas.Fan(field, fieldTexture, 0, true);

    // Corner pieces, mirrored to face their own corner.
    const float size = std::min({kBoxCorner, (x1 - x0) * 0.5f, (top - bottom) * 0.5f});
    const float inward[4][2] = {{1, -1}, {-1, -1}, {-1, 1}, {1, 1}};
    for (int i = 0; i < 4; ++i) {
        const Vec3& c = corners[i];
        const float dx = inward[i][0] * size, dy = inward[i][1] * size;
        const float u0 = inward[i][0] > 0 ? 0.0f : kCornerTexture;
        const float v0 = inward[i][1] < 0 ? 0.0f : kCornerTexture;
        const float u1 = kCornerTexture - u0, v1 = kCornerTexture - v0;
        const Vertex piece[4] = {OverlayVertex(c, 0xffffffffu, u0, v0),
                                 OverlayVertex({c.x + dx, c.y, 0}, 0xffffffffu, u1, v0),
                                 OverlayVertex({c.x + dx, c.y + dy, 0}, 0xffffffffu, u1, v1),
                                 OverlayVertex({c.x, c.y + dy, 0}, 0xffffffffu, u0, v1)};
        canvas.Fan(piece, cornerTexture, 0, true);
    }
}

void CommandInterface::DrawCursorQuad(OverlayCanvas& canvas, int id, int frame) {
    const Cursor& cursor = cursors[id];
    const float left = cursorX - kCursorSize * cursor.hotspot[0];
    const float top = -cursorY + kCursorSize * cursor.hotspot[1];
    const Vertex quad[4] = {
        OverlayVertex({left, top, 0}, 0xffffffffu, 0, 0),
        OverlayVertex({left + kCursorSize, top, 0}, 0xffffffffu, 1, 0),
        OverlayVertex({left + kCursorSize, top - kCursorSize, 0}, 0xffffffffu, 1, 1),
        OverlayVertex({left, top - kCursorSize, 0}, 0xffffffffu, 0, 1)};
    canvas.Fan(quad, cursor.texture, frame, true);
}

void CommandInterface::DrawCursor(OverlayCanvas& canvas, const OverlayLook& look) {
    const UserInputWords& words = GetUserInputWords();
    // No pointer where the mouse is not (nor ever in a screen saver, whose
    // mouse only ends it), and none over the window system's own.
    const Mouse* mouse = GetMouseHolder();
    if (!mouse || !mouse->overWindow || mouse->systemPointer) return;
    if (!cursorEnabled || cursorId <= kCursorNone || cursorId > kCursorCount ||
        !(words.permission[0] & kAllowCursorShape) || (mode == kModeIdle && look.paused))
        return;
    DrawCursorQuad(canvas, cursorId, CursorFrameAt(cursorId, GetSceneClock().realTime));
    // The trackball over the one unit both inspected and under the cursor.
    const CameraLink* camera = GetCameraLink();
    if (candidates.Count() != 1 || !camera || !cursors[kCursorTrackball].texture) return;
    const std::vector<Entity*> under = candidates.Resolve();
    if (under.size() == 1 && camera->GetSingleTarget() == under[0])
        DrawCursorQuad(canvas, kCursorTrackball, 0);
}

} // namespace lumivane
