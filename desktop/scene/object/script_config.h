// ScriptConfig: the tunable names and numbers of "script.dat" (textures of
// cursors, beacons, halos and fonts, sound file mappings, texture limits per
// screen size), read once at start-up into blocks of keyed entries. A block
// is found by section and block name, an entry by key, all without regard to
// case and first match first.
//
//   [Section]          starts a section
//   <block>            starts a block of the current section
//   key 1 2.5 3 4      up to four numbers
//   "key with blanks" 1 2
//   key word           one word of text (a key alone: empty text)
//   / comment          when "/" is the first character after blanks
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumivane {

struct ScriptEntry {
    std::string key;                 // at most 31 characters
    std::optional<std::string> text; // at most 259 characters; none when numbers follow
    float values[4] = {0, 0, 0, 0};
};

struct ScriptBlock {
    std::string section;
    std::string block;
    std::vector<ScriptEntry> entries;

    // Index of the first entry with that key, or -1.
    int FindKey(std::string_view key) const;
    // 1 and the text; 0 when the key is absent or has no text.
    int GetString(std::string_view key, std::string& out) const;
    // 1 and the integer part of the first value; 0 when the key is absent.
    int GetInt(std::string_view key, int32_t& out) const;
};

class ScriptConfig {
public:
    // Reads "script.dat" below the data root (any letter case, LF or CRLF
    // lines). A missing file raises fatal error 26 and answers false. The
    // blocks Game/settings and Cursors/selectionbox always exist afterwards,
    // empty when the file lacks them, so their users need no check.
    bool Load(const std::filesystem::path& dataRoot);
    // Reads the text of a script file itself.
    void Parse(std::string_view contents);
    void Free();

    const ScriptBlock* FindBlock(std::string_view section, std::string_view block) const;
    const std::vector<ScriptBlock>& Blocks() const { return blocks; }

private:
    void EnsureBlock(std::string_view section, std::string_view block);
    std::vector<ScriptBlock> blocks;
};

} // namespace lumivane
