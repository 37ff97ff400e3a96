// MP3 to 16-bit PCM: a frame count without synthesis sizes the buffer, then
// the decode pass fills it (or, reading in chunks, only counts).
#include "Jentra/JTMp3Stream.h"

#include "platform/binary_io.h"
#include "platform/mp3_decoder.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr HRESULT kFail = static_cast<HRESULT>(0x80004005);
constexpr size_t kStep = 4608; // bytes of PCM per decode call
constexpr size_t kFirstPcmBuffer = 46080;
// A chunked stream looks this far for its first frame (past tags).
constexpr size_t kProbeLimit = 1 << 20;
} // namespace

JTMp3Stream::JTMp3Stream() = default;

JTMp3Stream::~JTMp3Stream() {
    Close();
}

void JTMp3Stream::Close() {
    if (file) std::fclose(file);
    file = nullptr;
    input.clear();
    input.shrink_to_fit();
    pcm.clear();
    pcm.shrink_to_fit();
    decoder.reset();
    fed = false;
    sampleCount = -1;
    sampleRate = channels = 0;
    chunk = 0;
}

bool JTMp3Stream::Open(const char* name, unsigned chunkSize) {
    Close();
    if (!name) return false;
    fileName = name;
    std::string error;
    // The format comes from the first real frame, wherever a tag puts it.
    uint64_t frames = 0;
    if (chunkSize == 0) {
        if (!platform::ReadWholeFile(fileName, input, &error)) return false;
        if (!platform::Mp3Decoder::Count(input.data(), input.size(), sampleRate, channels, frames,
                                         error)) {
            Close();
            return false;
        }
    } else {
        file = std::fopen(name, "rb");
        if (!file) return false;
        chunk = chunkSize;
        std::vector<uint8_t> probe;
        std::vector<uint8_t> block(std::max<size_t>(chunkSize, 4096));
        bool found = false;
        while (!found && probe.size() < kProbeLimit) {
            const size_t got = std::fread(block.data(), 1, block.size(), file);
            if (got == 0) break;
            probe.insert(probe.end(), block.begin(), block.begin() + got);
            found = platform::Mp3Decoder::Count(probe.data(), probe.size(), sampleRate, channels,
                                                frames, error);
        }
        if (!found) {
            Close();
            return false;
        }
        input.resize(chunkSize);
    }
    return Restart();
}

// Back to the first byte with a fresh decoder.
bool JTMp3Stream::Restart() {
    std::string error;
    if (!decoder) decoder = std::make_unique<platform::Mp3Decoder>();
    if (!decoder->Reset(error)) return false;
    fed = false;
    if (file) return std::fseek(file, 0, SEEK_SET) == 0;
    return true;
}

// Hands the decoder its next input: the whole file once, or the next chunk.
bool JTMp3Stream::FeedMore() {
    if (!file) {
        if (fed) return false;
        fed = true;
        return decoder->Feed(input.data(), input.size());
    }
    const size_t got = std::fread(input.data(), 1, input.size(), file);
    return got > 0 && decoder->Feed(input.data(), got);
}

int JTMp3Stream::DecodeAll() {
    if (!decoder || channels <= 0 || !Restart()) return -1;
    const size_t frameBytes = static_cast<size_t>(channels) * 2;
    uint64_t produced = 0;
    pcm.clear();
    if (!file) {
        int rate = 0, ch = 0;
        uint64_t frames = 0;
        std::string error;
        platform::Mp3Decoder::Count(input.data(), input.size(), rate, ch, frames, error);
        pcm.reserve(std::max<size_t>(kFirstPcmBuffer, frames * frameBytes));
    }
    std::vector<uint8_t> scratch(kStep);
    for (;;) {
        size_t got = 0;
        uint8_t* target = scratch.data();
        if (!file) {
            pcm.resize(static_cast<size_t>(produced) + kStep);
            target = pcm.data() + produced;
        }
        const auto status = decoder->Decode(target, kStep, got);
        if (status == platform::Mp3Decoder::Status::Failed) break;
        if (status == platform::Mp3Decoder::Status::NeedMore) {
            if (!FeedMore()) break;
            continue;
        }
        produced += got;
    }
    if (!file) pcm.resize(static_cast<size_t>(produced - produced % frameBytes));
    int rate = 0, ch = 0;
    if (decoder->Format(rate, ch) && ch != channels) {
        // A stream that changes its channel count midway is not one sound.
        pcm.clear();
        return sampleCount = -1;
    }
    const uint64_t frames = produced / frameBytes;
    sampleCount = frames > 0x7FFFFFFF ? -1 : static_cast<int>(frames);
    return sampleCount;
}

void JTMp3Stream::GetPCM(void* target) const {
    if (!target || sampleCount <= 0) return;
    const size_t wanted = static_cast<size_t>(sampleCount) * channels * 2;
    std::memcpy(target, pcm.data(), std::min(wanted, pcm.size()));
}

bool JTMp3Stream::DecodeInto(void* target, unsigned room, unsigned* produced) {
    if (produced) *produced = 0;
    if (!decoder || !target) return false;
    auto* out = static_cast<uint8_t*>(target);
    size_t total = 0;
    while (room - total >= kStep) {
        size_t got = 0;
        const auto status = decoder->Decode(out + total, kStep, got);
        if (status == platform::Mp3Decoder::Status::Failed) break;
        if (status == platform::Mp3Decoder::Status::NeedMore) {
            if (!FeedMore()) break;
            continue;
        }
        total += got;
    }
    if (produced) *produced = static_cast<unsigned>(total);
    return total > 0;
}

HRESULT JTMp3Stream::DecodeToWave(const char* name) {
    if (!decoder || channels <= 0) return kFail;
    std::string target;
    if (name) {
        target = name;
    } else {
        // Replace the extension of the last path component only.
        target = fileName;
        const size_t slash = target.find_last_of("/\\");
        const size_t dot = target.rfind('.');
        if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
            target.erase(dot);
        target += ".wav";
    }
    if (!Restart()) return kFail;
    JTWaveWriter writer;
    if (writer.Open(target.c_str(), channels == 2, sampleRate, 16) != 0) return kFail;
    std::vector<uint8_t> step(kStep);
    unsigned got = 0;
    while (DecodeInto(step.data(), kStep, &got)) {
        if (writer.Write(got, step.data()) != 0) {
            writer.Close();
            return kFail;
        }
    }
    return writer.Close();
}
