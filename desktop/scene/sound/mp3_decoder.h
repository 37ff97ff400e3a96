// Mp3Decoder: turns one ".mp3" sound file into 16-bit PCM for the sound
// manager, which makes one on the stack per file it loads. It holds the open
// file (or the whole file's bytes), the decoder state, the PCM buffer and the
// decoded sample-frame count (-1 until DecodeAll ran). The decoding itself is
// the platform's MPEG audio decoder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

namespace platform {
class Mp3Decoder;
}

namespace lumivane {

class Mp3Decoder {
public:
    Mp3Decoder();
    ~Mp3Decoder();
    Mp3Decoder(const Mp3Decoder&) = delete;
    Mp3Decoder& operator=(const Mp3Decoder&) = delete;

    // Closes what was open and opens `path`. With chunk size 0 the whole
    // file is read into memory and the file closed again; otherwise the file
    // stays open and DecodeAll reads it `chunkSize` bytes at a time. False
    // when the file cannot be read, is shorter than a frame header, holds no
    // MPEG audio frame (tags before the first frame are skipped) or names a
    // sampling rate of 0.
    bool Open(const std::filesystem::path& path, size_t chunkSize);
    // Decodes the whole stream into the PCM buffer; the number of sample
    // frames (decoded bytes / channels / 2), kept; -1 without a stream.
    int DecodeAll();
    // Copies channels x frames x 2 bytes of interleaved samples into a
    // destination the caller sized; false before DecodeAll.
    bool CopyPcm(void* destination) const;
    size_t PcmBytes() const { return frameCount > 0 ? pcm.size() : 0; }
    // From the first frame header; 0 without an open stream.
    int GetSampleRate() const { return sampleRate; }
    // 2 for a stereo stream, else 1.
    int GetChannels() const { return channels == 2 ? 2 : 1; }
    int GetBitsPerSample() const { return 16; }
    int FrameCount() const { return frameCount; }
    void Close();

private:
    bool ReadFormat(const std::vector<uint8_t>& bytes);
    bool ReadMore(std::vector<uint8_t>& into);

    std::FILE* file = nullptr;
    size_t chunk = 0;
    std::vector<uint8_t> fileBytes;
    std::unique_ptr<platform::Mp3Decoder> decoder;
    std::vector<uint8_t> pcm;
    int frameCount = -1;
    int sampleRate = 0;
    int channels = 0;
};

} // namespace lumivane
