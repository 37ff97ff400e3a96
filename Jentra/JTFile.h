// JTFile: the one stream every engine object saves itself to and loads
// itself from. One SaveLoad call writes when the stream saves and reads
// into the same variables when it loads, so each class writes a single
// SaveLoad for both directions. The stream is a disk file or a growable
// memory buffer; it begins with a 13-byte version record.
//
// Reading is strict: a short read, a read past the data of a memory
// stream, or damaged object data marks the stream failed, and every later
// SaveLoad on it answers false. Check Failed() after a whole save or load.
//
// JTPakFile holds several named streams one after the other.
#pragma once

#include "Jentra/JTArray.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <type_traits>

class JTUnknown;

class JTFile {
public:
    enum FileType {
        FILETYPE_UNKNOWN = 0,
        FILETYPE_JPG = 1,
        FILETYPE_TGA = 2,
        FILETYPE_BMP = 3,
        FILETYPE_DDS = 4,
        FILETYPE_PSD = 5,
        FILETYPE_SCC = 6,
        FILETYPE_GIF = 7,
        FILETYPE_MAX = 8,
    };

    // The format version this engine writes.
    static constexpr unsigned kCurrentVersion = 2;
    // Length of the version record ("Version    2\n").
    static constexpr unsigned kVersionRecordBytes = 13;
    // Deepest nesting of contained objects a loading stream accepts. Every
    // level of a model's node tree is one; real models stay far below, and
    // a deeper file would only exhaust the stack of the recursive reader.
    static constexpr int kMaxObjectNesting = 256;

    // Disk stream. Saving creates the missing folders of name first. Test
    // Opened() before use.
    JTFile(const char* name, bool saving);
    // Memory stream over buffer (from malloc; the stream takes ownership
    // and may realloc it). A null buffer makes the stream allocate 1024
    // bytes. When loading, size is the number of bytes of data. A saving
    // memory stream with a name is written to that file by Close.
    JTFile(const char* name, unsigned char* buffer, unsigned size, bool saving);
    virtual ~JTFile();
    JTFile(const JTFile&) = delete;
    JTFile& operator=(const JTFile&) = delete;

    // Writes or reads length bytes. A length of 0 succeeds at once.
    bool SaveLoad(void* buffer, unsigned length);
    // Writes or reads one number as little-endian bytes of its size.
    template <class T> bool SaveLoadValue(T& value);

    // Closes the file, or, for a memory stream, writes it to its named file
    // when saving and frees the buffer. A saving stream that failed is not
    // written (the file keeps what it held). False when the save failed or
    // the final write did.
    bool Close();

    // With a null buffer stores in *size the bytes a copy needs; otherwise
    // copies them into buffer (see the implementation for the two modes).
    bool CurrentFileToMemBuffer(unsigned char* buffer, unsigned* size);

    bool Opened() const { return m_stream != nullptr; }
    bool Saving() const { return m_saving; }
    bool Loading() const { return !m_saving; }
    unsigned Version() const { return m_version; }
    const char* GetFileName() const { return m_name; }
    FILE* GetFilePointer() const { return m_stream; }
    unsigned char* GetCurrentMemBuffer() const { return m_memBuffer; }
    unsigned char* GetCurrentMemBufferPointer() const {
        return m_memBuffer ? m_memBuffer + m_used : nullptr;
    }
    unsigned GetCurrentMemBufferUsed() const { return m_used; }
    unsigned GetCurrentMemBufferCapacity() const { return m_capacity; }

    // Whether any transfer failed or damaged data was found.
    bool Failed() const { return m_failed; }
    // Marks the stream failed (for readers that find inconsistent data).
    void Fail() { m_failed = true; }
    // Bytes that remain to be read (loading streams); false when unknown.
    bool Remaining(uint64_t* bytes) const;

    // Objects already written or read in this stream, by index.
    JTArray<JTUnknown*>& GetObjectTable() { return m_objects; }

    // Contained objects being read inside one another right now (kept by
    // JTUnknown::LoadType).
    int GetObjectNesting() const { return m_nesting; }
    void EnterObject() { ++m_nesting; }
    void LeaveObject() { --m_nesting; }

    static FileType DetectFileType(const char* name);
    // Creates the folder and any missing parents; failures are silent.
    static void CreateDirectoryRecurse(const char* path);
    // Creates the folders leading to a file name (or to a folder name that
    // ends in a separator).
    static void EnsureFilePathExists(const char* path);

protected:
    // Exchanges the 13-byte version record.
    bool SaveLoadVersion();

private:
    JTArray<JTUnknown*> m_objects;
    FILE* m_stream = nullptr;
    char* m_name = nullptr;
    unsigned m_version = 0;
    unsigned char* m_memBuffer = nullptr;
    unsigned m_used = 0;
    unsigned m_capacity = 0;
    // End of the data in a loading memory stream.
    unsigned m_size = 0;
    bool m_saving;
    bool m_failed = false;
    int m_nesting = 0;
};

template <class T> bool JTFile::SaveLoadValue(T& value) {
    static_assert(std::is_arithmetic_v<T> || std::is_enum_v<T>, "numbers only");
    static_assert(sizeof(T) == 1 || sizeof(T) == 2 || sizeof(T) == 4 || sizeof(T) == 8);
    using Bits = std::conditional_t<
        sizeof(T) == 1, uint8_t,
        std::conditional_t<sizeof(T) == 2, uint16_t,
                           std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>>>;
    unsigned char bytes[sizeof(T)];
    if (m_saving) {
        Bits bits;
        if constexpr (std::is_same_v<T, bool>)
            bits = value ? 1 : 0;
        else
            std::memcpy(&bits, &value, sizeof(T));
        for (size_t i = 0; i < sizeof(T); ++i)
            bytes[i] = uint8_t(bits >> (8 * i));
        return SaveLoad(bytes, sizeof(T));
    }
    if (!SaveLoad(bytes, sizeof(T))) return false;
    Bits bits = 0;
    for (size_t i = 0; i < sizeof(T); ++i)
        bits = Bits(bits | (Bits(bytes[i]) << (8 * i)));
    if constexpr (std::is_same_v<T, bool>)
        value = bits != 0;
    else
        std::memcpy(&value, &bits, sizeof(T));
    return true;
}

class JTPakFile : public JTFile {
public:
    JTPakFile(const char* name, bool saving);
    JTPakFile(const char* name, unsigned char* buffer, unsigned size, bool saving);
    ~JTPakFile() override;

    // Saving: starts a record for the stream named *name. Loading: reads
    // the next record's header and sets *name to "<pack name>:<record
    // name>" (owned by the pack until the next call), or to null at the end
    // of the pack or when the record is damaged (then Failed() is true).
    // Returns whether a record was started.
    bool NextPackedFile(char** name);

private:
    char* m_packedName = nullptr;
};
