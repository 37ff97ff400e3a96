// The screen-like and translucent effects: the glowing JTEffect_Monitor,
// the grey JTEffect_WingDing cut out by its opacity texture, the scrolling
// JTEffect_Membrane with its bursts of static, and JTEffect_WetIce with its
// turning reflection.
#include <cstdio>
#include <memory>

#include "Jentra/JTAudio.h"
#include "Jentra/JTDataFolder.h"
#include "Jentra/JTDisplay.h"
#include "Jentra/JTFile.h"
#include "Jentra/JTFrameClock.h"
#include "Jentra/JTGeoNode.h"
#include "Jentra/render/file_effect.h"
#include "platform/binary_io.h"
#include "platform/image/dds.h"
#include "platform/render/device.h"

JT_CLASS_IMPL(JTEffect_Monitor)
JT_CLASS_IMPL(JTEffect_WingDing)
JT_CLASS_IMPL(JTEffect_Membrane)
JT_CLASS_IMPL(JTEffect_WetIce)
JT_FILE_EFFECT_IMPL(JTEffect_Monitor, "Monitor.eft")
JT_FILE_EFFECT_IMPL(JTEffect_WingDing, "WingDing.eft")
JT_FILE_EFFECT_IMPL(JTEffect_Membrane, "Membrane.eft")
JT_FILE_EFFECT_IMPL(JTEffect_WetIce, "WetIce.eft")

namespace {

// A burst of static lasts this long; the next one comes 20 to 180 s later.
constexpr float kStaticSeconds = 0.75f;
constexpr int kStaticSounds = 10;

// The ice's reflection: one cube texture for the device it was made on,
// made from "cubetest.dds" on first need and tried again while it fails.
struct IceCube {
    platform::render::Device* device = nullptr;
    std::unique_ptr<platform::render::CubeTexture> texture;
};
IceCube gIceCube;

platform::render::CubeTexture* IceCubeFor(platform::render::Device& device) {
    if (gIceCube.device == &device && gIceCube.texture) return gIceCube.texture.get();
    gIceCube = IceCube{};
    std::vector<uint8_t> bytes;
    if (!platform::ReadWholeFile(JTResolveDataPath("modules\\cubetest.dds"), bytes, nullptr,
                                 platform::image::kMaxPictureFileBytes))
        return nullptr;
    platform::image::TextureImage image;
    if (!platform::image::DecodeDds(bytes, image) || !image.cube || image.width != image.height)
        return nullptr;
    auto format = D3DFORMAT(image.format);
    if (!device.SupportsFormat(format)) return nullptr;
    auto cube = device.CreateCubeTexture(image.width, image.mipCount, 0, format, D3DPOOL_MANAGED);
    if (!cube) return nullptr;
    for (int face = 0; face < 6; ++face)
        for (int mip = 0; mip < image.mipCount; ++mip) {
            const platform::image::Image& level = image.Level(face, mip);
            platform::render::D3DLOCKED_RECT rect;
            auto which = D3DCUBEMAP_FACES(face);
            if (cube->LockRect(which, mip, &rect, 0) != D3D_OK) return nullptr;
            size_t bytesThere = cube->LevelBytes(mip);
            std::memcpy(rect.pBits, level.pixels.data(), std::min(bytesThere, level.pixels.size()));
            cube->UnlockRect(which, mip);
        }
    gIceCube.device = &device;
    gIceCube.texture = std::move(cube);
    return gIceCube.texture.get();
}

} // namespace

void JTEffect_WetIce::ReleaseCube() {
    gIceCube = IceCube{};
}

// ---- JTEffect_Monitor ----

bool JTEffect_Monitor::SaveLoad(JTFile& f) {
    if (!SaveLoadHead(f)) return false;
    SaveLoadTexture(f, screen);
    LoadIfNeeded(f, pD3DEffect, kFileName, &ReleaseShared);
    return true;
}

void JTEffect_Monitor::Render(JTDisplay* display, JTGeoNode* node) {
    DrawState s;
    JTCompiledEffect* fx = Prepare(pD3DEffect, kFileName, &ReleaseShared, display, node, s);
    if (!fx) return;
    fx->SetMatrix("mWVP", s.worldViewProj);
    fx->SetTexture("mEMM", DeviceTexture(screen));
    fx->SetVector("vUVW", 0, 0, 0, 0);
    fx->SetVector("vVIS", 1, 1, 1, 1);
    DrawPasses(*fx, display, node);
}

// ---- JTEffect_WingDing ----

bool JTEffect_WingDing::SaveLoad(JTFile& f) {
    if (!SaveLoadHead(f)) return false;
    SaveLoadTexture(f, opacity);
    LoadIfNeeded(f, pD3DEffect, kFileName, &ReleaseShared);
    return true;
}

void JTEffect_WingDing::Render(JTDisplay* display, JTGeoNode* node) {
    DrawState s;
    JTCompiledEffect* fx = Prepare(pD3DEffect, kFileName, &ReleaseShared, display, node, s);
    if (!fx) return;
    fx->SetMatrix("mWVP", s.worldViewProj);
    fx->SetVector("vUVW", 0, 0, 0, 0);
    fx->SetVector("mEMM", 0.4f, 0.4f, 0.4f, 0.4f);
    if (opacity) {
        fx->SetVector("vOBS", 0, 0, 0, 0);
        fx->SetTexture("mOPA", DeviceTexture(opacity));
    } else {
        fx->SetVector("vOBS", 1, 1, 1, 1);
        fx->SetTexture("mOPA", nullptr);
    }
    fx->SetVector("vVIS", 1, 1, 1, 1);
    DrawPasses(*fx, display, node);
}

// ---- JTEffect_Membrane ----

bool JTEffect_Membrane::SaveLoad(JTFile& f) {
    if (!SaveLoadHead(f)) return false;
    SaveLoadTextures(f, {&diffuse, &opacity});
    LoadIfNeeded(f, pD3DEffect, kFileName, &ReleaseShared);
    return true;
}

void JTEffect_Membrane::Render(JTDisplay* display, JTGeoNode* node) {
    DrawState s;
    JTCompiledEffect* fx = Prepare(pD3DEffect, kFileName, &ReleaseShared, display, node, s);
    if (!fx) return;
    fx->SetMatrix("mWR0", s.world);
    fx->SetMatrix("mWVP", s.worldViewProj);
    JTMatrix inverseTransposed;
    if (!JTMatrixInverse(inverseTransposed, JTMatrixTranspose(s.world)))
        inverseTransposed = JTMatrix();
    fx->SetMatrix("mITW", inverseTransposed);
    fx->SetFloat("fOFF", 0.0f);
    fx->SetTexture("mDIF", DeviceTexture(diffuse));
    fx->SetTexture("mOPA", DeviceTexture(opacity));
    fx->SetVector("vUVW", 0, -float(gdwTime) / 1000.0f, 0, 0);
    // The light's own way here: a point light's offset taken as a point,
    // and the result neither negated.
    JTVec3 toLight;
    if (s.light.Type == D3DLIGHT_DIRECTIONAL) {
        JTVec3 d(s.light.Direction.x, s.light.Direction.y, s.light.Direction.z);
        toLight = JTVec3TransformNormal(d, s.worldInverse);
    } else {
        JTVec3 p(s.light.Position.x, s.light.Position.y, s.light.Position.z);
        toLight = JTVec3TransformCoord(s.world.GetTranslation() - p, s.worldInverse);
    }
    SetVector(*fx, "vLDR", JTVec3Normalize(toLight));
    SetVector(*fx, "vEYE", s.eyeWorld);

    float noise[4] = {0, 0, 0, 0};
    if (staticTimeLeft > 0.0f) {
        float r1 = RandomFraction(), r2 = RandomFraction(), r3 = RandomFraction();
        noise[0] = 0.1f * (2 * r3 - 1);
        noise[1] = 0.1f * (2 * r2 - 1);
        noise[2] = 0.1f * (2 * r1 - 1);
        staticTimeLeft = std::max(staticTimeLeft - dt, 0.0f);
    }
    if (gdwTime >= nextStaticTime) {
        if (nextStaticTime != 0) {
            staticTimeLeft = kStaticSeconds;
            char sound[32];
            std::snprintf(sound, sizeof sound, "HoloStatic%i.wav", (JTRand() >> 2) % kStaticSounds);
            if (gpJTAudio) gpJTAudio->PlaySoundA(sound, 1, false);
            nextStaticTime = gdwTime + uint32_t(200 + (JTRand() >> 2) % 1601) * 100;
        } else {
            // The first draw only plans the first burst.
            nextStaticTime = uint32_t((JTRand() >> 2) % 1001) * 100;
        }
    }
    fx->SetVector("vNOI", noise[0], noise[1], noise[2], noise[3]);
    DrawPasses(*fx, display, node);
}

// ---- JTEffect_WetIce ----

bool JTEffect_WetIce::SaveLoad(JTFile& f) {
    if (!SaveLoadHead(f)) return false;
    SaveLoadTextures(f, {&surface, &bump});
    LoadIfNeeded(f, pD3DEffect, kFileName, &ReleaseShared);
    return true;
}

void JTEffect_WetIce::Render(JTDisplay* display, JTGeoNode* node) {
    DrawState s;
    JTCompiledEffect* fx = Prepare(pD3DEffect, kFileName, &ReleaseShared, display, node, s);
    if (!fx) return;
    platform::render::Device& device = *display->GetDevice();
    platform::render::CubeTexture* cube = IceCubeFor(device);
    fx->SetMatrix("mWRD", s.world);
    // The reflection turns ten degrees a second of game time.
    fx->SetMatrix("mBWR", s.world * JTMatrixRotationX(float(gdwTime) * 0.000174533f));
    fx->SetMatrix("mWVP", s.worldViewProj);
    fx->SetTexture("mBUM", DeviceTexture(bump));
    const D3DCOLORVALUE& d = s.light.Diffuse;
    const D3DCOLORVALUE& sp = s.light.Specular;
    fx->SetVector("vDLC", d.r, d.g, d.b, 0);
    fx->SetVector("vALC", -0.5f, -0.5f, -0.4f, 0);
    fx->SetVector("vSLC", sp.r, sp.g, sp.b, 0);
    SetVector(*fx, "vEYE", s.eyeObject);
    SetVector(*fx, "vLDR", s.lightObject);
    fx->SetTexture("mCUB", cube);
    fx->SetVector("mREF", 1, 1, 1, 0.65f);
    SetVector(*fx, "vWEY", s.eyeWorld);
    D3DMATRIX world;
    std::memcpy(world.m, s.world.m, sizeof world.m);
    device.SetTransform(D3DTS_WORLD, world);
    device.SetRenderState(D3DRS_TEXTUREFACTOR, 0xC8FFFFFFu);
    fx->SetVector("vONE", 1, 1, 1, 1);
    DrawPasses(*fx, display, node);
}
