// Turns an ".mp3" file into 16-bit PCM: the whole file from memory, or in
// chunks read from the open file.
#pragma once

#include "Jentra/JTWaveWriter.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace platform {
class Mp3Decoder;
}

class JTMp3Stream {
public:
    JTMp3Stream();
    ~JTMp3Stream();
    JTMp3Stream(const JTMp3Stream&) = delete;
    JTMp3Stream& operator=(const JTMp3Stream&) = delete;

    // Without a chunk size the whole file is read at once; false when the
    // file cannot be read or holds no MPEG audio frame.
    bool Open(const char* name, unsigned chunkSize = 0);
    // Decodes the whole stream; returns the sample frames per channel, or -1.
    int DecodeAll();
    // Bytes of PCM held after DecodeAll (none in chunked mode).
    unsigned GetPCMSize() const { return static_cast<unsigned>(pcm.size()); }
    // Copies the decoded samples (at most what was really produced).
    void GetPCM(void* target) const;
    int GetSampleRate() const { return sampleRate; }
    int GetChannels() const { return channels; }
    int GetBitsPerSample() const { return 16; }
    // Decodes the next samples into the caller's room (whole sample frames);
    // false when nothing more comes.
    bool DecodeInto(void* target, unsigned room, unsigned* produced);
    // Writes the whole stream as a PCM WAVE file; without a name, the
    // stream's own name with ".wav" for its extension.
    HRESULT DecodeToWave(const char* name);
    void Close();

private:
    bool Restart();
    bool FeedMore();

    std::FILE* file = nullptr;
    std::vector<uint8_t> input;
    unsigned chunk = 0;
    bool fed = false;
    std::string fileName;
    int sampleCount = -1;
    std::unique_ptr<platform::Mp3Decoder> decoder;
    std::vector<uint8_t> pcm;
    int sampleRate = 0;
    int channels = 0;
};
