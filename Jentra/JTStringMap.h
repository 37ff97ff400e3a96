// A case-insensitive registry of strings: each distinct word (ignoring case)
// gets one stable index, keeping the spelling it was first registered with.
#pragma once

#include "Jentra/JTArray.h"

class JTStringMap {
public:
    JTStringMap() = default;
    ~JTStringMap();
    // The map owns its strings; a copy would free them twice.
    JTStringMap(const JTStringMap&) = delete;
    JTStringMap& operator=(const JTStringMap&) = delete;

    // Index of s (ignoring case), registering a private copy when new;
    // -1 for a null string or when memory ran out.
    int RegisterString(const char* s);
    // The string at index, or null when there is none.
    const char* Lookup(int index) const;
    int GetCount() const { return m_strings ? m_strings->GetCount() : 0; }

private:
    JTArray<char*>* m_strings = nullptr;
};
