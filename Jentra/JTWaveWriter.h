// Writes sound samples into a RIFF WAVE file ("fmt ", "fact", "data"), and
// the WAVE format record the sound classes share.
#pragma once

#include <cstdint>
#include <memory>

typedef int32_t HRESULT;

// The 18-byte WAVE format record (a file's "fmt " chunk begins with it).
struct JTWaveFormat {
    uint16_t wFormatTag = 0;
    uint16_t nChannels = 0;
    uint32_t nSamplesPerSec = 0;
    uint32_t nAvgBytesPerSec = 0;
    uint16_t nBlockAlign = 0;
    uint16_t wBitsPerSample = 0;
    uint16_t cbSize = 0;
};

namespace platform {
class RiffWriter;
}

class JTWaveWriter {
public:
    JTWaveWriter();
    ~JTWaveWriter();
    JTWaveWriter(const JTWaveWriter&) = delete;
    JTWaveWriter& operator=(const JTWaveWriter&) = delete;

    // PCM of one or two channels; S_OK (0) or E_FAIL.
    HRESULT Open(const char* name, bool stereo, int rate, int bits);
    // Any format; a non-PCM format is written whole with its cbSize extra
    // bytes, which `extra` must then hold.
    HRESULT Open(const char* name, const JTWaveFormat* format, const void* extra = nullptr);
    HRESULT Write(unsigned size, const unsigned char* data);
    // Fixes the chunk sizes and stores the real sample count in "fact".
    HRESULT Close();

private:
    std::unique_ptr<platform::RiffWriter> file;
    JTWaveFormat format;
    std::unique_ptr<uint8_t[]> extra;
    uint64_t factOffset = 0;
    uint64_t dataBytes = 0;
};
