// Property descriptors: the static tables that name every designer-tunable
// value of an entity class, give its kind, editing range and default, and lay
// out the class's property block. A table lists its class's own values in
// block order and ends with an entry of type End that names the class and
// links the base class's table; a class's block is its base's block followed
// by its own values, packed without padding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace lumivane {

enum class PropType : int32_t {
    Integer = 0,
    Float = 1,
    Distance = 2,
    Time = 3,
    Angle = 4,
    Flag = 5,
    Name = 6,        // char[32] in the block
    TextureName = 7, // char[32] in the block
    Colour = 8,      // u32 ARGB
    GroupStart = 9,
    GroupEnd = 10,
    FileName = 11,      // owned string
    Choice = 12,        // i32 index into the choice list
    Path = 13,          // owned string
    PrototypeName = 14, // owned string
    End = 15,
};

inline constexpr int kPropTypeCount = 16;
inline constexpr int kPropNameSize = 32;
// Sizes of a value in a block and in a ".prp" record, by type code.
int PropBlockSize(PropType type);
int PropFileValueSize(PropType type);
// Records of {name[32], type[4], char[32]} that follow a value in a file.
int PropFileSubRecords(PropType type);
inline constexpr int kPropSubRecordSize = 68;
// Types whose block value is a 32-bit index into the block's string store.
bool IsOwnedStringType(PropType type);

struct PropDesc {
    std::string name; // at most 31 characters; the key in a ".prp" file
    PropType type = PropType::End;
    float minimum = 0.0f; // editing range, never enforced
    float maximum = 0.0f;
    float defaultValue = 0.0f;                         // numbers, flags, colours, choices
    std::string defaultText;                           // Name and TextureName values
    const std::vector<std::string>* choices = nullptr; // Choice: the words
    const PropDesc* baseTable = nullptr;               // End: the base class's table

    // Searches the chain of `table` (base tables first) for the descriptor
    // with exactly this name (case matters; unnamed descriptors are never
    // found). `cursor` starts at 0 and ends at the value's offset in the
    // block. Null when no descriptor has the name.
    static const PropDesc* Find(const PropDesc* table, std::string_view name, size_t& cursor);
    // The link of the table's end entry: the base table, or null.
    static const PropDesc* BaseTable(const PropDesc* table);
    static const PropDesc& EndEntry(const PropDesc* table);
    // The offset of a value the class's own code names: a table without it
    // is a programming error, which stops the program.
    static size_t OffsetOf(const PropDesc* table, std::string_view name);
    // Bytes of the whole chain's block.
    static size_t BlockSize(const PropDesc* table);
    // Every descriptor of the chain with its offset, base tables first (end
    // entries excluded).
    static void ForEach(const PropDesc* table,
                        const std::function<void(const PropDesc&, size_t offset)>& visit);
};

// Builds a table in code: values in block order, then End.
class PropTableBuilder {
public:
    PropTableBuilder& Value(std::string name, PropType type, float minimum, float maximum,
                            float defaultValue);
    PropTableBuilder& Flag(std::string name, bool set);
    // Name .. PrototypeName; a char[32] value may start with a text.
    PropTableBuilder& Text(std::string name, PropType type, std::string defaultText = {});
    PropTableBuilder& Choice(std::string name, const std::vector<std::string>* words,
                             int defaultIndex);
    PropTableBuilder& Group(const std::string& title); // "*Title*" .. "*EndTitle*"
    PropTableBuilder& EndGroup(const std::string& title);
    std::vector<PropDesc> End(std::string className, const PropDesc* base);

private:
    std::vector<PropDesc> entries;
};

} // namespace lumivane
