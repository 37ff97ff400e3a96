// The save-and-load stream over a disk file or a memory buffer, its version
// record and its size query.
#include "Jentra/JTFile.h"

#include "platform/paths.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <sys/types.h>

namespace {

constexpr unsigned kInitialMemoryCapacity = 1024;
constexpr unsigned kMemoryGrowthSlack = 1024;

char* CopyString(const char* s) {
    return s ? strdup(s) : nullptr;
}

FILE* OpenResolved(const char* name, const char* mode) {
    // The engine's names are relative to the working folder (the program's
    // folder once the application has started).
    auto path = platform::ResolvePathLeniently(".", name);
    if (!path) return nullptr;
    return std::fopen(path->c_str(), mode);
}

} // namespace

JTFile::JTFile(const char* name, bool saving) : m_objects(16), m_saving(saving) {
    m_name = CopyString(name);
    if (!name) return;
    if (saving) EnsureFilePathExists(name);
    m_stream = OpenResolved(name, saving ? "wb" : "rb");
    if (m_stream) SaveLoadVersion();
}

JTFile::JTFile(const char* name, unsigned char* buffer, unsigned size, bool saving)
    : m_objects(16), m_saving(saving) {
    m_name = CopyString(name);
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
            FILE* out = OpenResolved(m_name, "wb");
            if (!out) {
                ok = false;
            } else {
                if (m_used > 0 && std::fwrite(m_memBuffer, m_used, 1, out) != 1) ok = false;
                if (std::fclose(out) != 0) ok = false;
            }
        }
        std::free(m_memBuffer);
        m_memBuffer = nullptr;
    }
    if (m_saving && m_failed) ok = false;
    return ok;
}

bool JTFile::Remaining(uint64_t* bytes) const {
    if (m_saving) return false;
    if (m_stream) {
        off_t here = ftello(m_stream);
        if (here < 0 || fseeko(m_stream, 0, SEEK_END) != 0) return false;
        off_t end = ftello(m_stream);
        if (fseeko(m_stream, here, SEEK_SET) != 0 || end < here) return false;
        *bytes = uint64_t(end - here);
        return true;
    }
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
    if (!m_stream) return false;
    off_t here = ftello(m_stream);
    if (here < 0 || fseeko(m_stream, 0, SEEK_END) != 0) return false;
    off_t end = ftello(m_stream);
    if (fseeko(m_stream, here, SEEK_SET) != 0 || end < here) return false;
    uint64_t needed = uint64_t(end - here) + 1; // room for a terminating NUL
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
