// 16-byte identifiers drawn from the kernel's random source (a version-4
// GUID), compared bytewise and stored as a u16 version plus the 16 bytes.
#include "Jentra/JTID.h"

#include "Jentra/JTFile.h"

#include <cerrno>
#include <cstring>
#include <random>
#include <sys/random.h>

namespace {

void FillRandom(uint8_t* out, size_t n) {
    size_t done = 0;
    while (done < n) {
        ssize_t got = getrandom(out + done, n - done, 0);
        if (got > 0) {
            done += size_t(got);
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        break;
    }
    if (done == n) return;
    // No kernel source (very old kernels): the C++ library's device.
    std::random_device rd;
    for (; done < n; ++done)
        out[done] = uint8_t(rd());
}

} // namespace

void JTID::New() {
    FillRandom(bytes, sizeof bytes);
    bytes[6] = uint8_t((bytes[6] & 0x0F) | 0x40); // version 4
    bytes[8] = uint8_t((bytes[8] & 0x3F) | 0x80); // RFC 4122 variant
}

bool JTID::operator==(const JTID& other) const {
    return std::memcmp(bytes, other.bytes, sizeof bytes) == 0;
}

bool JTID::SaveLoad(JTFile& f) {
    uint16_t version = 1;
    if (!f.SaveLoadValue(version)) return false;
    return f.SaveLoad(bytes, sizeof bytes);
}
