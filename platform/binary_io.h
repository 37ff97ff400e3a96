// Little-endian binary reading and writing, field by field, from memory or
// files. Every read is checked against the bytes really there: a read past
// the end fails, consumes nothing, leaves its target untouched and sets a
// sticky failure flag, so a reader of a damaged file can check once at the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class BinaryReader {
public:
    virtual ~BinaryReader() = default;

    bool ReadU8(uint8_t& v);
    bool ReadU16(uint16_t& v);
    bool ReadI16(int16_t& v);
    bool ReadU32(uint32_t& v);
    bool ReadI32(int32_t& v);
    bool ReadF32(float& v);
    bool ReadU64(uint64_t& v);
    bool ReadI64(int64_t& v);
    bool ReadF64(double& v);
    bool ReadBytes(void* out, size_t size);
    // Checks the size against what remains before allocating.
    bool ReadBytes(std::vector<uint8_t>& out, size_t size);
    // Exactly `size` bytes, kept whole (zero bytes included).
    bool ReadString(std::string& out, size_t size);
    // A fixed field of `size` bytes; the text ends at its first zero byte.
    bool ReadFixedString(std::string& out, size_t size);
    // Bytes up to a zero byte (consumed, not stored); fails when no zero
    // byte comes within maxBytes or before the end.
    bool ReadCString(std::string& out, size_t maxBytes = SIZE_MAX);

    bool Skip(uint64_t count);
    bool Seek(uint64_t position);
    uint64_t Position() const { return position_; }
    uint64_t Size() const { return size_; }
    uint64_t Remaining() const { return size_ - position_; }
    bool AtEnd() const { return position_ == size_; }

    bool Failed() const { return failed_; }
    bool Good() const { return !failed_; }
    // Marks the data bad for a reason found by the caller (bad magic, count).
    void Fail() { failed_ = true; }

protected:
    // Reads exactly `size` bytes at the current position (already checked
    // against Remaining()); false on an I/O error.
    virtual bool ReadRaw(void* out, size_t size) = 0;
    virtual bool SeekRaw(uint64_t position) = 0;
    // Starts over on new data: position 0, no failure.
    void Restart(uint64_t size) {
        size_ = size;
        position_ = 0;
        failed_ = false;
    }

private:
    bool Take(void* out, size_t size);
    uint64_t position_ = 0;
    uint64_t size_ = 0;
    bool failed_ = false;
};

// Reads from bytes in memory that outlive the reader.
class MemoryReader : public BinaryReader {
public:
    MemoryReader(const void* data, size_t size);
    explicit MemoryReader(std::span<const uint8_t> data) : MemoryReader(data.data(), data.size()) {}
    // The unread bytes.
    std::span<const uint8_t> Rest() const;

protected:
    bool ReadRaw(void* out, size_t size) override;
    bool SeekRaw(uint64_t position) override;

private:
    const uint8_t* data_;
};

// Reads a regular file through a buffered stream.
class FileReader : public BinaryReader {
public:
    FileReader() = default;
    ~FileReader() override;
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;
    // Refuses anything but a regular file (a folder, a pipe, a device)
    // without waiting on it. A reader opened again starts afresh.
    bool Open(const std::filesystem::path& path, std::string* error = nullptr);
    bool IsOpen() const { return file_ != nullptr; }
    void Close();

protected:
    bool ReadRaw(void* out, size_t size) override;
    bool SeekRaw(uint64_t position) override;

private:
    std::FILE* file_ = nullptr;
};

class BinaryWriter {
public:
    virtual ~BinaryWriter() = default;

    bool WriteU8(uint8_t v);
    bool WriteU16(uint16_t v);
    bool WriteI16(int16_t v);
    bool WriteU32(uint32_t v);
    bool WriteI32(int32_t v);
    bool WriteF32(float v);
    bool WriteU64(uint64_t v);
    bool WriteI64(int64_t v);
    bool WriteF64(double v);
    bool WriteBytes(const void* data, size_t size);
    // The bytes of the text, no terminator.
    bool WriteString(std::string_view text);
    // The text and a zero byte.
    bool WriteCString(std::string_view text);
    // A field of exactly `size` bytes, zero-padded; a longer text is cut to
    // size - 1 bytes so the field always ends with a zero byte.
    bool WriteFixedString(std::string_view text, size_t size);
    // Rewrites four bytes already written (chunk sizes, counts known late).
    virtual bool PatchU32(uint64_t offset, uint32_t v) = 0;

    uint64_t Position() const { return position_; }
    bool Failed() const { return failed_; }
    bool Good() const { return !failed_; }

protected:
    virtual bool WriteRaw(const void* data, size_t size) = 0;
    void MarkFailed() { failed_ = true; }

private:
    uint64_t position_ = 0;
    bool failed_ = false;
};

// Writes into a growable byte buffer.
class BufferWriter : public BinaryWriter {
public:
    const std::vector<uint8_t>& Data() const { return data_; }
    std::vector<uint8_t> Take() { return std::move(data_); }
    bool PatchU32(uint64_t offset, uint32_t v) override;

protected:
    bool WriteRaw(const void* data, size_t size) override;

private:
    std::vector<uint8_t> data_;
};

// Writes a file safely: the bytes go to a temporary file beside the target,
// which replaces the target only on a successful Commit. Without Commit (an
// error, an early return) the old file stays as it was.
class FileWriter : public BinaryWriter {
public:
    FileWriter() = default;
    ~FileWriter() override;
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;
    bool Open(const std::filesystem::path& path, std::string* error = nullptr);
    bool IsOpen() const { return file_ != nullptr; }
    bool Commit(std::string* error = nullptr);
    // Drops everything written; the target is untouched.
    void Discard();
    bool PatchU32(uint64_t offset, uint32_t v) override;

protected:
    bool WriteRaw(const void* data, size_t size) override;

private:
    std::FILE* file_ = nullptr;
    std::filesystem::path target_;
    std::filesystem::path temp_;
};

// Whole-file helpers with a clear message in *error on failure. Reading
// refuses files larger than maxBytes; writing replaces the file atomically.
bool ReadWholeFile(const std::filesystem::path& path, std::vector<uint8_t>& out,
                   std::string* error = nullptr, uint64_t maxBytes = uint64_t(1) << 31);
bool ReadWholeFile(const std::filesystem::path& path, std::string& out,
                   std::string* error = nullptr, uint64_t maxBytes = uint64_t(1) << 31);
bool WriteWholeFile(const std::filesystem::path& path, std::span<const uint8_t> data,
                    std::string* error = nullptr);
bool WriteWholeFile(const std::filesystem::path& path, std::string_view data,
                    std::string* error = nullptr);

} // namespace platform
