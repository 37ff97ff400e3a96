// Display: the desktop program's drawing device for one adapter. It binds
// to the program's window, picks the render size (0.625 of the output
// unless in high quality), makes the device with its back buffer, optional
// scaling surface and z-buffer, sets its default states and reads its
// capabilities (with the driver workarounds and the monitor power-save
// check), presents each frame stretched to the window (in two halves on
// cards with little memory), recovers from lost surfaces and device resets,
// and draws the load screen and its progress bar while models load.
//
// The older device's objects map onto the one rendering device: its
// "DirectDraw" object with the primary and the back buffer is the device
// made on the window, the "Direct3D device" is that device once it draws
// into the back buffer with the z-buffer.
#pragma once

#include "desktop/display/camera/display_camera.h"
#include "desktop/display/device/adapter_list.h"
#include "desktop/display/device/display_host.h"
#include "desktop/display/device/dynamic_vertex_buffer.h"
#include "desktop/display/device/render_state_cache.h"
#include "desktop/display/frame/frame_hooks.h"
#include "desktop/display/frame/frame_state.h"
#include "desktop/display/overlay/overlay_state.h"
#include "desktop/display/textures/texture_manager.h"
#include "desktop/scene/object/geo_node.h"
#include "platform/events.h"
#include "platform/image/image.h"
#include "platform/render/device.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {
class Window;
}

namespace lumivane {

class Entity;
class Node;
class PowerSchemeSource;
class ScriptConfig;

// Language entries the display raises.
inline constexpr int kEntryDisplayFatal = 19; // with a detail entry below
inline constexpr int kEntryNoDirectDraw = 68;
inline constexpr int kEntryNoDisplayInit = 69;
inline constexpr int kEntryNoDirect3D = 70;
inline constexpr int kEntryBadPixelFormat = 10032;
inline constexpr int kEntryNoDisplayWindow = 11002;
inline constexpr int kEntryMonitorPrompt = 10117;
inline constexpr int kEntryMonitorDeclined = 10118;
inline constexpr int kEntryProgramTitle = 5058;

// The vertex format of every model vertex: position, normal, colour and two
// texture pairs, 44 bytes.
inline constexpr uint32_t kModelVertexFormat =
    D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX2;
inline constexpr uint32_t kModelVertexStride = 44;
inline constexpr uint32_t kDynamicVertexCapacity = 10000;
inline constexpr int kBatchVertices = 10;
// The immediate batch is drawn with these indices.
extern const uint16_t kBatchIndices[kBatchVertices];

// A device of the adapter, as its enumeration lists it.
struct DeviceRecord {
    std::string description;
    std::string name;
    bool hardware = true;
    bool transformAndLight = true;
};

struct DisplayOptions {
    platform::render::DeviceKind deviceKind = platform::render::DeviceKind::OpenGL;
    // Video memory for textures (0: none given, kDefaultTextureMemory).
    uint64_t textureMemory = 0;
    // Where "LoadScreens\" lies.
    std::filesystem::path dataRoot;
};

// Texture memory when nothing else is configured: the size of the cards
// the program was made for.
inline constexpr uint64_t kDefaultTextureMemory = 64ull << 20;
// Below this much free texture memory the scaling surface is half height.
inline constexpr uint64_t kLowVideoMemory = 0x2000000;

class Display : public TextureHost {
public:
    Display(DisplayHost& host, DisplayOptions options = {});
    ~Display() override;
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    // ---- Device and capabilities.
    // Binds the display to its adapter: device records and the HAL and T&L
    // indices (one hardware device that transforms and lights).
    int32_t Init(AdapterRecord& adapter);
    // Stores the T&L switch when there is a T&L device and answers it; else
    // answers the (negative) index.
    int SetUseTnL(bool use);
    // Makes the display draw into the window at that size: surfaces, device,
    // default states, capabilities, then the load screen. 0 or the error.
    int32_t Create(platform::Window& window, bool fullScreen, int width, int height,
                   int bitsPerPixel);
    int32_t CreateSurfaces();
    // A window that changed size: the back buffer, scaling surface and
    // z-buffer of the new size on the same device, whose textures, buffers
    // and programs stay; the default states set again. 0 or the error (the
    // caller then makes the display anew).
    int32_t Resize(int width, int height);
    int32_t CreateDevice();
    int32_t SetupDevice();
    int32_t SetupDeviceCaps();
    // Lets go of everything, in order: the texture manager's surfaces, the
    // shared model vertex buffer, the dynamic one, the device, the back
    // buffer, the scaling surface, the z-buffer and the primary.
    void Release();

    // ---- Presentation (the last step of each frame).
    void Present();
    void SkipFrames(int count) { framesToSkip_ = count; }
    // True once after the surfaces were lost while presenting.
    bool TakeDeviceLost();

    // The device kind, texture memory and data root of later creations.
    void SetOptions(const DisplayOptions& options) { options_ = options; }

    // ---- Load screen and still pictures.
    void ShowLoadScreen();
    // Paints a picture stretched over the window (with a device of its own
    // when the display has none). False when it cannot.
    bool PaintPicture(const platform::image::Image& picture);
    void DrawProgress(float fraction) override;
    // The last frame as a 24-bit bottom-up device-independent bitmap: a
    // 40-byte header, then rows padded to 4 bytes. Empty when it cannot be
    // read.
    std::vector<uint8_t> CaptureFrame();
    // The surface holding the last frame drawn: the primary once the frame
    // was shown straight from the back buffer (which then holds an older
    // picture), else the back buffer.
    platform::render::Surface* LastFrameSurface() const;

    // ---- The window's events (activation, the screen saver's rules) and
    // the device reset the program posts to itself. True when taken.
    bool HandleEvent(const platform::Event& event);
    void RequestDeviceReset() { resetPending_ = true; }
    void HandleDeviceReset();

    // ---- Immediate drawing of at most 10 vertices.
    void Begin(D3DPRIMITIVETYPE type, uint32_t vertexFormat);
    void AddVertex(const Vertex& vertex);
    int End();

    // ---- The model library's shared vertex buffer.
    bool UploadSharedVertices(const Vertex* vertices, size_t count);
    void ReleaseSharedVertices() { sharedVertices_.reset(); }
    platform::render::VertexBuffer* SharedVertices() const { return sharedVertices_.get(); }

    // ---- TextureHost.
    platform::render::Device* RenderDevice() override { return device_.get(); }
    bool Dot3() const override { return dot3_; }
    bool EnvironmentBump() const override { return envBump_; }
    void ClearDot3() override { dot3_ = false; }
    void DisplaySize(int& width, int& height) const override {
        width = outputWidth_;
        height = outputHeight_;
    }

    // ---- State.
    platform::render::Device* Device() const { return device_.get(); }
    bool HasDevice() const { return device3D_ != nullptr; }
    platform::Window* Window() const { return window_; }
    const AdapterRecord* Adapter() const { return adapter_; }
    int OutputWidth() const { return outputWidth_; }
    int OutputHeight() const { return outputHeight_; }
    int RenderWidth() const { return renderWidth_; }
    int RenderHeight() const { return renderHeight_; }
    float Aspect() const { return aspect_; }
    bool FullScreen() const { return fullScreen_; }
    bool HighQuality() const { return highQuality_; }
    bool LowVideoMemory() const { return lowVideoMemory_; }
    platform::render::Surface* ScalingSurface() const { return scaling_.get(); }
    platform::render::Surface* ZBuffer() const { return zBuffer_.get(); }
    D3DFORMAT ZBufferFormat() const { return zFormat_; }
    int FramesToSkip() const { return framesToSkip_; }
    bool Busy() const { return busy_; }
    int MultiTextureLevel() const { return multiTextureLevel_; }
    bool ModulateAlpha() const { return modulateAlpha_; }
    bool Modulate2x() const { return modulate2x_; }
    bool MultipleTextures() const { return multipleTextures_; }
    int HalIndex() const { return halIndex_; }
    int TnLIndex() const { return tnlIndex_; }
    bool UseTnL() const { return useTnL_; }
    const std::vector<DeviceRecord>& DeviceRecords() const { return deviceRecords_; }
    RenderStateCache& States() { return states_; }
    DynamicVertexBuffer* DynamicBuffer() const { return dynamicBuffer_.get(); }
    const D3DVIEWPORT8& Viewport() const { return viewport_; }
    uint32_t VertexCount() const { return vertexStats_; }
    // The multi-texture states are written again at the next probe.
    void MarkMultiTextureReset() { multiTextureReset_ = false; }

    // ---- Rendering a frame (frame/): the main loop's call of each frame
    // (drawn, then presented), and its pieces.
    void PresentFrame();
    void RenderFrame();
    void QueueEntity(Entity* entity, bool noCull);
    void QueueChildren(Node* node, const Matrix& matrix);
    void QueueSubEntity(Entity* entity, const Matrix& matrix);
    void QueueNode(GeoNode* node, const Matrix& matrix);
    void DrawObject(const QueuedNode& item);
    void SetupLights(Entity* entity, bool overlay);
    void SetLight(Entity* light, int index, bool overlay);
    // Quads written by a particle node (four vertices each, drawn through
    // six indices each) with the render states and texture of the queued
    // item's node, placed by the item's world matrix.
    void DrawParticleQuads(const QueuedNode& item, const Vertex* vertices, int quads,
                           const uint16_t* indices);
    // Every GeoNode below the node draws at that texture level.
    static void SetNodeLevel(Node* node, int level);
    FrameState& Frame() { return frame_; }
    FrameSwitches& Switches() { return frame_.switches; }
    // Null puts back the hooks that do nothing.
    void SetFrameHooks(FrameHooks* hooks) { hooks_ = hooks ? hooks : &defaultHooks_; }
    FrameHooks& Hooks() { return *hooks_; }
    DisplayCamera& Camera() { return *camera_; }
    // The camera controller takes the still camera's place.
    void SetCamera(std::unique_ptr<DisplayCamera> camera);
    // The projection overlays are drawn with (a quarter turn wide).
    Matrix OverlayProjection() const;

    // ---- Overlays, modes and text slots (overlay/). Modes take 0 (off), 1
    // (on) or any other value (toggle).
    void SetLetterbox(int mode, bool animate);
    void SetHudVisible(int mode, bool fade);
    void SetCinematicMode(int mode, bool animate);
    void SetEffectParams(std::span<const int32_t> values);
    // Takes the entity (and its holder's reference) into the overlay node.
    void AddOverlayModel(Entity* entity);
    // Text slot 0..4 shows the text ("text1".."text5", two with a shadow).
    void ShowText(int slot, std::string_view text, bool atOnce);
    // The display's block of the scene-state file.
    void SaveState(platform::BinaryWriter& file) const;
    bool LoadState(platform::BinaryReader& file, uint32_t version);
    // The logo (when shown), the picture-in-picture frame and the
    // environment map.
    void LoadOverlayTextures(const ScriptConfig* script, bool logo, bool screensaver);
    OverlayState& Overlay() { return overlay_; }
    const OverlayState& Overlay() const { return overlay_; }

    // Power schemes to check the monitor's time-outs against; none: the
    // check ends as when the system's calls fail.
    void SetPowerSchemes(PowerSchemeSource* source) { powerSchemes_ = source; }

private:
    // Pieces of the steps (display_caps.cpp, presentation.cpp, ...).
    void ProbeMultiTexture();
    void ReadDeviceCaps();
    D3DFORMAT ChooseZBufferFormat() const;
    int32_t PresentToWindow();
    void OnSurfacesLost();
    void ScreenSaverInput();
    bool ScreenSaverEvent(const platform::Event& event);
    // Frame pieces (frame/).
    void SetTransform(D3DTRANSFORMSTATETYPE type, const Matrix& matrix);
    void DrawQueue(std::vector<QueuedNode>& queue);
    void SetTransparentState();
    void DrawOverlayLayer(Node& parent);
    void DrawPictureInPicture();
    void DrawLetterbox();
    void DrawFadeVeil();
    void UpdateStatistics();
    void DrawScreenQuads(const Vertex* vertices, int quads);
    Matrix BuildEntityMatrix(Entity& entity) const;
    void ApplyNodeStates(const QueuedNode& item, bool& lit);
    void SetNodeTextures(const GeoNode& node, int frame);
    void DrawNodeGeometry(const QueuedNode& item);
    // A node rebuilt every frame, through the dynamic vertex buffer; false
    // when it cannot go that way (it is then drawn from memory).
    bool DrawStreamed(const GeoNode& node, const Vertex* vertices, uint32_t available);
    void Dot3Pass(const QueuedNode& item);
    void DisableLights();

    DisplayHost& host_;
    DisplayOptions options_;
    AdapterRecord* adapter_ = nullptr;
    std::vector<DeviceRecord> deviceRecords_;
    int halIndex_ = -1;
    int tnlIndex_ = -1;
    bool useTnL_ = true;

    platform::Window* window_ = nullptr;
    std::unique_ptr<platform::render::Device> device_; // with primary and back buffer
    platform::render::Device* device3D_ = nullptr;     // set while it draws
    std::unique_ptr<platform::render::Surface> scaling_;
    std::unique_ptr<platform::render::Surface> zBuffer_;
    D3DFORMAT zFormat_ = D3DFMT_UNKNOWN;
    std::unique_ptr<DynamicVertexBuffer> dynamicBuffer_;
    std::unique_ptr<platform::render::IndexBuffer> batchIndices_;
    std::unique_ptr<platform::render::VertexBuffer> sharedVertices_;
    RenderStateCache states_;
    D3DVIEWPORT8 viewport_{};

    int outputWidth_ = 0, outputHeight_ = 0;
    int renderWidth_ = 0, renderHeight_ = 0;
    float aspect_ = 1.0f, inverseAspect_ = 1.0f;
    int bitsPerPixel_ = 32;
    bool fullScreen_ = false;
    bool highQuality_ = true;
    bool lowVideoMemory_ = false;

    bool busy_ = false;
    bool loadScreenBusy_ = false;
    int framesToSkip_ = 0;
    bool lastFrameInPrimary_ = false;
    bool deviceLost_ = false;
    bool resetPending_ = false;
    bool badPixelFormatShown_ = false;

    int multiTextureLevel_ = 0;
    bool multiTextureReset_ = false;
    bool modulateAlpha_ = false;
    bool modulate2x_ = false;
    bool multipleTextures_ = false;
    bool dot3_ = false;
    bool envBump_ = false;

    // The immediate batch.
    Vertex batch_[kBatchVertices];
    int batchCount_ = 0;
    D3DPRIMITIVETYPE batchType_ = D3DPT_TRIANGLELIST;
    uint32_t batchFormat_ = kModelVertexFormat;
    uint32_t vertexStats_ = 0;

    // The frame, the overlay layer and the camera.
    FrameState frame_;
    OverlayState overlay_;
    std::unique_ptr<DisplayCamera> camera_;
    FrameHooks defaultHooks_;
    FrameHooks* hooks_ = &defaultHooks_;

    int screensaverMoves_ = 0;
    bool inScreenSaverInput_ = false;
    PowerSchemeSource* powerSchemes_ = nullptr;
};

} // namespace lumivane
