// Reading and writing ".prp" records.
#include "desktop/scene/entity/prop_file.h"

#include <algorithm>
#include <cstring>

#include "desktop/scene/entity/prop_block.h"
#include "desktop/scene/entity/prop_desc.h"
#include "platform/binary_io.h"

namespace lumivane {

namespace {

constexpr int kRecordHeaderSize = kPropNameSize + 4;
constexpr int kLargestValue = 32;

// A text field of up to `size` bytes, ended at its first zero byte.
std::string_view TextOf(const uint8_t* bytes, size_t size) {
    const char* text = reinterpret_cast<const char*>(bytes);
    return std::string_view(text, strnlen(text, size));
}

void Apply(PropBlock& block, const PropDesc& desc, size_t offset, const uint8_t* value, int size) {
    if (desc.type == PropType::Flag) {
        uint32_t word;
        std::memcpy(&word, value, 4);
        block.SetFlag(offset, word != 0);
    } else if (IsOwnedStringType(desc.type)) {
        block.SetOwnedString(offset, TextOf(value, size_t(size)));
    } else if (desc.type == PropType::Name || desc.type == PropType::TextureName) {
        block.SetFixedText(offset, TextOf(value, size_t(size)));
    } else {
        block.SetBytes(offset, value, size_t(size));
    }
}

} // namespace

PropReadResult ReadPropRecords(platform::BinaryReader& file, PropBlock& block) {
    PropReadResult result;
    while (!file.AtEnd()) {
        std::string name;
        int32_t code;
        if (file.Remaining() < uint64_t(kRecordHeaderSize) ||
            !file.ReadFixedString(name, kPropNameSize) || !file.ReadI32(code) || code < 0 ||
            code >= kPropTypeCount) {
            result.damaged = true;
            break;
        }
        const PropType type = PropType(code);
        if (type == PropType::End) continue;
        const int size = PropFileValueSize(type);
        const uint64_t tail = uint64_t(PropFileSubRecords(type)) * kPropSubRecordSize;
        uint8_t value[kLargestValue] = {};
        if (file.Remaining() < uint64_t(size) + tail || !file.ReadBytes(value, size_t(size)) ||
            !file.Skip(tail)) {
            result.damaged = true;
            break;
        }
        if (type == PropType::GroupStart || type == PropType::GroupEnd) continue;
        size_t offset = 0;
        const PropDesc* desc = PropDesc::Find(block.Table(), name, offset);
        // A value of another size would spill over its neighbours.
        if (!desc || desc->type == PropType::GroupStart || desc->type == PropType::GroupEnd ||
            PropFileValueSize(desc->type) != size) {
            ++result.skipped;
            continue;
        }
        Apply(block, *desc, offset, value, size);
        ++result.applied;
    }
    return result;
}

void WritePropRecord(platform::BinaryWriter& file, std::string_view name, PropType type,
                     const void* value) {
    file.WriteFixedString(name, kPropNameSize);
    file.WriteI32(int32_t(type));
    const int size = PropFileValueSize(type);
    if (size > 0) {
        uint8_t bytes[kLargestValue] = {};
        if (value) std::memcpy(bytes, value, size_t(size));
        if (size == kPropNameSize) bytes[kPropNameSize - 1] = 0;
        file.WriteBytes(bytes, size_t(size));
    }
    // The records behind a file name or a path carry nothing the program
    // uses; they are written empty.
    for (int i = 0; i < PropFileSubRecords(type); ++i) {
        file.WriteFixedString("", kPropNameSize);
        file.WriteI32(int32_t(PropType::Name));
        file.WriteFixedString("", kPropNameSize);
    }
}

void WritePropFile(platform::BinaryWriter& file, const PropBlock& block) {
    PropDesc::ForEach(block.Table(), [&](const PropDesc& d, size_t offset) {
        if (d.name.empty()) return;
        uint8_t value[kLargestValue] = {};
        if (d.type == PropType::Flag) {
            uint32_t word = block.Flag(offset) ? 1 : 0;
            std::memcpy(value, &word, 4);
        } else if (IsOwnedStringType(d.type)) {
            const std::string_view text = block.OwnedText(offset);
            if (!text.empty())
                std::memcpy(value, text.data(), std::min(text.size(), size_t(kPropNameSize - 1)));
        } else if (PropBlockSize(d.type) > 0) {
            std::memcpy(value, block.Data() + offset, size_t(PropBlockSize(d.type)));
        }
        WritePropRecord(file, d.name, d.type, value);
    });
}

bool SavePropFile(const std::filesystem::path& path, const PropBlock& block, std::string* error) {
    platform::FileWriter file;
    if (!file.Open(path, error)) return false;
    WritePropFile(file, block);
    if (!file.Good()) {
        if (error) *error = "cannot write " + path.string();
        file.Discard();
        return false;
    }
    return file.Commit(error);
}

} // namespace lumivane
