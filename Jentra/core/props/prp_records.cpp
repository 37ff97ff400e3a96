// Writing and reading ".prp" records over a property block.
#include "Jentra/core/props/prp_records.h"

#include "Jentra/core/container/owned_string.h"
#include "Jentra/core/props/prop_layout.h"

#include <cstdlib>
#include <cstring>

namespace jentra::props {
namespace {

constexpr std::size_t kNameSize = 32;
constexpr std::size_t kHeaderSize = kNameSize + 4;
constexpr std::size_t kChunkSize = 32;

void PutU32(std::vector<uint8_t>& out, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

uint32_t GetU32(const uint8_t* bytes) {
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
           uint32_t(bytes[3]) << 24;
}

void PutRecordHeader(std::vector<uint8_t>& out, const char* name, uint32_t type) {
    out.insert(out.end(), name, name + kNameSize);
    PutU32(out, type);
}

// Chunk count and record type of a heap string's records.
std::size_t ChunkCount(int type) {
    return (JTPropHeapStringLimit(type) + 1) / kChunkSize;
}
uint32_t ChunkType(int type) {
    return type == PT_STRING127 ? PT_STRING127 : PT_STRING;
}

struct Record {
    char name[kNameSize + 1];
    uint32_t type;
    const uint8_t* value;
};

// One value that a correct file sets; applied only once the whole file has
// been read without fault.
struct Assignment {
    uintptr_t target;
    int type;
    uint8_t bytes[kChunkSize];
    std::string text;
};

} // namespace

std::size_t RecordValueSize(uint32_t type) {
    if (type == PT_GROUP_START || type == PT_GROUP_END) return 4;
    if (type == PT_STRING127) return kChunkSize;
    if (type >= PT_TYPE_COUNT) return 0;
    return static_cast<std::size_t>(aPTSize[type]);
}

void WriteRecords(std::vector<uint8_t>& out, const JTPropDesc* table, const void* block) {
    WalkBlock(table, reinterpret_cast<uintptr_t>(block),
              [&](const JTPropDesc& entry, uintptr_t address) {
                  if (entry.name[0] == '\0') return;
                  const auto* value = reinterpret_cast<const uint8_t*>(address);
                  if (JTPropIsHeapString(entry.type)) {
                      const char* text = *reinterpret_cast<char* const*>(value);
                      uint8_t buffer[256] = {};
                      const std::size_t limit = JTPropHeapStringLimit(entry.type);
                      if (text) std::memcpy(buffer, text, strnlen(text, limit));
                      for (std::size_t chunk = 0; chunk < ChunkCount(entry.type); ++chunk) {
                          PutRecordHeader(out, entry.name, ChunkType(entry.type));
                          out.insert(out.end(), buffer + chunk * kChunkSize,
                                     buffer + (chunk + 1) * kChunkSize);
                      }
                  } else if (entry.type == PT_GROUP_START || entry.type == PT_GROUP_END) {
                      PutRecordHeader(out, entry.name, static_cast<uint32_t>(entry.type));
                      PutU32(out, 0);
                  } else if (entry.type == PT_BOOL || entry.type == PT_STRING ||
                             entry.type == PT_TEXTURE) {
                      PutRecordHeader(out, entry.name, static_cast<uint32_t>(entry.type));
                      out.insert(out.end(), value, value + aPTSize[entry.type]);
                  } else {
                      uint32_t word;
                      std::memcpy(&word, value, 4);
                      PutRecordHeader(out, entry.name, static_cast<uint32_t>(entry.type));
                      PutU32(out, word);
                  }
              });
}

bool ReadRecords(const uint8_t* data, std::size_t size, const JTPropDesc* table, void* block,
                 std::string* error) {
    auto fail = [&](std::string why) {
        if (error) *error = std::move(why);
        return false;
    };
    // Split the file into records, checking every type and length.
    std::vector<Record> records;
    for (std::size_t offset = 0; offset < size;) {
        if (size - offset < kHeaderSize)
            return fail("record " + std::to_string(records.size()) + " is cut short");
        Record record{};
        std::memcpy(record.name, data + offset, kNameSize);
        record.type = GetU32(data + offset + kNameSize);
        if (record.type >= PT_END)
            return fail("record \"" + std::string(record.name) + "\" has the unknown type " +
                        std::to_string(record.type));
        const std::size_t valueSize = RecordValueSize(record.type);
        if (size - offset - kHeaderSize < valueSize)
            return fail("the value of record \"" + std::string(record.name) + "\" is cut short");
        record.value = data + offset + kHeaderSize;
        records.push_back(record);
        offset += kHeaderSize + valueSize;
    }

    std::vector<Assignment> assignments;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const Record& record = records[i];
        if (record.type == PT_GROUP_START || record.type == PT_GROUP_END) continue;
        const JTPropDesc* found = table;
        void* value = block;
        if (!FindProp(record.name, &found, &value)) continue;
        Assignment assignment{reinterpret_cast<uintptr_t>(value), found->type, {}, {}};
        if (JTPropIsHeapString(found->type)) {
            const uint32_t chunkType = ChunkType(found->type);
            const std::size_t chunks = ChunkCount(found->type);
            if (record.type != chunkType) continue; // not this property's form
            if (i + chunks > records.size())
                return fail("the long string \"" + std::string(record.name) + "\" is cut short");
            char buffer[257] = {};
            for (std::size_t chunk = 0; chunk < chunks; ++chunk) {
                const Record& part = records[i + chunk];
                if (part.type != chunkType || std::strcmp(part.name, record.name) != 0)
                    return fail("the long string \"" + std::string(record.name) + "\" is broken");
                std::memcpy(buffer + chunk * kChunkSize, part.value, kChunkSize);
            }
            buffer[JTPropHeapStringLimit(found->type)] = '\0';
            assignment.text = buffer;
            i += chunks - 1;
        } else {
            // A plain value: the record must hold the same kind and size.
            const bool plainRecord = record.type != PT_STRING127;
            if (!plainRecord || found->type == PT_GROUP_START || found->type == PT_GROUP_END ||
                RecordValueSize(record.type) != JTPropValueSize(found->type))
                continue;
            std::memcpy(assignment.bytes, record.value, RecordValueSize(record.type));
        }
        assignments.push_back(std::move(assignment));
    }

    for (Assignment& assignment : assignments) {
        auto* target = reinterpret_cast<uint8_t*>(assignment.target);
        switch (assignment.type) {
        case PT_STRING127:
        case PT_STRING255:
        case PT_STRING31: {
            char** slot = reinterpret_cast<char**>(target);
            std::free(*slot);
            *slot = nullptr;
            if (!assignment.text.empty()) *slot = JTDuplicateString(assignment.text.c_str());
            break;
        }
        case PT_BOOL:
            target[0] = assignment.bytes[0] != 0 ? 1 : 0;
            break;
        case PT_STRING:
        case PT_TEXTURE:
            std::memcpy(target, assignment.bytes, kChunkSize);
            target[kChunkSize - 1] = '\0';
            break;
        default: {
            const uint32_t word = GetU32(assignment.bytes);
            std::memcpy(target, &word, 4);
            break;
        }
        }
    }
    return true;
}

void FreeHeapStrings(const JTPropDesc* table, void* block) {
    // Skip the base tables' values to reach this table's own.
    uintptr_t address = reinterpret_cast<uintptr_t>(block);
    if (const JTPropDesc* base = FindPropBackPtr(table))
        address = WalkBlock(base, address, [](const JTPropDesc&, uintptr_t) {});
    WalkOwnEntries(table, address, [](const JTPropDesc& entry, uintptr_t value) {
        if (!JTPropIsHeapString(entry.type)) return;
        char** slot = reinterpret_cast<char**>(value);
        std::free(*slot);
        *slot = nullptr;
    });
}

} // namespace jentra::props
