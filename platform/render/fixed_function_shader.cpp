// The fixed-function pipeline in GLSL: per-vertex lighting with up to eight
// lights and the material colour sources, texture coordinate generation
// and transforms, four texture stages with the Direct3D combiner
// operations, specular add, alpha test and fog. Each combination of states
// is compiled as its own program: the states arrive as #defines (see
// fixed_function_key.cpp), so the driver's compiler drops every branch the
// combination does not take. Colours, matrices and lights stay uniforms.
#include "platform/render/fixed_function.h"

namespace platform::render {

const char* const kFixedFunctionVertexShader = R"(
layout(location = JT_POSITION) in vec4 aPosition;
layout(location = JT_NORMAL) in vec3 aNormal;
layout(location = JT_DIFFUSE) in vec4 aDiffuse;
layout(location = JT_SPECULAR) in vec4 aSpecular;
layout(location = JT_TEXCOORD0) in vec2 aTex0;
layout(location = JT_TEXCOORD1) in vec2 aTex1;
layout(location = JT_TEXCOORD2) in vec2 aTex2;
layout(location = JT_TEXCOORD3) in vec2 aTex3;

uniform mat4 uWorldView;
uniform mat4 uProjection;
uniform mat3 uNormalMatrix;
uniform vec4 uViewport; // x, y, width, height in pixels
uniform vec4 uGlobalAmbient;
uniform vec4 uLightDiffuse[8];
uniform vec4 uLightSpecular[8];
uniform vec4 uLightAmbient[8];
uniform vec3 uLightPosition[8];    // in view space
uniform vec3 uLightDirection[8];   // in view space, unit length
uniform vec4 uLightAttenuation[8]; // range, constant, linear, quadratic
uniform vec3 uLightSpot[8];        // cos(theta / 2), cos(phi / 2), falloff
uniform vec4 uMaterialDiffuse;
uniform vec4 uMaterialAmbient;
uniform vec4 uMaterialSpecular;
uniform vec4 uMaterialEmissive;
uniform float uMaterialPower;
uniform mat4 uTexMatrix[4];

out vec4 vDiffuse;
out vec4 vSpecular;
out vec4 vTex0;
out vec4 vTex1;
out vec4 vTex2;
out vec4 vTex3;
out float vFogDistance;

const int kLightTypes[8] = int[8](LIGHT_TYPE0, LIGHT_TYPE1, LIGHT_TYPE2, LIGHT_TYPE3,
                                  LIGHT_TYPE4, LIGHT_TYPE5, LIGHT_TYPE6, LIGHT_TYPE7);

vec4 Source(int source, vec4 material, vec4 diffuse, vec4 specular) {
    if (source == 1 && HAS_DIFFUSE != 0) return diffuse;
    if (source == 2 && HAS_SPECULAR != 0) return specular;
    return material;
}

void Light(vec3 position, vec3 normal, vec4 diffuseIn, vec4 specularIn) {
    vec4 matDiffuse = Source(DIFFUSE_SOURCE, uMaterialDiffuse, diffuseIn, specularIn);
    vec4 matSpecular = Source(SPECULAR_SOURCE, uMaterialSpecular, diffuseIn, specularIn);
    vec4 matAmbient = Source(AMBIENT_SOURCE, uMaterialAmbient, diffuseIn, specularIn);
    vec4 matEmissive = Source(EMISSIVE_SOURCE, uMaterialEmissive, diffuseIn, specularIn);
    vec3 ambient = uGlobalAmbient.rgb;
    vec3 diffuse = vec3(0.0);
    vec3 specular = vec3(0.0);
    vec3 toEye = LOCAL_VIEWER != 0 ? normalize(-position) : vec3(0.0, 0.0, -1.0);
    for (int i = 0; i < LIGHT_COUNT; ++i) {
        int type = kLightTypes[i];
        vec3 toLight;
        float weight = 1.0;
        if (type == 3) {
            toLight = -uLightDirection[i];
        } else {
            vec3 d = uLightPosition[i] - position;
            float distance = length(d);
            if (distance > uLightAttenuation[i].x) continue;
            toLight = distance > 0.0 ? d / distance : vec3(0.0, 0.0, -1.0);
            float falloff = uLightAttenuation[i].y + uLightAttenuation[i].z * distance +
                            uLightAttenuation[i].w * distance * distance;
            weight = falloff > 0.0 ? 1.0 / falloff : 1.0;
            if (type == 2) {
                float rho = dot(-toLight, uLightDirection[i]);
                if (rho <= uLightSpot[i].y) continue;
                if (rho < uLightSpot[i].x) {
                    float t = (rho - uLightSpot[i].y) / max(uLightSpot[i].x - uLightSpot[i].y, 1e-6);
                    weight *= pow(t, uLightSpot[i].z);
                }
            }
        }
        ambient += weight * uLightAmbient[i].rgb;
        float nl = dot(normal, toLight);
        if (nl > 0.0) {
            diffuse += weight * nl * uLightDiffuse[i].rgb;
            if (SPECULAR_ENABLE != 0) {
                float nh = max(dot(normal, normalize(toEye + toLight)), 0.0);
                float shine = uMaterialPower > 0.0 ? pow(max(nh, 1e-6), uMaterialPower) : 1.0;
                specular += weight * shine * uLightSpecular[i].rgb;
            }
        }
    }
    vDiffuse = clamp(vec4(matEmissive.rgb + matAmbient.rgb * ambient + matDiffuse.rgb * diffuse,
                          matDiffuse.a), 0.0, 1.0);
    vSpecular = clamp(vec4(matSpecular.rgb * specular, 0.0), 0.0, 1.0);
}

vec4 TexCoord(int index, int flags, mat4 matrix, vec3 position, vec3 normal) {
    int generate = index >> 16;
    int set = index & 3;
    vec4 tc;
    if (generate == 1) {
        tc = vec4(normal, 1.0);
    } else if (generate == 2) {
        tc = vec4(position, 1.0);
    } else if (generate == 3) {
        tc = vec4(reflect(normalize(position), normal), 1.0);
    } else {
        // Two-float coordinates go through a matrix as (u, v, 1, 0), so a
        // 2D shift sits in the third row.
        vec2 t = set == 0 ? aTex0 : set == 1 ? aTex1 : set == 2 ? aTex2 : aTex3;
        tc = vec4(t, 1.0, 0.0);
    }
    int count = flags & 7;
    if (count != 0) {
        tc = matrix * tc;
        if ((flags & 256) != 0 && count >= 2) {
            float q = tc[count - 1];
            if (q != 0.0) tc.xyz /= q;
        }
    }
    return tc;
}

void main() {
    vec4 diffuseIn = HAS_DIFFUSE != 0 ? aDiffuse : vec4(1.0);
    vec4 specularIn = HAS_SPECULAR != 0 ? aSpecular : vec4(0.0);
    vec3 position;
    vec3 normal = vec3(0.0);
    if (PRETRANSFORMED != 0) {
        // Screen pixels with the reciprocal of w; Direct3D puts pixel
        // centres on whole numbers, GL half way between.
        float w = aPosition.w > 0.0 ? 1.0 / aPosition.w : 1.0;
        vec2 ndc = vec2((aPosition.x + 0.5 - uViewport.x) / uViewport.z * 2.0 - 1.0,
                        1.0 - (aPosition.y + 0.5 - uViewport.y) / uViewport.w * 2.0);
        gl_Position = jtToClip(vec4(ndc * w, aPosition.z * w, w));
        position = vec3(0.0, 0.0, aPosition.z);
        vDiffuse = diffuseIn;
        vSpecular = specularIn;
    } else {
        vec4 eye = uWorldView * vec4(aPosition.xyz, 1.0);
        position = eye.xyz;
        gl_Position = jtToClip(uProjection * eye);
        if (HAS_NORMAL != 0) {
            normal = uNormalMatrix * aNormal;
            if (NORMALIZE != 0 && dot(normal, normal) > 0.0) normal = normalize(normal);
        }
        if (LIGHTING != 0) {
            Light(position, normal, diffuseIn, specularIn);
        } else {
            vDiffuse = diffuseIn;
            vSpecular = specularIn;
        }
    }
    vTex0 = STAGE_COUNT > 0 ? TexCoord(TC_INDEX0, TC_FLAGS0, uTexMatrix[0], position, normal) : vec4(0.0);
    vTex1 = STAGE_COUNT > 1 ? TexCoord(TC_INDEX1, TC_FLAGS1, uTexMatrix[1], position, normal) : vec4(0.0);
    vTex2 = STAGE_COUNT > 2 ? TexCoord(TC_INDEX2, TC_FLAGS2, uTexMatrix[2], position, normal) : vec4(0.0);
    vTex3 = STAGE_COUNT > 3 ? TexCoord(TC_INDEX3, TC_FLAGS3, uTexMatrix[3], position, normal) : vec4(0.0);
    vFogDistance = RANGE_FOG != 0 ? length(position) : abs(position.z);
}
)";

const char* const kFixedFunctionFragmentShader = R"(
in vec4 vDiffuse;
in vec4 vSpecular;
in vec4 vTex0;
in vec4 vTex1;
in vec4 vTex2;
in vec4 vTex3;
in float vFogDistance;

uniform sampler2D uTexture2D[4];
uniform samplerCube uTextureCube[4];
uniform vec4 uTextureFactor;
uniform vec4 uFogColor;
uniform vec3 uFogParams; // start, end, density

out vec4 fragColor;

vec4 Sample(int stage, int kind, vec4 tc) {
    // A stage without a texture reads white, so "modulate" leaves the
    // other argument as it is.
    if (kind == 0) return vec4(1.0);
    if (stage == 0) return kind == 1 ? texture(uTexture2D[0], tc.xy) : texture(uTextureCube[0], tc.xyz);
    if (stage == 1) return kind == 1 ? texture(uTexture2D[1], tc.xy) : texture(uTextureCube[1], tc.xyz);
    if (stage == 2) return kind == 1 ? texture(uTexture2D[2], tc.xy) : texture(uTextureCube[2], tc.xyz);
    return kind == 1 ? texture(uTexture2D[3], tc.xy) : texture(uTextureCube[3], tc.xyz);
}

vec4 Arg(int arg, vec4 current, vec4 tex, vec4 temp) {
    int source = arg & 15;
    vec4 v = source == 0 ? vDiffuse
           : source == 1 ? current
           : source == 2 ? tex
           : source == 3 ? uTextureFactor
           : source == 4 ? vSpecular
                         : temp;
    if ((arg & 32) != 0) v = vec4(v.a);
    if ((arg & 16) != 0) v = vec4(1.0) - v;
    return v;
}

vec4 Op(int op, vec4 a0, vec4 a1, vec4 a2, vec4 current, vec4 tex) {
    if (op == 2) return a1;
    if (op == 3) return a2;
    if (op == 4) return a1 * a2;
    if (op == 5) return 2.0 * a1 * a2;
    if (op == 6) return 4.0 * a1 * a2;
    if (op == 7) return a1 + a2;
    if (op == 8) return a1 + a2 - 0.5;
    if (op == 9) return 2.0 * (a1 + a2 - 0.5);
    if (op == 10) return a1 - a2;
    if (op == 11) return a1 + a2 - a1 * a2;
    if (op == 12) return mix(a2, a1, vDiffuse.a);
    if (op == 13) return mix(a2, a1, tex.a);
    if (op == 14) return mix(a2, a1, uTextureFactor.a);
    if (op == 15) return a1 + a2 * (1.0 - tex.a);
    if (op == 16) return mix(a2, a1, current.a);
    if (op == 18) return vec4(a1.rgb + a1.a * a2.rgb, a1.a);
    if (op == 19) return vec4(a1.rgb * a2.rgb + a1.a, a1.a);
    if (op == 20) return vec4((1.0 - a1.a) * a2.rgb + a1.rgb, a1.a);
    if (op == 21) return vec4((1.0 - a1.rgb) * a2.rgb + a1.a, a1.a);
    if (op == 24) return vec4(clamp(dot(a1.rgb * 2.0 - 1.0, a2.rgb * 2.0 - 1.0), 0.0, 1.0));
    if (op == 25) return a0 + a1 * a2;
    if (op == 26) return mix(a2, a1, a0);
    return a1;
}

void Stage(int stage, vec4 tc, int kind, int colorOp, int c0, int c1, int c2, int alphaOp,
           int a0, int a1, int a2, int toTemp, inout vec4 current, inout vec4 temp) {
    vec4 tex = Sample(stage, kind, tc);
    vec4 rgb = Op(colorOp, Arg(c0, current, tex, temp), Arg(c1, current, tex, temp),
                  Arg(c2, current, tex, temp), current, tex);
    float alpha = alphaOp == 1 ? current.a
                               : Op(alphaOp, Arg(a0, current, tex, temp), Arg(a1, current, tex, temp),
                                    Arg(a2, current, tex, temp), current, tex).a;
    vec4 result = clamp(vec4(rgb.rgb, alpha), 0.0, 1.0);
    if (toTemp != 0)
        temp = result;
    else
        current = result;
}

float FogFactor() {
    float d = vFogDistance;
    if (FOG_MODE == 3) return (uFogParams.y - d) / max(uFogParams.y - uFogParams.x, 1e-6);
    if (FOG_MODE == 1) return exp(-uFogParams.z * d);
    float e = uFogParams.z * d;
    return exp(-e * e);
}

void main() {
    vec4 current = vDiffuse;
    vec4 temp = vec4(0.0);
    if (STAGE_COUNT > 0)
        Stage(0, vTex0, TEX_KIND0, COLOR_OP0, COLOR_ARG0_0, COLOR_ARG1_0, COLOR_ARG2_0, ALPHA_OP0,
              ALPHA_ARG0_0, ALPHA_ARG1_0, ALPHA_ARG2_0, RESULT_TEMP0, current, temp);
    if (STAGE_COUNT > 1)
        Stage(1, vTex1, TEX_KIND1, COLOR_OP1, COLOR_ARG0_1, COLOR_ARG1_1, COLOR_ARG2_1, ALPHA_OP1,
              ALPHA_ARG0_1, ALPHA_ARG1_1, ALPHA_ARG2_1, RESULT_TEMP1, current, temp);
    if (STAGE_COUNT > 2)
        Stage(2, vTex2, TEX_KIND2, COLOR_OP2, COLOR_ARG0_2, COLOR_ARG1_2, COLOR_ARG2_2, ALPHA_OP2,
              ALPHA_ARG0_2, ALPHA_ARG1_2, ALPHA_ARG2_2, RESULT_TEMP2, current, temp);
    if (STAGE_COUNT > 3)
        Stage(3, vTex3, TEX_KIND3, COLOR_OP3, COLOR_ARG0_3, COLOR_ARG1_3, COLOR_ARG2_3, ALPHA_OP3,
              ALPHA_ARG0_3, ALPHA_ARG1_3, ALPHA_ARG2_3, RESULT_TEMP3, current, temp);
    if (SPECULAR_ADD != 0) current.rgb = min(current.rgb + vSpecular.rgb, vec3(1.0));
    if (!jtAlphaPasses(current.a, ALPHA_FUNC, jt_AlphaRef)) discard;
    if (FOG_MODE != 0) current.rgb = mix(uFogColor.rgb, current.rgb, clamp(FogFactor(), 0.0, 1.0));
    fragColor = current;
}
)";

} // namespace platform::render
