// PropBlock: the property values of one prototype, laid out byte for byte as
// its class's descriptor chain says (fields at odd offsets, no padding), so
// values are read and written with memcpy. Owned strings (file names, paths,
// prototype names) are 32-bit indices into the block's own string store,
// 0 for none. The prototype makes the block; its clones share it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "desktop/scene/entity/prop_desc.h"

namespace lumivane {

class PropBlock {
public:
    // A block of the table's chain with every default set (base values first).
    explicit PropBlock(const PropDesc* table);
    ~PropBlock();
    PropBlock(const PropBlock&) = delete;
    PropBlock& operator=(const PropBlock&) = delete;

    const PropDesc* Table() const { return table; }
    size_t Size() const { return bytes.size(); }
    const uint8_t* Data() const { return bytes.data(); }

    template <class T> T Get(size_t offset) const {
        T value{};
        if (offset + sizeof value <= bytes.size())
            std::memcpy(&value, &bytes[offset], sizeof value);
        return value;
    }
    template <class T> void Set(size_t offset, T value) {
        if (offset + sizeof value <= bytes.size())
            std::memcpy(&bytes[offset], &value, sizeof value);
    }
    float Float(size_t offset) const { return Get<float>(offset); }
    int32_t Int(size_t offset) const { return Get<int32_t>(offset); }
    bool Flag(size_t offset) const { return Get<uint8_t>(offset) != 0; }
    void SetFlag(size_t offset, bool set) { Set<uint8_t>(offset, set ? 1 : 0); }
    // A char[32] value (names, texture names), up to its first zero byte.
    std::string_view FixedText(size_t offset) const;
    void SetFixedText(size_t offset, std::string_view text);
    // Copies raw value bytes in; false when they would pass the block's end.
    bool SetBytes(size_t offset, const void* data, size_t size);
    // Sets a number, flag, choice or colour of the chain by name, as its
    // type stores it; false when the chain has no such value.
    bool SetValue(std::string_view name, double value);
    // A colour given as a number, held to 0..0xFFFFFFFF.
    static uint32_t ColourWord(double value);
    // Keeps a packed colour word and its three float channels (red, green,
    // blue in 0..1) in step after `field` changed: a new word sets the
    // floats; a new channel, or every value at once, packs them into the word.
    void KeepColourInStep(int32_t field, const size_t (&channels)[3], size_t word);

    // An owned string; null when none is set.
    const std::string* OwnedString(size_t offset) const;
    std::string_view OwnedText(size_t offset) const {
        const std::string* s = OwnedString(offset);
        return s ? std::string_view(*s) : std::string_view();
    }
    // An empty text stores none.
    void SetOwnedString(size_t offset, std::string_view text);
    // Frees every owned string of the chain, base tables first.
    void ReleaseStrings();

private:
    const PropDesc* table;
    std::vector<uint8_t> bytes;
    std::vector<std::unique_ptr<std::string>> strings; // index i + 1; null: free
};

} // namespace lumivane
