// RIFF WAVE writer: "fmt ", a "fact" sample count patched at close, "data".
#include "Jentra/JTWaveWriter.h"

#include "platform/adpcm.h"
#include "platform/riff.h"

#include <cstring>

namespace {
constexpr HRESULT kOk = 0;
constexpr HRESULT kFail = static_cast<HRESULT>(0x80004005);

void PutLE16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void PutLE32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}
} // namespace

JTWaveWriter::JTWaveWriter() = default;

JTWaveWriter::~JTWaveWriter() {
    if (file && file->IsOpen()) Close();
}

HRESULT JTWaveWriter::Open(const char* name, bool stereo, int rate, int bits) {
    if (rate <= 0 || (bits != 8 && bits != 16)) return kFail;
    JTWaveFormat pcm;
    pcm.wFormatTag = platform::kWaveFormatPcm;
    pcm.nChannels = stereo ? 2 : 1;
    pcm.nSamplesPerSec = static_cast<uint32_t>(rate);
    pcm.wBitsPerSample = static_cast<uint16_t>(bits);
    pcm.nBlockAlign = static_cast<uint16_t>(bits * pcm.nChannels / 8);
    pcm.nAvgBytesPerSec = pcm.nBlockAlign * pcm.nSamplesPerSec;
    return Open(name, &pcm);
}

HRESULT JTWaveWriter::Open(const char* name, const JTWaveFormat* fmt, const void* extraBytes) {
    if (file && file->IsOpen()) Close();
    if (!name || !fmt || fmt->nBlockAlign == 0) return kFail;
    const bool pcm = fmt->wFormatTag == platform::kWaveFormatPcm;
    if (!pcm && fmt->cbSize > 0 && !extraBytes) return kFail;
    format = *fmt;
    extra.reset();
    if (!pcm && fmt->cbSize > 0) {
        extra = std::make_unique<uint8_t[]>(fmt->cbSize);
        std::memcpy(extra.get(), extraBytes, fmt->cbSize);
    }
    dataBytes = 0;
    file = std::make_unique<platform::RiffWriter>();
    uint8_t record[18];
    PutLE16(record, format.wFormatTag);
    PutLE16(record + 2, format.nChannels);
    PutLE32(record + 4, format.nSamplesPerSec);
    PutLE32(record + 8, format.nAvgBytesPerSec);
    PutLE16(record + 12, format.nBlockAlign);
    PutLE16(record + 14, format.wBitsPerSample);
    PutLE16(record + 16, pcm ? 0 : format.cbSize);
    const uint8_t unknownCount[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    bool ok = file->Create(name, platform::FourCC('W', 'A', 'V', 'E')) &&
              file->BeginChunk(platform::FourCC('f', 'm', 't', ' ')) &&
              file->Write(record, pcm ? 16 : 18) &&
              (pcm || format.cbSize == 0 || file->Write(extra.get(), format.cbSize)) &&
              file->EndChunk() && file->BeginChunk(platform::FourCC('f', 'a', 'c', 't'));
    factOffset = file->Offset();
    ok = ok && file->Write(unknownCount, 4) && file->EndChunk() &&
         file->BeginChunk(platform::FourCC('d', 'a', 't', 'a'));
    if (!ok) {
        file->Close();
        file.reset();
        return kFail;
    }
    return kOk;
}

HRESULT JTWaveWriter::Write(unsigned size, const unsigned char* data) {
    if (!file || !file->IsOpen() || (size && !data)) return kFail;
    if (!file->Write(data, size)) return kFail;
    dataBytes += size;
    return kOk;
}

HRESULT JTWaveWriter::Close() {
    if (!file || !file->IsOpen()) return kFail;
    // The real number of sample frames, so that readers trusting "fact" keep
    // every sample written.
    uint64_t frames = dataBytes / format.nBlockAlign;
    if (format.wFormatTag != platform::kWaveFormatPcm) {
        platform::AdpcmFormat codec;
        std::string error;
        frames = platform::ParseAdpcmFormat(format.wFormatTag, format.nChannels, format.nBlockAlign,
                                            extra.get(), extra ? format.cbSize : 0, codec, error)
                     ? platform::AdpcmFrameCount(codec, dataBytes)
                     : 0;
    }
    uint8_t count[4];
    PutLE32(count, frames > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(frames));
    bool ok = factOffset > 0 && file->Patch(factOffset, count, 4);
    ok = file->Close() && ok;
    file.reset();
    return ok ? kOk : kFail;
}
