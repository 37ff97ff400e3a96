// Reading EPD lines and files.
#include "chess/engine/epd.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "chess/engine/notation.h"
#include "chess/engine/position_text.h"

namespace chess {

namespace {

std::string gError;

bool Fail(const std::string& message) {
    gError = message;
    return false;
}

} // namespace

const char* EpdError() {
    return gError.c_str();
}

bool ReadEpdLine(const char* line, EpdRecord& record) {
    record = EpdRecord{};
    std::vector<std::string> words;
    std::string word;
    bool quoted = false;
    for (const char* c = line; *c; ++c) {
        if (*c == '"') quoted = !quoted;
        if (!quoted && (std::isspace(static_cast<unsigned char>(*c)) || *c == ';')) {
            if (!word.empty()) words.push_back(word);
            word.clear();
            if (*c == ';') words.push_back(";");
        } else {
            word += *c;
        }
    }
    if (!word.empty()) words.push_back(word);
    if (words.size() < 4) return Fail(std::string("EPD line has no position: ") + line);
    record.position = words[0] + " " + words[1] + " " + words[2] + " " + words[3];
    if (!SetPosition(words[0].c_str(), words[1].c_str(), words[2].c_str(), words[3].c_str()))
        return Fail(std::string("EPD position refused: ") + PositionError());
    for (size_t i = 4; i < words.size();) {
        const std::string op = words[i++];
        std::vector<std::string> operands;
        while (i < words.size() && words[i] != ";")
            operands.push_back(words[i++]);
        if (i < words.size()) ++i; // the ";"
        if (op == "bm") {
            for (const std::string& text : operands) {
                const ChessMove m = ParseMove(text.c_str());
                if (!m)
                    return Fail("EPD best move \"" + text + "\" is no legal move in " +
                                record.position);
                record.bestMoves.push_back(m);
            }
        } else if (op == "id" && !operands.empty()) {
            std::string id = operands[0];
            if (id.size() >= 2 && id.front() == '"' && id.back() == '"')
                id = id.substr(1, id.size() - 2);
            record.id = id;
        }
    }
    return true;
}

bool ReadEpdFile(const char* path, std::vector<EpdRecord>& records) {
    const std::string name = std::string(path) + ".epd";
    std::FILE* file = std::fopen(name.c_str(), "r");
    if (!file) return Fail("cannot open " + name);
    records.clear();
    char line[1024];
    int number = 0;
    bool ok = true;
    while (std::fgets(line, sizeof(line), file)) {
        ++number;
        if (!std::strchr(line, '\n') && !std::feof(file)) {
            ok = Fail(name + ": line " + std::to_string(number) + " is too long");
            break;
        }
        const char* c = line;
        while (*c && std::isspace(static_cast<unsigned char>(*c)))
            ++c;
        if (!*c) continue;
        EpdRecord record;
        if (!ReadEpdLine(line, record)) {
            ok = Fail(name + ": line " + std::to_string(number) + ": " + gError);
            break;
        }
        records.push_back(record);
    }
    std::fclose(file);
    if (ok) gError.clear();
    return ok;
}

} // namespace chess
