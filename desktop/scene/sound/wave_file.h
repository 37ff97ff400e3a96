// RIFF WAVE sound files as the sound manager reads them: the 18-byte format
// record of the "fmt " chunk, an optional "fact" chunk, and the samples of
// the "data" chunk. Every size is checked against the bytes really there.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace lumivane {

inline constexpr uint16_t kWaveFormatPcm = 1;

// The format record as the sound manager keeps it per sound (18 bytes in a
// file: the fields in this order, little-endian).
struct WaveFormat {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t samplesPerSecond = 0;
    uint32_t averageBytesPerSecond = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    uint16_t extraSize = 0;

    // The format of 16-bit PCM with these channels and rate.
    static WaveFormat Pcm16(int channels, int rate);
};

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

// Keeps every second sample frame of interleaved PCM: half the frames,
// rounded down, never splitting a frame.
void HalveSampleFrames(std::vector<uint8_t>& samples, int frameBytes);

} // namespace lumivane
