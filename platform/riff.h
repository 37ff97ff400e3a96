// RIFF files: a reader that walks the chunks of a form held in memory, every
// size checked against the bytes present, and a writer that creates chunks
// and fixes their sizes when they are closed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace platform {

constexpr uint32_t FourCC(char a, char b, char c, char d) {
    return static_cast<uint32_t>(static_cast<uint8_t>(a)) |
           static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24;
}

uint16_t ReadLE16(const uint8_t* p);
uint32_t ReadLE32(const uint8_t* p);

struct RiffChunk {
    uint32_t id = 0;
    const uint8_t* data = nullptr;
    uint32_t size = 0;
};

class RiffReader {
public:
    // Takes the bytes of a whole file (not copied; they must outlive the
    // reader). Fails when they are not a RIFF form or a chunk runs past the
    // end; a form size larger than the file is clipped to the bytes there.
    bool Open(const uint8_t* bytes, size_t size, std::string& error);
    uint32_t Form() const { return form_; }
    // The first top-level chunk with this id inside the form.
    bool Find(uint32_t id, RiffChunk& chunk) const;
    // Top-level chunks in file order; a chunk whose size runs past the end of
    // the data is reported as an error.
    const std::vector<RiffChunk>& Chunks() const { return chunks_; }

private:
    uint32_t form_ = 0;
    std::vector<RiffChunk> chunks_;
};

// Reads a whole file into memory (sound files are small).
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error);

class RiffWriter {
public:
    RiffWriter() = default;
    ~RiffWriter();
    RiffWriter(const RiffWriter&) = delete;
    RiffWriter& operator=(const RiffWriter&) = delete;

    bool Create(const std::string& path, uint32_t form);
    bool BeginChunk(uint32_t id);
    bool Write(const void* data, size_t size);
    bool EndChunk();
    // Current byte offset in the file, for later Patch calls.
    long Offset() const;
    bool Patch(long offset, const void* data, size_t size);
    // Ends any open chunk and the form, fixing their sizes, and closes.
    bool Close();
    bool IsOpen() const { return file_ != nullptr; }

private:
    std::FILE* file_ = nullptr;
    long formStart_ = 0;
    long chunkStart_ = -1;
    bool failed_ = false;
    bool WriteLE32At(long offset, uint32_t value);
};

} // namespace platform
