// ListItem: one entry of a list, owning copies of its text and slot model.
#include "JTControls/JTList.h"

#include <cstdlib>
#include <cstring>

namespace {

// A heap copy of s, or null for null (and when memory ran out).
char* CopyOf(const char* s) {
    return s ? strdup(s) : nullptr;
}

} // namespace

ListItem::ListItem(const char* text, void* data, const char* model)
    : text(CopyOf(text)), data(data), model(CopyOf(model)) {}

ListItem::ListItem(const ListItem& other)
    : enabled(other.enabled), text(CopyOf(other.text)), data(other.data),
      model(CopyOf(other.model)) {}

ListItem& ListItem::operator=(const ListItem& other) {
    if (this == &other) return *this;
    enabled = other.enabled;
    SetText(other.text);
    data = other.data;
    SetModel(other.model);
    return *this;
}

ListItem::~ListItem() {
    std::free(text);
    std::free(model);
}

void ListItem::SetText(const char* newText) {
    // Copied before the old one goes: the new text may be part of it.
    char* copy = CopyOf(newText);
    std::free(text);
    text = copy;
}

void ListItem::SetModel(const char* newModel) {
    char* copy = CopyOf(newModel);
    std::free(model);
    model = copy;
}
