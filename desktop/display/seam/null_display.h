// The display until the real one is built: it makes nothing, draws nothing,
// and paces frames at about 30 a second so a running program does not spin.
#pragma once

#include "desktop/display/seam/app_display.h"

namespace lumivane {

class NullDisplay : public AppDisplay {
public:
    bool Create(HostWindow& window, int width, int height) override;
    bool Recreate() override;
    void ReleaseDevice() override { hasDevice_ = false; }
    bool HasDevice() const override { return hasDevice_; }
    void PresentFrame() override;
    void SkipFrames(int) override {}
    platform::image::Image CaptureFrame() override { return {}; }
    void PaintStill(const platform::image::Image&) override {}
    void ShowLoadScreen() override {}
    void DrawProgress(float) override {}
    bool TakeDeviceLost() override { return false; }
    bool HandleEvent(const platform::Event&) override { return false; }

private:
    HostWindow* window_ = nullptr;
    bool hasDevice_ = false;
    uint32_t lastFrame_ = 0;
};

} // namespace lumivane
