#pragma once
// At most N values in insertion order, each once, in fixed slots linked
// both ways; a free slot is searched from the cursor on, then from 0. The
// struck handles of a magic object and the ids of a particle record.
#include <cstddef>
#include <cstdint>
#include <vector>

template <class T, int N>
class CUniqueSlotList {
public:
    static constexpr int kCapacity = N;
    CUniqueSlotList() { Clear(); }

    void Clear() {
        for (int i = 0; i < N; ++i) {
            m_Values[i] = T{};
            m_Used[i] = 0;
            m_Prev[i] = m_Next[i] = -1;
        }
        m_Head = m_Tail = -1;
        m_Count = 0;
        m_Cursor = 0;
    }
    // False when present already or full.
    bool Add(T value) {
        if (m_Count >= N || Find(value) >= 0) return false;
        int slot = -1;
        for (int i = m_Cursor; i < N && slot < 0; ++i)
            if (!m_Used[i]) slot = i;
        for (int i = 0; i < m_Cursor && slot < 0; ++i)
            if (!m_Used[i]) slot = i;
        if (slot < 0) return false;
        m_Used[slot] = 1;
        m_Values[slot] = value;
        m_Prev[slot] = static_cast<int16_t>(m_Tail);
        m_Next[slot] = -1;
        if (m_Tail >= 0) m_Next[m_Tail] = static_cast<int16_t>(slot);
        else m_Head = slot;
        m_Tail = slot;
        m_Cursor = (slot + 1) % N;
        ++m_Count;
        return true;
    }
    bool Remove(T value) {
        const int i = Find(value);
        if (i < 0) return false;
        if (m_Prev[i] >= 0) m_Next[m_Prev[i]] = m_Next[i];
        else m_Head = m_Next[i];
        if (m_Next[i] >= 0) m_Prev[m_Next[i]] = m_Prev[i];
        else m_Tail = m_Prev[i];
        m_Used[i] = 0;
        m_Values[i] = T{};
        m_Prev[i] = m_Next[i] = -1;
        --m_Count;
        return true;
    }
    bool Contains(T value) const { return Find(value) >= 0; }
    int Count() const { return m_Count; }
    // The values in insertion order.
    std::vector<T> Handles() const {
        std::vector<T> out;
        out.reserve(static_cast<size_t>(m_Count));
        for (int i = m_Head; i >= 0; i = m_Next[i]) out.push_back(m_Values[i]);
        return out;
    }

private:
    int Find(T value) const {
        for (int i = m_Head; i >= 0; i = m_Next[i])
            if (m_Values[i] == value) return i;
        return -1;
    }
    T m_Values[N];
    uint8_t m_Used[N];
    int16_t m_Prev[N];
    int16_t m_Next[N];
    int m_Head = -1;
    int m_Tail = -1;
    int m_Count = 0;
    int m_Cursor = 0;
};
