// RIFF WAVE files: the format record of the "fmt " chunk with the extra
// bytes it really holds, the optional "fact" sample count and the "data"
// chunk, every size checked against the bytes there. Both engines read their
// sounds through it and check on top what their mixers can play.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace platform {

// The format record (18 bytes in a file: the fields in this order,
// little-endian; older files stop after the 16 bytes before extraSize).
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

// Data points into bytes, so a WaveFile moves but is never copied.
struct WaveFile {
    WaveFile() = default;
    WaveFile(const WaveFile&) = delete;
    WaveFile& operator=(const WaveFile&) = delete;
    WaveFile(WaveFile&&) = default;
    WaveFile& operator=(WaveFile&&) = default;

    std::vector<uint8_t> bytes; // the whole file; data points into it
    WaveFormat format;
    std::vector<uint8_t> extra;    // bytes after the record: extraSize, or fewer if cut
    const uint8_t* data = nullptr; // null without a "data" chunk
    size_t dataSize = 0;
    bool hasFact = false;
    uint32_t factSamples = 0;
};

// Reads a WAVE file: false with a reason when it cannot be read, is no RIFF
// WAVE form or has no complete "fmt " record. Whether the format plays is
// the caller's question.
bool ReadWaveFile(const std::filesystem::path& path, WaveFile& wave, std::string& error);

// Keeps every second sample frame of interleaved PCM (a rate halved): half
// the frames, rounded down, never splitting a frame.
void HalveSampleFrames(std::vector<uint8_t>& samples, int frameBytes);

} // namespace platform
