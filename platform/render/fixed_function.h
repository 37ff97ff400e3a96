// The fixed-function program of the GL backend: its shader sources, the
// uniform locations it is driven by, and the state versions it last saw.
#pragma once

#include "platform/gl.h"

#include <memory>
#include <string>

namespace platform::render {

extern const char* const kFixedFunctionVertexShader;
extern const char* const kFixedFunctionFragmentShader;

// The texture stages the fixed-function program runs (of the device's eight).
constexpr int kFixedStages = 4;

struct FixedFunctionProgram {
    GLuint program = 0;

    GLint worldView = -1, projection = -1, normalMatrix = -1;
    GLint pretransformed = -1, viewport = -1;
    GLint hasNormal = -1, hasDiffuse = -1, hasSpecular = -1;
    GLint lighting = -1, normalize = -1, localViewer = -1, specularEnable = -1;
    GLint globalAmbient = -1, lightCount = -1;
    GLint lightType = -1, lightDiffuse = -1, lightSpecular = -1, lightAmbient = -1;
    GLint lightPosition = -1, lightDirection = -1, lightAttenuation = -1, lightSpot = -1;
    GLint materialDiffuse = -1, materialAmbient = -1, materialSpecular = -1;
    GLint materialEmissive = -1, materialPower = -1, colorSource = -1;
    GLint stageCount = -1, texCoordIndex = -1, texTransformFlags = -1, texMatrix = -1;
    GLint rangeFog = -1;
    GLint texture2D = -1, textureCube = -1, texKind = -1;
    GLint colorOp = -1, colorArg0 = -1, colorArg1 = -1, colorArg2 = -1;
    GLint alphaOp = -1, alphaArg0 = -1, alphaArg1 = -1, alphaArg2 = -1, resultTemp = -1;
    GLint textureFactor = -1, specularAdd = -1, fogMode = -1, fogColor = -1, fogParams = -1;
    GLint alphaRef = -1, alphaFunc = -1;

    // The versions of the device state groups last sent; 0 sends all.
    uint64_t transformVersion = 0, lightVersion = 0, materialVersion = 0;
    uint64_t renderStateVersion = 0, stageVersion = 0, layoutVersion = 0, viewportVersion = 0;

    ~FixedFunctionProgram();
};

// Null with the driver's message when the program does not build.
std::unique_ptr<FixedFunctionProgram> CreateFixedFunctionProgram(std::string* error);

} // namespace platform::render
