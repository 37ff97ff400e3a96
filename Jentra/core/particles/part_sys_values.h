// The values of a particle-system prototype, in the order of its property
// table. The prototype record holds one of these right after the entity
// properties, so the property lookup by name finds every member where the
// table says it is (values follow one another, each aligned for its type).
#pragma once

#include <cstdint>

struct JTPartSysValues {
    int32_t iID = 0;
    // *Spawning*
    bool bReset = false;
    bool bOn = true;
    int32_t iNumParticles = 100;
    bool bOneShot = false;
    bool bDeleteWhenDone = false;
    bool bSpaceEvenly = false;
    bool bStartSpreadOut = true;
    bool bSpherical = false;
    bool bKite = false;
    bool bDropParticles = true;
    float fDropVelocity = 1.0f;
    float fSpawnRadius = 0.0f;
    float fSpawnRadiusSpread = 0.0f;
    float fSpawnHeightSpread = 1.5707964f; // angle
    float fSpawnXSpread = 0.0f;
    float fSpawnYSpread = 0.0f;
    float fSpawnZSpread = 0.0f;
    float fSpawnYaw = 0.0f;   // angle
    float fSpawnPitch = 0.0f; // angle
    float fSpawnRoll = 0.0f;  // angle
    char szDeathParticle[32] = {};
    float fDeathTime = 1.0f;
    char szAttachedParticle[32] = {};
    // *Movement*
    float fTimeScale = 1.0f;
    float fVelocityOutward = 0.0f;
    float fVelocityOutwardSpread = 0.0f;
    float fVelocity[3][2] = {{0.0f, 0.0f}, {0.0f, 0.0f}, {0.0f, 0.0f}}; // per axis: value, spread
    float fForce[3] = {0.0f, 0.0f, 0.0f};
    float fForceFadeIn[3] = {0.0f, 0.0f, 0.0f};
    float fSpiral[3] = {0.0f, 0.0f, 0.0f};
    float fSpring[3] = {0.0f, 0.0f, 0.0f};
    float fTurbulence[3][2] = {{0.0f, 50.0f}, {0.0f, 50.0f}, {0.0f, 50.0f}}; // amount, freq
    float fSpin = 0.0f;                                                      // angle
    float fSpinSpread = 0.0f;                                                // angle
    float fDrag = 0.0f;
    // *Lifespan*
    float fLifespan = 3.0f;
    float fLifespanSpread = 0.0f;
    // *Size*
    float fAspectRatio = 1.0f;
    float fSize = 0.1f;
    float fSizeSpread = 0.0f;
    float fGrow = 0.0f;
    float fGrowSpread = 0.0f;
    // *Appearance*
    char szTexture[32] = {};
    bool bZBuffer = true;
    bool bBackfaceCull = false;
    float fBoundRadius = 1.0f;
    float fSortAdjust = -0.1f;
    bool bTransparent = true;
    bool bAlphaTest = false;
    int32_t iAlphaTestThreshold = 16;
    bool bAdditiveBlend = false;
    bool bSubtractiveBlend = false;
    float fRed = 1.0f;
    float fGreen = 1.0f;
    float fBlue = 1.0f;
    uint32_t dwColor = 0xFFFFFFFFu;
    // *End Color*
    bool bEndColor = false;
    float fEndRed = 1.0f;
    float fEndGreen = 1.0f;
    float fEndBlue = 1.0f;
    uint32_t dwEndColor = 0xFFFFFFFFu;
    float fEndColorFadeTime = 0.0f;
    float fOpacity = 1.0f;
    float fOpacitySpread = 0.0f;
    bool bFadeIn = true;
    float fFadeInTime = 0.5f;
    bool bFadeOut = true;
    float fFadeOutTime = 0.5f;
};
