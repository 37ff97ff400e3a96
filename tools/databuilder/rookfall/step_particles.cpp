// Writes the particle-system prototypes (".prp" files in modules/) that the
// engine and the chess game instantiate by name, through the prototype
// record's own writer: smoke, fire and sparks of the Fire and Ice world, the
// glow and trail of its lava light, the sky lights of the Holographic world,
// the steam of a melting ice piece and the capture effects of ice and fire
// pieces. Each names its sprite, one of the textures the texture step writes.
#include "tools/databuilder/shared/data_step.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include "Jentra/JTPartSys.h"

namespace {

constexpr float kPi = 3.1415927f;

struct Prototype {
    const char* name;
    const char* sprite;
    std::function<void(JTPartSysProps&)> shape;
};

void SetColor(JTPartSysProps& p, float r, float g, float b) {
    p.values.fRed = r;
    p.values.fGreen = g;
    p.values.fBlue = b;
    p.PropChanged(&p.values.fRed);
}

void SetEndColor(JTPartSysProps& p, float r, float g, float b, float fadeTime) {
    p.values.bEndColor = true;
    p.values.fEndRed = r;
    p.values.fEndGreen = g;
    p.values.fEndBlue = b;
    p.values.fEndColorFadeTime = fadeTime;
    p.PropChanged(&p.values.fEndRed);
}

bool Write(const std::filesystem::path& folder, JTPartSysProps& p) {
    std::string error;
    std::filesystem::path file = folder / (std::string(p.szName) + ".prp");
    if (!p.SaveToPath(file.string(), &error)) {
        std::fprintf(stderr, "particles: cannot write %s: %s\n", file.c_str(), error.c_str());
        return false;
    }
    return true;
}

// Copies a name into a fixed field, cut to fit and zero-filled.
template <size_t N> void Copy(char (&field)[N], const char* text) {
    std::memset(field, 0, N);
    std::memcpy(field, text, std::strlen(text) < N ? std::strlen(text) : N - 1);
}

void Smoke(JTPartSysProps& p) {
    JTPartSysValues& v = p.values;
    v.iNumParticles = 60;
    v.bSpaceEvenly = true;
    v.fSpawnRadius = 8.0f;
    v.fSpawnRadiusSpread = 4.0f;
    v.fSpawnHeightSpread = 0.0f;
    v.fVelocity[1][0] = 0.4f;
    v.fVelocity[1][1] = 0.1f;
    v.fTurbulence[0][0] = 0.3f;
    v.fTurbulence[0][1] = 1.5f;
    v.fLifespan = 6.0f;
    v.fLifespanSpread = 1.0f;
    v.fSize = 1.0f;
    v.fSizeSpread = 0.3f;
    v.fGrow = 0.3f;
    v.fOpacity = 0.5f;
    v.fSpin = 0.2f;
    v.fSpinSpread = 0.2f;
    SetColor(p, 0.35f, 0.3f, 0.3f);
}

void Fire(JTPartSysProps& p, int count, float radius) {
    JTPartSysValues& v = p.values;
    v.iNumParticles = count;
    v.bSpaceEvenly = true;
    v.fSpawnRadius = radius;
    v.fSpawnRadiusSpread = radius * 0.5f;
    v.fSpawnHeightSpread = 0.0f;
    v.fVelocity[1][0] = 1.5f;
    v.fVelocity[1][1] = 0.5f;
    v.fLifespan = 1.2f;
    v.fLifespanSpread = 0.3f;
    v.fSize = 0.6f;
    v.fSizeSpread = 0.2f;
    v.fGrow = -0.3f;
    v.fFadeInTime = 0.2f;
    v.bAdditiveBlend = true;
    SetColor(p, 1.0f, 0.6f, 0.1f);
    SetEndColor(p, 0.8f, 0.1f, 0.0f, 0.3f);
}

void Sparks(JTPartSysProps& p) {
    JTPartSysValues& v = p.values;
    v.iNumParticles = 40;
    v.bSpaceEvenly = true;
    v.bKite = true;
    v.fSpawnRadius = 6.0f;
    v.fSpawnRadiusSpread = 3.0f;
    v.fSpawnHeightSpread = 0.0f;
    v.fVelocityOutward = 1.0f;
    v.fVelocity[1][0] = 3.0f;
    v.fVelocity[1][1] = 1.0f;
    v.fForce[1] = -4.0f;
    v.fLifespan = 1.5f;
    v.fLifespanSpread = 0.5f;
    v.fSize = 0.04f;
    v.fAspectRatio = 4.0f;
    v.fFadeInTime = 0.05f;
    v.fFadeOutTime = 0.7f;
    v.bAdditiveBlend = true;
    SetColor(p, 1.0f, 0.8f, 0.3f);
}

void LavaShine(JTPartSysProps& p) {
    JTPartSysValues& v = p.values;
    v.iNumParticles = 12;
    v.bSpaceEvenly = true;
    v.bDropParticles = false;
    v.fSpawnRadius = 0.5f;
    v.fLifespan = 2.0f;
    v.fSize = 2.0f;
    v.fSizeSpread = 0.5f;
    v.fSpin = 0.5f;
    v.fSpinSpread = 0.3f;
    v.fOpacity = 0.4f;
    v.bAdditiveBlend = true;
    SetColor(p, 1.0f, 0.4f, 0.1f);
}

void LavaTrail(JTPartSysProps& p) {
    JTPartSysValues& v = p.values;
    v.iNumParticles = 30;
    v.bSpaceEvenly = true;
    v.fDropVelocity = 0.2f;
    v.fLifespan = 1.5f;
    v.fSize = 0.4f;
    v.fGrow = -0.2f;
    v.fDrag = 0.5f;
    v.bAdditiveBlend = true;
    SetColor(p, 1.0f, 0.5f, 0.1f);
    SetEndColor(p, 0.5f, 0.05f, 0.0f, 0.2f);
}

void SkyLights(JTPartSysProps& p) {
    JTPartSysValues& v = p.values;
    v.iNumParticles = 50;
    v.bSpaceEvenly = true;
    v.bDropParticles = false;
    v.fSpawnRadius = 40.0f;
    v.fSpawnRadiusSpread = 10.0f;
    v.fSpawnHeightSpread = kPi / 2;
    v.fSpiral[1] = 0.05f;
    v.fLifespan = 8.0f;
    v.fLifespanSpread = 2.0f;
    v.fSize = 1.0f;
    v.fSizeSpread = 0.4f;
    v.fFadeInTime = 0.3f;
    v.fFadeOutTime = 0.7f;
    v.bAdditiveBlend = true;
    SetColor(p, 0.3f, 0.6f, 1.0f);
}

void Steam(JTPartSysProps& p) {
    JTPartSysValues& v = p.values;
    v.iNumParticles = 40;
    v.bOneShot = true;
    v.bDeleteWhenDone = true;
    v.fSpawnRadius = 0.3f;
    v.fSpawnRadiusSpread = 0.1f;
    v.fVelocity[1][0] = 0.6f;
    v.fVelocity[1][1] = 0.2f;
    v.fLifespan = 3.0f;
    v.fLifespanSpread = 1.0f;
    v.fSize = 0.3f;
    v.fGrow = 0.4f;
    v.fOpacity = 0.4f;
    SetColor(p, 0.9f, 0.95f, 1.0f);
}

void PiecePart(JTPartSysProps& p, int count, bool ice) {
    JTPartSysValues& v = p.values;
    v.iNumParticles = count;
    v.bSpaceEvenly = true;
    v.fSpawnRadius = 0.25f;
    v.fSpawnRadiusSpread = 0.1f;
    v.fSpawnYSpread = 0.4f;
    v.fLifespan = ice ? 1.0f : 0.8f;
    v.fLifespanSpread = 0.2f;
    v.fVelocity[1][0] = ice ? 0.2f : 1.0f;
    v.fTurbulence[0][0] = ice ? 0.5f : 0.0f;
    v.fTurbulence[2][0] = ice ? 0.5f : 0.0f;
    v.fSize = ice ? 0.05f : 0.15f;
    v.fSizeSpread = 0.02f;
    v.fGrow = ice ? 0.0f : -0.1f;
    v.bAdditiveBlend = true;
    if (ice) {
        SetColor(p, 0.6f, 0.8f, 1.0f);
    } else {
        SetColor(p, 1.0f, 0.5f, 0.1f);
        SetEndColor(p, 0.6f, 0.1f, 0.0f, 0.4f);
    }
}

} // namespace

DATABUILDER_STEP(WriteParticlePrototypes, "particles") {
    std::filesystem::path folder = context.runtime / "modules";
    std::error_code error;
    std::filesystem::create_directories(folder, error);

    const Prototype prototypes[] = {
        {"GroundSmoke", "smoke.jpg", Smoke},
        {"GroundFire", "glow.jpg", [](JTPartSysProps& p) { Fire(p, 80, 6.0f); }},
        {"FireSparks", "spark.tga", Sparks},
        {"lavalightshine", "glow.jpg", LavaShine},
        {"lavalighttrail", "glow.jpg", LavaTrail},
        {"SkyLights", "glow.jpg", SkyLights},
        {"IceMeltSteam", "smoke.jpg", Steam},
        {"IcePiecePart", "spark.tga", [](JTPartSysProps& p) { PiecePart(p, 60, true); }},
        {"IcePiecePart2", "spark.tga", [](JTPartSysProps& p) { PiecePart(p, 30, true); }},
        {"FirePiecePart", "glow.jpg", [](JTPartSysProps& p) { PiecePart(p, 60, false); }},
        {"FirePiecePart2", "glow.jpg", [](JTPartSysProps& p) { PiecePart(p, 30, false); }},
    };
    bool ok = true;
    for (const Prototype& prototype : prototypes) {
        JTPartSysProps p;
        Copy(p.szName, prototype.name);
        Copy(p.values.szTexture, prototype.sprite);
        prototype.shape(p);
        ok = Write(folder, p) && ok;
    }
    return ok;
}
