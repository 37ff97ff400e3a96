// Sound synthesis for the data builder: short tones, chirps, noises, hums,
// thuds and fanfares as 16-bit samples, and MP3 encoding with lame.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace databuilder {

enum class SoundShape { Beep, Chirp, Noise, Hum, Thud, Fanfare };

struct SoundRecipe {
    std::string name;
    SoundShape shape;
    float seconds;
    float pitch; // Hz (noise: a seed)
};

// Interleaved samples of `channels` channels at `rate`; a second channel
// sounds a fifth above the first.
std::vector<int16_t> SynthesiseSound(const SoundRecipe& recipe, int rate, int channels = 1);

bool HaveLame();
// Encodes a WAVE file as MP3 with the given lame options.
bool EncodeMp3(const std::filesystem::path& wave, const std::filesystem::path& mp3,
               const char* options);

} // namespace databuilder
