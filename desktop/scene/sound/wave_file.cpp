// The sound manager's checks of a WAVE file.
#include "desktop/scene/sound/wave_file.h"

#include "platform/adpcm.h"

namespace lumivane {

namespace {

WaveStatus Refuse(std::string& error, const char* why) {
    error = why;
    return WaveStatus::Bad;
}

} // namespace

WaveStatus ReadWaveFile(const std::filesystem::path& path, WaveSound& sound, std::string& error) {
    sound = WaveSound();
    platform::WaveFile wave;
    if (!platform::ReadWaveFile(path, wave, error)) return WaveStatus::Bad;
    WaveFormat& f = sound.format;
    f = wave.format;
    if (f.formatTag != platform::kWaveFormatPcm) {
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
    if (!wave.data) return Refuse(error, "no \"data\" chunk");
    const size_t usable = wave.dataSize - wave.dataSize % f.blockAlign;
    if (usable == 0) return Refuse(error, "no whole sample in the \"data\" chunk");
    sound.samples.assign(wave.data, wave.data + usable);
    return WaveStatus::Ok;
}

} // namespace lumivane
