// Writes Lumivane's language files into its data folder, "LumivaneData":
// "Langfile.csv" (8-bit, code page 1252, comma-separated) and "Langfile.txt"
// (UTF-16 with byte-order mark, tab-separated), both from the one source
// data/lumivane/language.tsv. Both files are read back with the program's
// own reader, and every text the program and the desktop menu show must
// come back unchanged.
// (The engine's "Langfile.csv" in the runtime folder is another format.)
#include "tools/databuilder/shared/data_step.h"

#include "desktop/shell/language_table.h"
#include "platform/codepage.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <vector>

namespace {

constexpr unsigned kCodePage = 1252;
constexpr unsigned kAllColumns = 0xF;

// Every entry the program and its display ask for.
constexpr int kRequiredEntries[] = {1,     3,     5,     13,    14,    15,    16,    19,
                                    25,    26,    68,    69,    70,    1053,  1054,  5005,
                                    5058,  5153,  5154,  9290,  10032, 10110, 10111, 10117,
                                    10118, 10119, 11001, 11002, 11003};
// Every entry of the desktop menu's popup.
constexpr int kMenuEntries[] = {10002, 10003, 10004, 10005, 10007, 10008, 10009, 10010, 10011,
                                10012, 10013, 10014, 10015, 10016, 10017, 10018, 10019, 10020,
                                10030, 10031, 10035, 10036, 10114, 10115, 10116};

struct Entry {
    std::string context; // UTF-8
    std::string text;    // UTF-8
};

bool ReadSource(const std::filesystem::path& path, std::map<int, Entry>& entries) {
    std::ifstream in(path);
    if (!in) {
        std::fprintf(stderr, "lumivane_language: cannot read %s\n", path.c_str());
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string id, context, text, extra;
        if (!std::getline(fields, id, '\t') || !std::getline(fields, context, '\t') ||
            !std::getline(fields, text, '\t') || std::getline(fields, extra, '\t') ||
            id.find_first_not_of("0123456789") != std::string::npos || id.empty() ||
            id.size() > 9) {
            std::fprintf(stderr, "lumivane_language: %s:%d: want <id> TAB <context> TAB <text>\n",
                         path.c_str(), number);
            return false;
        }
        if (!entries.emplace(std::stoi(id), Entry{context, text}).second) {
            std::fprintf(stderr, "lumivane_language: %s:%d: id %s appears twice\n", path.c_str(),
                         number, id.c_str());
            return false;
        }
    }
    return true;
}

// Quotes a field that holds the separator, a quote or a line break.
template <typename Text> Text Field(const Text& text, typename Text::value_type separator) {
    using Char = typename Text::value_type;
    if (text.find_first_of(Text{separator, Char('"'), Char('\n'), Char('\r')}) == Text::npos)
        return text;
    Text quoted(1, Char('"'));
    for (Char c : text) {
        if (c == Char('"')) quoted += Char('"');
        quoted += c;
    }
    quoted += Char('"');
    return quoted;
}

bool Write(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (out.good()) return true;
    std::fprintf(stderr, "lumivane_language: cannot write %s\n", path.c_str());
    return false;
}

std::string CommaFile(const std::map<int, Entry>& entries, const platform::CodePageConverter& cp,
                      bool& ok) {
    std::string file = "Lumivane language table\r\nId,Context,English\r\n";
    for (const auto& [id, entry] : entries) {
        std::string line = std::to_string(id);
        for (const std::string* text : {&entry.context, &entry.text}) {
            const std::string bytes = cp.FromUtf16(platform::Utf8ToUtf16(*text), SIZE_MAX);
            if (cp.ToUtf8(bytes) != *text) {
                std::fprintf(stderr,
                             "lumivane_language: text %d has characters code page %u "
                             "cannot hold\n",
                             id, kCodePage);
                ok = false;
            }
            line += ',' + Field(bytes, ',');
        }
        file += line + "\r\n";
    }
    return file;
}

std::string TabFile(const std::map<int, Entry>& entries) {
    std::u16string file = u"Lumivane language table\r\nId\tContext\tEnglish\r\n";
    for (const auto& [id, entry] : entries) {
        const std::string number = std::to_string(id);
        file += std::u16string(number.begin(), number.end());
        for (const std::string* text : {&entry.context, &entry.text})
            file += u'\t' + Field(platform::Utf8ToUtf16(*text), u'\t');
        file += u"\r\n";
    }
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : file) {
        bytes += char(unit & 0xff);
        bytes += char(unit >> 8);
    }
    return bytes;
}

// Reads the file back with the program's reader and compares every entry.
bool ReadsBack(const std::filesystem::path& path, const std::map<int, Entry>& entries,
               const platform::CodePageConverter& cp) {
    lumivane::LanguageTable table(kCodePage);
    if (!table.Load(path.string(), kAllColumns)) {
        std::fprintf(stderr, "lumivane_language: cannot read back %s\n", path.c_str());
        return false;
    }
    for (const auto& [id, entry] : entries) {
        if (cp.ToUtf8(table.GetString(id)) != entry.text ||
            cp.ToUtf8(table.GetString(id, 0)) != entry.context) {
            std::fprintf(stderr, "lumivane_language: entry %d reads back wrong from %s\n", id,
                         path.c_str());
            return false;
        }
    }
    return true;
}

} // namespace

DATABUILDER_STEP(WriteLumivaneLanguage, "lumivane_language") {
    std::map<int, Entry> entries;
    if (!ReadSource(context.dataSources / "lumivane" / "language.tsv", entries)) return false;
    bool ok = true;
    std::vector<int> required(std::begin(kRequiredEntries), std::end(kRequiredEntries));
    required.insert(required.end(), std::begin(kMenuEntries), std::end(kMenuEntries));
    for (int id : required) {
        auto found = entries.find(id);
        if (found == entries.end() || found->second.text.empty()) {
            std::fprintf(stderr, "lumivane_language: entry %d has no text\n", id);
            ok = false;
        }
    }
    const platform::CodePageConverter cp(kCodePage);
    const std::string comma = CommaFile(entries, cp, ok);
    if (!ok) return false;

    const std::filesystem::path folder = context.runtime / "LumivaneData";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        std::fprintf(stderr, "lumivane_language: cannot create %s\n", folder.c_str());
        return false;
    }
    return Write(folder / "Langfile.csv", comma) &&
           Write(folder / "Langfile.txt", TabFile(entries)) &&
           ReadsBack(folder / "Langfile.csv", entries, cp) &&
           ReadsBack(folder / "Langfile.txt", entries, cp);
}
