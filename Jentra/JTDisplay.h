// JTDisplay: one rendering device with its window. It owns the frame: it
// clears, walks its views, lets each view's scene queue its drawable nodes,
// draws the opaque queue in order and the transparent queue far to near,
// draws the developer overlays (bounding spheres, benchmark, console) and
// presents. Between nodes it puts the device back to one set of default
// states, so every node's effect starts from the same place. It also offers
// thin setters for render states, texture stages and the material, shared
// dynamic vertex and index buffers, an immediate-mode batch of up to ten
// vertices, a matrix stack, mode changes and a screenshot.
//
// Displays are made by JTRenderer; the current one is gpJTDisplay.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "Jentra/JTArray.h"
#include "Jentra/JTConsole.h"
#include "Jentra/JTErrors.h"
#include "Jentra/JTGeoNode.h"
#include "Jentra/JTMath.h"
#include "Jentra/JTPartSys.h"
#include "Jentra/core/scene/draw_queue.h"
#include "Jentra/render/dynamic_buffers.h"
#include "platform/render/device.h"

class JTView;
class JTCamera;
class JTScene;
class JTEffect;
class JTTextureFrame;
class JTDisplay;
namespace platform {
class Window;
}

// What other parts of the renderer plug into the display. Each may be
// null; the display then does without it.
struct JTDisplayHooks {
    // Draws the console's text over the frame (step 8 of Render).
    void (*renderConsole)(JTDisplay* display) = nullptr;
    // Makes the effect the shadow pass draws every node with.
    JTEffect* (*createShadowEffect)() = nullptr;
};

class JTDisplay : public JTDrawQueue, public JTPartSysDrawTarget {
public:
    using Device = platform::render::Device;

    // Vertices the immediate-mode batch holds.
    static constexpr int kBatchSize = 10;
    // Sizes of the shared dynamic buffers.
    static constexpr int kDynamicVertexBytes = 480000;
    static constexpr int kDynamicIndices = 15000;

    JTDisplay();
    ~JTDisplay() override;
    JTDisplay(const JTDisplay&) = delete;
    JTDisplay& operator=(const JTDisplay&) = delete;

    // Device states, material, stages and buffers for a new or reset device.
    void Init();

    Device* GetDevice() const { return device.get(); }
    platform::Window* GetHwnd() const { return window; }
    int GetAdapter() const { return adapter; }
    int GetWidth() const { return width; }
    int GetHeight() const { return height; }
    D3DFORMAT GetFormat() const { return format; }
    bool GetFullScreen() const { return fullScreen; }
    float GetAspect() const { return aspect; }
    float GetInvAspect() const { return invAspect; }
    int GetMultisampleType() const { return multisampleType; }
    bool GetHWVertProc() const { return hwVertProc; }
    bool GetClearScreen() const { return clearScreen; }
    void SetClearScreen(bool on) { clearScreen = on; }
    DynamicVB* GetDynamicVB() const { return dynamicVB.get(); }
    DynamicVB* GetDynamicVB2() const { return dynamicVB2.get(); }
    DynamicIB* GetDynamicIB() const { return dynamicIB.get(); }

    // Views, drawn in list order; the display does not own them.
    void AddView(JTView* view);
    void InsertView(int i, JTView* view);
    void RemoveView(int i);
    int GetNumViews() const { return views.GetCount(); }
    JTView* GetView(int i) const;

    // JTDrawQueue.
    void PushMatrix(const JTMatrix& m) override;
    void PopMatrix() override;
    bool MatrixStackEmpty() const override { return matrixStack.GetCount() == 0; }
    JTMatrix GetMatrix() const override;
    void AddToQueue(JTNode* node, bool transparent) override;
    bool GetRenderingShadow() const override { return renderingShadow; }
    void SetRenderingShadow(bool on) { renderingShadow = on; }
    bool GetCameraView(JTVec3& position, JTVec3& direction) const override;
    void RenderShadow(JTGeoNode* node) override;

    // JTPartSysDrawTarget.
    bool GetCameraAxes(JTVec3& position, JTVec3& right, JTVec3& up, JTVec3& dir) override;
    void DrawParticles(const JTPartSysDraw& draw) override;

    JTEffect* GetShadowEffect() const { return shadowEffect; }
    JTCamera* GetCurrentCamera() const { return currentCamera; }
    JTScene* GetCurrentScene() const { return currentScene; }

    // One frame.
    void Render();
    // Counts the geometry once, draws it (three times with edged faces on).
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, unsigned minIndex, unsigned numVertices,
                                 unsigned startIndex, unsigned primCount, int countedPrims = -1);

    // Immediate mode: Begin empties the batch, Vertex adds one (ignored
    // past ten), End draws what a batch of that type holds.
    void Begin(D3DPRIMITIVETYPE type, unsigned long value);
    void Vertex(const Vert1* vertex);
    void End(unsigned long value);
    int GetBatchCount() const { return batchCount; }

    void CommitStates() {}
    void SetDefaultStates();
    // Binds the frame's texture to the stage (none when frame is null or
    // texturing is off) with its coordinate set (-1: the stage's own) and
    // its colour and alpha operations.
    void SetTextureStage(unsigned stage, JTTextureFrame* frame, unsigned texCoordIndex,
                         D3DTEXTUREOP colorOp, unsigned colorArg1, unsigned colorArg2,
                         D3DTEXTUREOP alphaOp, unsigned alphaArg1, unsigned alphaArg2);
    void SetMaterial(const D3DMATERIAL8& material);
    const D3DMATERIAL8& GetDefaultMaterial() const { return defaultMaterial; }
    void SetAlphaBlend(bool on, D3DBLEND src, D3DBLEND dst, D3DBLENDOP op);
    void SetAdditiveBlend();
    void SetCullMode(D3DCULL mode);
    void SetTwoSided(bool on);
    void SetZEnable(bool on, D3DCMPFUNC func);
    void SetZWriteEnable(bool on);
    void SetFillMode(D3DFILLMODE mode);
    void SetShadeMode(bool flat);
    void SetLinePattern(unsigned short repeat, unsigned short pattern);
    void SetAlphaTest(bool on, unsigned char reference, D3DCMPFUNC func);
    void SetLastPixel(bool on);
    void SetDitherEnable(bool on);
    void SetSpecularEnable(bool on);
    void SetFogDisable();
    void SetFogLinear(bool table, bool range, unsigned long color, float start, float end);
    void SetFogExp(bool table, bool range, unsigned long color, float density);
    void SetFogExp2(bool table, bool range, unsigned long color, float density);
    void SetStencil(bool on, D3DSTENCILOP fail, D3DSTENCILOP zfail, D3DSTENCILOP pass,
                    D3DCMPFUNC func, unsigned long reference, unsigned long mask,
                    unsigned long writeMask);
    void SetLighting(bool on);
    void SetZBias(unsigned bias);
    void SetTextureFactor(unsigned long factor);
    void SetColorVertex(bool on);
    void SetDiffuseMaterialSource(D3DMATERIALCOLORSOURCE source);
    void SetSpecularMaterialSource(D3DMATERIALCOLORSOURCE source);
    void SetAmbientMaterialSource(D3DMATERIALCOLORSOURCE source);
    void SetEmissiveMaterialSource(D3DMATERIALCOLORSOURCE source);
    void SetEnableLighting(bool on) { enableLighting = on; }
    void SetEdgedFaces(bool on) { edgedFaces = on; }
    bool GetEnableLighting() const { return enableLighting; }
    bool GetEdgedFaces() const { return edgedFaces; }
    bool GetWireframe() const { return wireframe; }
    bool GetTexturing() const { return texturing; }
    bool GetBenchmark() const { return benchmark; }
    bool GetShowBounds() const { return showBounds; }

    // A new mode, or the same one again after a loss (null): buffers and
    // shared effects are released, the device is reset with the sizes
    // stepped down until it takes one, and Init runs. Full screen takes
    // the mode's size and format; a window takes its size. A size the
    // screen does not offer (full screen) or that does not fit on it (a
    // window) is refused: the display keeps its size. True when the reset
    // worked and the display has the mode's size.
    bool ChangeDisplayMode(const D3DDISPLAYMODE* mode);
    // Writes the picture on the screen as "<app name> NNNN.bmp" on the
    // user's desktop.
    void Screenshot();

    float GetVertsPerSec() const { return vertsPerSec; }
    float GetTrisPerSec() const { return trisPerSec; }
    float GetFramesPerSec() const { return framesPerSec; }
    void SetStatsInterval(float seconds) { statsInterval = seconds; }
    float GetStatsInterval() const { return statsInterval; }

    // Plug-ins of other parts of the renderer (see JTDisplayHooks).
    static void SetHooks(const JTDisplayHooks& hooks);
    static const JTDisplayHooks& GetHooks();
    // ChangeDisplayMode first calls every function on this list: each
    // releases what the device made for it (shared compiled effects,
    // shadow targets); it is made again on next use.
    static void JoinReleaseList(void (*release)());
    static void LeaveReleaseList(void (*release)());

private:
    friend class JTRenderer;

    static void CallReleaseList();
    void RenderView(JTView* view, int index, int targetWidth, int targetHeight);
    void SetSceneLights(JTScene* scene);
    void DrawQueue(JTArray<JTNode*>& queue);
    void DrawBounds(JTScene* scene);
    void UpdateStatistics();
    void CreateDynamicBuffers();
    void ReleaseDynamicBuffers();
    HRESULT DrawOnce(D3DPRIMITIVETYPE type, unsigned minIndex, unsigned numVertices,
                     unsigned startIndex, unsigned primCount);
    void BenMarkInit();
    void BenMarkRender();
    void SetTransform(D3DTRANSFORMSTATETYPE type, const JTMatrix& m);
    void RenderState(D3DRENDERSTATETYPE state, uint32_t value);
    void StageState(unsigned stage, D3DTEXTURESTAGESTATETYPE type, uint32_t value);

    std::unique_ptr<Device> device;
    int adapter = 0;
    platform::Window* window = nullptr;
    std::unique_ptr<platform::Window> ownedWindow; // made by the renderer for this display
    int width = 0, height = 0;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    bool fullScreen = false;
    float aspect = 1.0f, invAspect = 1.0f;
    int multisampleType = 0;
    bool hwVertProc = false;
    bool clearScreen = true;
    std::unique_ptr<DynamicVB> dynamicVB, dynamicVB2;
    std::unique_ptr<DynamicIB> dynamicIB;
    JTArray<JTView*> views{16};
    JTArray<JTMatrix> matrixStack{64};
    JTArray<JTNode*> opaqueQueue{512};
    JTArray<JTNode*> transparentQueue{512};
    bool renderingShadow = false;
    JTEffect* shadowEffect = nullptr;
    JTCamera* currentCamera = nullptr;
    JTScene* currentScene = nullptr;
    // Developer switches, tied to the console's commands.
    bool texturing = true, enableLighting = true, wireframe = false, edgedFaces = false;
    bool benchmark = false, showBounds = false;
    D3DMATERIAL8 defaultMaterial{};
    D3DPRIMITIVETYPE batchType = D3DPT_TRIANGLELIST;
    unsigned long batchValue = 0;
    Vert1 batch[kBatchSize] = {};
    int batchCount = 0;
    float vertsPerSec = 0, trisPerSec = 0, framesPerSec = 0;
    unsigned vertexCounter = 0, primitiveCounter = 0, frameCounter = 0;
    uint32_t lastSample = 0;
    bool haveSample = false;
    float statsInterval = 1.0f;
    // The bounding sphere, made on first use.
    std::vector<Vert1> sphereVertices;
    std::vector<uint16_t> sphereIndices;
    // The benchmark's ribbon, made on first use.
    struct Benchmark {
        std::unique_ptr<platform::render::VertexBuffer> front, back;
        std::unique_ptr<platform::render::IndexBuffer> strip;
        D3DMATERIAL8 materials[25]{};
        JTTextureFrame* texture = nullptr;
    };
    std::unique_ptr<Benchmark> benchmarkData;
};

extern JTDisplay* gpJTDisplay;
