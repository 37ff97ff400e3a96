// Writes the translation file "Langfile.csv" into the runtime folder from the
// hand-written data/Langfile.csv, through the engine's own reader and writer,
// after checking that every text the engine and the game ask for is there.
#include "tools/databuilder/shared/data_step.h"

#include "Jentra/JTTransMap.h"

#include <cstdio>
#include <cstring>

namespace {

// Every text number the engine and the game look up.
constexpr int kRequiredTexts[] = {1,    3,    17,   21,   22,   25,   27,   29,   51,
                                  52,   60,   61,   62,   63,   64,   69,   1018, 1024,
                                  1053, 1054, 4001, 4002, 4003, 5058, 5143, 5144};
// Texts used as a format with one file or prototype name.
constexpr int kOneNameFormats[] = {1024, 5144};

int CountOf(const char* text, const char* part) {
    int count = 0;
    for (const char* p = std::strstr(text, part); p; p = std::strstr(p + 1, part))
        ++count;
    return count;
}

} // namespace

DATABUILDER_STEP(WriteLangfile, "langfile") {
    const std::string source = (context.dataSources / "Langfile.csv").string();
    const std::string target = (context.runtime / "Langfile.csv").string();
    JTTransMap table;
    if (!table.OpenTransFile(source.c_str(), JTTransMap::ColumnAll)) {
        std::fprintf(stderr, "langfile: cannot read %s\n", source.c_str());
        return false;
    }
    bool complete = true;
    for (int id : kRequiredTexts) {
        for (auto column : {JTTransMap::English, JTTransMap::Foreign}) {
            const char* text = table.GetString(id, column);
            if (!text || !*text) {
                std::fprintf(stderr, "langfile: text %d has no %s wording in %s\n", id,
                             column == JTTransMap::English ? "English" : "Foreign", source.c_str());
                complete = false;
            }
        }
    }
    for (int id : kOneNameFormats) {
        for (auto column : {JTTransMap::English, JTTransMap::Foreign}) {
            const char* text = table.GetString(id, column);
            if (text && (CountOf(text, "%s") != 1 || CountOf(text, "%") != 1)) {
                std::fprintf(stderr, "langfile: text %d must hold exactly one %%s\n", id);
                complete = false;
            }
        }
    }
    if (!complete) return false;
    if (!table.SaveTransFile(target.c_str())) {
        std::fprintf(stderr, "langfile: cannot write %s\n", target.c_str());
        return false;
    }
    return true;
}
