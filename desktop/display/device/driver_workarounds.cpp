// Driver workarounds by name.
#include "desktop/display/device/driver_workarounds.h"

#include "platform/paths.h"

#include <initializer_list>
#include <string_view>

namespace lumivane {

namespace {

bool ContainsAny(std::string_view text, std::initializer_list<std::string_view> parts) {
    for (std::string_view part : parts)
        if (text.find(part) != std::string_view::npos) return true;
    return false;
}

} // namespace

int LimitMultiTexture(const DriverNames& names, int level) {
    if (platform::EqualsIgnoreCase(names.adapterDriver, "3dfxv2") ||
        ContainsAny(names.adapterDescription, {"Voodoo2"}))
        return 0;
    if (platform::EqualsIgnoreCase(names.driverFile, "s2kdll.dll") && level == 2) return 1;
    return level;
}

WorkaroundResult ApplyBumpWorkarounds(const DriverNames& names, BlendCaps caps) {
    WorkaroundResult result;
    if (ContainsAny(names.identifierDescription, {"Radeon", "radeon", "RADEON"}))
        caps.dot3 = caps.environmentBump = false;
    if (caps.dot3) caps.environmentBump = false;
    result.caps = caps;
    result.checkMonitorPowerSave = !ContainsAny(names.identifierDescription,
                                                {"nvidia", "NVIDIA", "nVidia", "nVIDIA", "Nvidia"});
    return result;
}

} // namespace lumivane
