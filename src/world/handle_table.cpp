#include "world/handle_table.h"

#include <algorithm>
#include <cstring>

#include "world/world_globals.h"

CHandleTable::CHandleTable() {
    std::memset(m_Slots, 0, sizeof m_Slots);
    std::memset(m_Used, 0, sizeof m_Used);
    std::memset(m_BlockCount, 0, sizeof m_BlockCount);
    std::memset(m_BlockFull, 0, sizeof m_BlockFull);
    Clear();
}

void CHandleTable::Clear() {
    m_LowCount = 0;
    m_HighCount = 0;
    ResetGenerations();
    m_LowCursor = 1;
    for (Slot& slot : m_Slots) slot.obj = nullptr;
    std::memset(m_Used, 0, sizeof m_Used);
    std::memset(m_BlockCount, 0, sizeof m_BlockCount);
    std::memset(m_BlockFull, 0, sizeof m_BlockFull);
}

void CHandleTable::ResetGenerations() {
    m_HighCursor = kHighFirst;
    for (Slot& slot : m_Slots) slot.gen = 0;
}

int CHandleTable::IsUsed(int index) const {
    if (index < 0 || index >= kSlots) return 0;
    return m_Used[index];
}

int CHandleTable::GetGeneration(int index) const { return index >= 0 && index < kSlots ? m_Slots[index].gen : 0; }

CGameObj* CHandleTable::GetAt(int index) const { return index >= 0 && index < kSlots ? m_Slots[index].obj : nullptr; }

int CHandleTable::SetAt(CGameObj* obj, int index) {
    if (index < 0 || index >= kSlots) return 0;
    MarkUsed(index, 1);
    m_Slots[index].obj = obj;
    if (index < kHighFirst)
        ++m_LowCount;
    else
        ++m_HighCount;
    return index;
}

ObjHandle CHandleTable::StoreAt(CGameObj* obj, int index) {
    index &= 0x7FFF;
    if (index >= kSlots) return 0;
    if (index >= kHighFirst) {
        uint8_t g = static_cast<uint8_t>(m_Slots[index].gen + 1);
        m_Slots[index].gen = g > 3 ? 0 : g;
    }
    SetAt(obj, index);
    return (static_cast<ObjHandle>(m_Slots[index].gen) << 15) | static_cast<ObjHandle>(index);
}

int CHandleTable::FindFree(int from, int to) const {
    int i = from;
    while (i <= to) {
        const int b = i >> 6;
        const uint64_t open = ~m_BlockFull[b >> 6] & (~uint64_t{0} << (b & 63));
        if (!open) {
            i = ((b >> 6) + 1) << 12;  // past this word's 64 blocks
            continue;
        }
        const int nb = ((b >> 6) << 6) + __builtin_ctzll(open);
        if (nb != b) {
            i = nb << 6;
            continue;
        }
        const int end = std::min(to, (b << 6) + 63);
        if (const void* hit = std::memchr(m_Used + i, 0, static_cast<size_t>(end - i + 1)))
            return static_cast<int>(static_cast<const uint8_t*>(hit) - m_Used);
        i = end + 1;
    }
    return -1;
}

int CHandleTable::NextFit(int start, int first, int last) const {
    // A sparse range finds a slot at once; the bitmap skips crowded runs.
    for (int i = start; i <= last && i < start + 32; ++i)
        if (!m_Used[i]) return i;
    int found = FindFree(start, last);
    if (found < 0 && start > first) found = FindFree(first, start - 1);
    return found;
}

ObjHandle CHandleTable::AllocateSearch(CGameObj* obj) {
    int start = m_LowCursor + 1 >= kHighFirst ? 1 : m_LowCursor + 1;
    if (start < kLowFirst) start = kLowFirst;
    const int found = NextFit(start, kLowFirst, kLowLast);
    if (found < 0) {
        // The cursor went once round the range and stands where it began.
        m_LowCursor = start;
        return 0;
    }
    m_LowCursor = found;
    return StoreAt(obj, found);
}

ObjHandle CHandleTable::AllocateHighSearch(CGameObj* obj) {
    Reserve(1);
    const int found = NextFit(m_HighCursor, kHighFirst, kHighLast);
    if (found < 0) return 0;  // cursor back at start after one round
    m_HighCursor = found;
    return StoreAt(obj, found);
}

int32_t CHandleTable::Reserve(int32_t n) {
    const int64_t sum = int64_t{m_HighCursor} + n;
    const int32_t result = static_cast<int32_t>(sum);
    // A cursor pushed below the range would hand out lower slots.
    m_HighCursor = (sum >= kSlots || sum < kHighFirst) ? kHighFirst : static_cast<int32_t>(sum);
    return result;
}

ObjHandle CHandleTable::Attach(CGameObj* obj, ObjHandle handle) {
    const int index = static_cast<int>(handle & 0x7FFF);
    if (index == 0 || index >= kSlots) return 0;
    const uint8_t gen = static_cast<uint8_t>((handle >> 15) & 3);
    m_Slots[index].gen = gen;
    SetAt(obj, index);
    return (static_cast<ObjHandle>(gen) << 15) | static_cast<ObjHandle>(index);
}

CGameObj* ResolveHandle(ObjHandle handle) { return g_CurHandleTable ? g_CurHandleTable->Resolve(handle) : nullptr; }

CGameObj* ResolveHandle16(uint16_t handle) {
    return g_CurHandleTable ? g_CurHandleTable->Resolve16(handle) : nullptr;
}
