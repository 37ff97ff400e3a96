// Property descriptor tables: sizes by type, look-up along the base chain.
#include "desktop/scene/entity/prop_desc.h"

#include <cassert>
#include <cstdio>
#include <cstdlib>

namespace lumivane {

namespace {

constexpr int kBlockSizes[kPropTypeCount] = {4, 4, 4, 4, 4, 1, 32, 32, 4, 0, 0, 4, 4, 4, 4, 0};
constexpr int kFileSizes[kPropTypeCount] = {4, 4, 4, 4, 4, 4, 32, 32, 4, 4, 4, 32, 4, 32, 32, 0};

bool ValidType(PropType type) {
    return int(type) >= 0 && int(type) < kPropTypeCount;
}

} // namespace

int PropBlockSize(PropType type) {
    return ValidType(type) ? kBlockSizes[int(type)] : 0;
}

int PropFileValueSize(PropType type) {
    return ValidType(type) ? kFileSizes[int(type)] : 0;
}

int PropFileSubRecords(PropType type) {
    if (type == PropType::FileName) return 3;
    if (type == PropType::Path) return 7;
    return 0;
}

bool IsOwnedStringType(PropType type) {
    return type == PropType::FileName || type == PropType::Path || type == PropType::PrototypeName;
}

const PropDesc& PropDesc::EndEntry(const PropDesc* table) {
    while (table->type != PropType::End)
        ++table;
    return *table;
}

const PropDesc* PropDesc::BaseTable(const PropDesc* table) {
    return table ? EndEntry(table).baseTable : nullptr;
}

void PropDesc::ForEach(const PropDesc* table,
                       const std::function<void(const PropDesc&, size_t)>& visit) {
    // Base tables first: collect the chain from the root class down.
    std::vector<const PropDesc*> chain;
    for (const PropDesc* t = table; t; t = BaseTable(t))
        chain.push_back(t);
    size_t offset = 0;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        for (const PropDesc* d = *it; d->type != PropType::End; ++d) {
            visit(*d, offset);
            offset += size_t(PropBlockSize(d->type));
        }
}

size_t PropDesc::OffsetOf(const PropDesc* table, std::string_view name) {
    size_t cursor = 0;
    if (!Find(table, name, cursor)) {
        std::fprintf(stderr, "Lumivane: the %s table has no value \"%.*s\"\n",
                     EndEntry(table).name.c_str(), int(name.size()), name.data());
        std::abort();
    }
    return cursor;
}

size_t PropDesc::BlockSize(const PropDesc* table) {
    size_t size = 0;
    ForEach(table, [&](const PropDesc& d, size_t) { size += size_t(PropBlockSize(d.type)); });
    return size;
}

const PropDesc* PropDesc::Find(const PropDesc* table, std::string_view name, size_t& cursor) {
    if (!table || name.empty()) return nullptr;
    if (const PropDesc* inBase = Find(BaseTable(table), name, cursor)) return inBase;
    for (const PropDesc* d = table; d->type != PropType::End; ++d) {
        if (d->name == name) return d;
        cursor += size_t(PropBlockSize(d->type));
    }
    return nullptr;
}

// --- Building ---------------------------------------------------------------

PropTableBuilder& PropTableBuilder::Value(std::string name, PropType type, float minimum,
                                          float maximum, float defaultValue) {
    assert(name.size() < size_t(kPropNameSize));
    PropDesc d;
    d.name = std::move(name);
    d.type = type;
    d.minimum = minimum;
    d.maximum = maximum;
    d.defaultValue = defaultValue;
    entries.push_back(std::move(d));
    return *this;
}

PropTableBuilder& PropTableBuilder::Flag(std::string name, bool set) {
    return Value(std::move(name), PropType::Flag, 0, 1, set ? 1.0f : 0.0f);
}

PropTableBuilder& PropTableBuilder::Text(std::string name, PropType type, std::string defaultText) {
    Value(std::move(name), type, 0, 0, 0);
    entries.back().defaultText = std::move(defaultText);
    return *this;
}

PropTableBuilder& PropTableBuilder::Choice(std::string name, const std::vector<std::string>* words,
                                           int defaultIndex) {
    Value(std::move(name), PropType::Choice, 0, float(words->size()) - 1, float(defaultIndex));
    entries.back().choices = words;
    return *this;
}

PropTableBuilder& PropTableBuilder::Group(const std::string& title) {
    return Value("*" + title + "*", PropType::GroupStart, 0, 0, 0);
}

PropTableBuilder& PropTableBuilder::EndGroup(const std::string& title) {
    return Value("*End" + title + "*", PropType::GroupEnd, 0, 0, 0);
}

std::vector<PropDesc> PropTableBuilder::End(std::string className, const PropDesc* base) {
    Value(std::move(className), PropType::End, 0, 0, 0);
    entries.back().baseTable = base;
    return std::move(entries);
}

} // namespace lumivane
