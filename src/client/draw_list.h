#pragma once
// The painter's draw lists: a pool of 1000 linked entries. A sorted list
// keeps its objects in ascending world x + y (the isometric depth key) from
// head to tail, so walking from the head paints back to front; layer and
// see-through lists are filled at their head.
#include <cstdint>
#include <vector>

#include "core/geometry.h"

class CGameObj;

// The depth key of an object: world x + y.
int32_t DepthKey(const CGameObj* obj);

class CDrawList {
public:
    static constexpr int32_t kCapacity = 1000;

    CDrawList();
    void Clear();
    // Skips an object whose screen rectangle misses `view` or that is
    // already listed; otherwise links it after the last entry whose key is
    // at most its own (equal keys keep insertion order). 1 when listed; a
    // full list takes nothing.
    int InsertSorted(CGameObj* obj, const CGameRect& view);
    // Puts the object at the head. 1 when listed.
    int PushHead(CGameObj* obj);

    int32_t Head() const { return m_Head; }
    int32_t Tail() const { return m_Tail; }
    int32_t Next(int32_t i) const { return m_Entries[size_t(i)].next; }
    int32_t Prev(int32_t i) const { return m_Entries[size_t(i)].prev; }
    CGameObj* At(int32_t i) const { return m_Entries[size_t(i)].obj; }
    // The object's key when it was listed (layer-3 objects are listed
    // moved on, and keep that key).
    int32_t KeyAt(int32_t i) const { return m_Entries[size_t(i)].key; }
    int32_t Count() const { return m_Count; }

private:
    struct Entry {
        CGameObj* obj = nullptr;
        int32_t key = 0;
        int32_t used = 0;
        int32_t prev = -1;
        int32_t next = -1;
    };
    int32_t TakeSlot();
    void LinkAfter(int32_t slot, int32_t after);

    std::vector<Entry> m_Entries;
    int32_t m_Head = -1;
    int32_t m_Tail = -1;
    int32_t m_Count = 0;
    int32_t m_Free = 0;
};

// Walks two sorted lists together from their heads, back to front: the
// entry of `a` is taken while its listed key is at most that of `b` (ties
// go to `a`). Each list's end is its own: a key of any size, 65535 or more
// included, never stands for an exhausted list.
template <class TakeA, class TakeB>
void MergeDrawLists(const CDrawList& a, const CDrawList& b, TakeA takeA, TakeB takeB) {
    int32_t ia = a.Head(), ib = b.Head();
    while (ia != -1 || ib != -1) {
        if (ib == -1 || (ia != -1 && a.KeyAt(ia) <= b.KeyAt(ib))) {
            takeA(a.At(ia));
            ia = a.Next(ia);
        } else {
            takeB(b.At(ib));
            ib = b.Next(ib);
        }
    }
}
