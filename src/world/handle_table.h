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
// handle values are seen by packets, map cells and build order; a bitmap of
// used slots finds the same slot without probing one index at a time.
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
    ObjHandle Allocate(CGameObj* obj);
    // Next free upper index after the upper cursor; 0 when the whole upper
    // range is used (a full range used to be searched for ever).
    ObjHandle AllocateHigh(CGameObj* obj);
    // Moves the upper cursor on by n; returns the sum before a wrap to 8191.
    int32_t Reserve(int32_t n);
    // Stores the object at the handle's index with the handle's generation,
    // overwriting the slot. 0 for index 0 or an index outside the table.
    ObjHandle Attach(CGameObj* obj, ObjHandle handle);
    void FreeIndex(int index);
    // Frees the slot only while it still holds this very object.
    void Free(ObjHandle handle, const CGameObj* obj);

    // The object of a 32-bit handle: null when the index is outside the
    // table, the generation differs or the slot is free.
    CGameObj* Resolve(ObjHandle handle) const;
    // A handle kept in 16 bits (map cells, packets) holds the index and
    // generation bit 15 only; bit 15 is compared with the low bit of the
    // slot's generation, so upper objects of generations 2 and 3 resolve.
    // 0 and 65535 are none.
    CGameObj* Resolve16(uint16_t handle) const;

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
    // First free index in [from, to] (both inside the table), or -1.
    int FindFree(int from, int to) const;
    void MarkUsed(int index, int used);

    static constexpr int kWords = (kSlots + 63) / 64;

    CGameObj* m_Objects[kSlots];
    uint8_t m_Gen[kSlots];
    uint64_t m_UsedBits[kWords];
    int32_t m_HighCursor = kHighFirst;
    int32_t m_LowCursor = 1;
    int32_t m_LowCount = 0;
    int32_t m_HighCount = 0;
};

// The object of a handle in the current world's table (null when no table
// is current).
CGameObj* ResolveHandle(ObjHandle handle);
CGameObj* ResolveHandle16(uint16_t handle);
