#pragma once
// Fixed-capacity list over N value slots: each slot has a used flag and
// previous/next links, so members are walked in link order from the first
// index. The object manager's pools hold objects (1000), a scene
// descriptor its portals (300), the scene manager its scenes (100).
#include <cstdint>

template <class T, int N>
class CSlotList {
public:
    static constexpr int kCapacity = N;

    explicit CSlotList(T empty = T{}) { CSlotList::Reset(empty); }
    virtual ~CSlotList() = default;

    // Slot 0: every link -1, then RemoveAll with the new empty value.
    virtual void Reset(T empty) {
        m_Empty = empty;
        for (int i = 0; i < N; ++i) m_Prev[i] = m_Next[i] = -1;
        RemoveAll();
    }
    // Slot 1: empties every slot.
    virtual void RemoveAll() {
        m_First = m_Last = -1;
        for (int i = 0; i < N; ++i) {
            m_Prev[i] = m_Next[i] = -1;
            m_Used[i] = 0;
            m_Values[i] = m_Empty;
        }
        m_Count = 0;
        m_SearchStart = 0;
    }

    // From the search start to the end, then from 0; -1 when none.
    int FindFree() const {
        for (int i = m_SearchStart; i < N; ++i)
            if (!m_Used[i]) return i;
        for (int i = 0; i < m_SearchStart && i < N; ++i)
            if (!m_Used[i]) return i;
        return -1;
    }

    // pos -1 links after the last slot; a used pos before that slot; any
    // other pos before the first. The slot index, or -1 when full.
    int Insert(int pos, T value) {
        if (m_Count >= N) return -1;
        const int s = FindFree();
        if (s < 0) return -1;
        m_Values[s] = value;
        m_Used[s] = 1;
        ++m_Count;
        if (m_First < 0) {
            m_Prev[s] = m_Next[s] = -1;
            m_First = m_Last = s;
        } else if (pos == -1) {
            m_Prev[s] = m_Last;
            m_Next[s] = -1;
            m_Next[m_Last] = s;
            m_Last = s;
        } else {
            const int before = (pos >= 0 && pos < N && m_Used[pos] && pos != s) ? pos : m_First;
            m_Next[s] = before;
            m_Prev[s] = m_Prev[before];
            if (m_Prev[before] >= 0)
                m_Next[m_Prev[before]] = s;
            else
                m_First = s;
            m_Prev[before] = s;
        }
        return s;
    }

    // The first used slot holding the value, or -1.
    int Find(const T& value) const {
        for (int i = 0; i < N; ++i)
            if (m_Used[i] && m_Values[i] == value) return i;
        return -1;
    }

    // Frees and unlinks the slot holding the value; a value not in the
    // list changes nothing. The freed index, or -1.
    int RemoveValue(const T& value) {
        const int i = Find(value);
        if (i >= 0) RemoveAt(i);
        return i;
    }

    void RemoveAt(int i) {
        if (i < 0 || i >= N || !m_Used[i]) return;
        m_Values[i] = m_Empty;
        m_Used[i] = 0;
        --m_Count;
        const int p = m_Prev[i], n = m_Next[i];
        if (p >= 0) m_Next[p] = n;
        if (n >= 0) m_Prev[n] = p;
        if (m_First == i) m_First = n;
        if (m_Last == i) m_Last = p;
        m_Prev[i] = m_Next[i] = -1;
    }

    int First() const { return m_First; }
    int Last() const { return m_Last; }
    int Next(int i) const { return i >= 0 && i < N ? m_Next[i] : -1; }
    int Prev(int i) const { return i >= 0 && i < N ? m_Prev[i] : -1; }
    T GetAt(int i) const { return i >= 0 && i < N ? m_Values[i] : m_Empty; }
    int IsUsed(int i) const { return i >= 0 && i < N ? m_Used[i] : 0; }
    int GetCount() const { return m_Count; }

    T m_Values[N];
    int32_t m_Used[N];
    int32_t m_Count = 0;
    T m_Empty{};
    int32_t m_SearchStart = 0;
    int32_t m_Last = -1;
    int32_t m_First = -1;
    int32_t m_Prev[N];
    int32_t m_Next[N];
};
