// JTCompiledEffect: an effect file built for one device. It keeps the
// values of the file's named parameters, and draws through the passes of
// the technique it chose: Begin answers the pass count, Pass(i) puts that
// pass's program, render states, parameter values and textures on the
// device, End goes back to the fixed-function pipeline.
//
// What every stage of a pass sees besides its own GLSL:
//   vertex inputs  inPosition (vec3), inNormal (vec3), inTexCoord (vec2) of
//                  the engine's vertex in stream 0, and inBump0..2 (vec3),
//                  the columns of the vertex's bump matrix in stream 1
//                  (zero when the mesh has none);
//   jtTangentFrame(out vec3 s, out vec3 t, out vec3 n) in the vertex stage:
//                  the texture's u and v directions and the normal in
//                  object space, taken from the bump matrix (the vertex
//                  normal and zero directions without one);
//   every declared parameter as a uniform of its kind, and for each texture
//   or cube parameter X a float jtHas_X, 1 while a texture is bound to it
//   and 0 while none is (what an unbound sampler reads is undefined);
//   the device's helpers jtToClip and jtAlphaTest.
// Each pass is built once with jtHas_X as uniforms, which chooses the
// technique, and then once for each set of bound textures it is drawn
// with, jtHas_X being constants there: the driver's compiler drops what a
// missing texture leaves out, so a pass costs only what it draws.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Jentra/JTMath.h"
#include "Jentra/render/effect_source.h"

namespace platform::render {
class Device;
class Program;
class BaseTexture;
} // namespace platform::render

class JTCompiledEffect {
public:
    ~JTCompiledEffect();
    JTCompiledEffect(const JTCompiledEffect&) = delete;
    JTCompiledEffect& operator=(const JTCompiledEffect&) = delete;

    // Builds the first technique of the source whose passes all compile and
    // link. Null when none does; *log then holds every technique's reason.
    static std::unique_ptr<JTCompiledEffect> Build(platform::render::Device& device,
                                                   const jentra::effects::EffectSource& source,
                                                   std::string* log);

    platform::render::Device& GetDevice() const { return device; }
    const std::string& GetTechniqueName() const { return techniqueName; }

    // Parameter values by name; false when the file declares no parameter
    // of that name and kind (the value is then dropped).
    bool SetMatrix(const char* name, const JTMatrix& m);
    bool SetVector(const char* name, float x, float y, float z, float w);
    bool SetFloat(const char* name, float value);
    // A texture or cube parameter; null binds none.
    bool SetTexture(const char* name, platform::render::BaseTexture* texture);

    // The pass count of the technique.
    int Begin();
    // Puts pass i on the device; false for a pass that does not exist.
    bool Pass(int i);
    // Back to the fixed-function pipeline, the effect's textures unbound.
    void End();

private:
    struct Param {
        jentra::effects::ParamKind kind;
        std::string name;
        std::vector<float> values; // 16, 4 or 1 floats
        platform::render::BaseTexture* texture = nullptr;
        int stage = -1; // texture stage of a texture or cube parameter
        bool set = false;
    };
    struct BuiltPass {
        std::unique_ptr<platform::render::Program> program; // jtHas_X uniforms
        std::vector<jentra::effects::PassState> states;
        // The pass's own stages, below the parameters' declarations.
        std::string vertexBody, fragmentBody;
        // Programs by bound-texture set (bit k: the k-th texture parameter
        // has a texture); null where that set did not build.
        std::vector<std::pair<uint32_t, std::unique_ptr<platform::render::Program>>> variants;
    };

    explicit JTCompiledEffect(platform::render::Device& device);
    Param* Find(const char* name, bool texture);
    // The declarations of the parameters: jtHas_X as uniforms, or as the
    // constants of a bound-texture set.
    std::string Declarations(bool constants, uint32_t bound) const;
    // The program of the pass for the textures bound now.
    platform::render::Program& ProgramFor(BuiltPass& pass, uint32_t& bound);

    platform::render::Device& device;
    std::string techniqueName;
    std::vector<Param> params;
    std::vector<BuiltPass> passes;
};
