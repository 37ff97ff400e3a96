// The program as its display sees it: the start mode, the named events
// "Paint" and "Preload", the volume levels, the process priority, how the
// screen saver ends and the mouse holder's range, all answered by the
// running application object.
#pragma once

#include "desktop/display/device/display_host.h"

namespace lumivane {

class AppDisplayHost : public DisplayHost {
public:
    bool ScreensaverMode() const override;
    bool WindowMode() const override;
    bool PlayingScreensaver() const override;
    bool InputEndsScreensaver() const override;
    bool TakePaint() override;
    void ResetPaint() override;
    void SetPreload(bool signalled) override;
    void SetVolumes(float level) override;
    void RestoreVolumes() override;
    void UpdateSound() override;
    void IdlePriority() override;
    void PostQuit() override;
    void EndDesktopScreensaver() override;
    void SetMouseRange(int width, int height) override;
    bool ResetSize(int& width, int& height) override;
    bool HighQualityMode(int outputWidth) const override;
};

} // namespace lumivane
