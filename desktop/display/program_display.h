// The program's display: the application's view of the display (made for
// a host window, released, made again, frames presented, still pictures,
// the load screen and its bar, the window's events) over the Display of the
// chosen adapter. It also keeps the texture manager in step with the
// device: started for the first device, its surfaces restored for every
// later one; tells the model loader what the device's bump passes need;
// and hands the crash reporter the adapter and the screen's mode.
#pragma once

#include "desktop/display/device/adapter_list.h"
#include "desktop/display/device/display.h"
#include "desktop/display/frame/program_frame_hooks.h"
#include "desktop/display/overlay/scene_display_link.h"
#include "desktop/display/seam/app_display.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/shell/crash/crash_report.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

namespace platform {
class Window;
}

namespace lumivane {

class HostWindow;
class ScriptConfig;
class TextureManager;

struct ProgramDisplayOptions {
    DisplayOptions display;
    // The "Textures" limits of the script configuration, if any.
    const ScriptConfig* script = nullptr;
    // The adapter the program draws with (all zero: the primary display).
    AdapterGuid adapter{};
    // The display's vertex-buffer switch: off, the models stay out of a
    // shared vertex buffer and draw from their own memory ("NoVertexBuffers").
    bool vertexBuffers = true;
};

class ProgramDisplay : public AppDisplay {
public:
    ProgramDisplay(std::unique_ptr<DisplayHost> host, ProgramDisplayOptions options);
    ~ProgramDisplay() override;

    // Null when the adapter list has no display for the chosen adapter.
    Display* GetDisplay() const { return display_; }
    TextureManager* Textures() const;

    bool Create(HostWindow& window, int width, int height) override;
    bool Recreate() override;
    void ReleaseDevice() override;
    bool HasDevice() const override;
    void PresentFrame() override;
    void SkipFrames(int count) override;
    platform::image::Image CaptureFrame() override;
    void PaintStill(const platform::image::Image& picture) override;
    void ShowLoadScreen() override;
    void DrawProgress(float fraction) override;
    bool TakeDeviceLost() override;
    bool HandleEvent(const platform::Event& event) override;
    Display* DrawingDisplay() override { return display_; }

private:
    // The platform window to draw into for a host window: its own, or one
    // bound to another program's window by its id.
    platform::Window* WindowFor(HostWindow& host);
    // The texture manager started for the new device, or its surfaces made
    // again; false when that fails.
    bool TexturesForDevice();
    // A window of another program that its owner resized gets a display of
    // its new size; false when that could not be made.
    bool FollowForeignWindowSize();
    // What a device just made means for the models loaded after it and for
    // a crash report.
    void PublishDeviceFacts();

    // The model library's vertices go into the display's shared buffer.
    class SharedVertices : public VertexBufferSink {
    public:
        explicit SharedVertices(ProgramDisplay& owner) : owner_(owner) {}
        bool Upload(std::span<const Vertex> vertices) override;
        void Release() override;

    private:
        ProgramDisplay& owner_;
    };

    std::unique_ptr<DisplayHost> host_;
    ProgramDisplayOptions options_;
    SharedVertices sharedVertices_{*this};
    std::unique_ptr<AdapterList> adapters_;
    Display* display_ = nullptr;
    ProgramFrameHooks frameHooks_;
    // The scene engine's seams, answered by the display while it lives.
    std::unique_ptr<DisplaySceneLink> sceneLink_;
    std::unique_ptr<TextureManager> ownTextures_;
    bool texturesStarted_ = false;
    // Installed for the model loader once a device exists.
    DisplaySwitches loadSwitches_;

    std::unique_ptr<platform::Window> foreignWindow_;
    uint64_t foreignId_ = 0;
    platform::Window* window_ = nullptr;
    int width_ = 0, height_ = 0;
    bool resizeFailed_ = false;
    uint32_t lastFrameMs_ = 0;
};

// A picture of the frame a device-independent bitmap holds (24-bit,
// bottom-up, rows padded), as R8G8B8 rows top first; empty when the bitmap
// is not one.
platform::image::Image PictureOfBitmap(const std::vector<uint8_t>& bitmap);

// The per-vertex rotation data a display's bump path needs of the models:
// normals turned onto +Z for DOT3, onto +X for environment bump mapping,
// none without either.
int VertexRotationModeFor(const Display& display);

// The driver's version as four numbers: those of the last dotted number in
// the version text, which is the driver's own where the text gives one
// after the version of the interface ("4.5 (Core Profile) Mesa 22.3.6"
// gives 22 3 6 0, "4.6" alone 4 6 0 0); missing numbers are 0.
void DriverVersionNumbers(std::string_view text, uint32_t out[4]);

// What a crash report says of the display: the adapter's names and the
// driver's version numbers, and the screen's mode (else the display's
// output size); the identification fields no driver string gives stay 0.
CrashAdapterInfo CrashAdapterInfoFor(const Display& display);

} // namespace lumivane
