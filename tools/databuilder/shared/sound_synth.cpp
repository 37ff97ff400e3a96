// Synthesised sounds and their MP3 encoding.
#include "tools/databuilder/shared/sound_synth.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace databuilder {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kFifth = 1.5;

double Sample(const SoundRecipe& recipe, double pitch, double t, uint32_t& seed, double& envelope) {
    switch (recipe.shape) {
    case SoundShape::Beep:
        return std::sin(2 * kPi * pitch * t);
    case SoundShape::Chirp:
        envelope *= 1.0 - t / recipe.seconds;
        return std::sin(2 * kPi * pitch * t * (1.0 + t / recipe.seconds));
    case SoundShape::Noise:
        seed = seed * 1664525u + 1013904223u;
        envelope *= 0.6;
        return static_cast<double>(static_cast<int32_t>(seed) >> 16) / 32768.0;
    case SoundShape::Hum: // loops: whole periods of both partials in its length
        envelope = 0.5;
        return 0.6 * std::sin(2 * kPi * pitch * t) +
               0.3 * std::sin(2 * kPi * pitch * 1.5 * t) * std::sin(2 * kPi * t / recipe.seconds);
    case SoundShape::Thud:
        return std::sin(2 * kPi * pitch * t) * std::exp(-t * 12.0);
    case SoundShape::Fanfare: {
        const double step = recipe.seconds / 3.0;
        const double ratio = t < step ? 1.0 : t < 2 * step ? 1.25 : 1.5;
        return std::sin(2 * kPi * pitch * ratio * t);
    }
    }
    return 0.0;
}

} // namespace

std::vector<int16_t> SynthesiseSound(const SoundRecipe& recipe, int rate, int channels) {
    const int frames = static_cast<int>(recipe.seconds * rate);
    std::vector<int16_t> samples(size_t(frames) * size_t(channels));
    for (int c = 0; c < channels; ++c) {
        uint32_t seed = 12345u + static_cast<uint32_t>(recipe.pitch * 7.0f) + uint32_t(c);
        const double pitch = recipe.pitch * (c == 0 ? 1.0 : kFifth);
        for (int i = 0; i < frames; ++i) {
            const double t = static_cast<double>(i) / rate;
            const double end = recipe.seconds - t;
            // Short ramps at both ends so no sound clicks on or off.
            double envelope = std::min({1.0, t / 0.005, end / 0.005});
            const double value = Sample(recipe, pitch, t, seed, envelope);
            samples[size_t(i) * size_t(channels) + size_t(c)] = static_cast<int16_t>(
                std::lround(std::clamp(value * envelope, -1.0, 1.0) * 20000.0));
        }
    }
    return samples;
}

bool HaveLame() {
    return std::system("command -v lame >/dev/null 2>&1") == 0;
}

bool EncodeMp3(const std::filesystem::path& wave, const std::filesystem::path& mp3,
               const char* options) {
    const std::string command =
        std::string("lame --quiet ") + options + " '" + wave.string() + "' '" + mp3.string() + "'";
    return std::system(command.c_str()) == 0;
}

} // namespace databuilder
