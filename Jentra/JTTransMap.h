// The translation table: every text the player sees is looked up by number
// in one table read from "Langfile.csv" (comma-separated, 8-bit text), and
// the table can be edited in memory and written back in the same format.
#pragma once

#include <cstddef>
#include <cstdio>
#include <unordered_map>

class JTTransMap {
public:
    // The four text columns of a row, in file order.
    enum Field { English = 0, Foreign = 1, Wavefile = 2, Notes = 3 };

    // Bits of OpenTransFile's column choice.
    enum ColumnBits : unsigned {
        ColumnEnglish = 1,
        ColumnForeign = 2,
        ColumnWavefile = 4,
        ColumnNotes = 8,
        ColumnAll = 15
    };

    // Fields and the title are read into buffers of this many bytes; longer
    // fields are cut to fit (the rest of the field is read and dropped).
    static constexpr std::size_t kFieldBufferSize = 5000;

    // One row: an id and four owned texts, each null while unset.
    class Entry {
    public:
        Entry();
        explicit Entry(int id);
        Entry(const Entry& other);
        Entry& operator=(const Entry& other);
        ~Entry();

        int id;
        const char* Get(Field column) const;
        // Stores a copy of text (null clears the column).
        void Set(Field column, const char* text);

    private:
        char* texts[4];
    };

    JTTransMap();
    ~JTTransMap();
    JTTransMap(const JTTransMap&) = delete;
    JTTransMap& operator=(const JTTransMap&) = delete;

    // Reads the file into the table, keeping the columns whose bits are set.
    // A file that cannot be opened leaves the table as it was and gives false.
    bool OpenTransFile(const char* name, unsigned columns);
    // Writes the whole table; when the file cannot be written the player is
    // told (texts 5143 and 5144) and false comes back.
    bool SaveTransFile(const char* name);

    // The column of the first row with that id: "" when no row has the id,
    // null when the row exists but the column was never set.
    const char* GetString(int id, Field column) const;
    const char* GetDefaultString(int id) const { return GetString(id, defaultColumn); }
    void SetDefaultString(Field column) { defaultColumn = column; }
    Field GetDefaultColumn() const { return defaultColumn; }

    // Sets the column of the first row with that id (appending a row when
    // none has it) to a copy of text; a null text clears the column.
    void SetString(int id, Field column, const char* text);
    Entry* GetEntryPtr(int id) const;

    const char* GetTitle() const { return title; }
    int GetRowCount() const { return rowCount; }

private:
    // Row reader steps over the open file.
    int ReadChar();
    int PeekChar();
    void GetStringFromFile(char* buffer, std::size_t size);
    bool GetComma();
    bool IsEOF();
    void SkipLine();
    bool PutStringToFile(const char* text);

    Entry* AppendRow(int id);
    void Clear();

    char* title;
    Entry** rows;
    int rowCount;
    std::FILE* file;
    Field defaultColumn;
    // Room in rows (grown by doubling), and the first row of each id, so
    // that neither loading nor a lookup walks the whole table.
    int rowCapacity;
    std::unordered_map<int, Entry*> firstRow;
};

// The table the engine and the game read their texts from.
extern JTTransMap* gpTransMap;

// A text of gpTransMap's default column that is never null: "" when there is
// no table, no such row or no such column.
const char* JTTranslate(int id);

// Formats a translated text that carries one "%s" (texts such as 1024 and
// 5144) with arg, treating the text as data: the first "%s" takes arg, "%%"
// gives "%", every other character (other % sequences too) stands as it is.
// The result is cut to fit size bytes and always terminated; returns out.
char* JTFormatText(char* out, std::size_t size, const char* format, const char* arg);
