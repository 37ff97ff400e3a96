// What a benchmark reads of its own process: resident memory from
// /proc/self/status, processor time of all its threads, and wall-clock time.
#pragma once

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>

namespace bench {

using Clock = std::chrono::steady_clock;

// "VmHWM" (the peak) or "VmRSS" of this process in MiB; 0 when unreadable.
inline double ProcessMemoryMiB(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0) return std::atof(line.c_str() + std::strlen(key) + 1) / 1024.0;
    return 0.0;
}

// Processor time of all of this process's threads (the rasteriser's too).
inline double ProcessCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

inline double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

} // namespace bench
