// JTEffect: the base drawing, building effect files for the display's
// device, and the render skeleton the file-driven effects share: the
// per-draw engine state, light 0's colours and the passes.
#include "Jentra/JTEffect.h"

#include <cstring>
#include <string>

#include "Jentra/JTCamera.h"
#include "Jentra/JTDataFolder.h"
#include "Jentra/JTDisplay.h"
#include "Jentra/JTErrors.h"
#include "Jentra/JTFile.h"
#include "Jentra/JTGeoNode.h"
#include "Jentra/JTMesh.h"
#include "Jentra/render/compiled_effect.h"
#include "Jentra/render/effect_source.h"
#include "platform/binary_io.h"
#include "platform/render/device.h"

JT_CLASS_IMPL(JTEffect)

using platform::render::Device;
using platform::render::VertexElement;
using platform::render::VertexElementType;

namespace {

constexpr uint16_t kEffectVersion = 1;
// Effect files are a few kilobytes of text; anything near this is not one.
constexpr uint64_t kMaxEffectFileBytes = 1 << 20;

// Builds a file for a device; every failure ends in the fatal box.
JTCompiledEffect* BuildEffectFile(Device& device, const char* fileName) {
    const std::string path = JTResolveDataPath(fileName);
    std::string text, log;
    if (!platform::ReadWholeFile(path, text, &log, kMaxEffectFileBytes))
        FatalErrorBox(("Cannot read the effect file \"" + path + "\".").c_str(), log.c_str());
    jentra::effects::EffectSource source;
    if (!jentra::effects::ParseEffectSource(text, source, &log))
        FatalErrorBox(("The effect file \"" + path + "\" is damaged.").c_str(), log.c_str());
    std::unique_ptr<JTCompiledEffect> effect = JTCompiledEffect::Build(device, source, &log);
    if (!effect)
        FatalErrorBox(
            ("No technique of the effect file \"" + path + "\" builds on this device.").c_str(),
            log.c_str());
    return effect.release();
}

} // namespace

void JTEffect::Render(JTDisplay* display, JTGeoNode* node) {
    if (node) node->DrawPrimitives(display);
}

JTCompiledEffect* JTEffect::LoadEffectFile(const char* fileName) {
    Device* device = gpJTDisplay ? gpJTDisplay->GetDevice() : nullptr;
    if (!device || !fileName) return nullptr;
    return BuildEffectFile(*device, fileName);
}

JTCompiledEffect* JTEffect::Prepare(JTCompiledEffect*& shared, const char* fileName,
                                    void (*release)(), JTDisplay* display, JTGeoNode* node,
                                    DrawState& state) {
    Device* device = display ? display->GetDevice() : nullptr;
    if (!device || !node) return nullptr;
    // Built for a display that is gone: build again for this one.
    if (shared && &shared->GetDevice() != device) release();
    if (!shared) {
        shared = BuildEffectFile(*device, fileName);
        JTDisplay::JoinReleaseList(release);
    }

    state.world = node->GetRenderMatrix();
    state.view = JTMatrix();
    state.projection = JTMatrix();
    state.eyeWorld = JTVec3();
    if (JTCamera* camera = display->GetCurrentCamera()) {
        state.view = camera->GetView();
        state.projection = camera->GetPerspective();
        state.eyeWorld = camera->GetPos();
    }
    state.worldViewProj = state.world * state.view * state.projection;
    if (!JTMatrixInverse(state.worldInverse, state.world)) state.worldInverse = JTMatrix();
    state.light = D3DLIGHT8{};
    device->GetLight(0, &state.light);
    state.eyeObject = JTVec3TransformCoord(state.eyeWorld, state.worldInverse);
    JTVec3 towards;
    if (state.light.Type == D3DLIGHT_DIRECTIONAL) {
        towards = JTVec3(state.light.Direction.x, state.light.Direction.y, state.light.Direction.z);
    } else {
        JTVec3 lightPos(state.light.Position.x, state.light.Position.y, state.light.Position.z);
        towards = state.world.GetTranslation() - lightPos;
    }
    state.lightObject = JTVec3Normalize(-JTVec3TransformNormal(towards, state.worldInverse));
    return shared;
}

void JTEffect::DrawPasses(JTCompiledEffect& effect, JTDisplay* display, JTGeoNode* node) {
    Device* device = display->GetDevice();
    platform::render::VertexBuffer* bumps = nullptr;
    if (JTMesh* mesh = node->GetMesh(); mesh && mesh->PrepareDeviceBuffers(device))
        bumps = mesh->GetVMBumpMatrices();
    // Stream 0 the engine's vertex; stream 1 the bump matrix's three
    // columns when the mesh has them.
    const VertexElement elements[] = {
        {0, 0, VertexElementType::Float3, platform::render::kLocationPosition},
        {0, 12, VertexElementType::Float3, platform::render::kLocationNormal},
        {0, 24, VertexElementType::Float2, platform::render::kLocationTexCoord0},
        {1, 0, VertexElementType::Float3, platform::render::kLocationUser0},
        {1, 12, VertexElementType::Float3, platform::render::kLocationUser0 + 1},
        {1, 24, VertexElementType::Float3, platform::render::kLocationUser0 + 2},
    };
    device->SetVertexDeclaration(elements, bumps ? 6 : 3);
    device->SetStreamSource(1, bumps, bumps ? JTMesh::kBumpStride : 0);
    int passes = effect.Begin();
    for (int i = 0; i < passes; ++i) {
        effect.Pass(i);
        node->DrawPrimitives(display);
    }
    effect.End();
    device->SetStreamSource(1, nullptr, 0);
    device->SetVertexShader(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1);
}

void JTEffect::SetLightColours(JTCompiledEffect& effect, const D3DLIGHT8& light) {
    const D3DCOLORVALUE& d = light.Diffuse;
    const D3DCOLORVALUE& a = light.Ambient;
    const D3DCOLORVALUE& s = light.Specular;
    effect.SetVector("vDLC", d.r, d.g, d.b, 0);
    effect.SetVector("vALC", a.r, a.g, a.b, 0);
    effect.SetVector("vAL2", 2 * a.r, 2 * a.g, 2 * a.b, 0);
    effect.SetVector("vSLC", s.r, s.g, s.b, 0);
}

bool JTEffect::SaveLoadHead(JTFile& f) {
    uint16_t version = kEffectVersion;
    return JTUnknown::SaveLoad(f) && f.SaveLoadValue(version);
}

void JTEffect::SaveLoadTextures(JTFile& f, std::initializer_list<JTTexture**> textures) {
    for (JTTexture** texture : textures)
        SaveLoadTexture(f, *texture);
}

void JTEffect::SetLitSurface(JTCompiledEffect& effect, const DrawState& state, JTTexture* diffuse,
                             JTTexture* bump) {
    effect.SetMatrix("mWVP", state.worldViewProj);
    effect.SetTexture("mDIF", DeviceTexture(diffuse));
    effect.SetTexture("mBUM", DeviceTexture(bump));
    SetVector(effect, "vEYE", state.eyeObject);
    SetVector(effect, "vLDR", state.lightObject);
}

void JTEffect::SetVector(JTCompiledEffect& effect, const char* name, const JTVec3& v, float w) {
    effect.SetVector(name, v.x, v.y, v.z, w);
}

void JTEffect::LoadIfNeeded(JTFile& f, JTCompiledEffect*& shared, const char* fileName,
                            void (*release)()) {
    if (!f.Loading() || shared) return;
    shared = LoadEffectFile(fileName);
    if (shared) JTDisplay::JoinReleaseList(release);
}
