// The fixed-function pipeline as one GL program: per-vertex lighting with up
// to eight lights and the material colour sources, texture coordinate
// generation and transforms, four texture stages with the Direct3D
// combiner operations, specular add, alpha test and fog. What it does each
// draw is chosen by uniforms (see gl_fixed_function_state.cpp).
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
uniform bool uPretransformed;
uniform vec4 uViewport; // x, y, width, height in pixels
uniform bool uHasNormal;
uniform bool uHasDiffuse;
uniform bool uHasSpecular;

uniform bool uLighting;
uniform bool uNormalize;
uniform bool uLocalViewer;
uniform bool uSpecularEnable;
uniform vec4 uGlobalAmbient;
uniform int uLightCount;
uniform int uLightType[8];
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
uniform ivec4 uColorSource; // diffuse, specular, ambient, emissive

uniform int uStageCount;
uniform int uTexCoordIndex[4];
uniform int uTexTransformFlags[4];
uniform mat4 uTexMatrix[4];
uniform bool uRangeFog;

out vec4 vDiffuse;
out vec4 vSpecular;
out vec4 vTex0;
out vec4 vTex1;
out vec4 vTex2;
out vec4 vTex3;
out float vFogDistance;

vec4 Source(int source, vec4 material, vec4 diffuse, vec4 specular) {
    if (source == 1 && uHasDiffuse) return diffuse;
    if (source == 2 && uHasSpecular) return specular;
    return material;
}

void Light(vec3 position, vec3 normal, vec4 diffuseIn, vec4 specularIn) {
    vec4 matDiffuse = Source(uColorSource.x, uMaterialDiffuse, diffuseIn, specularIn);
    vec4 matSpecular = Source(uColorSource.y, uMaterialSpecular, diffuseIn, specularIn);
    vec4 matAmbient = Source(uColorSource.z, uMaterialAmbient, diffuseIn, specularIn);
    vec4 matEmissive = Source(uColorSource.w, uMaterialEmissive, diffuseIn, specularIn);
    vec3 ambient = uGlobalAmbient.rgb;
    vec3 diffuse = vec3(0.0);
    vec3 specular = vec3(0.0);
    vec3 toEye = uLocalViewer ? normalize(-position) : vec3(0.0, 0.0, -1.0);
    for (int i = 0; i < uLightCount; ++i) {
        vec3 toLight;
        float weight = 1.0;
        if (uLightType[i] == 3) {
            toLight = -uLightDirection[i];
        } else {
            vec3 d = uLightPosition[i] - position;
            float distance = length(d);
            if (distance > uLightAttenuation[i].x) continue;
            toLight = distance > 0.0 ? d / distance : vec3(0.0, 0.0, -1.0);
            float falloff = uLightAttenuation[i].y + uLightAttenuation[i].z * distance +
                            uLightAttenuation[i].w * distance * distance;
            weight = falloff > 0.0 ? 1.0 / falloff : 1.0;
            if (uLightType[i] == 2) {
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
            if (uSpecularEnable) {
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

vec4 TexCoord(int stage, vec3 position, vec3 normal) {
    if (stage >= uStageCount) return vec4(0.0);
    int index = uTexCoordIndex[stage];
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
    int flags = uTexTransformFlags[stage];
    int count = flags & 7;
    if (count != 0) {
        tc = uTexMatrix[stage] * tc;
        if ((flags & 256) != 0 && count >= 2) {
            float q = tc[count - 1];
            if (q != 0.0) tc.xyz /= q;
        }
    }
    return tc;
}

void main() {
    vec4 diffuseIn = uHasDiffuse ? aDiffuse : vec4(1.0);
    vec4 specularIn = uHasSpecular ? aSpecular : vec4(0.0);
    vec3 position;
    vec3 normal = vec3(0.0);
    if (uPretransformed) {
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
        if (uHasNormal) {
            normal = uNormalMatrix * aNormal;
            if (uNormalize && dot(normal, normal) > 0.0) normal = normalize(normal);
        }
        if (uLighting) {
            Light(position, normal, diffuseIn, specularIn);
        } else {
            vDiffuse = diffuseIn;
            vSpecular = specularIn;
        }
    }
    vTex0 = TexCoord(0, position, normal);
    vTex1 = TexCoord(1, position, normal);
    vTex2 = TexCoord(2, position, normal);
    vTex3 = TexCoord(3, position, normal);
    vFogDistance = uRangeFog ? length(position) : abs(position.z);
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
uniform int uStageCount;
uniform int uTexKind[4]; // 0 none, 1 plain, 2 cube
uniform int uColorOp[4];
uniform int uColorArg0[4];
uniform int uColorArg1[4];
uniform int uColorArg2[4];
uniform int uAlphaOp[4];
uniform int uAlphaArg0[4];
uniform int uAlphaArg1[4];
uniform int uAlphaArg2[4];
uniform int uResultTemp[4];
uniform vec4 uTextureFactor;
uniform bool uSpecularAdd;
uniform int uFogMode; // 0 none, 1 exp, 2 exp2, 3 linear
uniform vec4 uFogColor;
uniform vec3 uFogParams; // start, end, density

out vec4 fragColor;

vec4 Sample(int stage, vec4 tc) {
    int kind = uTexKind[stage];
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

float FogFactor() {
    float d = vFogDistance;
    if (uFogMode == 3)
        return (uFogParams.y - d) / max(uFogParams.y - uFogParams.x, 1e-6);
    if (uFogMode == 1) return exp(-uFogParams.z * d);
    float e = uFogParams.z * d;
    return exp(-e * e);
}

void main() {
    vec4 current = vDiffuse;
    vec4 temp = vec4(0.0);
    for (int s = 0; s < uStageCount; ++s) {
        vec4 tc = s == 0 ? vTex0 : s == 1 ? vTex1 : s == 2 ? vTex2 : vTex3;
        vec4 tex = Sample(s, tc);
        vec4 rgb = Op(uColorOp[s], Arg(uColorArg0[s], current, tex, temp),
                      Arg(uColorArg1[s], current, tex, temp), Arg(uColorArg2[s], current, tex, temp),
                      current, tex);
        float alpha = uAlphaOp[s] == 1
                          ? current.a
                          : Op(uAlphaOp[s], Arg(uAlphaArg0[s], current, tex, temp),
                               Arg(uAlphaArg1[s], current, tex, temp),
                               Arg(uAlphaArg2[s], current, tex, temp), current, tex).a;
        vec4 result = clamp(vec4(rgb.rgb, alpha), 0.0, 1.0);
        if (uResultTemp[s] != 0)
            temp = result;
        else
            current = result;
    }
    if (uSpecularAdd) current.rgb = min(current.rgb + vSpecular.rgb, vec3(1.0));
    jtAlphaTest(current.a);
    if (uFogMode != 0) current.rgb = mix(uFogColor.rgb, current.rgb, clamp(FogFactor(), 0.0, 1.0));
    fragColor = current;
}
)";

} // namespace platform::render
