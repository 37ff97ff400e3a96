// Reading "script.dat".
#include "desktop/scene/object/script_config.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>

#include "desktop/scene/object/engine_services.h"
#include "platform/binary_io.h"
#include "platform/paths.h"

namespace lumivane {

namespace {

constexpr size_t kNameLimit = 31;
constexpr size_t kTextLimit = 259;
constexpr size_t kLinePiece = 255; // longer lines are read in pieces

std::string Cut(std::string_view text, size_t limit) {
    return std::string(text.substr(0, limit));
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view SkipBlanks(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    return text.substr(i);
}

// Reads up to four numbers the way "%f %f %f %f" does: each after optional
// blanks, stopping at the first that does not parse. A word that starts with
// a letter is text, never a number ("inferno.dds" is not infinity).
int ReadNumbers(std::string_view text, float values[4]) {
    std::string copy(text);
    const char* cursor = copy.c_str();
    int count = 0;
    while (count < 4) {
        while (IsBlank(*cursor))
            ++cursor;
        char first = *cursor;
        if (!(std::isdigit((unsigned char)first) || first == '-' || first == '+' || first == '.'))
            break;
        char* end = nullptr;
        float value = std::strtof(cursor, &end);
        if (end == cursor) break;
        values[count++] = value;
        cursor = end;
    }
    return count;
}

std::string_view FirstWord(std::string_view text, std::string_view& rest) {
    text = SkipBlanks(text);
    size_t end = 0;
    while (end < text.size() && !IsBlank(text[end]))
        ++end;
    rest = text.substr(end);
    return text.substr(0, end);
}

ScriptEntry ParseEntry(std::string_view line) {
    ScriptEntry entry;
    std::string_view rest;
    if (line.front() == '"' && line.find('"', 1) != std::string_view::npos) {
        size_t close = line.find('"', 1);
        entry.key = Cut(line.substr(1, close - 1), kNameLimit);
        rest = line.substr(close + 1);
    } else {
        entry.key = Cut(FirstWord(line, rest), kNameLimit);
    }
    if (ReadNumbers(rest, entry.values) == 0) {
        std::string_view unused;
        entry.text = Cut(FirstWord(rest, unused), kTextLimit);
    }
    return entry;
}

} // namespace

int ScriptBlock::FindKey(std::string_view key) const {
    for (size_t i = 0; i < entries.size(); ++i)
        if (platform::EqualsIgnoreCase(entries[i].key, key)) return int(i);
    return -1;
}

int ScriptBlock::GetString(std::string_view key, std::string& out) const {
    int index = FindKey(key);
    if (index < 0 || !entries[size_t(index)].text) return 0;
    out = *entries[size_t(index)].text;
    return 1;
}

int ScriptBlock::GetInt(std::string_view key, int32_t& out) const {
    int index = FindKey(key);
    if (index < 0) return 0;
    float value = entries[size_t(index)].values[0];
    out = std::isfinite(value) && std::fabs(value) < 2147483520.0f ? int32_t(value) : 0;
    return 1;
}

void ScriptConfig::Free() {
    blocks.clear();
}

bool ScriptConfig::Load(const std::filesystem::path& dataRoot) {
    Free();
    std::string contents;
    std::optional<std::filesystem::path> path = platform::ResolvePath(dataRoot, "script.dat");
    if (!path || !platform::ReadWholeFile(*path, contents)) {
        ReportFatalError(kEntryNoScriptConfig, "script.dat");
        EnsureBlock("Game", "settings");
        EnsureBlock("Cursors", "selectionbox");
        return false;
    }
    Parse(contents);
    return true;
}

void ScriptConfig::Parse(std::string_view contents) {
    Free();
    bool haveSection = false;
    std::string section;
    ScriptBlock* current = nullptr;
    size_t position = 0;
    while (position < contents.size()) {
        // One line, or one piece of a long line, as the line reader gives it.
        size_t end = contents.find('\n', position);
        size_t lineEnd = end == std::string_view::npos ? contents.size() : end + 1;
        if (lineEnd - position > kLinePiece) lineEnd = position + kLinePiece;
        std::string_view line = contents.substr(position, lineEnd - position);
        position = lineEnd;
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.remove_suffix(1);
        size_t start = line.find_first_not_of(" \t");
        if (start == std::string_view::npos) continue;
        line = line.substr(start);
        if (line.front() == '/') continue;
        if (line.front() == '[') {
            current = nullptr;
            size_t close = line.find(']');
            if (close != std::string_view::npos) {
                section = Cut(line.substr(1, close - 1), kNameLimit);
                haveSection = true;
            }
            continue;
        }
        if (line.front() == '<') {
            current = nullptr;
            size_t close = line.find('>');
            if (close != std::string_view::npos && haveSection) {
                blocks.push_back({section, Cut(line.substr(1, close - 1), kNameLimit), {}});
                current = &blocks.back();
            }
            continue;
        }
        if (current) current->entries.push_back(ParseEntry(line));
    }
    EnsureBlock("Game", "settings");
    EnsureBlock("Cursors", "selectionbox");
}

void ScriptConfig::EnsureBlock(std::string_view section, std::string_view block) {
    if (!FindBlock(section, block))
        blocks.push_back({std::string(section), std::string(block), {}});
}

const ScriptBlock* ScriptConfig::FindBlock(std::string_view section, std::string_view block) const {
    for (const ScriptBlock& b : blocks)
        if (platform::EqualsIgnoreCase(b.section, section) &&
            platform::EqualsIgnoreCase(b.block, block))
            return &b;
    return nullptr;
}

} // namespace lumivane
