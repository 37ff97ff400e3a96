// The identifier map: parallel arrays of ids and objects, reallocated to the
// exact count on each addition and never shrunk.
#include "Jentra/JTID.h"

#include <cstdlib>
#include <cstring>

JTIDMap::~JTIDMap() {
    std::free(m_ids);
    std::free(m_objects);
}

int JTIDMap::IndexOf(const JTID* id) const {
    if (!id) return -1;
    for (int i = 0; i < m_count; ++i)
        if (m_ids[i] == *id) return i;
    return -1;
}

void JTIDMap::Add(JTID* id, JTUnknown* object) {
    if (!id || IndexOf(id) >= 0) return;
    size_t n = size_t(m_count) + 1;
    JTID* ids = static_cast<JTID*>(std::realloc(static_cast<void*>(m_ids), n * sizeof(JTID)));
    if (!ids) return;
    m_ids = ids;
    JTUnknown** objects = static_cast<JTUnknown**>(
        std::realloc(static_cast<void*>(m_objects), n * sizeof(JTUnknown*)));
    if (!objects) return;
    m_objects = objects;
    std::memcpy(static_cast<void*>(&m_ids[m_count]), id, sizeof(JTID));
    m_objects[m_count] = object;
    ++m_count;
}

void JTIDMap::Remove(JTID* id) {
    int i = IndexOf(id);
    if (i < 0) return;
    int later = m_count - 1 - i;
    if (later > 0) {
        std::memmove(static_cast<void*>(&m_ids[i]), &m_ids[i + 1], size_t(later) * sizeof(JTID));
        std::memmove(static_cast<void*>(&m_objects[i]), &m_objects[i + 1],
                     size_t(later) * sizeof(JTUnknown*));
    }
    --m_count;
}

JTUnknown* JTIDMap::Find(const JTID* id) const {
    int i = IndexOf(id);
    return i >= 0 ? m_objects[i] : nullptr;
}
