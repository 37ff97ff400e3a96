// Pack files: several named streams one after another, each record a u32
// name length, the name with its NUL, a version record and the contents.
#include "Jentra/JTFile.h"

#include <cstdlib>
#include <cstring>

namespace {
// Longest record name a reader accepts (a path on this system).
constexpr uint32_t kMaxPackedNameLength = 4095;
} // namespace

JTPakFile::JTPakFile(const char* name, bool saving) : JTFile(name, saving) {}

JTPakFile::JTPakFile(const char* name, unsigned char* buffer, unsigned size, bool saving)
    : JTFile(name, buffer, size, saving) {}

JTPakFile::~JTPakFile() {
    std::free(m_packedName);
}

bool JTPakFile::NextPackedFile(char** name) {
    if (!name) return false;
    // Each record stands alone: a back-reference never reaches into an
    // earlier record, whose objects its reader may already have handed on.
    JTArray<JTUnknown*>& table = GetObjectTable();
    while (table.GetCount() > 0)
        table.RemoveLast();
    if (Saving()) {
        if (!*name) return false;
        size_t n = std::strlen(*name);
        if (n > kMaxPackedNameLength) {
            Fail();
            return false;
        }
        uint32_t length = uint32_t(n);
        return SaveLoadValue(length) && SaveLoad(*name, length + 1) && SaveLoadVersion();
    }

    std::free(m_packedName);
    m_packedName = nullptr;
    *name = nullptr;
    uint64_t remaining = 0;
    if (Remaining(&remaining) && remaining == 0) return false; // the end of the pack
    uint32_t length = 0;
    if (!SaveLoadValue(length)) return false;
    // The name, its NUL and the record's version record must all be there.
    if (length > kMaxPackedNameLength || !Remaining(&remaining) ||
        remaining < uint64_t(length) + 1 + kVersionRecordBytes) {
        Fail();
        return false;
    }
    const char* pack = GetFileName() ? GetFileName() : "";
    size_t prefix = std::strlen(pack) + 1;
    char* full = static_cast<char*>(std::malloc(prefix + length + 1));
    if (!full) {
        Fail();
        return false;
    }
    std::memcpy(full, pack, prefix - 1);
    full[prefix - 1] = ':';
    if (!SaveLoad(full + prefix, length + 1) || full[prefix + length] != '\0' ||
        !SaveLoadVersion()) {
        Fail();
        std::free(full);
        return false;
    }
    m_packedName = full;
    *name = full;
    return true;
}
