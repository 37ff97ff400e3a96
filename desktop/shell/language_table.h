// Lumivane's language table: every text a user sees, looked up by number.
// Read from "Langfile.txt" (UTF-16, tab-separated, converted to 8-bit text
// with the machine value "CodePage") or "Langfile.csv" (8-bit,
// comma-separated). Scenes carry companion tables of the same format, and
// the desktop menu reads the same files with this class.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace lumivane {

class LanguageTable {
public:
    static constexpr int kColumnCount = 4;
    // Column masks: bit n keeps column n.
    static constexpr unsigned kColumn0 = 1, kColumn1 = 2, kColumn2 = 4, kColumn3 = 8;
    // A stored text holds at most this many bytes (without its terminator).
    static constexpr size_t kMaxTextBytes = 4999;

    struct Row {
        int32_t id = 0;
        std::array<std::string, kColumnCount> texts;
        uint8_t filled = 0; // bit n: column n was read

        bool Has(int column) const { return (filled >> column) & 1; }
    };

    // `codePage` converts the texts of UTF-16 files (0 means 1252).
    explicit LanguageTable(unsigned codePage = 0);

    // Reads the file: a name ending in ".txt" (any case) as UTF-16, any
    // other as 8-bit text. Only the columns whose mask bit is set are kept.
    // A file that cannot be opened leaves the table empty (answer false).
    bool Load(const std::string& path, unsigned columnMask);
    void Clear();

    // The current column's text of the first row with the id; the empty
    // text when there is none. Never null.
    const char* GetString(int32_t id) const;
    // The same for an explicit column (0 to 3).
    const char* GetString(int32_t id, int column) const;
    // The first row with the id, or null.
    const Row* FindRow(int32_t id) const;

    const std::string& HeaderText() const { return header_; }
    size_t RowCount() const { return rows_.size(); }
    int CurrentColumn() const { return kCurrentColumn; }
    // The code page the stored texts are in (what UTF-16 files were
    // converted to; 8-bit files are taken to be in it already).
    unsigned CodePage() const { return codePage_; }

private:
    static constexpr int kCurrentColumn = 1;

    // The first row with the id, made when there is none.
    Row* FindRowForFill(int32_t id);

    unsigned requestedCodePage_;
    unsigned codePage_;
    std::string header_;
    std::vector<Row> rows_;                        // in file order
    std::unordered_map<int32_t, size_t> firstRow_; // id -> its row
};

// The desktop program's table, made at start-up.
extern LanguageTable* gpLanguageTable;

// The program table's text for the id; empty without a table. Never null.
const char* LanguageText(int32_t id);

} // namespace lumivane
