// Building an effect file's technique for a device and drawing through its
// passes.
#include "Jentra/render/compiled_effect.h"

#include <cstring>

#include "platform/render/device.h"

using jentra::effects::EffectSource;
using jentra::effects::ParamKind;
using platform::render::Device;

namespace {

// The engine's vertex in stream 0 and its bump matrix in stream 1.
const char* const kVertexInputs = R"(layout(location = JT_POSITION) in vec3 inPosition;
layout(location = JT_NORMAL) in vec3 inNormal;
layout(location = JT_TEXCOORD0) in vec2 inTexCoord;
layout(location = JT_USER0) in vec3 inBump0;
layout(location = JT_USER1) in vec3 inBump1;
layout(location = JT_USER2) in vec3 inBump2;
// The bump matrix's columns are (pi T - S, -pi S - T, N) for the texture's
// u direction S, its v direction T and the normal N; solved back here.
void jtTangentFrame(out vec3 s, out vec3 t, out vec3 n) {
    const float pi = 3.1415927;
    float k = 1.0 / (pi * pi + 1.0);
    s = (-inBump0 - pi * inBump1) * k;
    t = (pi * inBump0 - inBump1) * k;
    n = dot(inBump2, inBump2) > 0.0 ? inBump2 : inNormal;
}
)";

const char* GlslType(ParamKind kind) {
    switch (kind) {
    case ParamKind::Matrix:
        return "mat4";
    case ParamKind::Vector:
        return "vec4";
    case ParamKind::Float:
        return "float";
    case ParamKind::Texture:
        return "sampler2D";
    case ParamKind::Cube:
        return "samplerCube";
    }
    return "float";
}

int FloatCount(ParamKind kind) {
    return kind == ParamKind::Matrix ? 16 : kind == ParamKind::Vector ? 4 : 1;
}

bool IsTexture(ParamKind kind) {
    return kind == ParamKind::Texture || kind == ParamKind::Cube;
}

} // namespace

JTCompiledEffect::JTCompiledEffect(Device& device) : device(device) {}

JTCompiledEffect::~JTCompiledEffect() = default;

std::string JTCompiledEffect::Declarations(bool constants, uint32_t bound) const {
    std::string text;
    int texture = 0;
    for (const Param& p : params) {
        text += std::string("uniform ") + GlslType(p.kind) + " " + p.name + ";\n";
        if (!IsTexture(p.kind)) continue;
        if (constants)
            text += "const float jtHas_" + p.name + " = " +
                    ((bound >> texture) & 1u ? "1.0" : "0.0") + ";\n";
        else
            text += "uniform float jtHas_" + p.name + ";\n";
        ++texture;
    }
    return text;
}

std::unique_ptr<JTCompiledEffect>
JTCompiledEffect::Build(Device& device, const EffectSource& source, std::string* log) {
    std::unique_ptr<JTCompiledEffect> effect(new JTCompiledEffect(device));
    int stage = 0;
    for (const auto& decl : source.params) {
        Param p;
        p.kind = decl.kind;
        p.name = decl.name;
        if (IsTexture(decl.kind)) {
            if (stage >= platform::render::kMaxTextureStages) {
                if (log) *log = "more textures than the device has stages";
                return nullptr;
            }
            p.stage = stage++;
        } else {
            p.values.assign(size_t(FloatCount(decl.kind)), 0.0f);
        }
        effect->params.push_back(std::move(p));
    }
    const std::string uniforms = effect->Declarations(false, 0);

    std::string reasons;
    for (const auto& technique : source.techniques) {
        std::vector<BuiltPass> built;
        std::string why;
        for (const auto& pass : technique.passes) {
            BuiltPass b;
            b.vertexBody = source.common + pass.vertex;
            b.fragmentBody = source.common + pass.fragment;
            std::string error;
            b.program = device.CreateProgram(kVertexInputs + uniforms + b.vertexBody,
                                             uniforms + b.fragmentBody, &error);
            if (!b.program) {
                why = error;
                break;
            }
            b.states = pass.states;
            built.push_back(std::move(b));
        }
        if (built.size() == technique.passes.size()) {
            effect->techniqueName = technique.name;
            effect->passes = std::move(built);
            for (Param& p : effect->params)
                if (p.stage >= 0)
                    for (BuiltPass& b : effect->passes)
                        b.program->SetSampler(p.name, p.stage);
            return effect;
        }
        reasons += "technique \"" + technique.name + "\": " + why + "\n";
    }
    if (log) *log = reasons.empty() ? "no technique" : reasons;
    return nullptr;
}

JTCompiledEffect::Param* JTCompiledEffect::Find(const char* name, bool texture) {
    if (!name) return nullptr;
    for (Param& p : params)
        if (p.name == name) return IsTexture(p.kind) == texture ? &p : nullptr;
    return nullptr;
}

bool JTCompiledEffect::SetMatrix(const char* name, const JTMatrix& m) {
    Param* p = Find(name, false);
    if (!p || p->kind != ParamKind::Matrix) return false;
    std::memcpy(p->values.data(), &m.m[0][0], sizeof m.m);
    p->set = true;
    return true;
}

bool JTCompiledEffect::SetVector(const char* name, float x, float y, float z, float w) {
    Param* p = Find(name, false);
    if (!p || p->kind != ParamKind::Vector) return false;
    p->values = {x, y, z, w};
    p->set = true;
    return true;
}

bool JTCompiledEffect::SetFloat(const char* name, float value) {
    Param* p = Find(name, false);
    if (!p || p->kind != ParamKind::Float) return false;
    p->values[0] = value;
    p->set = true;
    return true;
}

bool JTCompiledEffect::SetTexture(const char* name, platform::render::BaseTexture* texture) {
    Param* p = Find(name, true);
    if (!p) return false;
    // A plain texture cannot stand where the file samples a cube, nor the
    // reverse; such a texture binds none.
    if (texture && texture->IsCube() != (p->kind == ParamKind::Cube)) texture = nullptr;
    p->texture = texture;
    p->set = true;
    return true;
}

int JTCompiledEffect::Begin() {
    return int(passes.size());
}

platform::render::Program& JTCompiledEffect::ProgramFor(BuiltPass& pass, uint32_t& bound) {
    bound = 0;
    int texture = 0;
    for (const Param& p : params)
        if (p.stage >= 0) bound |= (p.texture ? 1u : 0u) << texture++;
    for (auto& [set, program] : pass.variants)
        if (set == bound) return program ? *program : *pass.program;
    const std::string declarations = Declarations(true, bound);
    auto program = device.CreateProgram(kVertexInputs + declarations + pass.vertexBody,
                                        declarations + pass.fragmentBody, nullptr);
    if (program)
        for (const Param& p : params)
            if (p.stage >= 0) program->SetSampler(p.name, p.stage);
    pass.variants.emplace_back(bound, std::move(program));
    const auto& made = pass.variants.back().second;
    return made ? *made : *pass.program;
}

bool JTCompiledEffect::Pass(int i) {
    if (i < 0 || size_t(i) >= passes.size()) return false;
    BuiltPass& pass = passes[size_t(i)];
    uint32_t bound = 0;
    platform::render::Program& program = ProgramFor(pass, bound);
    const bool constants = &program != pass.program.get();
    for (const Param& p : params) {
        if (p.stage >= 0) {
            device.SetTexture(uint32_t(p.stage), p.texture);
            if (!constants) program.SetFloat("jtHas_" + p.name, p.texture ? 1.0f : 0.0f);
            continue;
        }
        if (p.kind == ParamKind::Matrix) {
            D3DMATRIX m;
            std::memcpy(&m.m[0][0], p.values.data(), sizeof m.m);
            program.SetMatrix(p.name, m);
        } else {
            program.SetFloats(p.name, p.values.data(), int(p.values.size()));
        }
    }
    for (const auto& s : pass.states)
        device.SetRenderState(D3DRENDERSTATETYPE(s.state), s.value);
    device.SetProgram(&program);
    return true;
}

void JTCompiledEffect::End() {
    device.SetProgram(nullptr);
    for (const Param& p : params)
        if (p.stage >= 0) device.SetTexture(uint32_t(p.stage), nullptr);
}
