// The engine's growable array: {count, capacity, grow step, data} over the C
// allocator, grown linearly by the grow step and never shrunk by removals.
// Elements are moved with memmove/realloc, so T must be trivially copyable
// (pointers, handles, plain structs, matrices).
#pragma once

#include <cassert>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <type_traits>

template <class T> class JTArray {
    static_assert(std::is_trivially_copyable_v<T>,
                  "JTArray moves elements bytewise; use trivially copyable element types");

public:
    explicit JTArray(int growStep = 16)
        : m_count(0), m_capacity(0), m_growStep(growStep > 0 ? growStep : 1), m_data(nullptr) {}

    JTArray(const JTArray& other)
        : m_count(0), m_capacity(0), m_growStep(other.m_growStep), m_data(nullptr) {
        CopyFrom(other);
    }

    JTArray& operator=(const JTArray& other) {
        // Copying onto itself keeps the contents (releasing first would lose them).
        if (this == &other) return *this;
        std::free(m_data);
        m_data = nullptr;
        m_count = m_capacity = 0;
        m_growStep = other.m_growStep;
        CopyFrom(other);
        return *this;
    }

    ~JTArray() { std::free(m_data); }

    // Appends value; returns its index, or -1 when memory ran out (the
    // array is then unchanged).
    int Add(T value) {
        if (m_count == m_capacity && !Grow(m_growStep)) return -1;
        m_data[m_count] = value;
        return m_count++;
    }

    // Inserts value at index (0..count), moving later elements up by one.
    // Returns false for a bad index or when memory ran out.
    bool Insert(int index, T value) {
        if (index < 0 || index > m_count) return false;
        if (Add(value) < 0) return false;
        std::memmove(static_cast<void*>(m_data + index + 1), m_data + index,
                     sizeof(T) * size_t(m_count - 1 - index));
        m_data[index] = value;
        return true;
    }

    // First index holding value, or -1.
    int Find(const T& value) const {
        for (int i = 0; i < m_count; ++i)
            if (Same(m_data[i], value)) return i;
        return -1;
    }

    void RemoveAt(int index) {
        if (index < 0 || index >= m_count) return;
        std::memmove(static_cast<void*>(m_data + index), m_data + index + 1,
                     sizeof(T) * size_t(m_count - 1 - index));
        --m_count;
    }

    // Removes the first occurrence of value; false when absent.
    bool Remove(const T& value) {
        int i = Find(value);
        if (i < 0) return false;
        RemoveAt(i);
        return true;
    }

    // Drops the last element when there is one; returns the new count.
    int RemoveLast() {
        if (m_count > 0) --m_count;
        return m_count;
    }

    // Makes room for n elements without changing the count.
    bool Reserve(int n) {
        if (n <= m_capacity) return true;
        return Resize(n);
    }

    // Shrinks the storage to exactly count elements.
    void Compact() {
        if (m_count == m_capacity) return;
        if (m_count == 0) {
            std::free(m_data);
            m_data = nullptr;
            m_capacity = 0;
            return;
        }
        Resize(m_count);
    }

    T* Last() { return m_count > 0 ? m_data + m_count - 1 : nullptr; }
    int GetCount() const { return m_count; }
    int GetCapacity() const { return m_capacity; }
    int GetGrowStep() const { return m_growStep; }
    T* GetData() { return m_data; }
    const T* GetData() const { return m_data; }

    T& operator[](int i) {
        assert(i >= 0 && i < m_count);
        return m_data[i];
    }
    const T& operator[](int i) const {
        assert(i >= 0 && i < m_count);
        return m_data[i];
    }

private:
    static bool Same(const T& a, const T& b) {
        if constexpr (requires { a == b; })
            return a == b;
        else
            return std::memcmp(&a, &b, sizeof(T)) == 0;
    }

    bool Grow(int by) {
        if (m_capacity > INT_MAX - by) return false;
        return Resize(m_capacity + by);
    }

    bool Resize(int capacity) {
        if (size_t(capacity) > SIZE_MAX / sizeof(T)) return false;
        void* p = std::realloc(static_cast<void*>(m_data), sizeof(T) * size_t(capacity));
        if (!p) return false;
        m_data = static_cast<T*>(p);
        m_capacity = capacity;
        return true;
    }

    void CopyFrom(const JTArray& other) {
        if (other.m_capacity == 0) return;
        if (!Resize(other.m_capacity)) return;
        if (other.m_count > 0)
            std::memcpy(static_cast<void*>(m_data), other.m_data,
                        sizeof(T) * size_t(other.m_count));
        m_count = other.m_count;
    }

    int m_count;
    int m_capacity;
    int m_growStep;
    T* m_data;
};
