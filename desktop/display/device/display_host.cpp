// The display host's defaults.
#include "desktop/display/device/display_host.h"

#include "desktop/shell/registry.h"
#include "desktop/scene/world/model_library.h"
#include "platform/clock.h"

namespace lumivane {

bool DisplayHost::HighQualityMode(int outputWidth) const {
    if (WindowMode()) return true;
    uint8_t quality = HighQualityDefault(outputWidth);
    if (gpRegistry && gpRegistry->IsOpen())
        quality = gpRegistry->Read(values::kHighQualityMode, quality);
    return quality != 0;
}

void DisplayHost::RebuildSharedVertices() {
    if (ModelLibrary* library = GetModelLibrary()) library->BuildVertexBuffer();
}

bool DisplayHost::ModelsLoaded() const {
    const ModelLibrary* library = GetModelLibrary();
    return library && library->Count() > 0;
}

void DisplayHost::Sleep(uint32_t milliseconds) {
    platform::SleepMilliseconds(milliseconds);
}

} // namespace lumivane
