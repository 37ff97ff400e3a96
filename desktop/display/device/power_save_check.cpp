// The monitor power-save check.
#include "desktop/display/device/power_save_check.h"

#include "desktop/shell/language_table.h"
#include "desktop/shell/log.h"
#include "desktop/shell/message_boxes.h"
#include "desktop/shell/registry.h"
#include "platform/monitor_power.h"

#include <algorithm>

namespace lumivane {

namespace {

constexpr int kEntryPrompt = 10117;
constexpr int kEntryDeclined = 10118;
constexpr int kEntryCaption = 5058;

// The time after which DPMS blanks the screen: the first non-zero time-out.
uint32_t BlankingTimeout(const platform::MonitorPowerSettings& dpms) {
    if (!dpms.enabled) return 0;
    uint32_t first = 0;
    for (uint32_t timeout : {dpms.standby, dpms.suspend, dpms.off})
        if (timeout != 0) first = first == 0 ? timeout : std::min(first, timeout);
    return first;
}

} // namespace

DpmsPowerSource::DpmsPowerSource(std::string display) : display_(std::move(display)) {}

std::unique_ptr<platform::MonitorPower> DpmsPowerSource::Open() {
    const std::string display = display_.empty() ? platform::WindowsXDisplay() : display_;
    std::string why = "no X display";
    auto power = display.empty() ? nullptr : platform::OpenMonitorPower(display, &why);
    // Not asking is silent; the log says why, once for each reason.
    if (!power && why != lastSkip_) Log("Monitor power save not checked: %s", why.c_str());
    lastSkip_ = power ? std::string() : why;
    return power;
}

bool DpmsPowerSource::ActiveScheme(uint32_t& index) {
    platform::MonitorPowerSettings dpms;
    auto power = Open();
    if (!power || !power->Read(dpms)) return false;
    index = 0;
    return true;
}

bool DpmsPowerSource::SchemePolicy(uint32_t index, PowerPolicy& policy) {
    platform::MonitorPowerSettings dpms;
    auto power = index == 0 ? Open() : nullptr;
    if (!power || !power->Read(dpms)) return false;
    policy.videoTimeoutAc = policy.videoTimeoutDc = BlankingTimeout(dpms);
    return true;
}

bool DpmsPowerSource::SetActiveScheme(uint32_t index, const PowerPolicy& policy) {
    auto power = index == 0 ? Open() : nullptr;
    const auto timeout = uint16_t(std::min<uint32_t>(policy.videoTimeoutAc, UINT16_MAX));
    return power && power->SetTimeouts(timeout, timeout, timeout);
}

PowerSchemeSource& ProgramMonitorPower() {
    static DpmsPowerSource source;
    return source;
}

PowerCheckOutcome CheckMonitorPowerSave(PowerSchemeSource* schemes, SettingsKey* settings) {
    if (settings && settings->Read(values::kNoCheckMonitorPowerSave) != 0)
        return PowerCheckOutcome::Skipped;
    if (BoxesHeldBack()) return PowerCheckOutcome::Skipped;
    uint32_t active = 0;
    PowerPolicy policy;
    if (!schemes || !schemes->ActiveScheme(active) || !schemes->SchemePolicy(active, policy))
        return PowerCheckOutcome::Skipped;
    if (policy.videoTimeoutAc == 0 && policy.videoTimeoutDc == 0)
        return PowerCheckOutcome::MonitorOn;

    const auto answer =
        ShowProgramBox(LanguageText(kEntryCaption), LanguageText(kEntryPrompt),
                       platform::MessageBoxKind::Warning, platform::MessageBoxButtons::YesNo);
    if (answer == platform::MessageBoxResult::Yes) {
        if (schemes->ActiveScheme(active)) {
            policy.videoTimeoutAc = policy.videoTimeoutDc = 0;
            schemes->SetActiveScheme(active, policy);
        }
        return PowerCheckOutcome::KeptOn;
    }
    if (settings) settings->Write(values::kNoCheckMonitorPowerSave, 1);
    ShowProgramBox(LanguageText(kEntryCaption), LanguageText(kEntryDeclined),
                   platform::MessageBoxKind::Info);
    return PowerCheckOutcome::Declined;
}

} // namespace lumivane
