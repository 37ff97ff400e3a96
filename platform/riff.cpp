// RIFF chunk reading over a memory image and chunk writing over stdio.
#include "platform/riff.h"

#include <cerrno>
#include <cstring>

namespace platform {

uint16_t ReadLE16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

uint32_t ReadLE32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

bool RiffReader::Open(const uint8_t* bytes, size_t size, std::string& error) {
    form_ = 0;
    chunks_.clear();
    if (!bytes || size < 12 || ReadLE32(bytes) != FourCC('R', 'I', 'F', 'F')) {
        error = "not a RIFF file";
        return false;
    }
    // Writers that never fixed the form size leave it too large; the chunks
    // themselves are still checked one by one against the bytes present.
    size_t end = 8 + static_cast<size_t>(ReadLE32(bytes + 4));
    if (end > size || end < 12) end = size;
    form_ = ReadLE32(bytes + 8);
    size_t at = 12;
    while (at + 8 <= end) {
        RiffChunk chunk;
        chunk.id = ReadLE32(bytes + at);
        chunk.size = ReadLE32(bytes + at + 4);
        if (chunk.size > end - at - 8) {
            error = "a chunk runs past the end of the file";
            return false;
        }
        chunk.data = bytes + at + 8;
        chunks_.push_back(chunk);
        at += 8 + static_cast<size_t>(chunk.size) + (chunk.size & 1);
    }
    return true;
}

bool RiffReader::Find(uint32_t id, RiffChunk& chunk) const {
    for (const RiffChunk& c : chunks_) {
        if (c.id == id) {
            chunk = c;
            return true;
        }
    }
    return false;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
    bytes.clear();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    uint8_t chunk[65536];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    const bool ok = !std::ferror(file);
    std::fclose(file);
    if (!ok) error = path + ": read error";
    return ok;
}

RiffWriter::~RiffWriter() {
    if (file_) std::fclose(file_);
}

bool RiffWriter::WriteLE32At(long offset, uint32_t value) {
    const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                              static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    return Patch(offset, bytes, 4);
}

bool RiffWriter::Create(const std::string& path, uint32_t form) {
    if (file_) std::fclose(file_);
    failed_ = false;
    chunkStart_ = -1;
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_) return false;
    formStart_ = 0;
    const uint32_t header[3] = {FourCC('R', 'I', 'F', 'F'), 0, form};
    for (uint32_t word : header) {
        const uint8_t bytes[4] = {static_cast<uint8_t>(word), static_cast<uint8_t>(word >> 8),
                                  static_cast<uint8_t>(word >> 16),
                                  static_cast<uint8_t>(word >> 24)};
        if (!Write(bytes, 4)) return false;
    }
    return true;
}

bool RiffWriter::BeginChunk(uint32_t id) {
    if (!file_ || failed_) return false;
    if (chunkStart_ >= 0 && !EndChunk()) return false;
    chunkStart_ = Offset();
    const uint8_t header[8] = {static_cast<uint8_t>(id),
                               static_cast<uint8_t>(id >> 8),
                               static_cast<uint8_t>(id >> 16),
                               static_cast<uint8_t>(id >> 24),
                               0,
                               0,
                               0,
                               0};
    return Write(header, 8);
}

bool RiffWriter::Write(const void* data, size_t size) {
    if (!file_ || failed_) return false;
    if (size && std::fwrite(data, 1, size, file_) != size) failed_ = true;
    return !failed_;
}

bool RiffWriter::EndChunk() {
    if (!file_ || failed_ || chunkStart_ < 0) return false;
    const long end = Offset();
    const long size = end - chunkStart_ - 8;
    if (size < 0 || size > 0xFFFFFFFFL ||
        !WriteLE32At(chunkStart_ + 4, static_cast<uint32_t>(size)))
        return failed_ = true, false;
    if (std::fseek(file_, end, SEEK_SET) != 0) return failed_ = true, false;
    chunkStart_ = -1;
    if (size & 1) {
        const uint8_t pad = 0;
        return Write(&pad, 1);
    }
    return true;
}

long RiffWriter::Offset() const {
    return file_ ? std::ftell(file_) : -1;
}

bool RiffWriter::Patch(long offset, const void* data, size_t size) {
    if (!file_ || failed_) return false;
    const long back = Offset();
    if (std::fseek(file_, offset, SEEK_SET) != 0 || std::fwrite(data, 1, size, file_) != size ||
        std::fseek(file_, back, SEEK_SET) != 0)
        failed_ = true;
    return !failed_;
}

bool RiffWriter::Close() {
    if (!file_) return false;
    if (chunkStart_ >= 0) EndChunk();
    const long end = Offset();
    if (!failed_ && end >= 8) WriteLE32At(formStart_ + 4, static_cast<uint32_t>(end - 8));
    const bool ok = !failed_ && std::fflush(file_) == 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    return ok && closed;
}

} // namespace platform
