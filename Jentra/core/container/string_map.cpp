// Case-insensitive string registry: stable indices, first spelling kept.
#include "Jentra/JTStringMap.h"

#include <new>
#include <strings.h>

JTStringMap::~JTStringMap() {
    if (!m_strings) return;
    for (int i = 0; i < m_strings->GetCount(); ++i)
        std::free((*m_strings)[i]);
    delete m_strings;
}

int JTStringMap::RegisterString(const char* s) {
    if (!s) return -1;
    if (!m_strings) {
        m_strings = new (std::nothrow) JTArray<char*>(16);
        if (!m_strings) return -1;
    }
    for (int i = 0; i < m_strings->GetCount(); ++i)
        if (strcasecmp((*m_strings)[i], s) == 0) return i;
    char* copy = strdup(s);
    if (!copy) return -1;
    int index = m_strings->Add(copy);
    if (index < 0) std::free(copy);
    return index;
}

const char* JTStringMap::Lookup(int index) const {
    if (!m_strings || index < 0 || index >= m_strings->GetCount()) return nullptr;
    return (*m_strings)[index];
}
