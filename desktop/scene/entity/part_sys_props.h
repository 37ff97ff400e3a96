// PartSysProps: the property table of particle systems. It continues the
// Entity block with what describes spawning (count, spacing, radius, cone),
// movement (speed, drag, spin, spiral, forces, springs, turbulence),
// lifespan, size and colour (texture, blending, start and end colours,
// opacity and fades). The offsets below are found once by name, so the
// system reads its own values without searching.
#pragma once

#include <cstddef>

#include "desktop/scene/entity/prop_desc.h"

namespace lumivane {

// The PartSys table (ends with "PartSys", base table Entity's).
const PropDesc* PartSysPropDescs();

struct PartSysPropFields {
    size_t reset, oneShot, autoDelete, deleteImmediately;
    size_t spherical, backfaceCull, autoBias, sphereDisc, perspectiveSizing, kite, motionBlur;
    size_t aspectRatio, zBias, timeScale, dropParticles, dropVelocity;
    size_t numParticles, spaceEvenly, startSpreadOut, clumpingPercent;
    size_t spawnRadius, spawnRadiusSpread, spawnHeightSpread, coneAngle;
    size_t velocity, velocitySpread, velocityHeightSpread, drag;
    size_t spin, spinSpread, spiralAmount, reverse;
    size_t axisVelocity[3], axisVelocitySpread[3]; // "Velocity X" .. and their spreads
    size_t force[3], spiral[3], spring[3];
    size_t turbulenceAmount[3], turbulenceFrequency[3];
    size_t lifespan, lifespanSpread, smallDeath;
    size_t size, sizeSpread, grow, growSpread;
    size_t texture, lighting, additiveBlend, subtractiveBlend;
    size_t colour[3], packedColour; // "Red", "Green", "Blue", "Color"
    size_t endColourOn, endColour[3], packedEndColour;
    size_t opacity, opacitySpread, fadeIn, fadeInTime, fadeOut, fadeOutTime;
};

const PartSysPropFields& PartSysFields();

} // namespace lumivane
