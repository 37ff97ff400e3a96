// WAVE sound files as the sound manager plays them, read by the platform's
// WAVE reader: 8- or 16-bit PCM, mono or stereo, whole sample frames.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/wave_file.h"

namespace lumivane {

// The format record as the sound manager keeps it per sound.
using WaveFormat = platform::WaveFormat;
using platform::HalveSampleFrames;

enum class WaveStatus {
    Ok,
    NotPcm, // a readable file of another encoding: refused quietly
    Bad,    // missing, damaged, empty, or a format that cannot play
};

struct WaveSound {
    WaveFormat format;
    std::vector<uint8_t> samples; // whole sample frames only
};

// Reads a PCM WAVE file. A "fmt " chunk longer than 18 bytes is read up to
// its 18th byte; a zero channel, bit or rate count is refused.
WaveStatus ReadWaveFile(const std::filesystem::path& path, WaveSound& sound, std::string& error);

} // namespace lumivane
