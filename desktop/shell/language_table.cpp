// Reading the language files. Both encodings go through one field reader
// that works on code units: bytes of an 8-bit file, 16-bit units of a
// UTF-16 file. Files are read as a stream, so an endless line costs no
// memory beyond the capped field.
#include "desktop/shell/language_table.h"

#include "platform/codepage.h"

#include <cstdio>
#include <memory>
#include <string_view>

namespace lumivane {

LanguageTable* gpLanguageTable = nullptr;

namespace {

constexpr int kEnd = -1;
constexpr char16_t kQuote = u'"';
constexpr char16_t kLineFeed = u'\n';
constexpr char16_t kCarriageReturn = u'\r';
constexpr char16_t kByteOrderMark = 0xFEFF;

bool EndsWithTxt(const std::string& path) {
    if (path.size() < 4) return false;
    std::string tail = path.substr(path.size() - 4);
    for (char& c : tail)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return tail == ".txt";
}

// Code units of the file: bytes, or 16-bit little-endian units (an odd last
// byte is dropped). Carriage returns are dropped: all of them in UTF-16
// files, those before a line feed in 8-bit files (as text mode reads them).
class UnitReader {
public:
    UnitReader(std::FILE* file, bool wide) : file_(file), wide_(wide) {
        if (wide_ && Peek() == kByteOrderMark) Get();
    }

    int Get() {
        int unit = Raw();
        while (unit == kCarriageReturn) {
            if (wide_) {
                unit = Raw();
            } else if (Peek() == kLineFeed) {
                unit = Raw();
            } else {
                break;
            }
        }
        return unit;
    }

    int Peek() {
        if (!hasPending_) {
            pending_ = ReadUnit();
            hasPending_ = true;
        }
        return pending_;
    }

    void SkipLine() {
        for (int unit = Get(); unit != kEnd && unit != kLineFeed; unit = Get()) {
        }
    }

private:
    int Raw() {
        if (hasPending_) {
            hasPending_ = false;
            return pending_;
        }
        return ReadUnit();
    }

    int ReadUnit() {
        const int low = std::getc(file_);
        if (low == EOF) return kEnd;
        if (!wide_) return low;
        const int high = std::getc(file_);
        if (high == EOF) return kEnd;
        return low | (high << 8);
    }

    std::FILE* file_;
    bool wide_;
    bool hasPending_ = false;
    int pending_ = 0;
};

// One field as code units, held to the text limit.
class FieldText {
public:
    explicit FieldText(size_t limit) : limit_(limit) {}
    void Add(char16_t unit) {
        if (units_.size() < limit_) units_ += unit;
    }
    const std::u16string& Units() const { return units_; }

private:
    size_t limit_;
    std::u16string units_;
};

// Reads one field. A line feed always ends it; the separator ends it
// outside quotes. A quote toggles quoting and is not stored; two quotes in a
// row store one. A line feed inside an unclosed quote still ends the field,
// so a stray quote spoils one line, not the rest of the file. Answers the
// unit that ended the field (kEnd at the end of the file).
int ReadField(UnitReader& reader, char16_t separator, bool wide, FieldText& field) {
    bool quoted = false;
    for (;;) {
        const int unit = reader.Get();
        if (unit == kEnd || unit == kLineFeed) return unit;
        if (unit == separator && !quoted) return unit;
        if (unit == kQuote) {
            if (reader.Peek() == kQuote) {
                reader.Get();
                field.Add(kQuote);
            } else {
                quoted = !quoted;
            }
            continue;
        }
        // The ellipsis is stored as three full stops: byte 0x85 of the
        // 8-bit files, U+2026 (and U+0085, the same number) of UTF-16 ones.
        const bool ellipsis = unit == 0x85 || (wide && unit == 0x2026);
        if (ellipsis) {
            for (int i = 0; i < 3; ++i)
                field.Add(u'.');
            continue;
        }
        field.Add(char16_t(unit));
    }
}

// The field as stored text: a lone double quote becomes empty.
std::string StoredText(const FieldText& field, bool wide, const platform::CodePageConverter& cp,
                       size_t maxBytes) {
    std::string text;
    if (wide) {
        text = cp.FromUtf16(field.Units(), maxBytes);
    } else {
        for (char16_t unit : field.Units())
            text += char(unit);
        if (text.size() > maxBytes) text.resize(maxBytes);
    }
    if (text == "\"") text.clear();
    return text;
}

bool StartsWithDigit(const std::u16string& units) {
    return !units.empty() && units[0] >= u'0' && units[0] <= u'9';
}

// The id from the field's leading digits; false past 32 bits.
bool ParseId(const std::u16string& units, int32_t& id) {
    int64_t value = 0;
    for (char16_t unit : units) {
        if (unit < u'0' || unit > u'9') break;
        value = value * 10 + (unit - u'0');
        if (value > INT32_MAX) return false;
    }
    id = int32_t(value);
    return true;
}

const char kEmptyText[] = "";

} // namespace

LanguageTable::LanguageTable(unsigned codePage)
    : requestedCodePage_(codePage), codePage_(codePage == 0 ? 1252 : codePage) {}

void LanguageTable::Clear() {
    header_.clear();
    rows_.clear();
    firstRow_.clear();
}

bool LanguageTable::Load(const std::string& path, unsigned columnMask) {
    Clear();
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rbe"),
                                                         std::fclose);
    if (!file) return false;
    const bool wide = EndsWithTxt(path);
    const char16_t separator = wide ? u'\t' : u',';
    platform::CodePageConverter converter(requestedCodePage_);
    codePage_ = converter.UsedCodePage();
    // A UTF-16 unit may become two bytes: the raw field may hold as many
    // units as the stored text may hold bytes, and no more are needed.
    const size_t unitLimit = kMaxTextBytes;
    UnitReader reader(file.get(), wide);

    // Line 1: its first field is the header; line 2 is skipped whole.
    FieldText header(unitLimit);
    int end = ReadField(reader, separator, wide, header);
    header_ = StoredText(header, wide, converter, kMaxTextBytes);
    if (end == separator) reader.SkipLine(); // the rest of line 1
    if (end != kEnd) reader.SkipLine();      // line 2

    while (reader.Peek() != kEnd) {
        FieldText first(unitLimit);
        end = ReadField(reader, separator, wide, first);
        int32_t id = 0;
        if (!StartsWithDigit(first.Units()) || !ParseId(first.Units(), id)) {
            if (end == separator) reader.SkipLine();
            continue;
        }
        // The texts go to the first row with the id, so a repeated id
        // refills the earlier row (and the texts it replaces are freed). The
        // empty row such a line would leave behind is never made: no
        // look-up could reach it.
        Row* target = FindRowForFill(id);
        for (int column = 0; column < kColumnCount && end == separator; ++column) {
            FieldText field(unitLimit);
            end = ReadField(reader, separator, wide, field);
            if (!(columnMask & (1u << column))) continue;
            target->texts[column] = StoredText(field, wide, converter, kMaxTextBytes);
            target->filled |= uint8_t(1u << column);
        }
        if (end == separator) reader.SkipLine();
    }
    return true;
}

LanguageTable::Row* LanguageTable::FindRowForFill(int32_t id) {
    auto [entry, added] = firstRow_.try_emplace(id, rows_.size());
    if (added) rows_.push_back(Row{id, {}, 0});
    return &rows_[entry->second];
}

const LanguageTable::Row* LanguageTable::FindRow(int32_t id) const {
    auto entry = firstRow_.find(id);
    return entry == firstRow_.end() ? nullptr : &rows_[entry->second];
}

const char* LanguageTable::GetString(int32_t id) const {
    return GetString(id, kCurrentColumn);
}

const char* LanguageTable::GetString(int32_t id, int column) const {
    if (column < 0 || column >= kColumnCount) return kEmptyText;
    const Row* row = FindRow(id);
    if (!row || !row->Has(column)) return kEmptyText;
    return row->texts[column].c_str();
}

const char* LanguageText(int32_t id) {
    return gpLanguageTable ? gpLanguageTable->GetString(id) : kEmptyText;
}

} // namespace lumivane
