// The monitor power-save check: a desktop that animates is pointless on a
// monitor that switches itself off, so when the active power scheme turns
// the monitor off the user is asked once whether to keep it on. This
// system has no power schemes of its own; a source can be given, and
// without one the check ends as when the scheme cannot be read.
#pragma once

#include <cstdint>

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
