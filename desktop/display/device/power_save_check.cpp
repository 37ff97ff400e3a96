// The monitor power-save check.
#include "desktop/display/device/power_save_check.h"

#include "desktop/app/shell/language_table.h"
#include "desktop/app/shell/registry.h"
#include "platform/message_box.h"

namespace lumivane {

namespace {

constexpr int kEntryPrompt = 10117;
constexpr int kEntryDeclined = 10118;
constexpr int kEntryCaption = 5058;

} // namespace

PowerCheckOutcome CheckMonitorPowerSave(PowerSchemeSource* schemes, SettingsKey* settings) {
    if (settings && settings->Read(values::kNoCheckMonitorPowerSave) != 0)
        return PowerCheckOutcome::Skipped;
    uint32_t active = 0;
    PowerPolicy policy;
    if (!schemes || !schemes->ActiveScheme(active) || !schemes->SchemePolicy(active, policy))
        return PowerCheckOutcome::Skipped;
    if (policy.videoTimeoutAc == 0 && policy.videoTimeoutDc == 0)
        return PowerCheckOutcome::MonitorOn;

    const auto answer = platform::ShowMessageBox(
        LanguageText(kEntryCaption), LanguageText(kEntryPrompt), platform::MessageBoxKind::Warning,
        platform::MessageBoxButtons::YesNo);
    if (answer == platform::MessageBoxResult::Yes) {
        if (schemes->ActiveScheme(active)) {
            policy.videoTimeoutAc = policy.videoTimeoutDc = 0;
            schemes->SetActiveScheme(active, policy);
        }
        return PowerCheckOutcome::KeptOn;
    }
    if (settings) settings->Write(values::kNoCheckMonitorPowerSave, 1);
    platform::ShowMessageBox(LanguageText(kEntryCaption), LanguageText(kEntryDeclined),
                             platform::MessageBoxKind::Info);
    return PowerCheckOutcome::Declined;
}

} // namespace lumivane
