// Reading and editing the xscreensaver preferences line by line.
#include "desktop_menu/module/screen_saver_file.h"

#include <algorithm>
#include <cstdlib>

namespace lumivane::menu {

namespace {

constexpr std::string_view kProgramsName = "programs";
constexpr std::string_view kEntryEnd = "\\n"; // a backslash and an 'n' end an entry
constexpr std::string_view kBlanks = " \t\r\n";

std::string_view Trim(std::string_view s) {
    const size_t first = s.find_first_not_of(kBlanks);
    if (first == s.npos) return {};
    return s.substr(first, s.find_last_not_of(kBlanks) - first + 1);
}

bool EndsWithBackslash(std::string_view text) {
    return !text.empty() && text.back() == '\\';
}

std::string_view WithoutContinuation(std::string_view text) {
    return EndsWithBackslash(text) ? text.substr(0, text.size() - 1) : text;
}

bool IsCommentOrBlank(std::string_view text) {
    const std::string_view t = Trim(text);
    return t.empty() || t[0] == '#' || t[0] == '!';
}

// The name of a "name: value" line; nothing for any other line.
std::optional<std::string> ResourceName(std::string_view text) {
    const std::string_view t = Trim(text);
    const size_t colon = t.find(':');
    if (colon == t.npos) return std::nullopt;
    const std::string_view name = Trim(t.substr(0, colon));
    if (name.empty() || name.find_first_of(kBlanks) != name.npos) return std::nullopt;
    return std::string(name);
}

// The non-blank entries of a list value.
std::vector<std::string_view> SplitEntries(std::string_view value) {
    std::vector<std::string_view> entries;
    size_t start = 0;
    while (start <= value.size()) {
        size_t end = value.find(kEntryEnd, start);
        if (end == value.npos) end = value.size();
        const std::string_view entry = Trim(value.substr(start, end - start));
        if (!entry.empty()) entries.push_back(entry);
        start = end + kEntryEnd.size();
    }
    return entries;
}

bool EndsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

bool IsPlainShellCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string_view("/._+-,:@%=").find(c) != std::string_view::npos;
}

} // namespace

ScreenSaverFile::ScreenSaverFile(std::string_view text) {
    size_t start = 0;
    while (start < text.size()) {
        const size_t newline = text.find('\n', start);
        Line line;
        if (newline == text.npos) {
            line.text = text.substr(start);
            start = text.size();
        } else {
            // The ending is set once: GCC 12 at -O3 reads overwriting "\n"
            // with "\r\n" as an overlapping copy (a false -Wrestrict).
            const bool crlf = newline > start && text[newline - 1] == '\r';
            line.text = text.substr(start, newline - start - (crlf ? 1 : 0));
            line.ending = crlf ? "\r\n" : "\n";
            start = newline + 1;
        }
        lines_.push_back(std::move(line));
    }
}

std::string ScreenSaverFile::Text() const {
    std::string text;
    for (const Line& line : lines_)
        text += line.text + line.ending;
    return text;
}

bool ScreenSaverFile::Blank() const {
    for (const Line& line : lines_)
        if (!Trim(line.text).empty()) return false;
    return true;
}

std::vector<ScreenSaverFile::Resource> ScreenSaverFile::Scan() const {
    std::vector<Resource> resources;
    size_t i = 0;
    while (i < lines_.size()) {
        if (IsCommentOrBlank(lines_[i].text)) {
            ++i;
            continue;
        }
        size_t last = i;
        while (last + 1 < lines_.size() && EndsWithBackslash(lines_[last].text))
            ++last;
        if (auto name = ResourceName(lines_[i].text)) resources.push_back({*name, i, last});
        i = last + 1;
    }
    return resources;
}

// The last definition of a resource is the one that counts.
std::optional<ScreenSaverFile::Resource> ScreenSaverFile::Find(std::string_view name) const {
    std::optional<Resource> found;
    for (const Resource& resource : Scan())
        if (resource.name == name) found = resource;
    return found;
}

std::string ScreenSaverFile::ValueOf(const Resource& resource) const {
    std::string value;
    for (size_t i = resource.first; i <= resource.last; ++i) {
        std::string_view text = lines_[i].text;
        if (i == resource.first) text = text.substr(text.find(':') + 1);
        if (i < resource.last) text = WithoutContinuation(text);
        value += text;
    }
    return value;
}

std::string ScreenSaverFile::NewLineEnding() const {
    for (const Line& line : lines_)
        if (line.ending == "\r\n") return line.ending;
    return "\n";
}

std::optional<std::string> ScreenSaverFile::ResourceLines(std::string_view name) const {
    const auto resource = Find(name);
    if (!resource) return std::nullopt;
    std::string text;
    for (size_t i = resource->first; i <= resource->last; ++i) {
        if (i > resource->first) text += '\n';
        text += lines_[i].text;
    }
    return text;
}

void ScreenSaverFile::SetResourceLines(std::string_view name, std::string_view text) {
    std::vector<Line> replacement;
    const std::string ending = NewLineEnding();
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == text.npos) end = text.size();
        replacement.push_back({std::string(text.substr(start, end - start)), ending});
        start = end + 1;
    }
    const auto resource = Find(name);
    if (!resource) {
        lines_.insert(lines_.begin(), replacement.begin(), replacement.end());
        return;
    }
    // A last line without a line break stays without one.
    replacement.back().ending = lines_[resource->last].ending;
    lines_.erase(lines_.begin() + std::ptrdiff_t(resource->first),
                 lines_.begin() + std::ptrdiff_t(resource->last + 1));
    lines_.insert(lines_.begin() + std::ptrdiff_t(resource->first), replacement.begin(),
                  replacement.end());
}

void ScreenSaverFile::RemoveResource(std::string_view name) {
    if (const auto resource = Find(name))
        lines_.erase(lines_.begin() + std::ptrdiff_t(resource->first),
                     lines_.begin() + std::ptrdiff_t(resource->last + 1));
}

std::string ScreenSaverFile::Mode() const {
    const auto resource = Find("mode");
    return resource ? std::string(Trim(ValueOf(*resource))) : std::string();
}

int ScreenSaverFile::Selected() const {
    const auto resource = Find("selected");
    if (!resource) return -1;
    const std::string value(Trim(ValueOf(*resource)));
    char* end = nullptr;
    const long index = std::strtol(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0' || index < 0 || index > 1000000) return -1;
    return int(index);
}

std::vector<std::string> ScreenSaverFile::Programs() const {
    std::vector<std::string> programs;
    const auto list = Find(kProgramsName);
    if (!list) return programs;
    const std::string value = ValueOf(*list);
    for (std::string_view entry : SplitEntries(value))
        programs.push_back(ProgramOfEntry(entry));
    return programs;
}

ScreenSaverFile::AddResult ScreenSaverFile::AddProgram(std::string_view displayName,
                                                       std::string_view commandLine) {
    AddResult result;
    const std::string ending = NewLineEnding();
    const std::string entry = "\"" + std::string(displayName) + "\"  " + std::string(commandLine);
    const auto list = Find(kProgramsName);
    if (!list) {
        result.madeList = true;
        lines_.insert(lines_.begin(),
                      {{"programs:\t\\", ending}, {"\t\t" + entry + " \\n", ending}});
        return result;
    }
    if (list->first == list->last) {
        // The list ends on its first line: it must go on into the new one.
        std::string& first = lines_[list->first].text;
        result.oldFirstLine = first;
        first += EndsWith(Trim(first), kEntryEnd) ? " \\" : " \\n\\";
        lines_.insert(lines_.begin() + std::ptrdiff_t(list->first + 1),
                      {"\t\t" + entry + " \\n", ending});
        return result;
    }
    // A line of its own before the list's last line; it starts a new entry
    // unless the lines before it already ended one.
    const std::string before = ValueOf({list->name, list->first, list->last - 1});
    const std::string_view done = Trim(WithoutContinuation(before));
    const std::string lead = done.empty() || EndsWith(done, kEntryEnd) ? "" : "\\n";
    lines_.insert(lines_.begin() + std::ptrdiff_t(list->last),
                  {lead + "\t\t" + entry + "\t\\n\\", ending});
    return result;
}

bool ScreenSaverFile::RemoveProgramLine(std::string_view program, bool dropEmptyList) {
    const auto list = Find(kProgramsName);
    if (!list) return false;
    size_t found = 0;
    for (size_t i = list->first + 1; i <= list->last && !found; ++i) {
        const auto entries = SplitEntries(WithoutContinuation(lines_[i].text));
        if (entries.size() == 1 && ProgramOfEntry(entries[0]) == program) found = i;
    }
    if (!found) return false;
    lines_.erase(lines_.begin() + std::ptrdiff_t(found));
    // The line before now ends the list: it must not run on into the next
    // resource.
    if (found == list->last && EndsWithBackslash(lines_[found - 1].text))
        lines_[found - 1].text.pop_back();
    if (dropEmptyList) {
        const auto rest = Find(kProgramsName);
        if (rest && SplitEntries(ValueOf(*rest)).empty())
            lines_.erase(lines_.begin() + std::ptrdiff_t(rest->first),
                         lines_.begin() + std::ptrdiff_t(rest->last + 1));
    }
    return true;
}

void ScreenSaverFile::SetProgramsFirstLine(std::string_view text) {
    if (const auto list = Find(kProgramsName)) lines_[list->first].text = text;
}

std::string ProgramOfEntry(std::string_view entry) {
    std::string_view t = Trim(entry);
    if (!t.empty() && t[0] == '-') t = Trim(t.substr(1));
    // A visual ("GL:", "default-n:") is a word ending in ':'.
    const size_t wordEnd = std::min(t.find_first_of(kBlanks), t.size());
    if (wordEnd > 1 && t[wordEnd - 1] == ':' && t.substr(0, wordEnd).find('"') == t.npos)
        t = Trim(t.substr(wordEnd));
    if (!t.empty() && t[0] == '"') {
        const size_t close = t.find('"', 1);
        if (close == t.npos) return {};
        t = Trim(t.substr(close + 1));
    }
    if (t.empty()) return {};
    if (t[0] == '\'' || t[0] == '"') {
        const size_t close = t.find(t[0], 1);
        if (close == t.npos) return {};
        return std::string(t.substr(1, close - 1));
    }
    return std::string(t.substr(0, std::min(t.find_first_of(kBlanks), t.size())));
}

std::string QuoteForShell(std::string_view word) {
    bool plain = !word.empty();
    for (char c : word)
        plain = plain && IsPlainShellCharacter(c);
    if (plain) return std::string(word);
    std::string quoted = "'";
    for (char c : word) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

} // namespace lumivane::menu
