// Sounds the engine and the game play: short synthesised tones and noises,
// written as WAVE by the engine's own writer and encoded to MP3 with lame
// (every sound named "x.wav" is read from "sounds\x.mp3", and on low-memory
// machines from "soundslow\x.mp3").
#include "tools/databuilder/data_step.h"

#include "Jentra/JTWaveWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include <unistd.h>

namespace {

enum class Shape { Beep, Chirp, Noise, Hum, Thud, Fanfare };

struct SoundSpec {
    const char* name;
    Shape shape;
    float seconds;
    float pitch; // Hz
};

const SoundSpec kSounds[] = {
    {"JTBeep_Alert", Shape::Beep, 0.12f, 880.0f},   {"JTBeep_Default", Shape::Beep, 0.12f, 660.0f},
    {"JTBeep_Invalid", Shape::Beep, 0.25f, 220.0f}, {"HoloStatic0", Shape::Noise, 0.75f, 0.0f},
    {"HoloStatic1", Shape::Noise, 0.75f, 1.0f},     {"HoloStatic2", Shape::Noise, 0.75f, 2.0f},
    {"HoloStatic3", Shape::Noise, 0.75f, 3.0f},     {"HoloStatic4", Shape::Noise, 0.75f, 4.0f},
    {"HoloStatic5", Shape::Noise, 0.75f, 5.0f},     {"HoloStatic6", Shape::Noise, 0.75f, 6.0f},
    {"HoloStatic7", Shape::Noise, 0.75f, 7.0f},     {"HoloStatic8", Shape::Noise, 0.75f, 8.0f},
    {"HoloStatic9", Shape::Noise, 0.75f, 9.0f},     {"LV-BKG1", Shape::Hum, 3.0f, 110.0f},
    {"ParkSfx", Shape::Hum, 3.0f, 196.0f},          {"FireIceSfx", Shape::Hum, 3.0f, 82.0f},
    {"HoloSfx", Shape::Hum, 3.0f, 147.0f},          {"ParkMove", Shape::Thud, 0.3f, 140.0f},
    {"FireMove", Shape::Thud, 0.3f, 90.0f},         {"IceMove", Shape::Chirp, 0.3f, 1200.0f},
    {"HoloMove", Shape::Chirp, 0.3f, 600.0f},       {"ParkTaken", Shape::Noise, 0.4f, 20.0f},
    {"FireTaken", Shape::Noise, 0.5f, 21.0f},       {"IceTaken", Shape::Chirp, 0.5f, 2400.0f},
    {"HoloTaken", Shape::Chirp, 0.5f, 300.0f},      {"Unlock", Shape::Fanfare, 1.2f, 523.0f},
    {"GameOver", Shape::Fanfare, 1.2f, 262.0f},     {"MenuOpen", Shape::Chirp, 0.2f, 700.0f},
};

constexpr int kRate = 22050;
constexpr double kPi = 3.14159265358979323846;

std::vector<int16_t> Synthesise(const SoundSpec& spec) {
    const int frames = static_cast<int>(spec.seconds * kRate);
    std::vector<int16_t> samples(frames);
    uint32_t seed = 12345u + static_cast<uint32_t>(spec.pitch * 7.0f);
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double end = spec.seconds - t;
        // Short ramps at both ends so no sound clicks on or off.
        double envelope = std::min({1.0, t / 0.005, end / 0.005});
        double value = 0.0;
        switch (spec.shape) {
        case Shape::Beep:
            value = std::sin(2 * kPi * spec.pitch * t);
            break;
        case Shape::Chirp:
            value = std::sin(2 * kPi * spec.pitch * t * (1.0 + t / spec.seconds));
            envelope *= 1.0 - t / spec.seconds;
            break;
        case Shape::Noise:
            seed = seed * 1664525u + 1013904223u;
            value = static_cast<double>(static_cast<int32_t>(seed) >> 16) / 32768.0;
            envelope *= 0.6;
            break;
        case Shape::Hum: // loops: whole periods of both partials in its length
            value = 0.6 * std::sin(2 * kPi * spec.pitch * t) +
                    0.3 * std::sin(2 * kPi * spec.pitch * 1.5 * t) *
                        std::sin(2 * kPi * t / spec.seconds);
            envelope = 0.5;
            break;
        case Shape::Thud:
            value = std::sin(2 * kPi * spec.pitch * t) * std::exp(-t * 12.0);
            break;
        case Shape::Fanfare: {
            const double step = spec.seconds / 3.0;
            const double ratio = t < step ? 1.0 : t < 2 * step ? 1.25 : 1.5;
            value = std::sin(2 * kPi * spec.pitch * ratio * t);
            break;
        }
        }
        samples[i] =
            static_cast<int16_t>(std::lround(std::clamp(value * envelope, -1.0, 1.0) * 20000.0));
    }
    return samples;
}

bool WriteWave(const std::string& path, const std::vector<int16_t>& samples) {
    JTWaveWriter writer;
    if (writer.Open(path.c_str(), false, kRate, 16) != 0) return false;
    const bool written = writer.Write(static_cast<unsigned>(samples.size() * 2),
                                      reinterpret_cast<const unsigned char*>(samples.data())) == 0;
    return writer.Close() == 0 && written;
}

bool Encode(const std::string& wave, const std::filesystem::path& mp3, const char* options) {
    const std::string command =
        std::string("lame --quiet ") + options + " '" + wave + "' '" + mp3.string() + "'";
    return std::system(command.c_str()) == 0;
}

} // namespace

DATABUILDER_STEP(WriteSounds, "sounds") {
    if (std::system("command -v lame >/dev/null 2>&1") != 0) {
        std::fprintf(stderr, "sounds: the MP3 encoder lame is not installed\n");
        return false;
    }
    const auto sounds = context.runtime / "sounds";
    const auto slow = context.runtime / "soundslow";
    std::error_code error;
    std::filesystem::create_directories(sounds, error);
    std::filesystem::create_directories(slow, error);
    if (error) {
        std::fprintf(stderr, "sounds: cannot create the sound folders: %s\n",
                     error.message().c_str());
        return false;
    }
    const std::string wave = (std::filesystem::temp_directory_path() /
                              ("databuilder_sound_" + std::to_string(getpid()) + ".wav"))
                                 .string();
    bool ok = true;
    for (const SoundSpec& spec : kSounds) {
        const std::string file = std::string(spec.name) + ".mp3";
        // Written only when missing, so rebuilding the data stays quick.
        if (std::filesystem::exists(sounds / file) && std::filesystem::exists(slow / file))
            continue;
        if (!WriteWave(wave, Synthesise(spec)) ||
            !Encode(wave, sounds / file, "-b 64 --resample 22.05") ||
            !Encode(wave, slow / file, "-b 32 --resample 11.025")) {
            std::fprintf(stderr, "sounds: cannot write %s\n", file.c_str());
            ok = false;
            break;
        }
    }
    std::filesystem::remove(wave, error);
    return ok;
}
