// Little-endian readers and writers over memory and files.
#include "platform/binary_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstring>
#include <random>

namespace fs = std::filesystem;

namespace platform {

namespace {

template <typename T> T FromLittle(const uint8_t* p) {
    using U = std::make_unsigned_t<T>;
    U v = 0;
    for (size_t i = 0; i < sizeof(T); ++i)
        v |= U(U(p[i]) << (8 * i));
    return T(v);
}

template <typename T> void ToLittle(T value, uint8_t* p) {
    using U = std::make_unsigned_t<T>;
    U v = U(value);
    for (size_t i = 0; i < sizeof(T); ++i)
        p[i] = uint8_t(v >> (8 * i));
}

std::string SystemError(const std::string& what, const fs::path& path, int err) {
    return what + " " + path.string() + ": " + std::strerror(err);
}

} // namespace

// --- reader ---------------------------------------------------------------

bool BinaryReader::Take(void* out, size_t size) {
    if (failed_ || size > Remaining()) {
        failed_ = true;
        return false;
    }
    if (size && !ReadRaw(out, size)) {
        failed_ = true;
        SeekRaw(position_); // keep the stream where it was
        return false;
    }
    position_ += size;
    return true;
}

#define PLATFORM_READ_INT(Name, Type)                                                              \
    bool BinaryReader::Name(Type& v) {                                                             \
        uint8_t b[sizeof(Type)];                                                                   \
        if (!Take(b, sizeof b)) return false;                                                      \
        v = FromLittle<Type>(b);                                                                   \
        return true;                                                                               \
    }
PLATFORM_READ_INT(ReadU8, uint8_t)
PLATFORM_READ_INT(ReadU16, uint16_t)
PLATFORM_READ_INT(ReadI16, int16_t)
PLATFORM_READ_INT(ReadU32, uint32_t)
PLATFORM_READ_INT(ReadI32, int32_t)
PLATFORM_READ_INT(ReadU64, uint64_t)
PLATFORM_READ_INT(ReadI64, int64_t)
#undef PLATFORM_READ_INT

bool BinaryReader::ReadF32(float& v) {
    uint32_t bits;
    if (!ReadU32(bits)) return false;
    v = std::bit_cast<float>(bits);
    return true;
}

bool BinaryReader::ReadF64(double& v) {
    uint64_t bits;
    if (!ReadU64(bits)) return false;
    v = std::bit_cast<double>(bits);
    return true;
}

bool BinaryReader::ReadBytes(void* out, size_t size) {
    return Take(out, size);
}

bool BinaryReader::ReadBytes(std::vector<uint8_t>& out, size_t size) {
    if (failed_ || size > Remaining()) {
        failed_ = true;
        return false;
    }
    std::vector<uint8_t> bytes(size);
    if (!Take(bytes.data(), size)) return false;
    out = std::move(bytes);
    return true;
}

bool BinaryReader::ReadString(std::string& out, size_t size) {
    if (failed_ || size > Remaining()) {
        failed_ = true;
        return false;
    }
    std::string text(size, '\0');
    if (!Take(text.data(), size)) return false;
    out = std::move(text);
    return true;
}

bool BinaryReader::ReadFixedString(std::string& out, size_t size) {
    std::string text;
    if (!ReadString(text, size)) return false;
    size_t end = text.find('\0');
    if (end != std::string::npos) text.resize(end);
    out = std::move(text);
    return true;
}

bool BinaryReader::ReadCString(std::string& out, size_t maxBytes) {
    const uint64_t start = position_;
    std::string text;
    for (;;) {
        uint8_t c;
        if (text.size() >= maxBytes || !Take(&c, 1)) {
            failed_ = true;
            Seek(start);
            failed_ = true;
            return false;
        }
        if (c == 0) break;
        text += char(c);
    }
    out = std::move(text);
    return true;
}

bool BinaryReader::Skip(uint64_t count) {
    if (failed_ || count > Remaining()) {
        failed_ = true;
        return false;
    }
    return Seek(position_ + count);
}

bool BinaryReader::Seek(uint64_t position) {
    if (position > size_ || !SeekRaw(position)) {
        failed_ = true;
        return false;
    }
    position_ = position;
    return true;
}

MemoryReader::MemoryReader(const void* data, size_t size)
    : data_(static_cast<const uint8_t*>(data)) {
    Restart(data_ ? size : 0);
}

std::span<const uint8_t> MemoryReader::Rest() const {
    return {data_ + Position(), size_t(Remaining())};
}

bool MemoryReader::ReadRaw(void* out, size_t size) {
    std::memcpy(out, data_ + Position(), size);
    return true;
}

bool MemoryReader::SeekRaw(uint64_t) {
    return true;
}

FileReader::~FileReader() {
    Close();
}

bool FileReader::Open(const fs::path& path, std::string* error) {
    Close();
    Restart(0);
    // Non-blocking, so that opening a named pipe cannot wait for a writer;
    // close-on-exec, so that programs started later do not inherit it.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (error) *error = SystemError("cannot open", path, errno);
        return false;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (error) *error = "not a regular file: " + path.string();
        ::close(fd);
        return false;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    file_ = fdopen(fd, "rb");
    if (!file_) {
        if (error) *error = SystemError("cannot open", path, errno);
        ::close(fd);
        return false;
    }
    Restart(uint64_t(st.st_size));
    return true;
}

void FileReader::Close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

bool FileReader::ReadRaw(void* out, size_t size) {
    // A file that shrank after opening gives a short read: a failure.
    return file_ && std::fread(out, 1, size, file_) == size;
}

bool FileReader::SeekRaw(uint64_t position) {
    return file_ && fseeko(file_, off_t(position), SEEK_SET) == 0;
}

// --- writer ---------------------------------------------------------------

#define PLATFORM_WRITE_INT(Name, Type)                                                             \
    bool BinaryWriter::Name(Type v) {                                                              \
        uint8_t b[sizeof(Type)];                                                                   \
        ToLittle<Type>(v, b);                                                                      \
        return WriteBytes(b, sizeof b);                                                            \
    }
PLATFORM_WRITE_INT(WriteU8, uint8_t)
PLATFORM_WRITE_INT(WriteU16, uint16_t)
PLATFORM_WRITE_INT(WriteI16, int16_t)
PLATFORM_WRITE_INT(WriteU32, uint32_t)
PLATFORM_WRITE_INT(WriteI32, int32_t)
PLATFORM_WRITE_INT(WriteU64, uint64_t)
PLATFORM_WRITE_INT(WriteI64, int64_t)
#undef PLATFORM_WRITE_INT

bool BinaryWriter::WriteF32(float v) {
    return WriteU32(std::bit_cast<uint32_t>(v));
}
bool BinaryWriter::WriteF64(double v) {
    return WriteU64(std::bit_cast<uint64_t>(v));
}

bool BinaryWriter::WriteBytes(const void* data, size_t size) {
    if (failed_) return false;
    if (size && !WriteRaw(data, size)) {
        failed_ = true;
        return false;
    }
    position_ += size;
    return true;
}

bool BinaryWriter::WriteString(std::string_view text) {
    return WriteBytes(text.data(), text.size());
}

bool BinaryWriter::WriteCString(std::string_view text) {
    return WriteString(text) && WriteU8(0);
}

bool BinaryWriter::WriteFixedString(std::string_view text, size_t size) {
    if (size == 0) return Good();
    std::string field(size, '\0');
    // An empty view may carry a null pointer, which memcpy must not see.
    if (!text.empty()) std::memcpy(field.data(), text.data(), std::min(text.size(), size - 1));
    return WriteBytes(field.data(), size);
}

bool BufferWriter::WriteRaw(const void* data, size_t size) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    data_.insert(data_.end(), p, p + size);
    return true;
}

bool BufferWriter::PatchU32(uint64_t offset, uint32_t v) {
    if (offset > data_.size() || data_.size() - offset < 4) {
        MarkFailed();
        return false;
    }
    ToLittle<uint32_t>(v, data_.data() + offset);
    return true;
}

FileWriter::~FileWriter() {
    Discard();
}

bool FileWriter::Open(const fs::path& path, std::string* error) {
    Discard();
    target_ = path;
    std::random_device rd;
    for (int attempt = 0; attempt < 16 && !file_; ++attempt) {
        temp_ = path;
        temp_ += ".tmp" + std::to_string(getpid()) + "-" + std::to_string(rd() % 1000000);
        // Never someone else's file ("x"); not inherited by programs started later ("e").
        file_ = std::fopen(temp_.c_str(), "wbxe");
        if (!file_ && errno != EEXIST) break;
    }
    if (!file_) {
        if (error) *error = SystemError("cannot create", path, errno);
        temp_.clear();
        return false;
    }
    return true;
}

bool FileWriter::WriteRaw(const void* data, size_t size) {
    return file_ && std::fwrite(data, 1, size, file_) == size;
}

bool FileWriter::PatchU32(uint64_t offset, uint32_t v) {
    if (!file_ || Failed() || offset > Position() || Position() - offset < 4) {
        MarkFailed();
        return false;
    }
    uint8_t b[4];
    ToLittle<uint32_t>(v, b);
    bool ok = fseeko(file_, off_t(offset), SEEK_SET) == 0 && std::fwrite(b, 1, 4, file_) == 4 &&
              fseeko(file_, off_t(Position()), SEEK_SET) == 0;
    if (!ok) MarkFailed();
    return ok;
}

bool FileWriter::Commit(std::string* error) {
    if (!file_) {
        if (error) *error = "no file is open for writing";
        return false;
    }
    bool ok = Good() && std::fflush(file_) == 0 && fsync(fileno(file_)) == 0;
    int err = errno;
    ok = (std::fclose(file_) == 0) && ok;
    file_ = nullptr;
    if (ok && std::rename(temp_.c_str(), target_.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        if (error) *error = SystemError("cannot write", target_, err ? err : EIO);
        std::remove(temp_.c_str());
    }
    temp_.clear();
    return ok;
}

void FileWriter::Discard() {
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
        std::remove(temp_.c_str());
    }
    temp_.clear();
}

// --- whole files ----------------------------------------------------------

template <typename Container>
static bool ReadWhole(const fs::path& path, Container& out, std::string* error, uint64_t maxBytes) {
    FileReader reader;
    if (!reader.Open(path, error)) return false;
    if (reader.Size() > maxBytes) {
        if (error)
            *error =
                "file too large (" + std::to_string(reader.Size()) + " bytes): " + path.string();
        return false;
    }
    Container data(size_t(reader.Size()), 0);
    if (!reader.ReadBytes(data.data(), data.size())) {
        if (error) *error = "cannot read " + path.string() + ": read failed";
        return false;
    }
    out = std::move(data);
    return true;
}

bool ReadWholeFile(const fs::path& path, std::vector<uint8_t>& out, std::string* error,
                   uint64_t maxBytes) {
    return ReadWhole(path, out, error, maxBytes);
}

bool ReadWholeFile(const fs::path& path, std::string& out, std::string* error, uint64_t maxBytes) {
    return ReadWhole(path, out, error, maxBytes);
}

bool WriteWholeFile(const fs::path& path, std::span<const uint8_t> data, std::string* error) {
    FileWriter writer;
    if (!writer.Open(path, error)) return false;
    if (!writer.WriteBytes(data.data(), data.size())) {
        std::string ignored;
        writer.Commit(error ? error : &ignored);
        return false;
    }
    return writer.Commit(error);
}

bool WriteWholeFile(const fs::path& path, std::string_view data, std::string* error) {
    return WriteWholeFile(
        path, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(data.data()), data.size()),
        error);
}

} // namespace platform
