// Sound fixtures made by code: PCM and IMA ADPCM WAVE files (and damaged
// ones) in a temporary data folder, and MP3s encoded from them with lame.
#pragma once

#include "Jentra/JTAudio.h"
#include "Jentra/JTDataFolder.h"
#include "platform/binary_io.h"

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

// Appends little-endian 16-bit values to a byte list.
inline void Put16(std::vector<uint8_t>& b, uint16_t v) {
    platform::BufferWriter out;
    out.WriteU16(v);
    b.insert(b.end(), out.Data().begin(), out.Data().end());
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

// Written by hand rather than with the engine's writer, so that damaged
// and unusual layouts can be made too.
inline std::vector<uint8_t> BuildWave(const WaveParts& w) {
    platform::BufferWriter b;
    b.WriteString("RIFF");
    b.WriteU32(0); // patched below
    b.WriteString("WAVEfmt ");
    b.WriteU32(static_cast<uint32_t>(16 + w.fmtExtra.size()));
    b.WriteU16(w.tag);
    b.WriteU16(w.channels);
    b.WriteU32(w.rate);
    b.WriteU32(w.avgBytes);
    b.WriteU16(w.blockAlign);
    b.WriteU16(w.bits);
    b.WriteBytes(w.fmtExtra.data(), w.fmtExtra.size());
    if (w.fmtExtra.size() & 1) b.WriteU8(0);
    if (w.fact) {
        b.WriteString("fact");
        b.WriteU32(4);
        b.WriteU32(w.factSamples);
    }
    b.WriteString("data");
    b.WriteU32(static_cast<uint32_t>(w.data.size()));
    b.WriteBytes(w.data.data(), w.data.size());
    if (w.data.size() & 1) b.WriteU8(0);
    b.PatchU32(4, static_cast<uint32_t>(b.Position() - 8));
    return b.Take();
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
