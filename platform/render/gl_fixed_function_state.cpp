// Driving the fixed-function program: its uniforms are worked out from the
// device state (matrices combined, lights carried into view space, stages
// and colour sources as numbers) and sent group by group when the group's
// version moved.
#include "platform/render/fixed_function.h"
#include "platform/render/gl_backend.h"
#include "platform/render/gl_shader_build.h"

#include <algorithm>
#include <cmath>

namespace platform::render {

namespace {

// Row vectors carry normals through the inverse transpose of the upper
// 3 x 3 (n' = n x (M^-1)^T), which as a GL column-vector matrix is M^-1
// itself. GL reads the nine floats column by column.
void NormalMatrix(const D3DMATRIX& m, float out[9]) {
    const float a = m.m[0][0], b = m.m[0][1], c = m.m[0][2];
    const float d = m.m[1][0], e = m.m[1][1], f = m.m[1][2];
    const float g = m.m[2][0], h = m.m[2][1], i = m.m[2][2];
    const float det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
    const float s = std::fabs(det) > 1e-20f ? 1.0f / det : 0.0f;
    // M^-1 row by row.
    const float inverse[9] = {(e * i - f * h) * s, (c * h - b * i) * s, (b * f - c * e) * s,
                              (f * g - d * i) * s, (a * i - c * g) * s, (c * d - a * f) * s,
                              (d * h - e * g) * s, (b * g - a * h) * s, (a * e - b * d) * s};
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            out[col * 3 + row] = inverse[row * 3 + col];
}

D3DVECTOR TransformPoint(const D3DVECTOR& v, const D3DMATRIX& m) {
    return {v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0] + m.m[3][0],
            v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1] + m.m[3][1],
            v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2] + m.m[3][2]};
}

D3DVECTOR TransformDirection(const D3DVECTOR& v, const D3DMATRIX& m) {
    D3DVECTOR r = {v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0],
                   v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1],
                   v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2]};
    const float length = std::sqrt(r.x * r.x + r.y * r.y + r.z * r.z);
    if (length > 0.0f) r = {r.x / length, r.y / length, r.z / length};
    return r;
}

void Color(GLint location, const D3DCOLORVALUE& c) {
    glUniform4f(location, c.r, c.g, c.b, c.a);
}

void SendLights(const FixedFunctionProgram& p, const DeviceState& state) {
    float diffuse[kMaxLights][4] = {}, specular[kMaxLights][4] = {}, ambient[kMaxLights][4] = {};
    float position[kMaxLights][3] = {}, direction[kMaxLights][3] = {};
    float attenuation[kMaxLights][4] = {}, spot[kMaxLights][3] = {};
    int count = 0;
    for (int i = 0; i < kMaxLights; ++i) {
        if (!state.lightEnabled[i]) continue;
        const D3DLIGHT8& l = state.lights[i];
        const D3DCOLORVALUE* colours[3] = {&l.Diffuse, &l.Specular, &l.Ambient};
        float(*targets[3])[4] = {diffuse, specular, ambient};
        for (int k = 0; k < 3; ++k) {
            targets[k][count][0] = colours[k]->r;
            targets[k][count][1] = colours[k]->g;
            targets[k][count][2] = colours[k]->b;
            targets[k][count][3] = colours[k]->a;
        }
        const D3DVECTOR p = TransformPoint(l.Position, state.view);
        const D3DVECTOR d = TransformDirection(l.Direction, state.view);
        position[count][0] = p.x;
        position[count][1] = p.y;
        position[count][2] = p.z;
        direction[count][0] = d.x;
        direction[count][1] = d.y;
        direction[count][2] = d.z;
        attenuation[count][0] = l.Range > 0.0f ? l.Range : 3.4e38f;
        attenuation[count][1] = l.Attenuation0;
        attenuation[count][2] = l.Attenuation1;
        attenuation[count][3] = l.Attenuation2;
        spot[count][0] = std::cos(l.Theta * 0.5f);
        spot[count][1] = std::cos(l.Phi * 0.5f);
        spot[count][2] = l.Falloff;
        ++count;
    }
    glUniform4fv(p.lightDiffuse, kMaxLights, &diffuse[0][0]);
    glUniform4fv(p.lightSpecular, kMaxLights, &specular[0][0]);
    glUniform4fv(p.lightAmbient, kMaxLights, &ambient[0][0]);
    glUniform3fv(p.lightPosition, kMaxLights, &position[0][0]);
    glUniform3fv(p.lightDirection, kMaxLights, &direction[0][0]);
    glUniform4fv(p.lightAttenuation, kMaxLights, &attenuation[0][0]);
    glUniform3fv(p.lightSpot, kMaxLights, &spot[0][0]);
}

void SendTextureMatrices(const FixedFunctionProgram& p, const DeviceState& state) {
    float matrices[kFixedStages][16] = {};
    for (int s = 0; s < kFixedStages; ++s) {
        const float* m = &state.textureTransforms[s].m[0][0];
        for (int k = 0; k < 16; ++k)
            matrices[s][k] = m[k];
    }
    glUniformMatrix4fv(p.texMatrix, kFixedStages, GL_FALSE, &matrices[0][0]);
}

// The colours and numbers the render states give the program, sent only
// when they differ from what it holds: a fresh value of a fragment uniform
// makes the driver store the whole fragment state again.
void SendRenderStates(FixedFunctionProgram& p, const DeviceState& state) {
    const uint32_t* rs = state.renderStates;
    auto colour = [](uint32_t argb, float* out) {
        out[0] = float((argb >> 16) & 0xFF) / 255.0f;
        out[1] = float((argb >> 8) & 0xFF) / 255.0f;
        out[2] = float(argb & 0xFF) / 255.0f;
        out[3] = float(argb >> 24) / 255.0f;
    };
    FixedFunctionProgram::RenderStateValues wanted;
    colour(rs[D3DRS_AMBIENT], wanted.ambient);
    colour(rs[D3DRS_TEXTUREFACTOR], wanted.textureFactor);
    colour(rs[D3DRS_FOGCOLOR], wanted.fogColor);
    wanted.alphaRef = float(rs[D3DRS_ALPHAREF] & 0xFF) / 255.0f;
    wanted.fog[0] = state.RenderStateFloat(D3DRS_FOGSTART);
    wanted.fog[1] = state.RenderStateFloat(D3DRS_FOGEND);
    wanted.fog[2] = state.RenderStateFloat(D3DRS_FOGDENSITY);
    FixedFunctionProgram::RenderStateValues& sent = p.sentRenderStates;
    const bool all = !p.renderStatesSent;
    auto differs = [&](const float* a, const float* b, int n) {
        return all || !std::equal(a, a + n, b);
    };
    if (differs(wanted.ambient, sent.ambient, 4)) glUniform4fv(p.globalAmbient, 1, wanted.ambient);
    if (differs(wanted.textureFactor, sent.textureFactor, 4))
        glUniform4fv(p.textureFactor, 1, wanted.textureFactor);
    if (differs(&wanted.alphaRef, &sent.alphaRef, 1)) glUniform1f(p.alphaRef, wanted.alphaRef);
    if (differs(wanted.fogColor, sent.fogColor, 4)) glUniform4fv(p.fogColor, 1, wanted.fogColor);
    if (differs(wanted.fog, sent.fog, 3)) glUniform3fv(p.fogParams, 1, wanted.fog);
    sent = wanted;
    p.renderStatesSent = true;
}

} // namespace

FixedFunctionProgram::~FixedFunctionProgram() {
    if (program) glDeleteProgram(program);
}

std::unique_ptr<FixedFunctionProgram> CreateFixedFunctionProgram(const FixedFunctionKey& key,
                                                                 std::string* error) {
    const std::string defines = FixedFunctionDefines(key);
    auto p = std::make_unique<FixedFunctionProgram>();
    p->program = BuildProgram(defines + kFixedFunctionVertexShader,
                              defines + kFixedFunctionFragmentShader, error);
    if (!p->program) return nullptr;
    const GLuint g = p->program;
    auto at = [g](const char* name) { return glGetUniformLocation(g, name); };
    p->worldView = at("uWorldView");
    p->projection = at("uProjection");
    p->normalMatrix = at("uNormalMatrix");
    p->viewport = at("uViewport");
    p->globalAmbient = at("uGlobalAmbient");
    p->lightDiffuse = at("uLightDiffuse");
    p->lightSpecular = at("uLightSpecular");
    p->lightAmbient = at("uLightAmbient");
    p->lightPosition = at("uLightPosition");
    p->lightDirection = at("uLightDirection");
    p->lightAttenuation = at("uLightAttenuation");
    p->lightSpot = at("uLightSpot");
    p->materialDiffuse = at("uMaterialDiffuse");
    p->materialAmbient = at("uMaterialAmbient");
    p->materialSpecular = at("uMaterialSpecular");
    p->materialEmissive = at("uMaterialEmissive");
    p->materialPower = at("uMaterialPower");
    p->texMatrix = at("uTexMatrix");
    p->texture2D = at("uTexture2D");
    p->textureCube = at("uTextureCube");
    p->textureFactor = at("uTextureFactor");
    p->fogColor = at("uFogColor");
    p->fogParams = at("uFogParams");
    p->alphaRef = at("jt_AlphaRef");
    // Stage s reads plain textures from unit s and cube maps from unit s + 8.
    GLint current = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    glUseProgram(g);
    const GLint plainUnits[kFixedStages] = {0, 1, 2, 3};
    const GLint cubeUnits[kFixedStages] = {kMaxTextureStages, kMaxTextureStages + 1,
                                           kMaxTextureStages + 2, kMaxTextureStages + 3};
    glUniform1iv(p->texture2D, kFixedStages, plainUnits);
    glUniform1iv(p->textureCube, kFixedStages, cubeUnits);
    glUseProgram(GLuint(current));
    return p;
}

FixedFunctionProgram* GlBackend::FixedFunctionFor(const DeviceState& state) {
    // The key changes only with these groups; between such changes the
    // program of the last draw serves.
    const uint64_t versions[4] = {state.renderStateVersion, state.stageVersion, state.layoutVersion,
                                  state.lightVersion};
    if (fixed_ && std::equal(versions, versions + 4, fixedKeyVersions_)) return fixed_;
    std::copy(versions, versions + 4, fixedKeyVersions_);
    const FixedFunctionKey key = MakeFixedFunctionKey(state);
    auto found = fixedPrograms_.find(key);
    if (found == fixedPrograms_.end()) {
        // A game uses a handful of combinations; should one ever use
        // hundreds, the compiled programs are dropped and made again.
        if (fixedPrograms_.size() >= kMaxFixedPrograms) {
            UseProgram(0);
            fixedPrograms_.clear();
        }
        std::string error;
        auto program = CreateFixedFunctionProgram(key, &error);
        if (!program) {
            ++errors_;
            lastError_ = "fixed-function program: " + error;
        }
        found = fixedPrograms_.emplace(key, std::move(program)).first;
    }
    fixed_ = found->second.get();
    return fixed_;
}

bool GlBackend::PrepareFixedFunction(const DeviceState& state) {
    FixedFunctionProgram* program = FixedFunctionFor(state);
    if (!program) return false;
    FixedFunctionProgram& p = *program;
    UseProgram(p.program);
    if (p.transformVersion != state.transformVersion) {
        const D3DMATRIX worldView = MultiplyMatrices(state.world, state.view);
        float normal[9];
        NormalMatrix(worldView, normal);
        glUniformMatrix4fv(p.worldView, 1, GL_FALSE, &worldView.m[0][0]);
        glUniformMatrix4fv(p.projection, 1, GL_FALSE, &state.projection.m[0][0]);
        glUniformMatrix3fv(p.normalMatrix, 1, GL_FALSE, normal);
        p.transformVersion = state.transformVersion;
    }
    if (p.lightVersion != state.lightVersion) {
        SendLights(p, state);
        p.lightVersion = state.lightVersion;
    }
    if (p.materialVersion != state.materialVersion) {
        const D3DMATERIAL8& m = state.material;
        Color(p.materialDiffuse, m.Diffuse);
        Color(p.materialAmbient, m.Ambient);
        Color(p.materialSpecular, m.Specular);
        Color(p.materialEmissive, m.Emissive);
        glUniform1f(p.materialPower, m.Power);
        p.materialVersion = state.materialVersion;
    }
    if (p.renderStateVersion != state.renderStateVersion) {
        SendRenderStates(p, state);
        p.renderStateVersion = state.renderStateVersion;
    }
    if (p.stageVersion != state.stageVersion) {
        SendTextureMatrices(p, state);
        p.stageVersion = state.stageVersion;
    }
    if (p.viewportVersion != state.viewportVersion) {
        const D3DVIEWPORT8& v = state.viewport;
        glUniform4f(p.viewport, float(v.X), float(v.Y), float(v.Width), float(v.Height));
        p.viewportVersion = state.viewportVersion;
    }
    return true;
}

void GlBackend::UseProgram(GLuint program) {
    if (currentProgram_ == program) return;
    glUseProgram(program);
    currentProgram_ = program;
}

} // namespace platform::render
