// How much address space this test process holds, for tests that run a
// step under an address-space limit and need to know where they start.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>

namespace test_support {

// This process's address space in bytes (VmSize); 0 when unreadable.
inline uint64_t AddressSpaceBytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmSize:", 0) == 0) return std::stoull(line.substr(7)) * 1024;
    return 0;
}

} // namespace test_support
