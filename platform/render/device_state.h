// Everything the device keeps between calls: render states, texture stages,
// transforms, lights, material, viewport, vertex layout, bound streams and
// targets. The device front end owns one; backends read it when they draw.
// Version counters tell a backend which groups changed since it last looked,
// so uniforms and GL state are sent only when they change.
#pragma once

#include "platform/render/device_types.h"

#include <cstdint>

namespace platform::render {

class BaseTexture;
class IndexBuffer;
class Program;
class Surface;
class VertexBuffer;

enum class VertexElementType : uint8_t {
    Float1,
    Float2,
    Float3,
    Float4,
    Color, // D3DCOLOR: bytes blue, green, red, alpha; read as 0..1
};

// Where a vertex attribute comes from. Locations are the shaders' attribute
// numbers (see VertexLocation).
struct VertexElement {
    uint8_t stream = 0;
    uint16_t offset = 0;
    VertexElementType type = VertexElementType::Float3;
    uint8_t location = 0;
};

// Attribute numbers shared by the fixed-function shader and effect programs.
enum VertexLocation : uint8_t {
    kLocationPosition = 0,
    kLocationNormal = 1,
    kLocationDiffuse = 2,
    kLocationSpecular = 3,
    kLocationTexCoord0 = 4, // up to kLocationTexCoord0 + 3
    kLocationUser0 = 8,     // free for effects (second streams), up to 15
};
constexpr int kMaxVertexElements = 16;
constexpr int kMaxStreams = 2;

struct VertexLayout {
    VertexElement elements[kMaxVertexElements];
    int count = 0;
    bool pretransformed = false; // positions are screen pixels with 1/w
    uint32_t fvf = 0;            // the format code it came from; 0 for a declaration
};

struct StreamSource {
    VertexBuffer* buffer = nullptr;
    uint32_t stride = 0;
};

struct DeviceState {
    uint32_t renderStates[kMaxRenderStates] = {};
    uint32_t stageStates[kMaxTextureStages][kMaxStageStates] = {};
    BaseTexture* textures[kMaxTextureStages] = {};

    D3DMATRIX world{};
    D3DMATRIX view{};
    D3DMATRIX projection{};
    D3DMATRIX textureTransforms[kMaxTextureStages]{};

    D3DLIGHT8 lights[kMaxLights]{};
    bool lightSet[kMaxLights] = {};
    bool lightEnabled[kMaxLights] = {};
    D3DMATERIAL8 material{};
    D3DVIEWPORT8 viewport{};

    VertexLayout layout;
    StreamSource streams[kMaxStreams];
    IndexBuffer* indices = nullptr;
    uint32_t baseVertexIndex = 0;
    Program* program = nullptr; // null: the fixed-function pipeline
    uint32_t pixelShader = 0;

    Surface* renderTarget = nullptr;
    Surface* depthStencil = nullptr;

    // Raised whenever a group changes value.
    uint64_t renderStateVersion = 1;
    uint64_t stageVersion = 1; // stage states and bound textures
    uint64_t transformVersion = 1;
    uint64_t lightVersion = 1; // lights and the view they are seen through
    uint64_t materialVersion = 1;
    uint64_t layoutVersion = 1; // layout, streams and indices
    uint64_t viewportVersion = 1;
    uint64_t targetVersion = 1;

    float RenderStateFloat(D3DRENDERSTATETYPE state) const;
};

// The float a render state holds as its bit pattern (fog start, end, density).
uint32_t FloatBits(float value);
float BitsFloat(uint32_t bits);

// a x b for row-vector matrices: the transform that applies a, then b.
D3DMATRIX MultiplyMatrices(const D3DMATRIX& a, const D3DMATRIX& b);

// The state a new device starts in.
void ResetDeviceState(DeviceState& state, int targetWidth, int targetHeight);

// Vertices a draw of primCount primitives of that type uses; 0 for an
// unknown type.
uint32_t VertexCountOf(D3DPRIMITIVETYPE type, uint32_t primCount);

// The layout of a flexible vertex format on stream 0 and the size of one
// vertex; false for codes the device cannot draw (blend weights, more than
// four texture sets).
bool LayoutFromFvf(uint32_t fvf, VertexLayout& layout, uint32_t* vertexSize = nullptr);
uint32_t FvfVertexSize(uint32_t fvf);

} // namespace platform::render
