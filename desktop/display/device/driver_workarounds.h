// What the display turns off for drivers known to misreport: multi-texture
// on two old accelerator drivers, both bump paths on one card family, and the
// monitor power-save check on another (its driver handles the monitor
// itself). A pure function of the names, so every case can be checked.
#pragma once

#include <string>

namespace lumivane {

struct DriverNames {
    std::string adapterDriver;         // the adapter enumeration's driver name
    std::string adapterDescription;    // the adapter enumeration's description
    std::string identifierDescription; // the device identifier's description
    std::string driverFile;            // the device identifier's driver file name
};

struct BlendCaps {
    int multiTextureLevel = 0; // 0, 1 or 2
    bool dot3 = false;
    bool environmentBump = false;
};

// The caps with the workarounds applied (DOT3 also wins over environment
// bump mapping), and whether the monitor power-save check runs.
struct WorkaroundResult {
    BlendCaps caps;
    bool checkMonitorPowerSave = true;
};

// The multi-texture level after the driver-name rules (applied before the
// device's other caps are read).
int LimitMultiTexture(const DriverNames& names, int level);
// The bump rules and the power-save decision (applied after the caps).
WorkaroundResult ApplyBumpWorkarounds(const DriverNames& names, BlendCaps caps);

} // namespace lumivane
