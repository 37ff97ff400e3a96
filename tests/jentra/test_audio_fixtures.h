// Sound fixtures made by code: PCM and IMA ADPCM WAVE files (and damaged
// ones) in a temporary data folder, and MP3s encoded from them with lame.
#pragma once

#include "Jentra/JTAudio.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace audio_fixtures {

inline void Put16(std::vector<uint8_t>& b, uint16_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
inline void Put32(std::vector<uint8_t>& b, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
inline void PutId(std::vector<uint8_t>& b, const char* id) {
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<uint8_t>(id[i]));
}

struct WaveParts {
    uint16_t tag = 1;
    uint16_t channels = 1;
    uint32_t rate = 22050;
    uint16_t bits = 16;
    uint16_t blockAlign = 2;
    uint32_t avgBytes = 44100;
    std::vector<uint8_t> fmtExtra; // after the 16 bytes (cbSize included when present)
    bool fact = false;
    uint32_t factSamples = 0;
    std::vector<uint8_t> data;
};

inline std::vector<uint8_t> BuildWave(const WaveParts& w) {
    std::vector<uint8_t> b;
    PutId(b, "RIFF");
    Put32(b, 0);
    PutId(b, "WAVE");
    PutId(b, "fmt ");
    Put32(b, static_cast<uint32_t>(16 + w.fmtExtra.size()));
    Put16(b, w.tag);
    Put16(b, w.channels);
    Put32(b, w.rate);
    Put32(b, w.avgBytes);
    Put16(b, w.blockAlign);
    Put16(b, w.bits);
    b.insert(b.end(), w.fmtExtra.begin(), w.fmtExtra.end());
    if (w.fmtExtra.size() & 1) b.push_back(0);
    if (w.fact) {
        PutId(b, "fact");
        Put32(b, 4);
        Put32(b, w.factSamples);
    }
    PutId(b, "data");
    Put32(b, static_cast<uint32_t>(w.data.size()));
    b.insert(b.end(), w.data.begin(), w.data.end());
    if (w.data.size() & 1) b.push_back(0);
    const uint32_t riff = static_cast<uint32_t>(b.size() - 8);
    for (int i = 0; i < 4; ++i)
        b[4 + i] = static_cast<uint8_t>(riff >> (8 * i));
    return b;
}

inline WaveParts PcmTone(uint32_t rate, uint16_t channels, uint32_t frames) {
    WaveParts w;
    w.channels = channels;
    w.rate = rate;
    w.blockAlign = static_cast<uint16_t>(2 * channels);
    w.avgBytes = rate * w.blockAlign;
    for (uint32_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            Put16(w.data, static_cast<uint16_t>(static_cast<int16_t>(9000 * std::sin(i * 0.07))));
    return w;
}

// IMA ADPCM, mono, 256-byte blocks (505 samples each); any nibbles decode.
inline WaveParts ImaAdpcm(uint32_t rate, uint32_t blocks) {
    WaveParts w;
    w.tag = 0x11;
    w.rate = rate;
    w.bits = 4;
    w.blockAlign = 256;
    w.avgBytes = rate * 256 / 505;
    Put16(w.fmtExtra, 2);   // cbSize
    Put16(w.fmtExtra, 505); // samples per block
    w.fact = true;
    w.factSamples = blocks * 505;
    for (uint32_t b = 0; b < blocks; ++b) {
        Put16(w.data, 0);
        w.data.push_back(20);
        w.data.push_back(0);
        for (int i = 4; i < 256; ++i)
            w.data.push_back(static_cast<uint8_t>(0x19 + (i & 0x60)));
    }
    return w;
}

class DataFolder {
public:
    DataFolder() {
        root = std::filesystem::temp_directory_path() /
               ("jentra_audio_" + std::to_string(getpid()) + "_" + std::to_string(counter()++));
        std::filesystem::create_directories(root);
        JTSetDataFolder(root.c_str());
    }
    ~DataFolder() {
        JTSetDataFolder("");
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    std::filesystem::path Write(const std::string& relative, const std::vector<uint8_t>& bytes) {
        const auto path = root / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
        return path;
    }
    // Encodes a PCM wave into relative (an .mp3); false when lame is missing.
    bool WriteMp3(const std::string& relative, const WaveParts& pcm) {
        if (std::system("command -v lame >/dev/null 2>&1") != 0) return false;
        const auto wav = Write(relative + ".src.wav", BuildWave(pcm));
        const auto mp3 = root / relative;
        // lame would pick a lower rate for a low bit rate; keep the source's.
        char rate[32];
        std::snprintf(rate, sizeof rate, "%g", pcm.rate / 1000.0);
        const std::string command = std::string("lame --quiet -b 128 --resample ") + rate + " '" +
                                    wav.string() + "' '" + mp3.string() + "'";
        EXPECT_EQ(std::system(command.c_str()), 0);
        std::filesystem::remove(wav);
        return true;
    }
    std::filesystem::path root;

private:
    static int& counter() {
        static int n = 0;
        return n;
    }
};

} // namespace audio_fixtures
