// The frame's small rules, apart from any device so they can be checked
// alone: the side-plane cull, the texture level of a screen size, light
// attenuation, normals packed as colours, the statistics line's frame rate,
// the transparent queue's order, the depth offset of panes, the fade and
// letterbox ramps, the slowing of
// animation near the origin, and where the inset picture goes.
#pragma once

#include "desktop/display/frame/frame_state.h"
#include "desktop/scene/object/matrix.h"
#include "desktop/scene/object/vec3.h"

#include <cstdint>

namespace lumivane {

// True when a sphere of `radius` at `offset` from the camera lies wholly
// outside one of the four side planes (outward normals). A sphere that
// just touches a plane is kept.
bool OutsideSidePlanes(const Vec3* normals, const Vec3& offset, float radius);

// The texture level of an entity's nodes from its screen size: 2 below 0.1,
// 3 below 0.2, 4 below 0.35, 5 below 0.7, else 6.
int TextureLevelForScreenSize(float screenSize);

struct LightAttenuation {
    float constant = 1.0f;
    float linear = 0.0f;
    float quadratic = 0.0f;
};
// From a light's "Falloff" and "Range": linear = (1 - k) / (k x range) with
// k = 1 - falloff (at least 0.001); none for directional lights or a range
// of 0 or less.
LightAttenuation AttenuationFor(float falloff, float range, bool directional);

// A unit vector as a colour: each component c gives round(min((c + 1) x
// 127.5, 255)), x in bits 16-23, y in 8-15, z in 0-7.
void NormalToColour(const Vec3& normal, uint32_t& colour);

// The frame rate over four frames that took `elapsedMs`: 4000 / elapsedMs,
// or 0 while the clock has not moved.
uint32_t FramesPerSecond(uint32_t elapsedMs);

// The transparent queue's order: the node whose entity lies farther from
// the camera first; at equal distance the one queued first.
bool DepthOrder(const QueuedNode& a, const QueuedNode& b, const Vec3& camera);

// The projection with its depth pulled towards the camera by bias /
// distance, for panes drawn over what lies under them.
Matrix DepthOffsetProjection(const Matrix& projection, float bias, float distance);

// The fade or letterbox amount one frame of `step` seconds later: towards 1
// while its switch is on, else towards 0, within 0..1. An amount that is no
// number (a damaged scene file) starts from where it is heading.
float RampAmount(float amount, bool on, float step);

// How much slower an entity animates at that distance from the origin in
// the slow-motion mode.
float SlowMotionFactor(float distanceFromOrigin);

struct InsetRect {
    int left = 0;
    int top = 0;
    int side = 0;
};
// The picture-in-picture square beside an entity seen at (x, y) in -1..1 on
// a render target of width x height.
InsetRect PictureInPictureRect(float x, float y, int width, int height);

} // namespace lumivane
