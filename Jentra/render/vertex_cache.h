// A model of the display adapter's post-transform vertex cache: a short
// first-in, first-out list of vertex indices that the strip builders use to
// order their output so that vertices are reused while still cached.
#pragma once

namespace jentra::strips {

class VertexCache {
public:
    static constexpr int kMaxSize = 32;

    // The size is kept within 1..kMaxSize.
    explicit VertexCache(int size) : m_size(size < 1 ? 1 : size > kMaxSize ? kMaxSize : size) {
        Clear();
    }

    int GetSize() const { return m_size; }

    bool Contains(int vertex) const {
        for (int i = 0; i < m_size; ++i)
            if (m_entries[i] == vertex) return true;
        return false;
    }

    // A vertex not yet cached enters first and the last one drops out; a
    // cached vertex changes nothing.
    void Add(int vertex) {
        if (Contains(vertex)) return;
        for (int i = m_size - 1; i > 0; --i)
            m_entries[i] = m_entries[i - 1];
        m_entries[0] = vertex;
    }

    void Clear() {
        for (int& entry : m_entries)
            entry = -1;
    }

    void CopyTo(VertexCache& other) const {
        other.m_size = m_size;
        for (int i = 0; i < kMaxSize; ++i)
            other.m_entries[i] = m_entries[i];
    }

    int At(int slot) const { return m_entries[slot]; }
    void Set(int slot, int vertex) { m_entries[slot] = vertex; }

private:
    int m_size;
    int m_entries[kMaxSize];
};

} // namespace jentra::strips
