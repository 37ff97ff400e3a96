// The crash report: a numbered file on the user's desktop, a short request
// to the report service when one is configured, and the user's desktop put
// back. `ReportCrash` runs outside the signal handler (on the reporter
// thread, see crash_handler.h), so it may format, open files and talk HTTP.
#pragma once

#include "desktop/shell/crash/crash_info.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace lumivane {

// Facts fixed before any crash.
struct CrashReportSettings {
    uint32_t build = 0;    // the machine value "Build"
    std::string reportUrl; // the machine value "CrashReportURL"; empty: send nothing
    uint32_t timeoutMs = 3000;
};

void SetCrashReportSettings(const CrashReportSettings& settings);

// The display's adapter, quoted by the report when the display has set it.
struct CrashAdapterInfo {
    std::string description, driver, deviceName, driverName;
    uint32_t version[4] = {};
    uint32_t vendorId = 0, deviceId = 0, subsystemId = 0, revision = 0, whqlLevel = 0;
    uint32_t guidData1 = 0;
    uint16_t guidData2 = 0, guidData3 = 0;
    uint8_t guidData4[8] = {};
    int width = 0, height = 0, bitsPerPixel = 0;
};
void SetCrashAdapterInfo(const CrashAdapterInfo* info); // null: no display

// Writes the report and sends the request; then puts the desktop back.
// Answers 0: the fault's own handling follows.
int ReportCrash(const CrashInfo& info, const char* threadLabel);

// The request path and query, held to kMaxRequestText characters: no CR or
// LF, every value percent-encoded.
inline constexpr size_t kMaxRequestText = 2024;
std::string CrashRequestText(const CrashInfo& info, uint32_t build, const std::string& module);

// The report's text (lines end in CR LF).
std::string CrashReportText(const CrashInfo& info, const char* threadLabel, uint32_t build);

// Creates the first free "Lumivane_Error_Log_NNNN.txt" in the folder with an
// exclusive create, so two crashes never share a file. Answers the open
// descriptor (or -1) and the path.
int CreateReportFile(const std::filesystem::path& folder, std::filesystem::path* path);

} // namespace lumivane
