// Which fixed-function program a device state needs, and that choice
// written as the #defines the shader sources are compiled with.
#include "platform/render/fixed_function.h"

#include "platform/render/resources.h"

#include <cstring>

namespace platform::render {

namespace {

bool LayoutHas(const VertexLayout& layout, int location) {
    for (int i = 0; i < layout.count; ++i)
        if (layout.elements[i].location == location) return true;
    return false;
}

} // namespace

bool FixedFunctionKey::operator<(const FixedFunctionKey& other) const {
    return std::memcmp(this, &other, sizeof *this) < 0;
}

bool FixedFunctionKey::operator==(const FixedFunctionKey& other) const {
    return std::memcmp(this, &other, sizeof *this) == 0;
}

FixedFunctionKey MakeFixedFunctionKey(const DeviceState& state) {
    static_assert(sizeof(FixedFunctionKey) % sizeof(int32_t) == 0, "keys compare as bytes");
    FixedFunctionKey k;
    const uint32_t* rs = state.renderStates;
    const VertexLayout& layout = state.layout;
    k.pretransformed = layout.pretransformed ? 1 : 0;
    k.hasNormal = LayoutHas(layout, kLocationNormal) ? 1 : 0;
    k.hasDiffuse = LayoutHas(layout, kLocationDiffuse) ? 1 : 0;
    k.hasSpecular = LayoutHas(layout, kLocationSpecular) ? 1 : 0;
    k.lighting = !k.pretransformed && rs[D3DRS_LIGHTING] ? 1 : 0;
    k.normalize = rs[D3DRS_NORMALIZENORMALS] ? 1 : 0;
    k.specularEnable = rs[D3DRS_SPECULARENABLE] ? 1 : 0;
    if (k.lighting) {
        k.localViewer = rs[D3DRS_LOCALVIEWER] ? 1 : 0;
        for (int i = 0; i < kMaxLights; ++i)
            if (state.lightEnabled[i]) k.lightTypes[k.lightCount++] = state.lights[i].Type;
        // Without vertex colours every colour comes from the material.
        if (rs[D3DRS_COLORVERTEX]) {
            k.colorSources[0] = int32_t(rs[D3DRS_DIFFUSEMATERIALSOURCE]);
            k.colorSources[1] = int32_t(rs[D3DRS_SPECULARMATERIALSOURCE]);
            k.colorSources[2] = int32_t(rs[D3DRS_AMBIENTMATERIALSOURCE]);
            k.colorSources[3] = int32_t(rs[D3DRS_EMISSIVEMATERIALSOURCE]);
        }
    }
    if (rs[D3DRS_FOGENABLE]) {
        k.fogMode = int32_t(rs[D3DRS_FOGTABLEMODE] != D3DFOG_NONE ? rs[D3DRS_FOGTABLEMODE]
                                                                  : rs[D3DRS_FOGVERTEXMODE]);
        k.rangeFog = rs[D3DRS_RANGEFOGENABLE] ? 1 : 0;
    }
    k.alphaFunc = rs[D3DRS_ALPHATESTENABLE] ? int32_t(rs[D3DRS_ALPHAFUNC]) : int32_t(D3DCMP_ALWAYS);
    // The stages run up to the first whose colour operation is "disable".
    while (k.stageCount < kFixedStages &&
           state.stageStates[k.stageCount][D3DTSS_COLOROP] != D3DTOP_DISABLE)
        ++k.stageCount;
    for (int s = 0; s < k.stageCount; ++s) {
        const uint32_t* ss = state.stageStates[s];
        const BaseTexture* texture = state.textures[s];
        FixedFunctionKey::Stage& out = k.stages[s];
        out.textureKind = !texture || !texture->handle ? 0 : texture->IsCube() ? 2 : 1;
        out.texCoordIndex = int32_t(ss[D3DTSS_TEXCOORDINDEX] & 0x30003u);
        out.transformFlags = int32_t(ss[D3DTSS_TEXTURETRANSFORMFLAGS] & 0x107u);
        out.colorOp = int32_t(ss[D3DTSS_COLOROP]);
        out.colorArgs[0] = int32_t(ss[D3DTSS_COLORARG0] & 0x3Fu);
        out.colorArgs[1] = int32_t(ss[D3DTSS_COLORARG1] & 0x3Fu);
        out.colorArgs[2] = int32_t(ss[D3DTSS_COLORARG2] & 0x3Fu);
        out.alphaOp = int32_t(ss[D3DTSS_ALPHAOP]);
        out.alphaArgs[0] = int32_t(ss[D3DTSS_ALPHAARG0] & 0x3Fu);
        out.alphaArgs[1] = int32_t(ss[D3DTSS_ALPHAARG1] & 0x3Fu);
        out.alphaArgs[2] = int32_t(ss[D3DTSS_ALPHAARG2] & 0x3Fu);
        out.toTemp = (ss[D3DTSS_RESULTARG] & D3DTA_SELECTMASK) == D3DTA_TEMP ? 1 : 0;
    }
    return k;
}

std::string FixedFunctionDefines(const FixedFunctionKey& k) {
    std::string text;
    auto define = [&](const std::string& name, int value) {
        text += "#define " + name + " " + std::to_string(value) + "\n";
    };
    define("PRETRANSFORMED", k.pretransformed);
    define("HAS_NORMAL", k.hasNormal);
    define("HAS_DIFFUSE", k.hasDiffuse);
    define("HAS_SPECULAR", k.hasSpecular);
    define("LIGHTING", k.lighting);
    define("NORMALIZE", k.normalize);
    define("LOCAL_VIEWER", k.localViewer);
    define("SPECULAR_ENABLE", k.specularEnable);
    define("SPECULAR_ADD", k.specularEnable);
    define("LIGHT_COUNT", k.lightCount);
    for (int i = 0; i < kMaxLights; ++i)
        define("LIGHT_TYPE" + std::to_string(i), k.lightTypes[i]);
    define("DIFFUSE_SOURCE", k.colorSources[0]);
    define("SPECULAR_SOURCE", k.colorSources[1]);
    define("AMBIENT_SOURCE", k.colorSources[2]);
    define("EMISSIVE_SOURCE", k.colorSources[3]);
    define("RANGE_FOG", k.rangeFog);
    define("FOG_MODE", k.fogMode);
    define("ALPHA_FUNC", k.alphaFunc);
    define("STAGE_COUNT", k.stageCount);
    for (int s = 0; s < kFixedStages; ++s) {
        const FixedFunctionKey::Stage& st = k.stages[s];
        const std::string n = std::to_string(s);
        define("TC_INDEX" + n, st.texCoordIndex);
        define("TC_FLAGS" + n, st.transformFlags);
        define("TEX_KIND" + n, st.textureKind);
        define("COLOR_OP" + n, st.colorOp);
        define("ALPHA_OP" + n, st.alphaOp);
        define("RESULT_TEMP" + n, st.toTemp);
        for (int a = 0; a < 3; ++a) {
            define("COLOR_ARG" + std::to_string(a) + "_" + n, st.colorArgs[a]);
            define("ALPHA_ARG" + std::to_string(a) + "_" + n, st.alphaArgs[a]);
        }
    }
    return text;
}

} // namespace platform::render
