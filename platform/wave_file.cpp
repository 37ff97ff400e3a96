// RIFF WAVE reading: the chunks a sound needs, found with the RIFF reader.
#include "platform/wave_file.h"

#include <algorithm>
#include <cstring>

#include "platform/adpcm.h"
#include "platform/binary_io.h"
#include "platform/riff.h"

namespace platform {

namespace {

constexpr uint32_t kBaseFormatBytes = 16; // the record without extraSize

} // namespace

WaveFormat WaveFormat::Pcm16(int channels, int rate) {
    WaveFormat f;
    f.formatTag = kWaveFormatPcm;
    f.channels = uint16_t(channels);
    f.samplesPerSecond = uint32_t(rate);
    f.bitsPerSample = 16;
    f.blockAlign = uint16_t(channels * 2);
    f.averageBytesPerSecond = f.blockAlign * f.samplesPerSecond;
    return f;
}

bool ReadWaveFile(const std::filesystem::path& path, WaveFile& wave, std::string& error) {
    wave = WaveFile();
    if (!ReadWholeFile(path, wave.bytes, &error)) return false;
    RiffReader riff;
    if (!riff.Open(wave.bytes.data(), wave.bytes.size(), error)) return false;
    if (riff.Form() != FourCC('W', 'A', 'V', 'E')) {
        error = "not a WAVE file";
        return false;
    }
    RiffChunk chunk;
    if (!riff.Find(FourCC('f', 'm', 't', ' '), chunk) || chunk.size < kBaseFormatBytes) {
        error = "no complete \"fmt \" chunk";
        return false;
    }
    WaveFormat& f = wave.format;
    MemoryReader in(chunk.data, chunk.size);
    in.ReadU16(f.formatTag);
    in.ReadU16(f.channels);
    in.ReadU32(f.samplesPerSecond);
    in.ReadU32(f.averageBytesPerSecond);
    in.ReadU16(f.blockAlign);
    in.ReadU16(f.bitsPerSample);
    if (!in.ReadU16(f.extraSize)) f.extraSize = 0;
    in.ReadBytes(wave.extra, std::min<size_t>(f.extraSize, in.Remaining()));
    if (riff.Find(FourCC('f', 'a', 'c', 't'), chunk))
        wave.hasFact = MemoryReader(chunk.data, chunk.size).ReadU32(wave.factSamples);
    if (riff.Find(FourCC('d', 'a', 't', 'a'), chunk)) {
        wave.data = chunk.data;
        wave.dataSize = chunk.size;
    }
    return true;
}

void HalveSampleFrames(std::vector<uint8_t>& samples, int frameBytes) {
    if (frameBytes <= 0) return;
    const size_t step = size_t(frameBytes);
    const size_t kept = samples.size() / step / 2;
    for (size_t i = 1; i < kept; ++i)
        std::memcpy(samples.data() + i * step, samples.data() + 2 * i * step, step);
    samples.resize(kept * step);
}

} // namespace platform
