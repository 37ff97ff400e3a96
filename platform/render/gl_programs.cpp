// Effect programs in GL: built with the device's prelude, their uniforms
// looked up once by name and type, sent when set (and the standard jt_
// uniforms when the device state they follow changes).
#include "platform/render/gl_backend.h"

#include "platform/render/gl_shader_build.h"

#include <vector>

namespace platform::render {

namespace {

bool IsCubeSampler(GLenum type) {
    return type == GL_SAMPLER_CUBE;
}

void SendUniform(const GlProgramInfo::Active& a, const Program::Uniform& u) {
    const GLint location = a.location;
    if (u.kind == Program::Uniform::Kind::Ints) {
        glUniform1iv(location, GLsizei(u.ints.size()), u.ints.data());
        return;
    }
    const auto n = GLsizei(u.floats.size());
    const float* v = u.floats.data();
    switch (a.type) {
    case GL_FLOAT:
        glUniform1fv(location, std::min<GLsizei>(n, a.size), v);
        break;
    case GL_FLOAT_VEC2:
        glUniform2fv(location, std::min<GLsizei>(n / 2, a.size), v);
        break;
    case GL_FLOAT_VEC3:
        glUniform3fv(location, std::min<GLsizei>(n / 3, a.size), v);
        break;
    case GL_FLOAT_VEC4:
        glUniform4fv(location, std::min<GLsizei>(n / 4, a.size), v);
        break;
    case GL_FLOAT_MAT3:
        glUniformMatrix3fv(location, std::min<GLsizei>(n / 9, a.size), GL_FALSE, v);
        break;
    case GL_FLOAT_MAT4:
        glUniformMatrix4fv(location, std::min<GLsizei>(n / 16, a.size), GL_FALSE, v);
        break;
    case GL_INT:
    case GL_BOOL:
        if (n > 0) glUniform1i(location, GLint(v[0]));
        break;
    default:
        break; // a kind the program does not take from floats
    }
}

} // namespace

bool GlBackend::InitProgram(Program& program, std::string* error) {
    MakeCurrent();
    const GLuint name = BuildProgram(program.VertexSource(), program.FragmentSource(), error);
    if (!name) return false;
    auto info = std::make_unique<GlProgramInfo>();
    GLint count = 0;
    glGetProgramiv(name, GL_ACTIVE_UNIFORMS, &count);
    for (GLint i = 0; i < count; ++i) {
        char text[256];
        GLsizei length = 0;
        GlProgramInfo::Active a;
        glGetActiveUniform(name, GLuint(i), sizeof text, &length, &a.size, &a.type, text);
        a.location = glGetUniformLocation(name, text);
        info->uniforms[std::string(text, size_t(length))] = a;
    }
    auto standard = [&](const char* n) {
        const GlProgramInfo::Active* a = info->Find(n);
        return a ? a->location : -1;
    };
    info->world = standard("jt_World");
    info->view = standard("jt_View");
    info->projection = standard("jt_Projection");
    info->worldViewProj = standard("jt_WorldViewProj");
    info->alphaRef = standard("jt_AlphaRef");
    info->alphaFunc = standard("jt_AlphaFunc");
    program.handle = name;
    programs_[&program] = std::move(info);
    CheckErrors();
    return true;
}

void GlBackend::ReleaseProgram(Program& program) {
    programs_.erase(&program);
    if (!program.handle) return;
    MakeCurrent();
    const GLuint name = GLuint(program.handle);
    if (currentProgram_ == name) UseProgram(0);
    glDeleteProgram(name);
    program.handle = 0;
}

bool GlBackend::PrepareEffectProgram(const DeviceState& state) {
    Program& program = *state.program;
    auto found = programs_.find(&program);
    if (found == programs_.end() || !program.handle) return false;
    GlProgramInfo& info = *found->second;
    UseProgram(GLuint(program.handle));
    if (info.transformVersion != state.transformVersion) {
        if (info.world >= 0) glUniformMatrix4fv(info.world, 1, GL_FALSE, &state.world.m[0][0]);
        if (info.view >= 0) glUniformMatrix4fv(info.view, 1, GL_FALSE, &state.view.m[0][0]);
        if (info.projection >= 0)
            glUniformMatrix4fv(info.projection, 1, GL_FALSE, &state.projection.m[0][0]);
        if (info.worldViewProj >= 0) {
            const D3DMATRIX wvp =
                MultiplyMatrices(MultiplyMatrices(state.world, state.view), state.projection);
            glUniformMatrix4fv(info.worldViewProj, 1, GL_FALSE, &wvp.m[0][0]);
        }
        info.transformVersion = state.transformVersion;
    }
    if (info.renderStateVersion != state.renderStateVersion) {
        const uint32_t* rs = state.renderStates;
        if (info.alphaFunc >= 0)
            glUniform1i(info.alphaFunc, rs[D3DRS_ALPHATESTENABLE] ? GLint(rs[D3DRS_ALPHAFUNC])
                                                                  : GLint(D3DCMP_ALWAYS));
        if (info.alphaRef >= 0)
            glUniform1f(info.alphaRef, float(rs[D3DRS_ALPHAREF] & 0xFF) / 255.0f);
        info.renderStateVersion = state.renderStateVersion;
    }
    for (auto& [name, uniform] : program.Uniforms()) {
        if (!uniform.dirty) continue;
        if (const GlProgramInfo::Active* a = info.Find(name)) SendUniform(*a, uniform);
        uniform.dirty = false;
    }
    if (program.samplersDirty) {
        for (const auto& [name, stage] : program.Samplers()) {
            const GlProgramInfo::Active* a = info.Find(name);
            if (!a) continue;
            glUniform1i(a->location, IsCubeSampler(a->type) ? stage + kMaxTextureStages : stage);
        }
        program.samplersDirty = false;
    }
    return true;
}

} // namespace platform::render
