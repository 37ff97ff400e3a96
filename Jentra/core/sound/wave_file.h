// Reading RIFF WAVE sound files: the format, the optional "fact" sample
// count and the data, every size checked; compressed data decoded to PCM.
#pragma once

#include "Jentra/JTWaveWriter.h"
#include "platform/adpcm.h"

#include <cstdint>
#include <string>
#include <vector>

namespace jentra_sound {

struct WaveFile {
    std::vector<uint8_t> bytes; // the whole file; data points into it
    JTWaveFormat format;
    std::vector<uint8_t> extra; // format bytes after the 18-byte record
    const uint8_t* data = nullptr;
    size_t dataSize = 0;
    bool hasFact = false;
    uint32_t factSamples = 0;
    bool compressed = false;
    platform::AdpcmFormat codec; // when compressed
};

// Reads and checks a WAVE file; false with a reason for anything that cannot
// be played (not RIFF WAVE, no or short "fmt ", rate 0, odd channel counts,
// empty or missing "data", unsupported compression).
bool ReadWave(const std::string& path, WaveFile& wave, std::string& error);

// The data of a compressed wave as 16-bit PCM of the same channels and rate.
std::vector<int16_t> DecodeWave(const WaveFile& wave);

// The PCM format a wave plays as (16-bit for compressed data).
JTWaveFormat PcmFormatOf(const WaveFile& wave);

} // namespace jentra_sound
