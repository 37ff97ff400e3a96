// RIFF WAVE reading for the sound loader.
#include "Jentra/core/sound/wave_file.h"

#include "platform/binary_io.h"
#include "platform/riff.h"

#include <algorithm>

namespace jentra_sound {

using platform::FourCC;

bool ReadWave(const std::string& path, WaveFile& wave, std::string& error) {
    wave = WaveFile();
    if (!platform::ReadWholeFile(path, wave.bytes, &error)) return false;
    platform::RiffReader riff;
    if (!riff.Open(wave.bytes.data(), wave.bytes.size(), error)) return false;
    if (riff.Form() != FourCC('W', 'A', 'V', 'E')) {
        error = "not a WAVE file";
        return false;
    }
    platform::RiffChunk fmt, data, fact;
    if (!riff.Find(FourCC('f', 'm', 't', ' '), fmt) || fmt.size < 16) {
        error = "no complete \"fmt \" chunk";
        return false;
    }
    // Only the fields of the record are read; a longer chunk keeps its extra
    // bytes (as many as it really holds) for the decoder.
    JTWaveFormat& f = wave.format;
    platform::MemoryReader in(fmt.data, fmt.size);
    in.ReadU16(f.wFormatTag);
    in.ReadU16(f.nChannels);
    in.ReadU32(f.nSamplesPerSec);
    in.ReadU32(f.nAvgBytesPerSec);
    in.ReadU16(f.nBlockAlign);
    in.ReadU16(f.wBitsPerSample);
    if (!in.ReadU16(f.cbSize)) f.cbSize = 0;
    in.ReadBytes(wave.extra, std::min<size_t>(f.cbSize, in.Remaining()));
    if (f.nChannels != 1 && f.nChannels != 2) {
        error = "only mono and stereo sounds are supported";
        return false;
    }
    if (f.nSamplesPerSec == 0 || f.nSamplesPerSec > 384000) {
        error = "sample rate out of range";
        return false;
    }
    if (f.wFormatTag == platform::kWaveFormatPcm) {
        if ((f.wBitsPerSample != 8 && f.wBitsPerSample != 16) ||
            f.nBlockAlign != f.nChannels * f.wBitsPerSample / 8) {
            error = "PCM sample size not supported";
            return false;
        }
        f.cbSize = 0;
    } else {
        wave.compressed = true;
        if (f.nBlockAlign == 0 || f.nAvgBytesPerSec == 0) {
            error = "compressed format without block size or data rate";
            return false;
        }
        if (!platform::ParseAdpcmFormat(f.wFormatTag, f.nChannels, f.nBlockAlign, wave.extra.data(),
                                        wave.extra.size(), wave.codec, error))
            return false;
    }
    if (riff.Find(FourCC('f', 'a', 'c', 't'), fact))
        wave.hasFact = platform::MemoryReader(fact.data, fact.size).ReadU32(wave.factSamples);
    if (!riff.Find(FourCC('d', 'a', 't', 'a'), data) || data.size == 0) {
        error = "no sound data";
        return false;
    }
    wave.data = data.data;
    wave.dataSize = data.size;
    if (!wave.compressed) wave.dataSize -= wave.dataSize % f.nBlockAlign;
    if (wave.dataSize == 0) {
        error = "sound data shorter than one sample";
        return false;
    }
    return true;
}

std::vector<int16_t> DecodeWave(const WaveFile& wave) {
    const size_t frames = platform::AdpcmFrameCount(wave.codec, wave.dataSize);
    std::vector<int16_t> pcm(frames * wave.format.nChannels);
    const size_t got =
        platform::AdpcmDecode(wave.codec, wave.data, wave.dataSize, pcm.data(), frames);
    pcm.resize(got * wave.format.nChannels);
    return pcm;
}

JTWaveFormat PcmFormatOf(const WaveFile& wave) {
    JTWaveFormat pcm;
    pcm.wFormatTag = platform::kWaveFormatPcm;
    pcm.nChannels = wave.format.nChannels;
    pcm.nSamplesPerSec = wave.format.nSamplesPerSec;
    pcm.wBitsPerSample = wave.compressed ? 16 : wave.format.wBitsPerSample;
    pcm.nBlockAlign = static_cast<uint16_t>(pcm.nChannels * pcm.wBitsPerSample / 8);
    pcm.nAvgBytesPerSec = pcm.nBlockAlign * pcm.nSamplesPerSec;
    return pcm;
}

} // namespace jentra_sound
