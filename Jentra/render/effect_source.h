// The engine's effect-file format (".eft"), read into a plain description.
// An effect file is text, one statement a line, '#' to the end of a line is
// a comment:
//
//   param matrix  mWVP        a mat4 uniform (a row-vector matrix: m * v)
//   param vector  vLDR        a vec4 uniform
//   param float   fOFF        a float uniform
//   param texture mDIF        a sampler2D with a texture stage of its own
//   param cube    mCUB        a samplerCube with a texture stage of its own
//
//   common                    GLSL put before both stages of every pass
//   ...
//   end
//
//   technique <name>          tried in file order; the first whose every
//   pass [<name>]             pass compiles and links is used
//     cull none|cw|ccw
//     zenable on|off [<func>]
//     zwrite on|off
//     blend off | <src> <dst> [<op>]
//     alphatest off | <ref 0..255> <func>
//     vertex                  GLSL 3.30 of the vertex stage, up to "end"
//     ...
//     end
//     fragment                GLSL 3.30 of the fragment stage, up to "end"
//     ...
//     end
//
// Blend factors: zero one srccolor invsrccolor srcalpha invsrcalpha
// destalpha invdestalpha destcolor invdestcolor; operations: add subtract
// revsubtract min max; comparisons: never less equal lessequal greater
// notequal greaterequal always. The stages get the engine's vertex inputs
// and the declared parameters without declaring them (see compiled_effect.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace jentra::effects {

enum class ParamKind { Matrix, Vector, Float, Texture, Cube };

struct ParamDecl {
    ParamKind kind;
    std::string name;
};

// One render state a pass sets: the state number and its value.
struct PassState {
    uint32_t state;
    uint32_t value;
};

struct PassDecl {
    std::string name;
    std::vector<PassState> states;
    std::string vertex;
    std::string fragment;
};

struct TechniqueDecl {
    std::string name;
    std::vector<PassDecl> passes;
};

struct EffectSource {
    std::vector<ParamDecl> params;
    std::string common;
    std::vector<TechniqueDecl> techniques;
};

// Reads an effect file's text. False with "line N: what" in *error when the
// text breaks the format (unknown statement or value, a technique without
// passes, a pass without both stages, a block without "end", a parameter
// declared twice or under a name GLSL cannot take).
bool ParseEffectSource(const std::string& text, EffectSource& out, std::string* error);

} // namespace jentra::effects
