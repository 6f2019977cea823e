#include "world/handle_table.h"

#include <cstring>

#include "world/world_globals.h"

CHandleTable::CHandleTable() {
    std::memset(m_Objects, 0, sizeof m_Objects);
    std::memset(m_Gen, 0, sizeof m_Gen);
    std::memset(m_UsedBits, 0, sizeof m_UsedBits);
    Clear();
}

void CHandleTable::Clear() {
    m_LowCount = 0;
    m_HighCount = 0;
    ResetGenerations();
    m_LowCursor = 1;
    std::memset(m_Objects, 0, sizeof m_Objects);
    std::memset(m_UsedBits, 0, sizeof m_UsedBits);
}

void CHandleTable::ResetGenerations() {
    m_HighCursor = kHighFirst;
    std::memset(m_Gen, 0, sizeof m_Gen);
}

void CHandleTable::MarkUsed(int index, int used) {
    const uint64_t bit = uint64_t{1} << (index & 63);
    if (used)
        m_UsedBits[index >> 6] |= bit;
    else
        m_UsedBits[index >> 6] &= ~bit;
}

int CHandleTable::IsUsed(int index) const {
    if (index < 0 || index >= kSlots) return 0;
    return (m_UsedBits[index >> 6] >> (index & 63)) & 1 ? 1 : 0;
}

int CHandleTable::GetGeneration(int index) const { return index >= 0 && index < kSlots ? m_Gen[index] : 0; }

CGameObj* CHandleTable::GetAt(int index) const { return index >= 0 && index < kSlots ? m_Objects[index] : nullptr; }

int CHandleTable::SetAt(CGameObj* obj, int index) {
    if (index < 0 || index >= kSlots) return 0;
    MarkUsed(index, 1);
    m_Objects[index] = obj;
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
        uint8_t g = static_cast<uint8_t>(m_Gen[index] + 1);
        m_Gen[index] = g > 3 ? 0 : g;
    }
    SetAt(obj, index);
    return (static_cast<ObjHandle>(m_Gen[index]) << 15) | static_cast<ObjHandle>(index);
}

int CHandleTable::FindFree(int from, int to) const {
    int i = from;
    while (i <= to) {
        const int w = i >> 6;
        uint64_t freeBits = ~m_UsedBits[w] & (~uint64_t{0} << (i & 63));
        if (freeBits) {
            const int found = (w << 6) + __builtin_ctzll(freeBits);
            return found <= to ? found : -1;
        }
        i = (w + 1) << 6;
    }
    return -1;
}

ObjHandle CHandleTable::Allocate(CGameObj* obj) {
    const int start = m_LowCursor + 1 >= kHighFirst ? 1 : m_LowCursor + 1;
    int found = start >= kLowFirst ? FindFree(start, kLowLast) : -1;
    if (found < 0 && start > kLowFirst) found = FindFree(kLowFirst, start - 1);
    if (found < 0) {
        // The cursor went once round the range and stands where it began.
        m_LowCursor = start;
        return 0;
    }
    m_LowCursor = found;
    return StoreAt(obj, found);
}

ObjHandle CHandleTable::AllocateHigh(CGameObj* obj) {
    Reserve(1);
    const int start = m_HighCursor;
    int found = FindFree(start, kHighLast);
    if (found < 0 && start > kHighFirst) found = FindFree(kHighFirst, start - 1);
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
    m_Gen[index] = gen;
    SetAt(obj, index);
    return (static_cast<ObjHandle>(gen) << 15) | static_cast<ObjHandle>(index);
}

void CHandleTable::FreeIndex(int index) {
    if (index < 0 || index >= kSlots) return;
    MarkUsed(index, 0);
    m_Objects[index] = nullptr;
    if (index < kHighFirst)
        --m_LowCount;
    else
        --m_HighCount;
}

void CHandleTable::Free(ObjHandle handle, const CGameObj* obj) {
    const int index = static_cast<int>(handle & 0x7FFF);
    if (index >= kSlots) return;
    if (IsUsed(index) && m_Objects[index] == obj) FreeIndex(index);
}

CGameObj* CHandleTable::Resolve(ObjHandle handle) const {
    const int index = static_cast<int>(handle & 0x7FFF);
    if (index >= kSlots) return nullptr;
    if (((handle >> 15) & 3) != m_Gen[index]) return nullptr;
    return m_Objects[index];
}

CGameObj* CHandleTable::Resolve16(uint16_t handle) const {
    if (handle == 0 || handle == 0xFFFF) return nullptr;
    const int index = handle & 0x7FFF;
    if (index >= kSlots) return nullptr;
    if (((handle >> 15) & 1) != (m_Gen[index] & 1)) return nullptr;
    return m_Objects[index];
}

CGameObj* ResolveHandle(ObjHandle handle) { return g_CurHandleTable ? g_CurHandleTable->Resolve(handle) : nullptr; }

CGameObj* ResolveHandle16(uint16_t handle) {
    return g_CurHandleTable ? g_CurHandleTable->Resolve16(handle) : nullptr;
}
