// The save-and-load stream over a disk file or a memory buffer, its version
// record and its size query.
#include "Jentra/JTFile.h"

#include "Jentra/core/container/owned_string.h"
#include "platform/binary_io.h"
#include "Jentra/JTDataFolder.h"
#include "platform/paths.h"

#include <climits>
#include <filesystem>
#include <optional>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <sys/types.h>

namespace {

constexpr unsigned kInitialMemoryCapacity = 1024;
constexpr unsigned kMemoryGrowthSlack = 1024;

// The engine's names are relative to its working folder, for disk streams
// and for the files named memory streams are saved to alike.
std::optional<std::filesystem::path> ResolveStreamPath(const char* name) {
    return platform::ResolvePathLeniently(JTDataFolder(), name);
}

FILE* OpenResolved(const char* name, const char* mode) {
    auto path = ResolveStreamPath(name);
    if (!path) return nullptr;
    return std::fopen(path->c_str(), mode);
}

// Bytes from the file's current position to its end; the position is left
// where it was.
bool BytesToEnd(FILE* stream, uint64_t* bytes) {
    off_t here = ftello(stream);
    if (here < 0 || fseeko(stream, 0, SEEK_END) != 0) return false;
    off_t end = ftello(stream);
    if (fseeko(stream, here, SEEK_SET) != 0 || end < here) return false;
    *bytes = uint64_t(end - here);
    return true;
}

} // namespace

JTFile::JTFile(const char* name, bool saving) : m_objects(16), m_saving(saving) {
    m_name = JTDuplicateString(name);
    if (!name) return;
    if (saving) EnsureFilePathExists(name);
    m_stream = OpenResolved(name, saving ? "wb" : "rb");
    if (m_stream) SaveLoadVersion();
}

JTFile::JTFile(const char* name, unsigned char* buffer, unsigned size, bool saving)
    : m_objects(16), m_saving(saving) {
    m_name = JTDuplicateString(name);
    if (buffer) {
        m_memBuffer = buffer;
        m_capacity = size;
        m_size = size;
    } else {
        m_memBuffer = static_cast<unsigned char*>(std::malloc(kInitialMemoryCapacity));
        m_capacity = m_memBuffer ? kInitialMemoryCapacity : 0;
        m_size = 0; // nothing to read from a buffer we made ourselves
        if (!m_memBuffer) m_failed = true;
    }
    SaveLoadVersion();
}

JTFile::~JTFile() {
    Close();
    std::free(m_name);
}

bool JTFile::SaveLoad(void* buffer, unsigned length) {
    if (length == 0) return true;
    if (m_failed || !buffer) {
        m_failed = true;
        return false;
    }
    if (m_stream) {
        size_t done = m_saving ? std::fwrite(buffer, length, 1, m_stream)
                               : std::fread(buffer, length, 1, m_stream);
        if (done != 1) m_failed = true;
        return done == 1;
    }
    if (!m_memBuffer) {
        // Neither an open file nor a buffer (unopened or closed stream).
        m_failed = true;
        return false;
    }
    if (!m_saving) {
        // Only the data we were given can be read; never invent bytes.
        if (m_used > m_size || length > m_size - m_used) {
            m_failed = true;
            return false;
        }
        std::memcpy(buffer, m_memBuffer + m_used, length);
        m_used += length;
        return true;
    }
    if (length > UINT_MAX - m_used) {
        m_failed = true;
        return false;
    }
    if (m_used + length > m_capacity) {
        uint64_t grown = uint64_t(m_capacity) + length + kMemoryGrowthSlack;
        if (grown > UINT_MAX) grown = UINT_MAX;
        void* p = std::realloc(m_memBuffer, size_t(grown));
        if (!p) {
            m_failed = true;
            return false;
        }
        m_memBuffer = static_cast<unsigned char*>(p);
        m_capacity = unsigned(grown);
    }
    std::memcpy(m_memBuffer + m_used, buffer, length);
    m_used += length;
    return true;
}

bool JTFile::SaveLoadVersion() {
    m_version = kCurrentVersion;
    char text[kVersionRecordBytes + 1];
    std::snprintf(text, sizeof text, "Version %4d\n", int(kCurrentVersion));
    if (!SaveLoad(text, kVersionRecordBytes)) return false;
    text[kVersionRecordBytes] = '\0';
    int parsed = 0;
    if (std::sscanf(text, "Version %4d", &parsed) == 1 && parsed >= 0) m_version = unsigned(parsed);
    return true;
}

bool JTFile::Close() {
    bool ok = true;
    if (m_stream) {
        if (std::fclose(m_stream) != 0) ok = false;
        m_stream = nullptr;
    } else if (m_memBuffer) {
        if (m_name && m_saving) {
            // A save that failed on the way holds a damaged stream: writing
            // it would replace a good file with a bad one. A good one is
            // written whole or not at all.
            if (!m_failed) EnsureFilePathExists(m_name);
            auto path = m_failed ? std::nullopt : ResolveStreamPath(m_name);
            ok = path &&
                 platform::WriteWholeFile(*path, std::span<const uint8_t>(m_memBuffer, m_used));
        }
        std::free(m_memBuffer);
        m_memBuffer = nullptr;
    }
    if (m_saving && m_failed) ok = false;
    return ok;
}

bool JTFile::Remaining(uint64_t* bytes) const {
    if (m_saving) return false;
    if (m_stream) return BytesToEnd(m_stream, bytes);
    if (!m_memBuffer) return false;
    *bytes = m_used <= m_size ? m_size - m_used : 0;
    return true;
}

bool JTFile::CurrentFileToMemBuffer(unsigned char* buffer, unsigned* size) {
    if (!size) return false;
    if (m_memBuffer) {
        if (!buffer) {
            *size = m_used;
            return true;
        }
        if (*size != m_used) return false;
        if (m_used > 0) std::memcpy(buffer, m_memBuffer, m_used);
        return true;
    }
    uint64_t rest = 0;
    if (!m_stream || !BytesToEnd(m_stream, &rest)) return false;
    uint64_t needed = rest + 1; // room for a terminating NUL
    if (needed > UINT_MAX) return false;
    if (!buffer) {
        *size = unsigned(needed);
        return true;
    }
    if (*size < needed) return false;
    size_t got = std::fread(buffer, 1, *size - 1, m_stream);
    buffer[got] = '\0';
    return got > 0;
}

JTFile::FileType JTFile::DetectFileType(const char* name) {
    static const struct {
        const char* ext;
        FileType type;
    } kTypes[] = {{"jpg", FILETYPE_JPG}, {"tga", FILETYPE_TGA}, {"bmp", FILETYPE_BMP},
                  {"dds", FILETYPE_DDS}, {"psd", FILETYPE_PSD}, {"scc", FILETYPE_SCC},
                  {"gif", FILETYPE_GIF}, {"max", FILETYPE_MAX}};
    if (!name) return FILETYPE_UNKNOWN;
    const char* dot = std::strrchr(name, '.');
    if (!dot) return FILETYPE_UNKNOWN;
    for (const auto& t : kTypes)
        if (strcasecmp(dot + 1, t.ext) == 0) return t.type;
    return FILETYPE_UNKNOWN;
}
