// The glowing trail of JTEffect_StreamingLight: fourteen faint copies of a
// node added over the scene, each further along a drifting path in the
// node's own space, then the node itself. A text in the interface is some
// tens of its own units high, so its copies drift by a small part of a
// pixel and all cover the same pixels as the text: there the fourteen
// copies are added in one pass, whose program works out for each pixel
// what each copy's own pass would have added, with that pass's alpha test
// and its rounding to whole colour steps. A trail that spreads wider (a
// node in the scene's units) is drawn copy by copy.
#pragma once

#include "Jentra/JTMath.h"

class JTCompiledEffect;
class JTDisplay;
class JTGeoNode;
namespace platform::render {
class BaseTexture;
}

namespace jentra::glow {

// The copies, the node itself last.
constexpr int kTrailCopies = 15;
constexpr int kGlowCopies = kTrailCopies - 1;
// The alpha test of every copy: a copy's pixel with less alpha (out of
// 255) adds nothing.
constexpr unsigned char kAlphaReference = 4;
// The most, in pixels, a copy may land away from the node for the glow to
// be added in one pass: within it, a copy's pixels outside the node's own
// lie in the empty margin of the node's text quads.
constexpr float kSteadySpread = 0.25f;

struct TrailCopy {
    JTVec3 offset; // in the node's own space
    float alpha;   // its material's alpha
};

// The copies at game time timeMs for a node drawn at the given opacity.
void PlanTrail(float timeMs, float opacity, TrailCopy (&copies)[kTrailCopies]);

// How far, in pixels of a viewport width x height, a corner of the box
// (boxMin to boxMax in the node's space) lands in any copy from where it
// lands in the node itself, through worldViewProj (the node's world,
// view and projection). A box reaching to or behind the eye gives a
// distance larger than any viewport.
float TrailSpread(const TrailCopy (&copies)[kTrailCopies], const JTVec3& boxMin,
                  const JTVec3& boxMax, const JTMatrix& worldViewProj, float width, float height);

// Whether every copy of the node's trail lands within the steady spread
// of the node itself in the display's current view, so that its glow can
// be added in one pass.
bool TrailHoldsStill(JTDisplay* display, JTGeoNode* node, const TrailCopy (&copies)[kTrailCopies]);

// Whether a trail that holds still has its glow added in one pass (the
// default) or copy by copy. Both show the same picture; the second costs
// a pass for every copy.
void SetOnePassGlow(bool on);
bool GetOnePassGlow();

// The pass that adds the glow copies of the node at once, set up for the
// node, the texture whose alpha it draws (none: solid) and the copies'
// colour glow (red, green, blue): drawing the node through its passes adds
// what the copies' own passes would. withNode: the pass also lays the node
// itself over them in white (its last copy, alpha-tested and blended by
// its alpha), so that nothing more is drawn. Null when the pass does not
// build on the display's device (the copies are then drawn one by one).
JTCompiledEffect* PrepareGlowPass(JTDisplay* display, JTGeoNode* node,
                                  platform::render::BaseTexture* texture,
                                  const TrailCopy (&copies)[kTrailCopies], const float (&glow)[3],
                                  bool withNode);

} // namespace jentra::glow
