// Mp3Decoder: the file, a frame walk for the format and the sample count,
// and the decode loop over the platform's decoder.
#include "desktop/scene/sound/mp3_decoder.h"

#include <algorithm>
#include <string>

#include "platform/binary_io.h"
#include "platform/mp3_decoder.h"

namespace lumivane {

namespace {

constexpr size_t kFirstPcmRoom = 46080;
constexpr size_t kDecodeStep = 4608;
constexpr size_t kFrameHeaderBytes = 4;

} // namespace

Mp3Decoder::Mp3Decoder() = default;

Mp3Decoder::~Mp3Decoder() {
    Close();
}

void Mp3Decoder::Close() {
    if (file) std::fclose(file);
    file = nullptr;
    chunk = 0;
    fileBytes.clear();
    fileBytes.shrink_to_fit();
    decoder.reset();
    pcm.clear();
    pcm.shrink_to_fit();
    frameCount = -1;
    sampleRate = channels = 0;
}

bool Mp3Decoder::ReadFormat(const std::vector<uint8_t>& bytes) {
    if (bytes.size() < kFrameHeaderBytes) return false;
    int rate = 0, count = 0;
    uint64_t frames = 0;
    std::string error;
    // The frame walk syncs past tags and junk to the first real header.
    if (!platform::Mp3Decoder::Count(bytes.data(), bytes.size(), rate, count, frames, error))
        return false;
    if (rate <= 0 || count <= 0) return false;
    sampleRate = rate;
    channels = count;
    return true;
}

bool Mp3Decoder::ReadMore(std::vector<uint8_t>& into) {
    if (!file) return false;
    const size_t old = into.size();
    into.resize(old + chunk);
    const size_t got = std::fread(into.data() + old, 1, chunk, file);
    into.resize(old + got);
    return got > 0;
}

bool Mp3Decoder::Open(const std::filesystem::path& path, size_t chunkSize) {
    Close();
    file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    bool known = false;
    if (chunkSize == 0) {
        std::fclose(file);
        file = nullptr;
        known = platform::ReadWholeFile(path, fileBytes, nullptr) && ReadFormat(fileBytes);
    } else {
        // Only as much of the file as it takes to find the first header.
        chunk = chunkSize;
        std::vector<uint8_t> prefix;
        while (!known && ReadMore(prefix))
            known = ReadFormat(prefix);
        known = known && std::fseek(file, 0, SEEK_SET) == 0;
    }
    std::string error;
    auto fresh = std::make_unique<platform::Mp3Decoder>();
    if (!known || !fresh->Reset(error)) {
        Close();
        return false;
    }
    decoder = std::move(fresh);
    return true;
}

int Mp3Decoder::DecodeAll() {
    if (!decoder) return -1;
    pcm.clear();
    size_t expected = kFirstPcmRoom;
    if (file) {
        ReadMore(fileBytes);
    } else {
        // The counting pass sizes the buffer for the whole stream at once.
        int rate = 0, count = 0;
        uint64_t frames = 0;
        std::string error;
        if (platform::Mp3Decoder::Count(fileBytes.data(), fileBytes.size(), rate, count, frames,
                                        error) &&
            count > 0 && frames < (uint64_t{1} << 31))
            expected = std::max<size_t>(expected, size_t(frames) * size_t(count) * 2);
    }
    decoder->Feed(fileBytes.data(), fileBytes.size());
    fileBytes.clear();
    pcm.resize(expected);
    size_t used = 0;
    for (;;) {
        if (pcm.size() - used < kDecodeStep) pcm.resize(pcm.size() * 2);
        size_t produced = 0;
        const auto status = decoder->Decode(pcm.data() + used, kDecodeStep, produced);
        used += produced;
        if (status == platform::Mp3Decoder::Status::Ok) continue;
        if (status == platform::Mp3Decoder::Status::NeedMore && ReadMore(fileBytes)) {
            decoder->Feed(fileBytes.data(), fileBytes.size());
            fileBytes.clear();
            continue;
        }
        break;
    }
    int rate = 0, count = 0;
    if (decoder->Format(rate, count) && rate > 0 && count > 0) {
        sampleRate = rate;
        channels = count;
    }
    const size_t frameBytes = size_t(GetChannels()) * 2;
    used -= used % frameBytes;
    pcm.resize(used);
    frameCount = int(std::min<size_t>(used / frameBytes, 0x7FFFFFFF));
    return frameCount;
}

bool Mp3Decoder::CopyPcm(void* destination) const {
    if (frameCount < 0 || !destination) return false;
    std::copy(pcm.begin(), pcm.end(), static_cast<uint8_t*>(destination));
    return true;
}

} // namespace lumivane
