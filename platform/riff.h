// RIFF files: a reader that walks the chunks of a form held in memory, every
// size checked against the bytes present, and a writer that creates chunks
// and fixes their sizes when they are closed.
#pragma once

#include "platform/binary_io.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace platform {

constexpr uint32_t FourCC(char a, char b, char c, char d) {
    return static_cast<uint32_t>(static_cast<uint8_t>(a)) |
           static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24;
}

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
    // Top-level chunks in file order.
    const std::vector<RiffChunk>& Chunks() const { return chunks_; }

private:
    uint32_t form_ = 0;
    std::vector<RiffChunk> chunks_;
};

// Writes one RIFF form. The file takes the place of any old one only when
// Close succeeds, so a failed or abandoned write never leaves half a file.
class RiffWriter {
public:
    bool Create(const std::filesystem::path& path, uint32_t form);
    // Ends any open chunk first: chunks are never nested.
    bool BeginChunk(uint32_t id);
    bool Write(const void* data, size_t size);
    bool EndChunk();
    // Byte offset of the next byte written, for a later PatchU32.
    uint64_t Offset() const { return file_ ? file_->Position() : 0; }
    // Rewrites four bytes already written (a count known only at the end).
    bool PatchU32(uint64_t offset, uint32_t value);
    // Ends any open chunk and the form, fixing their sizes, and commits.
    bool Close();
    bool IsOpen() const { return file_ && file_->IsOpen(); }

private:
    std::optional<FileWriter> file_; // a fresh one per form: positions start at 0
    bool inChunk_ = false;
    uint64_t chunkStart_ = 0;
};

} // namespace platform
