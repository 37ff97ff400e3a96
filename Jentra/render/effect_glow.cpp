// The shadow caster JTEffect_Shadow, which the display draws every node
// with during the shadow pass, and the pulsing glow JTEffect_Halo.
#include <cmath>

#include "Jentra/JTCamera.h"
#include "Jentra/JTDisplay.h"
#include "Jentra/JTFrameClock.h"
#include "Jentra/JTGeoNode.h"
#include "Jentra/JTGlobals.h"
#include "Jentra/render/file_effect.h"

JT_CLASS_IMPL(JTEffect_Shadow)
JT_CLASS_IMPL(JTEffect_Halo)
JT_FILE_EFFECT_IMPL(JTEffect_Shadow, "Shadow.eft")
JT_FILE_EFFECT_IMPL(JTEffect_Halo, "Halo.eft")

void JTEffect_Shadow::Render(JTDisplay* display, JTGeoNode* node) {
    DrawState s;
    JTCompiledEffect* fx = Prepare(pD3DEffect, kFileName, &ReleaseShared, display, node, s);
    if (!fx) return;
    JTMatrix shrink = JTMatrixScaling(gfShadowScaleFudge, gfShadowScaleFudge, gfShadowScaleFudge);
    fx->SetMatrix("mWVP", shrink * s.worldViewProj);
    fx->SetVector("vSHC", 0, 0, 0, 1);
    DrawPasses(*fx, display, node);
}

void JTEffect_Halo::Render(JTDisplay* display, JTGeoNode* node) {
    DrawState s;
    JTCompiledEffect* fx = Prepare(pD3DEffect, kFileName, &ReleaseShared, display, node, s);
    if (!fx) return;
    // A node scaled to nothing has no glow to keep in size.
    float scale = s.world.GetMaxScale();
    if (!(scale > 0.0f)) return;
    JTVec3 towardsEye(0, 0, -1);
    if (JTCamera* camera = display->GetCurrentCamera()) towardsEye = -camera->GetDir();
    float pulse = size * (1.0f + 0.25f * std::sin(float(gdwRealTime) * 0.00628319f)) / scale;
    fx->SetMatrix("mWOR", s.world);
    fx->SetMatrix("mWVP", s.worldViewProj);
    fx->SetVector("vEYE", towardsEye.x, towardsEye.y, towardsEye.z, 0);
    fx->SetVector("vCOL", color[0], color[1], color[2], color[3]);
    fx->SetVector("vSCA", pulse, pulse, pulse, 0);
    fx->SetVector("vOFF", 0, 0, 0.02f, 0);
    DrawPasses(*fx, display, node);
}
