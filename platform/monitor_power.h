// The monitor's power management in place of the system's power schemes:
// the X server's display power management (DPMS), whether it is on and
// after how many idle seconds it puts the monitor to standby, to suspend
// and off. The real backend speaks to an X server through its DPMS
// extension; tests install their own.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {

struct MonitorPowerSettings {
    bool enabled = false;
    // Idle seconds; 0: never.
    uint16_t standby = 0;
    uint16_t suspend = 0;
    uint16_t off = 0;
};

// One X server's DPMS.
class MonitorPower {
public:
    virtual ~MonitorPower() = default;
    // False when the server does not answer.
    virtual bool Read(MonitorPowerSettings& out) = 0;
    // Sets the three time-outs (0: never) until the X session ends; false
    // when the server refuses them.
    virtual bool SetTimeouts(uint16_t standby, uint16_t suspend, uint16_t off) = 0;
};

// The X display the program's windows go to: $DISPLAY, unless
// SDL_VIDEODRIVER names another video driver (offscreen, dummy, wayland);
// empty when there is none.
std::string WindowsXDisplay();

// The DPMS of the X server that `display` names (":0"). Null, with the
// reason in *why, when there is no such server or it has no DPMS extension.
std::unique_ptr<MonitorPower> OpenMonitorPower(const std::string& display,
                                               std::string* why = nullptr);

// Tests: OpenMonitorPower answers through `factory` instead (empty: the X
// server again).
using MonitorPowerFactory =
    std::function<std::unique_ptr<MonitorPower>(const std::string& display, std::string* why)>;
void SetMonitorPowerFactory(MonitorPowerFactory factory);

} // namespace platform
