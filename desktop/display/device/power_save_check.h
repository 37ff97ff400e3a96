// The monitor power-save check: a desktop that animates is pointless on a
// monitor that switches itself off, so when the active power scheme turns
// the monitor off the user is asked once whether to keep it on. Here the
// power scheme is the X server's display power management (DPMS); without
// a source, or while boxes are held back (the screen saver: nobody is
// there to ask), the check ends as when the scheme cannot be read.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {
class MonitorPower;
}

namespace lumivane {

class SettingsKey;

// The monitor time-outs of a power scheme, in seconds (0: never).
struct PowerPolicy {
    uint32_t videoTimeoutAc = 0;
    uint32_t videoTimeoutDc = 0;
};

class PowerSchemeSource {
public:
    virtual ~PowerSchemeSource() = default;
    // The active scheme's index; false when it cannot be read.
    virtual bool ActiveScheme(uint32_t& index) = 0;
    // The policy of the scheme with that index among the enumerated ones;
    // false when the enumeration fails or lists no such scheme.
    virtual bool SchemePolicy(uint32_t index, PowerPolicy& policy) = 0;
    // Makes the scheme active with that policy.
    virtual bool SetActiveScheme(uint32_t index, const PowerPolicy& policy) = 0;
};

// The X server's DPMS as the one power scheme (index 0): its monitor
// time-out is the first of standby, suspend and off that blanks the screen
// (0 while DPMS is off), the same on mains and battery. It is asked afresh
// at each check, so it follows the windows the program opens later.
class DpmsPowerSource : public PowerSchemeSource {
public:
    // `display`: the X display to ask; empty: the one the program's windows
    // go to (none while they go elsewhere).
    explicit DpmsPowerSource(std::string display = {});
    bool ActiveScheme(uint32_t& index) override;
    bool SchemePolicy(uint32_t index, PowerPolicy& policy) override;
    bool SetActiveScheme(uint32_t index, const PowerPolicy& policy) override;

private:
    std::unique_ptr<platform::MonitorPower> Open();

    std::string display_;
    std::string lastSkip_; // the last reason logged for not asking
};

// The program's source: the DPMS of the X display its windows go to.
PowerSchemeSource& ProgramMonitorPower();

enum class PowerCheckOutcome {
    Skipped,   // switched off by the user's earlier answer, or no scheme
    MonitorOn, // the monitor never turns off: nothing asked
    KeptOn,    // the user let the program keep the monitor on
    Declined,  // the user declined; never asked again
};

// Runs the check against the settings key (the value
// "NoCheckMonitorPowerSave") with the program's boxes.
PowerCheckOutcome CheckMonitorPowerSave(PowerSchemeSource* schemes, SettingsKey* settings);

} // namespace lumivane
