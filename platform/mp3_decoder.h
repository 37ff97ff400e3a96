// MPEG audio (layer III) decoding to 16-bit PCM, fed with input blocks and
// drained frame by frame, plus a frame walk that counts samples without
// synthesising them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

class Mp3Decoder {
public:
    enum class Status { Ok, NeedMore, Failed };

    Mp3Decoder();
    ~Mp3Decoder();
    Mp3Decoder(const Mp3Decoder&) = delete;
    Mp3Decoder& operator=(const Mp3Decoder&) = delete;

    // Starts a fresh stream (any fed input is dropped).
    bool Reset(std::string& error);
    bool Feed(const uint8_t* data, size_t size);
    // Writes up to `room` bytes of interleaved 16-bit samples, always whole
    // sample frames. NeedMore: the input fed so far is used up.
    Status Decode(uint8_t* out, size_t room, size_t& produced);
    // The stream's format, known once the first frame was decoded.
    bool Format(int& sampleRate, int& channels) const;

    // Walks the frames of a whole stream without synthesis: format of the
    // first frame and the sample frames per channel of all frames.
    static bool Count(const uint8_t* data, size_t size, int& sampleRate, int& channels,
                      uint64_t& frames, std::string& error);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace platform
