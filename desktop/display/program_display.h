// The program's display: the application's view of the display (made for
// a host window, released, made again, frames presented, still pictures,
// the load screen and its bar, the window's events) over the Display of the
// chosen adapter. It also keeps the texture manager in step with the
// device: started for the first device, its surfaces restored for every
// later one.
#pragma once

#include "desktop/display/device/adapter_list.h"
#include "desktop/display/device/display.h"
#include "desktop/display/frame/program_frame_hooks.h"
#include "desktop/display/overlay/scene_display_link.h"
#include "desktop/display/seam/app_display.h"
#include "desktop/scene/world/scene_services.h"

#include <cstdint>
#include <memory>
#include <span>

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

} // namespace lumivane
