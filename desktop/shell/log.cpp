// The log file.
#include "desktop/shell/log.h"

#include "platform/clock.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <string>

namespace lumivane {

namespace {

constexpr const char* kLogFile = "log.txt";
constexpr int kOpenTries = 4;
constexpr uint32_t kRetryDelayMs = 100;

std::atomic<bool> gLogEnabled{false};

std::string FormatLine(const char* format, va_list arguments) {
    char stamp[32] = "";
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local)) std::strftime(stamp, sizeof stamp, "%m/%d/%y %H:%M:%S", &local);
    char prefix[96];
    std::snprintf(prefix, sizeof prefix, "%s (p=%x t=%x) : ", stamp, unsigned(getpid()),
                  unsigned(syscall(SYS_gettid)));
    std::string line = prefix;
    va_list copy;
    va_copy(copy, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length > 0) {
        std::string text(size_t(length) + 1, '\0');
        std::vsnprintf(text.data(), text.size(), format, arguments);
        text.resize(size_t(length));
        line += text;
    }
    line += '\n';
    return line;
}

} // namespace

void SetLogEnabled(bool enabled) {
    gLogEnabled = enabled;
}

bool IsLogEnabled() {
    return gLogEnabled;
}

void Log(const char* format, ...) {
    if (!gLogEnabled || !format) return;
    va_list arguments;
    va_start(arguments, format);
    const std::string line = FormatLine(format, arguments);
    va_end(arguments);
    for (int attempt = 0; attempt < kOpenTries; ++attempt) {
        if (attempt) platform::SleepMilliseconds(kRetryDelayMs);
        if (std::FILE* file = std::fopen(kLogFile, "ae")) {
            // One write of the whole line, so lines of threads never mix.
            std::setvbuf(file, nullptr, _IOFBF, line.size() + 1);
            std::fwrite(line.data(), 1, line.size(), file);
            std::fclose(file);
            return;
        }
    }
}

} // namespace lumivane
