// The application's answers to its display.
#include "desktop/app/app_display_host.h"

#include "desktop/app/desktop_app.h"
#include "desktop/shell/desktop_objects.h"
#include "desktop/display/host_window.h"
#include "desktop/scene/world/mouse.h"
#include "platform/process_priority.h"

namespace lumivane {

bool AppDisplayHost::ScreensaverMode() const {
    return gpDesktopApp && gpDesktopApp->ScreensaverMode();
}

bool AppDisplayHost::WindowMode() const {
    return gpDesktopApp && gpDesktopApp->WindowMode();
}

bool AppDisplayHost::PlayingScreensaver() const {
    return gpDesktopApp && gpDesktopApp->DesktopScreensaverActive();
}

bool AppDisplayHost::InputEndsScreensaver() const {
    // A screen-saver host watches the user's input itself.
    return (ScreensaverMode() && !gpDesktopApp->Options().hostedScreensaver) ||
           PlayingScreensaver();
}

bool AppDisplayHost::TakePaint() {
    return gpDesktopObjects && gpDesktopObjects->Event(DesktopEvent::Paint).Poll();
}

void AppDisplayHost::ResetPaint() {
    if (gpDesktopObjects) gpDesktopObjects->Event(DesktopEvent::Paint).Reset();
}

void AppDisplayHost::SetPreload(bool signalled) {
    if (!gpDesktopObjects) return;
    platform::NamedEvent& preload = gpDesktopObjects->Event(DesktopEvent::Preload);
    if (signalled) {
        preload.Set();
    } else {
        preload.Reset();
    }
}

void AppDisplayHost::SetVolumes(float level) {
    if (gpDesktopApp) gpDesktopApp->SetVolumes(level);
}

void AppDisplayHost::RestoreVolumes() {
    if (gpDesktopApp) gpDesktopApp->RestoreVolumes();
}

void AppDisplayHost::UpdateSound() {
    if (gpDesktopApp) gpDesktopApp->UpdateSound();
}

void AppDisplayHost::IdlePriority() {
    if (platform::GetProcessPriority() != platform::PriorityClass::Idle)
        platform::SetProcessPriority(platform::PriorityClass::Idle);
}

void AppDisplayHost::PostQuit() {
    if (gpDesktopApp) gpDesktopApp->QuitOnInput();
}

void AppDisplayHost::EndDesktopScreensaver() {
    if (gpDesktopApp) gpDesktopApp->EndDesktopScreensaver();
}

void AppDisplayHost::SetMouseRange(int width, int height) {
    // Every device the display makes, at every size (a new one, a reset, the
    // window resized by its owner), gives the pointer its scale.
    if (gpDesktopApp) gpDesktopApp->MouseState().SetRange(width, height);
}

bool AppDisplayHost::ResetSize(int& width, int& height) {
    HostWindow* host = gpDesktopApp ? gpDesktopApp->Host() : nullptr;
    return host && host->ClientSize(width, height);
}

bool AppDisplayHost::HighQualityMode(int) const {
    return !gpDesktopApp || gpDesktopApp->HighQualityMode();
}

} // namespace lumivane
