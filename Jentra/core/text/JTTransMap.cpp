// The translation table: reading and writing "Langfile.csv" and looking texts
// up by number.
#include "Jentra/JTTransMap.h"

#include "Jentra/core/container/owned_string.h"
#include "platform/message_box.h"
#include "platform/paths.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

JTTransMap* gpTransMap = nullptr;

namespace {

bool IsColumn(int column) {
    return column >= 0 && column < 4;
}

// Text ids of the table's own complaint when a file cannot be written.
constexpr int kSaveFailedCaption = 5143;
constexpr int kSaveFailedText = 5144;

// Windows code page: the ellipsis, stored as three full stops.
constexpr int kEllipsis = 133;

// The id of a row: the leading decimal digits of its first field. A field
// that does not begin with a digit, or whose number does not fit an int
// (which would come back as another number, or as none, when the table is
// written and read again), makes no row.
bool ParseRowId(const char* field, int* id) {
    if (field[0] < '0' || field[0] > '9') return false;
    long long value = 0;
    for (const char* p = field; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > INT_MAX) return false;
    }
    *id = static_cast<int>(value);
    return true;
}

} // namespace

// ---- Entry -----------------------------------------------------------------

JTTransMap::Entry::Entry() : id(-1), texts{nullptr, nullptr, nullptr, nullptr} {}

JTTransMap::Entry::Entry(int rowId) : id(rowId), texts{nullptr, nullptr, nullptr, nullptr} {}

JTTransMap::Entry::Entry(const Entry& other) : id(other.id), texts{} {
    for (int i = 0; i < 4; ++i)
        texts[i] = JTDuplicateString(other.texts[i]);
}

JTTransMap::Entry& JTTransMap::Entry::operator=(const Entry& other) {
    if (this == &other) return *this;
    id = other.id;
    for (int i = 0; i < 4; ++i)
        Set(static_cast<Field>(i), other.texts[i]);
    return *this;
}

JTTransMap::Entry::~Entry() {
    for (char* text : texts)
        std::free(text);
}

const char* JTTransMap::Entry::Get(Field column) const {
    return IsColumn(column) ? texts[column] : nullptr;
}

void JTTransMap::Entry::Set(Field column, const char* text) {
    if (!IsColumn(column)) return;
    char* copy = JTDuplicateString(text);
    std::free(texts[column]);
    texts[column] = copy;
}

// ---- table -----------------------------------------------------------------

JTTransMap::JTTransMap()
    : title(nullptr), rows(nullptr), rowCount(0), file(nullptr), defaultColumn(Foreign),
      rowCapacity(0) {}

JTTransMap::~JTTransMap() {
    if (file) std::fclose(file);
    Clear();
}

void JTTransMap::Clear() {
    for (int i = 0; i < rowCount; ++i)
        delete rows[i];
    std::free(rows);
    rows = nullptr;
    rowCount = 0;
    rowCapacity = 0;
    firstRow.clear();
    std::free(title);
    title = nullptr;
}

JTTransMap::Entry* JTTransMap::AppendRow(int id) {
    if (rowCount == rowCapacity) {
        const int capacity = rowCapacity ? rowCapacity * 2 : 64;
        auto** grown = static_cast<Entry**>(std::realloc(rows, sizeof(Entry*) * capacity));
        if (!grown) return nullptr;
        rows = grown;
        rowCapacity = capacity;
    }
    Entry* entry = new Entry(id);
    rows[rowCount++] = entry;
    firstRow.emplace(id, entry); // a later row of the same id never replaces the first
    return entry;
}

JTTransMap::Entry* JTTransMap::GetEntryPtr(int id) const {
    auto found = firstRow.find(id);
    return found == firstRow.end() ? nullptr : found->second;
}

const char* JTTransMap::GetString(int id, Field column) const {
    const Entry* entry = GetEntryPtr(id);
    if (!entry) return "";
    return entry->Get(column);
}

void JTTransMap::SetString(int id, Field column, const char* text) {
    Entry* entry = GetEntryPtr(id);
    if (!entry) entry = AppendRow(id);
    if (entry) entry->Set(column, text);
}

// ---- reading ---------------------------------------------------------------

// Files written on Windows end their lines in CR LF; the pair reads as one
// line feed, as it does in the C library's text mode there.
int JTTransMap::ReadChar() {
    int c = std::getc(file);
    if (c == '\r') {
        int next = std::getc(file);
        if (next == '\n') return '\n';
        if (next != EOF) std::ungetc(next, file);
    }
    return c;
}

int JTTransMap::PeekChar() {
    int c = std::getc(file);
    if (c != EOF) std::ungetc(c, file);
    return c;
}

// Only the real end of the file ends the table: a byte 255 at the start of a
// line is an ordinary (non-digit) character and its line is skipped.
bool JTTransMap::IsEOF() {
    return PeekChar() == EOF;
}

void JTTransMap::GetStringFromFile(char* buffer, std::size_t size) {
    std::size_t length = 0;
    auto put = [&](char c) {
        if (length + 1 < size) buffer[length++] = c;
    };
    bool inQuotes = false;
    for (;;) {
        int c = ReadChar();
        if (c == EOF) break;
        if (c == '"') {
            if (PeekChar() == '"') {
                std::getc(file);
                put('"');
            } else {
                inQuotes = !inQuotes;
            }
            continue;
        }
        if (!inQuotes && (c == ',' || c == '\n')) {
            std::ungetc(c, file);
            break;
        }
        if (c == kEllipsis) {
            put('.');
            put('.');
            put('.');
        } else {
            put(static_cast<char>(c));
        }
    }
    if (size > 0) buffer[length] = '\0';
    if (length == 1 && buffer[0] == '"') buffer[0] = '\0';
}

// Only a line feed ends a row: at the end of the file the row goes on, and
// its remaining columns read as empty fields.
bool JTTransMap::GetComma() {
    return ReadChar() != '\n';
}

// Skips the rest of a line, fields with quoted line feeds included.
void JTTransMap::SkipLine() {
    char scratch[64];
    for (;;) {
        GetStringFromFile(scratch, sizeof scratch);
        int c = ReadChar();
        if (c == '\n' || c == EOF) return;
    }
}

bool JTTransMap::OpenTransFile(const char* name, unsigned columns) {
    if (!name) return false;
    auto path = platform::ResolvePath(".", name);
    file = path ? std::fopen(path->c_str(), "rb") : nullptr;
    if (!file) return false;

    auto buffer = std::make_unique<char[]>(kFieldBufferSize);
    GetStringFromFile(buffer.get(), kFieldBufferSize);
    char* newTitle = JTDuplicateString(buffer.get());
    std::free(title);
    title = newTitle;
    SkipLine(); // rest of the title line
    SkipLine(); // the header

    while (!IsEOF()) {
        GetStringFromFile(buffer.get(), kFieldBufferSize);
        int id = 0;
        if (!ParseRowId(buffer.get(), &id)) {
            SkipLine();
            continue;
        }
        // A repeated id adds an empty row; its texts go to the first row.
        if (!AppendRow(id)) break;
        Entry* target = GetEntryPtr(id);
        bool lineGoesOn = true;
        for (int column = 0; column < 4; ++column) {
            if (!GetComma()) {
                lineGoesOn = false;
                break;
            }
            GetStringFromFile(buffer.get(), kFieldBufferSize);
            if (columns & (1u << column)) target->Set(static_cast<Field>(column), buffer.get());
        }
        // The separator after the last column; anything beyond it on the
        // line is not part of this table.
        if (lineGoesOn && GetComma()) SkipLine();
    }
    std::fclose(file);
    file = nullptr;
    return true;
}

// ---- writing ---------------------------------------------------------------

bool JTTransMap::PutStringToFile(const char* text) {
    if (std::fputc('"', file) == EOF) return false;
    for (const char* p = text; *p; ++p) {
        if (*p == '\r') continue;
        if (*p == '"' && std::fputc('"', file) == EOF) return false;
        if (std::fputc(*p, file) == EOF) return false;
    }
    return std::fputc('"', file) != EOF;
}

bool JTTransMap::SaveTransFile(const char* name) {
    auto path = name ? platform::ResolvePathForCreate(".", name) : std::nullopt;
    file = path ? std::fopen(path->c_str(), "wb") : nullptr;
    bool written = file != nullptr;
    if (written) {
        if (title) {
            // Quoted like every field, so a title holding a double quote
            // reads back as it was instead of losing its quotes.
            written = PutStringToFile(title) && std::fputc('\n', file) != EOF;
        } else {
            written = std::fprintf(file, "%s\n", "Translation File") > 0;
        }
        written = written && std::fputs("Id, English, Foreign, Wavefile, Notes\n", file) >= 0;
        for (int i = 0; written && i < rowCount; ++i) {
            written = std::fprintf(file, "%i,", rows[i]->id) > 0;
            for (int column = 0; written && column < 4; ++column) {
                const char* text = rows[i]->Get(static_cast<Field>(column));
                if (text) written = PutStringToFile(text);
                written = written && std::fputc(',', file) != EOF;
            }
            written = written && std::fputc('\n', file) != EOF;
        }
        if (std::fclose(file) != 0) written = false;
        file = nullptr;
    }
    if (!written) {
        char message[1024];
        JTFormatText(message, sizeof message, GetDefaultString(kSaveFailedText), name ? name : "");
        const char* caption = GetDefaultString(kSaveFailedCaption);
        platform::ShowMessageBox(caption ? caption : "", message, platform::MessageBoxKind::Error,
                                 platform::MessageBoxButtons::Ok);
    }
    return written;
}

// ---- helpers for callers ---------------------------------------------------

const char* JTTranslate(int id) {
    if (!gpTransMap) return "";
    const char* text = gpTransMap->GetDefaultString(id);
    return text ? text : "";
}

char* JTFormatText(char* out, std::size_t size, const char* format, const char* arg) {
    if (!out || size == 0) return out;
    std::size_t length = 0;
    auto put = [&](const char* text, std::size_t count) {
        for (std::size_t i = 0; i < count && length + 1 < size; ++i)
            out[length++] = text[i];
    };
    bool argUsed = false;
    for (const char* p = format ? format : ""; *p; ++p) {
        if (p[0] == '%' && p[1] == 's' && !argUsed) {
            const char* value = arg ? arg : "";
            put(value, std::strlen(value));
            argUsed = true;
            ++p;
        } else if (p[0] == '%' && p[1] == '%') {
            put("%", 1);
            ++p;
        } else {
            put(p, 1);
        }
    }
    out[length] = '\0';
    return out;
}
