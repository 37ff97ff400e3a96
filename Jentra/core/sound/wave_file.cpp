// What the sound loader plays of a WAVE file, and the ADPCM decode.
#include "Jentra/core/sound/wave_file.h"

namespace jentra_sound {

bool ReadWave(const std::string& path, WaveFile& wave, std::string& error) {
    wave = WaveFile();
    if (!platform::ReadWaveFile(path, wave.file, error)) return false;
    const platform::WaveFormat& read = wave.file.format;
    JTWaveFormat& f = wave.format;
    f.wFormatTag = read.formatTag;
    f.nChannels = read.channels;
    f.nSamplesPerSec = read.samplesPerSecond;
    f.nAvgBytesPerSec = read.averageBytesPerSecond;
    f.nBlockAlign = read.blockAlign;
    f.wBitsPerSample = read.bitsPerSample;
    f.cbSize = read.extraSize;
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
        // The decoder gets the extra bytes the chunk really holds.
        if (!platform::ParseAdpcmFormat(f.wFormatTag, f.nChannels, f.nBlockAlign,
                                        wave.file.extra.data(), wave.file.extra.size(), wave.codec,
                                        error))
            return false;
    }
    wave.hasFact = wave.file.hasFact;
    wave.factSamples = wave.file.factSamples;
    if (!wave.file.data || wave.file.dataSize == 0) {
        error = "no sound data";
        return false;
    }
    wave.data = wave.file.data;
    wave.dataSize = wave.file.dataSize;
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
