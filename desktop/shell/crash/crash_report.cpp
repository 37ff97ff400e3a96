// Writing and sending crash reports.
#include "desktop/shell/crash/crash_report.h"

#include "desktop/shell/active_desktop.h"
#include "desktop/shell/crash/crash_system.h"
#include "desktop/shell/language_table.h"
#include "desktop/shell/message_boxes.h"
#include "platform/http_get.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <optional>

namespace lumivane {

namespace fs = std::filesystem;

namespace {

constexpr int kLanguageHeading = 11003;
constexpr int kMaxReportNumber = 9999;
constexpr const char* kRequestPath = "/bin/errorreport.dll";
constexpr const char* kUserAgent = "Lumivane";

std::mutex gSettingsMutex;
CrashReportSettings gSettings;
std::optional<CrashAdapterInfo> gAdapter;
std::atomic<bool> gReporting{false};

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    char buffer[1024];
    const int length = std::vsnprintf(buffer, sizeof buffer, format, arguments);
    va_end(arguments);
    if (length < 0) return {};
    return std::string(buffer, std::min(size_t(length), sizeof buffer - 1));
}

bool IsUnreserved(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || c == '.' || c == '~';
}

std::string PercentEncoded(const std::string& text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : text) {
        if (IsUnreserved(c)) {
            out += c;
        } else {
            out += '%';
            out += kHex[uint8_t(c) >> 4];
            out += kHex[uint8_t(c) & 15];
        }
    }
    return out;
}

std::string Hex64(uint64_t value) {
    return Format("%016" PRIx64, value);
}

std::string Hex16(uint16_t value) {
    return Format("%04x", unsigned(value));
}

void AppendLine(std::string& text, const std::string& line = {}) {
    text += line;
    text += "\r\n";
}

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = write(fd, text.data() + done, text.size() - done);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += size_t(written);
    }
    return true;
}

void AppendAdapter(std::string& text, const CrashAdapterInfo& a) {
    AppendLine(text, "Video card: " + a.description + ", " + a.driver);
    AppendLine(text, "     " + a.deviceName + ", " + a.driverName);
    AppendLine(text, Format("     version: %u %u %u %u", a.version[0], a.version[1], a.version[2],
                            a.version[3]));
    AppendLine(text, Format("     vendor: %u, device: %u, subsysID: %u, revision: %u, WHQL: %u",
                            a.vendorId, a.deviceId, a.subsystemId, a.revision, a.whqlLevel));
    const uint8_t* d = a.guidData4;
    AppendLine(text,
               Format("     guid: %8.8X-%4.4X-%4.4X-%4.4X-%2.2X%2.2X%2.2X%2.2X%2.2X%2.2X%2.2X"
                      "%2.2X",
                      a.guidData1, unsigned(a.guidData2), unsigned(a.guidData3),
                      unsigned(d[0] << 8 | d[1]), d[0], d[1], d[2], d[3], d[4], d[5], d[6], d[7]));
    AppendLine(text, Format("     resolution: %i x %i %i bpp", a.width, a.height, a.bitsPerPixel));
}

void AppendModules(std::string& text) {
    AppendLine(text, "Module list: names, addresses, sizes, time stamps and file times:");
    for (const LoadedModule& module : LoadedModules()) {
        struct stat info {};
        const bool known = stat(module.path.c_str(), &info) == 0;
        // ELF images carry no link time stamp: it is given as 0.
        std::string line = module.path + ", loaded at 0x" + Hex64(module.loadAddress) + " - " +
                           std::to_string(known ? int64_t(info.st_size) : 0) + " bytes - 00000000";
        if (known) line += " - file date is " + ReportTime(info.st_mtime);
        AppendLine(text, line);
    }
}

} // namespace

void SetCrashReportSettings(const CrashReportSettings& settings) {
    std::lock_guard lock(gSettingsMutex);
    gSettings = settings;
}

void SetCrashAdapterInfo(const CrashAdapterInfo* info) {
    std::lock_guard lock(gSettingsMutex);
    if (info) {
        gAdapter = *info;
    } else {
        gAdapter.reset();
    }
}

std::string CrashRequestText(const CrashInfo& info, uint32_t build, const std::string& module) {
    const CrashRegisters& r = info.registers;
    const std::string parameters[] = {
        "Product=LumivaneVol1",
        Format("&Build=%2.2u", build),
        "&Except=" + PercentEncoded(ExceptionName(info.code)),
        "&Module=" + PercentEncoded(module),
        "&CS=" + Hex16(r.cs),
        "&EIP=" + Hex64(r.eip),
        "&EFLGS=" + Hex64(r.eflags),
        "&EAX=" + Hex64(r.eax),
        "&EBX=" + Hex64(r.ebx),
        "&SS=" + Hex16(r.ss),
        "&ESP=" + Hex64(r.esp),
        "&EBP=" + Hex64(r.ebp),
        "&ECX=" + Hex64(r.ecx),
        "&DS=" + Hex16(r.ds),
        "&ESI=" + Hex64(r.esi),
        "&FS=" + Hex16(r.fs),
        "&EDX=" + Hex64(r.edx),
        "&ES=" + Hex16(r.es),
        "&EDI=" + Hex64(r.edi),
        "&GS=" + Hex16(r.gs),
        info.hasAccess ? (info.isWrite ? "&Write=" : "&Read=") + Hex64(info.accessAddress) : "",
    };
    // Whole parameters only: the text never ends inside an escape.
    std::string text = std::string(kRequestPath) + "?";
    for (const std::string& parameter : parameters) {
        if (text.size() + parameter.size() > kMaxRequestText) break;
        text += parameter;
    }
    return text;
}

std::string CrashReportText(const CrashInfo& info, const char* threadLabel, uint32_t build) {
    std::string text;
    if (gpLanguageTable) {
        AppendLine(text, LanguageText(kLanguageHeading));
        for (int i = 0; i < 3; ++i)
            AppendLine(text);
    }
    const CrashRegisters& r = info.registers;
    AppendLine(text, ProgramNameOnly() + " build " + std::to_string(build) + " caused " +
                         ExceptionName(info.code) + " in module " + ModuleNameAt(r.eip) + " at " +
                         Hex16(r.cs) + ":" + Hex64(r.eip) + ".");
    AppendLine(text, std::string("Exception handler called in ") +
                         (threadLabel ? threadLabel : "Unknown") + ".");
    AppendLine(text, "Error occurred at " + ReportTime(std::time(nullptr)) + ".");
    AppendLine(text, ProgramPath() + ", run by " + UserName() + ".");
    AppendLine(text, Format("%d processor(s), type %d.", ProcessorCount(), ProcessorType()));
    AppendLine(text, Format("%" PRIu64 " MBytes physical memory.", PhysicalMemoryMegabytes()));
    {
        std::lock_guard lock(gSettingsMutex);
        if (gAdapter) AppendAdapter(text, *gAdapter);
    }
    if (info.sent)
        AppendLine(text, Format("Signal %d was sent by process %d, not raised by a fault.",
                                info.signal, int(info.senderPid)));
    else if (info.hasAccess)
        AppendLine(text, std::string(info.isWrite ? "Write from" : "Read from") + " location " +
                             Hex64(info.accessAddress) + " caused an access violation.");
    AppendLine(text);
    AppendLine(text, "Registers:");
    AppendLine(text, "EAX=" + Hex64(r.eax) + " CS=" + Hex16(r.cs) + " EIP=" + Hex64(r.eip) +
                         " EFLGS=" + Hex64(r.eflags));
    AppendLine(text, "EBX=" + Hex64(r.ebx) + " SS=" + Hex16(r.ss) + " ESP=" + Hex64(r.esp) +
                         " EBP=" + Hex64(r.ebp));
    AppendLine(text, "ECX=" + Hex64(r.ecx) + " DS=" + Hex16(r.ds) + " ESI=" + Hex64(r.esi) +
                         " FS=" + Hex16(r.fs));
    AppendLine(text, "EDX=" + Hex64(r.edx) + " ES=" + Hex16(r.es) + " EDI=" + Hex64(r.edi) +
                         " GS=" + Hex16(r.gs));
    AppendLine(text, "Bytes at CS:EIP:");
    std::string bytes;
    for (int i = 0; i < CrashInfo::kCodeBytes; ++i)
        bytes += (info.codeBytesRead >> i) & 1 ? Format("%02x ", info.codeBytes[i]) : "?? ";
    AppendLine(text, bytes);
    AppendLine(text);
    AppendModules(text);
    AppendLine(text);
    return text;
}

int CreateReportFile(const fs::path& folder, fs::path* path) {
    for (int number = 1; number <= kMaxReportNumber; ++number) {
        char name[64];
        std::snprintf(name, sizeof name, "Lumivane_Error_Log_%4.4i.txt", number);
        const fs::path candidate = folder / name;
        const int fd =
            open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_SYNC | O_CLOEXEC, 0644);
        if (fd >= 0) {
            if (path) *path = candidate;
            return fd;
        }
        if (errno != EEXIST) return -1;
    }
    return -1;
}

int ReportCrash(const CrashInfo& info, const char* threadLabel) {
    if (gReporting.exchange(true)) return 0;
    CrashReportSettings settings;
    {
        std::lock_guard lock(gSettingsMutex);
        settings = gSettings;
    }
    NotifyActivation(false);
    const int fd = CreateReportFile(ReportFolder(), nullptr);
    if (fd < 0) {
        std::fprintf(stderr, "Error creating exception report\n");
    } else {
        if (!settings.reportUrl.empty()) {
            std::string base = settings.reportUrl;
            while (!base.empty() && base.back() == '/')
                base.pop_back();
            platform::HttpGetOptions options;
            options.userAgent = kUserAgent;
            options.timeoutMs = settings.timeoutMs;
            options.noCache = true;
            // The answer is not read; a service that cannot be reached
            // changes nothing.
            platform::HttpGet(
                base + CrashRequestText(info, settings.build, ModuleNameAt(info.registers.eip)),
                options);
        }
        WriteAll(fd, CrashReportText(info, threadLabel, settings.build));
        close(fd);
    }
    // Whatever became of the file, the user gets the desktop back.
    RestoreDesktopOnOwnConnection();
    gReporting = false;
    return 0;
}

} // namespace lumivane
