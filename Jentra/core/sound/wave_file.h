// The sound loader's view of a WAVE file (read by the platform's reader):
// what the engine can play, checked; compressed data decoded to PCM.
#pragma once

#include "Jentra/JTWaveWriter.h"
#include "platform/adpcm.h"
#include "platform/wave_file.h"

#include <cstdint>
#include <string>
#include <vector>

namespace jentra_sound {

struct WaveFile {
    platform::WaveFile file; // the bytes data points into
    JTWaveFormat format;
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
