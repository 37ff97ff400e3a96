// Facts about the process and the machine that a crash report quotes: the
// program, the user, processors and memory, the loaded module images, and
// the folder the report goes to. Read after the fault, outside the signal
// handler, while the faulting thread waits.
#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

namespace lumivane {

struct LoadedModule {
    std::string path;
    uint64_t loadAddress; // lowest mapped address of the image
};

// Every file mapped into the process, in address order (/proc/self/maps).
std::vector<LoadedModule> LoadedModules();
// The file name (without folder) of the image that holds the address;
// "Unknown" for anonymous memory or an address nothing maps.
std::string ModuleNameAt(uint64_t address);

std::string ProgramPath();     // "Unknown" when it cannot be found
std::string ProgramNameOnly(); // file name without folder and extension
std::string UserName();        // "Unknown" when it cannot be found
int ProcessorCount();
int ProcessorType();                // 8664 on x86-64, 386 on x86, else 0
uint64_t PhysicalMemoryMegabytes(); // rounded up

// "month/day/year hh:mm:ss", seconds at two-second resolution.
std::string ReportTime(std::time_t when);

// $XDG_DESKTOP_DIR, else ~/Desktop, else the current folder (the data root).
std::filesystem::path ReportFolder();

} // namespace lumivane
