// Releasing the shared compiled effect of every file-driven class at once.
#include "Jentra/render/file_effect.h"

void JTEffect::ReleaseSharedEffects() {
    void (*const releases[])() = {
        &JTEffect_ParkPiece::ReleaseShared,       &JTEffect_FireKnight::ReleaseShared,
        &JTEffect_FireKnightAlpha::ReleaseShared, &JTEffect_FireKnightShadow::ReleaseShared,
        &JTEffect_Monitor::ReleaseShared,         &JTEffect_WingDing::ReleaseShared,
        &JTEffect_Membrane::ReleaseShared,        &JTEffect_WetIce::ReleaseShared,
        &JTEffect_BumpDiffuse::ReleaseShared,     &JTEffect_BumpReflect::ReleaseShared,
        &JTEffect_Shadow::ReleaseShared,          &JTEffect_Halo::ReleaseShared,
    };
    for (void (*release)() : releases)
        release();
}
