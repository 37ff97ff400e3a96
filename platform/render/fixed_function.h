// The fixed-function programs of the GL backend: their shader sources, the
// key of states each program is compiled for, and the uniform locations
// and state versions of one compiled program.
#pragma once

#include "platform/gl.h"
#include "platform/render/device_state.h"

#include <cstdint>
#include <memory>
#include <string>

namespace platform::render {

extern const char* const kFixedFunctionVertexShader;
extern const char* const kFixedFunctionFragmentShader;

// The texture stages the fixed-function program runs (of the device's eight).
constexpr int kFixedStages = 4;

// The states that shape a fixed-function program; everything else is a
// uniform. Only what matters is filled in (stages past the last one that
// runs, lights past the last enabled one, are zero), so equal keys mean
// the same program. All fields are ints: keys compare as bytes.
struct FixedFunctionKey {
    int32_t pretransformed = 0, hasNormal = 0, hasDiffuse = 0, hasSpecular = 0;
    int32_t lighting = 0, normalize = 0, localViewer = 0, specularEnable = 0;
    int32_t lightCount = 0;
    int32_t lightTypes[kMaxLights] = {};
    int32_t colorSources[4] = {}; // diffuse, specular, ambient, emissive
    int32_t rangeFog = 0, fogMode = 0, alphaFunc = 0;
    int32_t stageCount = 0;
    struct Stage {
        int32_t texCoordIndex = 0, transformFlags = 0, textureKind = 0; // 0 none, 1 plain, 2 cube
        int32_t colorOp = 0, colorArgs[3] = {}, alphaOp = 0, alphaArgs[3] = {}, toTemp = 0;
    } stages[kFixedStages];

    bool operator<(const FixedFunctionKey& other) const;
    bool operator==(const FixedFunctionKey& other) const;
};

// The key of the program a draw in this state needs.
FixedFunctionKey MakeFixedFunctionKey(const DeviceState& state);
// The key as the #define lines the shader sources read.
std::string FixedFunctionDefines(const FixedFunctionKey& key);

struct FixedFunctionProgram {
    GLuint program = 0;

    GLint worldView = -1, projection = -1, normalMatrix = -1, viewport = -1;
    GLint globalAmbient = -1;
    GLint lightDiffuse = -1, lightSpecular = -1, lightAmbient = -1;
    GLint lightPosition = -1, lightDirection = -1, lightAttenuation = -1, lightSpot = -1;
    GLint materialDiffuse = -1, materialAmbient = -1, materialSpecular = -1;
    GLint materialEmissive = -1, materialPower = -1;
    GLint texMatrix = -1, texture2D = -1, textureCube = -1;
    GLint textureFactor = -1, fogColor = -1, fogParams = -1, alphaRef = -1;

    // The render-state values last sent (valid once renderStatesSent).
    struct RenderStateValues {
        float ambient[4] = {}, textureFactor[4] = {}, fogColor[4] = {};
        float alphaRef = 0.0f, fog[3] = {};
    } sentRenderStates;
    bool renderStatesSent = false;

    // The versions of the device state groups last sent; 0 sends all.
    uint64_t transformVersion = 0, lightVersion = 0, materialVersion = 0;
    uint64_t renderStateVersion = 0, stageVersion = 0, viewportVersion = 0;

    ~FixedFunctionProgram();
};

// Null with the driver's message when the program does not build.
std::unique_ptr<FixedFunctionProgram> CreateFixedFunctionProgram(const FixedFunctionKey& key,
                                                                 std::string* error);

} // namespace platform::render
