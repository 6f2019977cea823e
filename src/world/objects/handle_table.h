#pragma once
// Object handles and the per-world handle table.
//
// A handle is bits 0-14 slot index and bits 15-16 the slot's generation when
// the handle was made; 0 is no object. Indices 1-8190 are the lower range
// (ordinary objects, reused without a new generation), 8191-32766 the upper
// range (buildings and the objects file: their handles must come out in a
// fixed order when a map is built; each reuse advances the generation).
//
// Both ranges are searched next-fit exactly as the game always did, since
// handle values are seen by packets, map cells and build order. A slot keeps
// its used flag beside its object, so a free or an allocation touches one
// line; a byte per four slots marks blocks known to be full, so a crowded
// range is skipped eight blocks per read. Allocating and freeing only store
// bytes (a free clears its block's mark; a search that finds a block full
// sets it): shared counters or bit words updated on every call cost more
// than the search saved.
#include <cstdint>

class CGameObj;

using ObjHandle = uint32_t;

class CHandleTable {
public:
    static constexpr int kSlots = 32767;       // indices 0 .. 32766
    static constexpr int kLowFirst = 1;
    static constexpr int kLowLast = 8190;
    static constexpr int kHighFirst = 8191;   // also the upper cursor after a reset
    static constexpr int kHighLast = 32766;

    CHandleTable();
    CHandleTable(const CHandleTable&) = delete;
    CHandleTable& operator=(const CHandleTable&) = delete;

    // Empties every slot, counts 0, generations 0, cursors reset.
    void Clear();
    // Upper cursor 8191 and every generation 0; flags and objects stay.
    void ResetGenerations();
    // Marks the slot used with the object and counts it; does not check
    // that it was free. Returns the index (0 for an index outside the table).
    int SetAt(CGameObj* obj, int index);
    // SetAt at index & 0x7FFF, advancing an upper slot's generation first.
    ObjHandle StoreAt(CGameObj* obj, int index);
    // Next free lower index after the last one handed out; 0 when full.
    ObjHandle Allocate(CGameObj* obj) {
        // The first free slot is usually a few after the cursor; the block
        // search is out of line.
        const int next = m_LowCursor + 1;
        if (next >= kLowFirst && next <= kLowLast) {
            if (const int found = NearFree(next, kLowLast); found >= 0) {
                m_LowCursor = found;
                Take(obj, found);
                return static_cast<ObjHandle>(found) | (static_cast<ObjHandle>(m_Slots[found].gen) << 15);
            }
        }
        return AllocateSearch(obj);
    }
    // Next free upper index after the upper cursor; 0 when the whole upper
    // range is used (a full range used to be searched for ever).
    ObjHandle AllocateHigh(CGameObj* obj) {
        const int next = m_HighCursor + 1;
        if (next > kHighFirst && next <= kHighLast) {
            if (const int found = NearFree(next, kHighLast); found >= 0) {
                m_HighCursor = found;
                return TakeHigh(obj, found);
            }
        }
        return AllocateHighSearch(obj);
    }
    // Moves the upper cursor on by n; returns the sum before a wrap to 8191.
    int32_t Reserve(int32_t n);
    // Stores the object at the handle's index with the handle's generation,
    // overwriting the slot. 0 for index 0 or an index outside the table.
    ObjHandle Attach(CGameObj* obj, ObjHandle handle);
    void FreeIndex(int index) {
        if (index < 0 || index >= kSlots) return;
        m_Slots[index].used = 0;
        m_BlockFull[index >> kBlockShift] = 0;
        m_Slots[index].obj = nullptr;
        if (index < kHighFirst)
            --m_LowCount;
        else
            --m_HighCount;
    }
    // Frees the slot only while it still holds this very object.
    void Free(ObjHandle handle, const CGameObj* obj) {
        const uint32_t index = handle & 0x7FFF;
        if (obj && m_Slots[index].obj == obj) FreeIndex(static_cast<int>(index));
    }

    // The object of a 32-bit handle: null when the index is outside the
    // table, the generation differs or the slot is free.
    CGameObj* Resolve(ObjHandle handle) const {
        const Slot& slot = m_Slots[handle & 0x7FFF];
        return ((handle >> 15) & 3) == slot.gen ? slot.obj : nullptr;
    }
    // A handle kept in 16 bits (map cells, packets) holds the index and
    // generation bit 15 only; bit 15 is compared with the low bit of the
    // slot's generation, so upper objects of generations 2 and 3 resolve.
    // 0 and 65535 are none.
    CGameObj* Resolve16(uint16_t handle) const {
        if (handle == 0 || handle == 0xFFFF) return nullptr;
        const Slot& slot = m_Slots[handle & 0x7FFFu];
        return (static_cast<uint32_t>(handle >> 15) & 1) == (slot.gen & 1u) ? slot.obj : nullptr;
    }

    int IsUsed(int index) const;
    int GetGeneration(int index) const;
    CGameObj* GetAt(int index) const;
    int32_t GetLowCursor() const { return m_LowCursor; }
    int32_t GetHighCursor() const { return m_HighCursor; }
    int32_t GetLowCount() const { return m_LowCount; }
    int32_t GetHighCount() const { return m_HighCount; }
    void SetLowCursor(int32_t c) { m_LowCursor = c; }
    void SetHighCursor(int32_t c) { m_HighCursor = c; }

private:
    // First free index in [from, to] (both inside the table), or -1;
    // marks the blocks it finds full.
    int FindFree(int from, int to);
    // Next-fit from start over [first, last], wrapping once; -1 when full.
    int NextFit(int start, int first, int last);
    void MarkUsed(int index) { m_Slots[index].used = 1; }
    // First free index in [next, min(next + 16, last)], or -1: the walk
    // the slots' lines stream in for anyway.
    int NearFree(int next, int last) const {
        const int stop = next + 16 < last ? next + 16 : last;
        int i = next;
        while (m_Slots[i].used && i < stop) ++i;
        return m_Slots[i].used ? -1 : i;
    }
    // SetAt for a lower index known to be inside the table.
    void Take(CGameObj* obj, int index) {
        MarkUsed(index);
        m_Slots[index].obj = obj;
        ++m_LowCount;
    }
    // An upper slot taken: its generation advances.
    ObjHandle TakeHigh(CGameObj* obj, int index) {
        Slot& slot = m_Slots[index];
        slot.gen = static_cast<uint8_t>((slot.gen + 1) & 3);
        MarkUsed(index);
        slot.obj = obj;
        ++m_HighCount;
        return static_cast<ObjHandle>(index) | (static_cast<ObjHandle>(slot.gen) << 15);
    }
    ObjHandle AllocateSearch(CGameObj* obj);
    ObjHandle AllocateHighSearch(CGameObj* obj);

    // Object, generation and used flag side by side: a resolve, a free and
    // an allocation touch one line each.
    struct Slot {
        CGameObj* obj;
        uint8_t gen;
        uint8_t used;
    };
    // One more entry than there are indices: index 32767 (any 15-bit value)
    // reads a slot that is never used, so resolving needs no bounds check.
    Slot m_Slots[kSlots + 1];
    static constexpr int kBlockShift = 2;
    static constexpr int kBlocks = (kSlots + 1) >> kBlockShift;
    // 1: every slot of the block is used; 0: not known (read eight at a
    // time to skip crowded runs).
    alignas(8) uint8_t m_BlockFull[kBlocks];
    int32_t m_HighCursor = kHighFirst;
    int32_t m_LowCursor = 1;
    int32_t m_LowCount = 0;
    int32_t m_HighCount = 0;
};

// The object of a handle in the current world's table (null when no table
// is current).
CGameObj* ResolveHandle(ObjHandle handle);
CGameObj* ResolveHandle16(uint16_t handle);
