#include "client/draw_list.h"

#include "world/objects/game_obj.h"

int32_t DepthKey(const CGameObj* obj) { return obj->m_X + obj->m_Y; }

CDrawList::CDrawList() : m_Entries(size_t(kCapacity)) {}

void CDrawList::Clear() {
    for (int32_t i = m_Head; i != -1;) {
        Entry& e = m_Entries[size_t(i)];
        const int32_t next = e.next;
        e = Entry{};
        i = next;
    }
    m_Head = m_Tail = -1;
    m_Count = 0;
    m_Free = 0;
}

int32_t CDrawList::TakeSlot() {
    if (m_Count >= kCapacity) return -1;
    // The cursor walks the pool round; a slot is free while unused.
    for (int32_t n = 0; n < kCapacity; ++n) {
        const int32_t i = (m_Free + n) % kCapacity;
        if (!m_Entries[size_t(i)].used) {
            m_Free = (i + 1) % kCapacity;
            return i;
        }
    }
    return -1;
}

void CDrawList::LinkAfter(int32_t slot, int32_t after) {
    Entry& e = m_Entries[size_t(slot)];
    e.used = 1;
    e.prev = after;
    e.next = after == -1 ? m_Head : m_Entries[size_t(after)].next;
    if (e.next != -1) m_Entries[size_t(e.next)].prev = slot;
    else m_Tail = slot;
    if (after != -1) m_Entries[size_t(after)].next = slot;
    else m_Head = slot;
    ++m_Count;
}

int CDrawList::InsertSorted(CGameObj* obj, const CGameRect& view) {
    if (!obj) return 0;
    const CGameRect& r = obj->m_ScreenRect;
    if (r.width <= 0 || r.height <= 0 || r.x >= view.x + view.width || r.y >= view.y + view.height ||
        r.x + r.width <= view.x || r.y + r.height <= view.y)
        return 0;
    const int32_t key = DepthKey(obj);
    int32_t at = m_Tail;
    while (at != -1 && KeyAt(at) > key) at = Prev(at);
    // A listed object has the same key: it sits in the run of equal keys.
    for (int32_t i = at; i != -1 && KeyAt(i) == key; i = Prev(i))
        if (At(i) == obj) return 0;
    const int32_t slot = TakeSlot();
    if (slot < 0) return 0;
    m_Entries[size_t(slot)].obj = obj;
    m_Entries[size_t(slot)].key = key;
    LinkAfter(slot, at);
    return 1;
}

int CDrawList::PushHead(CGameObj* obj) {
    if (!obj) return 0;
    const int32_t slot = TakeSlot();
    if (slot < 0) return 0;
    m_Entries[size_t(slot)].obj = obj;
    m_Entries[size_t(slot)].key = DepthKey(obj);
    LinkAfter(slot, -1);
    return 1;
}
