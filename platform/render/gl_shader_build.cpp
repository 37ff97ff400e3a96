// Shader preludes and program building.
#include "platform/render/gl_shader_build.h"

#include <vector>

namespace platform::render {

namespace {

const char* const kCommonPrelude = R"(#version 330 core
#define JT_POSITION 0
#define JT_NORMAL 1
#define JT_DIFFUSE 2
#define JT_SPECULAR 3
#define JT_TEXCOORD0 4
#define JT_TEXCOORD1 5
#define JT_TEXCOORD2 6
#define JT_TEXCOORD3 7
#define JT_USER0 8
#define JT_USER1 9
#define JT_USER2 10
#define JT_USER3 11
#define JT_USER4 12
#define JT_USER5 13
#define JT_USER6 14
#define JT_USER7 15
)";

// Direct3D clip space has depth 0..w and screen y upwards; GL wants depth
// -w..w. Surfaces are kept top row first, so y is turned over as well.
const char* const kVertexPrelude = R"(
vec4 jtToClip(vec4 p) {
    return vec4(p.x, -p.y, 2.0 * p.z - p.w, p.w);
}
#line 1
)";

// The alpha test compares the alpha as a byte with the reference byte.
const char* const kFragmentPrelude = R"(
uniform float jt_AlphaRef;
uniform int jt_AlphaFunc;
bool jtAlphaPasses(float alpha, int func, float reference) {
    int a = int(clamp(alpha, 0.0, 1.0) * 255.0 + 0.5);
    int r = int(reference * 255.0 + 0.5);
    if (func == 1) return false;
    if (func == 2) return a < r;
    if (func == 3) return a == r;
    if (func == 4) return a <= r;
    if (func == 5) return a > r;
    if (func == 6) return a != r;
    if (func == 7) return a >= r;
    return true;
}
void jtAlphaTest(float alpha) {
    if (!jtAlphaPasses(alpha, jt_AlphaFunc, jt_AlphaRef)) discard;
}
#line 1
)";

// The driver's messages about a shader or a program.
template <typename GetInt, typename GetLog>
std::string InfoLog(GLuint object, GetInt getInt, GetLog getLog) {
    GLint length = 0;
    getInt(object, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> log(size_t(length > 0 ? length : 1), 0);
    getLog(object, GLsizei(log.size()), nullptr, log.data());
    return log.data();
}

GLuint Compile(GLenum kind, const std::string& body, const char* prelude, std::string* error) {
    const std::string source = std::string(kCommonPrelude) + prelude + body;
    const char* text = source.c_str();
    GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok) return shader;
    if (error)
        *error = std::string(kind == GL_VERTEX_SHADER ? "vertex shader: " : "fragment shader: ") +
                 InfoLog(shader, glGetShaderiv, glGetShaderInfoLog);
    glDeleteShader(shader);
    return 0;
}

} // namespace

GLuint BuildProgram(const std::string& vertexBody, const std::string& fragmentBody,
                    std::string* error) {
    GLuint vertex = Compile(GL_VERTEX_SHADER, vertexBody, kVertexPrelude, error);
    if (!vertex) return 0;
    GLuint fragment = Compile(GL_FRAGMENT_SHADER, fragmentBody, kFragmentPrelude, error);
    if (!fragment) {
        glDeleteShader(vertex);
        return 0;
    }
    GLuint program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint ok = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok) return program;
    if (error) *error = "link: " + InfoLog(program, glGetProgramiv, glGetProgramInfoLog);
    glDeleteProgram(program);
    return 0;
}

} // namespace platform::render
