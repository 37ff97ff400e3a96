// RIFF WAVE reading and sample-frame halving for the sound manager.
#include "desktop/scene/sound/wave_file.h"

#include <algorithm>
#include <cstring>

#include "platform/binary_io.h"
#include "platform/riff.h"

namespace lumivane {

namespace {

using platform::FourCC;

constexpr uint32_t kFormatRecordBytes = 18;
constexpr uint32_t kBaseFormatBytes = 16; // without the extra-size word

WaveStatus Refuse(std::string& error, const char* why) {
    error = why;
    return WaveStatus::Bad;
}

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

WaveStatus ReadWaveFile(const std::filesystem::path& path, WaveSound& sound, std::string& error) {
    sound = WaveSound();
    std::vector<uint8_t> bytes;
    if (!platform::ReadWholeFile(path, bytes, &error)) return WaveStatus::Bad;
    platform::RiffReader riff;
    if (!riff.Open(bytes.data(), bytes.size(), error)) return WaveStatus::Bad;
    if (riff.Form() != FourCC('W', 'A', 'V', 'E')) return Refuse(error, "not a WAVE file");
    platform::RiffChunk chunk;
    if (!riff.Find(FourCC('f', 'm', 't', ' '), chunk) || chunk.size < kBaseFormatBytes)
        return Refuse(error, "no complete \"fmt \" chunk");
    // Only the record's own 18 bytes are read; a longer chunk's tail is skipped.
    uint8_t record[kFormatRecordBytes] = {};
    std::memcpy(record, chunk.data, std::min(chunk.size, kFormatRecordBytes));
    platform::MemoryReader in(record, sizeof record);
    WaveFormat& f = sound.format;
    in.ReadU16(f.formatTag);
    in.ReadU16(f.channels);
    in.ReadU32(f.samplesPerSecond);
    in.ReadU32(f.averageBytesPerSecond);
    in.ReadU16(f.blockAlign);
    in.ReadU16(f.bitsPerSample);
    in.ReadU16(f.extraSize);
    if (f.formatTag != kWaveFormatPcm) {
        error = "not PCM";
        return WaveStatus::NotPcm;
    }
    if (f.channels == 0 || f.bitsPerSample == 0 || f.samplesPerSecond == 0)
        return Refuse(error, "a zero channel, bit or rate count");
    if ((f.channels != 1 && f.channels != 2) || (f.bitsPerSample != 8 && f.bitsPerSample != 16))
        return Refuse(error, "only 8- or 16-bit mono or stereo samples play");
    // The block size follows from the format, whatever the file says.
    f.blockAlign = uint16_t(f.channels * f.bitsPerSample / 8);
    f.averageBytesPerSecond = f.blockAlign * f.samplesPerSecond;
    f.extraSize = 0;
    if (!riff.Find(FourCC('d', 'a', 't', 'a'), chunk)) return Refuse(error, "no \"data\" chunk");
    const size_t usable = chunk.size - chunk.size % f.blockAlign;
    if (usable == 0) return Refuse(error, "no whole sample in the \"data\" chunk");
    sound.samples.assign(chunk.data, chunk.data + usable);
    return WaveStatus::Ok;
}

void HalveSampleFrames(std::vector<uint8_t>& samples, int frameBytes) {
    if (frameBytes <= 0) return;
    const size_t step = size_t(frameBytes);
    const size_t kept = samples.size() / step / 2;
    for (size_t i = 1; i < kept; ++i)
        std::memcpy(samples.data() + i * step, samples.data() + 2 * i * step, step);
    samples.resize(kept * step);
}

} // namespace lumivane
