// RIFF WAVE writer: "fmt ", a "fact" sample count patched at close, "data".
#include "Jentra/JTWaveWriter.h"

#include "platform/adpcm.h"
#include "platform/binary_io.h"
#include "platform/riff.h"

#include <cstring>

namespace {
constexpr HRESULT kOk = 0;
constexpr HRESULT kFail = static_cast<HRESULT>(0x80004005);
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
    // PCM takes the 16-byte record; other formats the whole one and its extra bytes.
    platform::BufferWriter record;
    record.WriteU16(format.wFormatTag);
    record.WriteU16(format.nChannels);
    record.WriteU32(format.nSamplesPerSec);
    record.WriteU32(format.nAvgBytesPerSec);
    record.WriteU16(format.nBlockAlign);
    record.WriteU16(format.wBitsPerSample);
    if (!pcm) {
        record.WriteU16(format.cbSize);
        record.WriteBytes(extra.get(), format.cbSize);
    }
    bool ok = file->Create(name, platform::FourCC('W', 'A', 'V', 'E')) &&
              file->BeginChunk(platform::FourCC('f', 'm', 't', ' ')) &&
              file->Write(record.Data().data(), record.Data().size()) &&
              file->BeginChunk(platform::FourCC('f', 'a', 'c', 't'));
    factOffset = file->Offset();
    // Unknown until Close, which writes the real count.
    ok = ok && file->Write("\xFF\xFF\xFF\xFF", 4) &&
         file->BeginChunk(platform::FourCC('d', 'a', 't', 'a'));
    if (!ok) {
        file.reset(); // discards the partial file
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
    const uint32_t count = frames > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(frames);
    bool ok = factOffset > 0 && file->PatchU32(factOffset, count);
    ok = file->Close() && ok;
    file.reset();
    return ok ? kOk : kFail;
}
