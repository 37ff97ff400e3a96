// ADPCM sound data (Microsoft ADPCM and IMA ADPCM, as stored in WAVE files)
// decoded to 16-bit PCM, block by block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

constexpr uint16_t kWaveFormatPcm = 1;
constexpr uint16_t kWaveFormatMsAdpcm = 2;
constexpr uint16_t kWaveFormatImaAdpcm = 0x11;

struct AdpcmFormat {
    uint16_t tag = 0;
    int channels = 0;
    size_t blockAlign = 0;
    size_t samplesPerBlock = 0;        // sample frames in one full block
    std::vector<int16_t> coefficients; // Microsoft ADPCM: pairs of predictor coefficients
};

// Checks a WAVE format description (the fields after the format tag and the
// extra bytes that follow cbSize) and fills `format`; false with a reason
// when the data could not be decoded safely.
bool ParseAdpcmFormat(uint16_t tag, int channels, size_t blockAlign, const uint8_t* extra,
                      size_t extraSize, AdpcmFormat& format, std::string& error);

// Sample frames that `sourceBytes` of data decode to (a short last block
// counts only for what it holds).
size_t AdpcmFrameCount(const AdpcmFormat& format, size_t sourceBytes);

// Decodes whole blocks (and a short last block) of `source` into interleaved
// 16-bit samples; writes at most `roomFrames` frames and returns the frames
// written.
size_t AdpcmDecode(const AdpcmFormat& format, const uint8_t* source, size_t sourceBytes,
                   int16_t* target, size_t roomFrames);

} // namespace platform
