#include "world/objects/handle_table.h"

#include <bit>
#include <cstring>

#include "world/scene/world_globals.h"

CHandleTable::CHandleTable() { Clear(); }

void CHandleTable::Clear() {
    m_LowCount = 0;
    m_HighCount = 0;
    m_HighCursor = kHighFirst;
    m_LowCursor = 1;
    std::memset(static_cast<void*>(m_Slots), 0, sizeof m_Slots);
    std::memset(m_BlockFull, 0, sizeof m_BlockFull);
}

void CHandleTable::ResetGenerations() {
    m_HighCursor = kHighFirst;
    for (Slot& slot : m_Slots) slot.gen = 0;
}

int CHandleTable::IsUsed(int index) const {
    if (index < 0 || index >= kSlots) return 0;
    return m_Slots[index].used;
}

int CHandleTable::GetGeneration(int index) const { return index >= 0 && index < kSlots ? m_Slots[index].gen : 0; }

CGameObj* CHandleTable::GetAt(int index) const { return index >= 0 && index < kSlots ? m_Slots[index].obj : nullptr; }

int CHandleTable::SetAt(CGameObj* obj, int index) {
    if (index < 0 || index >= kSlots) return 0;
    MarkUsed(index);
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

namespace {

constexpr uint64_t kAllFull = 0x0101010101010101u;

static_assert(std::endian::native == std::endian::little, "the first open block is the lowest byte");

} // namespace

int CHandleTable::FindFree(int from, int to) {
    constexpr int kSize = 1 << kBlockShift;
    int i = from;
    while (i <= to) {
        int b = i >> kBlockShift;
        if (m_BlockFull[b]) {
            // The next block not known full, eight flags per read.
            do {
                ++b;
                if ((b & 7) == 0) {
                    for (;;) {
                        if ((b << kBlockShift) > to) return -1;
                        uint64_t eight;
                        std::memcpy(&eight, m_BlockFull + b, sizeof eight);
                        if (const uint64_t open = eight ^ kAllFull) {
                            b += __builtin_ctzll(open) / 8;
                            break;
                        }
                        b += 8;
                    }
                    break;
                }
            } while (m_BlockFull[b]);
            i = b << kBlockShift;
            if (i > to) return -1;
        }
        const int end = (b << kBlockShift) + kSize - 1;
        for (int j = i; j <= end; ++j)
            if (!m_Slots[j].used) return j <= to ? j : -1;
        // Nothing free from i to the block's end; the block is full when
        // the part before i is used too.
        bool full = true;
        for (int j = b << kBlockShift; j < i && full; ++j) full = m_Slots[j].used;
        if (full) m_BlockFull[b] = 1;
        i = end + 1;
    }
    return -1;
}

int CHandleTable::NextFit(int start, int first, int last) {
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
    Take(obj, found);
    return static_cast<ObjHandle>(found) | (static_cast<ObjHandle>(m_Slots[found].gen) << 15);
}

ObjHandle CHandleTable::AllocateHighSearch(CGameObj* obj) {
    Reserve(1);
    const int found = NextFit(m_HighCursor, kHighFirst, kHighLast);
    if (found < 0) return 0;  // cursor back at start after one round
    m_HighCursor = found;
    return TakeHigh(obj, found);
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
