#include "client/selection.h"

#include <cmath>
#include <cstdlib>

#include "client/client_hooks.h"
#include "client/recording_client.h"
#include "core/containers.h"
#include "core/directories.h"
#include "core/packet.h"
#include "gfx/display_helpers.h"
#include "platform/debug.h"
#include "roles/role.h"
#include "world/buildings/bld.h"
#include "world/objects/handle_table.h"
#include "world/scene/world.h"
#include "world/things/anim_map_obj.h"
#include "world/things/map_prop.h"

CSelection* g_Selection = nullptr;

CRole* ClientRoleByHandle(uint32_t handle) {
    const uint16_t h = static_cast<uint16_t>(handle & 0xFFFF);
    if (h == 0 || h == 0x7FFF || h == 0xFFFF) return nullptr;
    // The client's world when it has one, whichever world is current.
    const CWorld* world = g_Client ? g_Client->m_pWorld : nullptr;
    CGameObj* obj = world && world->m_pHandles ? world->m_pHandles->Resolve16(h) : ResolveHandle16(h);
    return obj && obj->IsRole() ? dynamic_cast<CRole*>(obj) : nullptr;
}

namespace {

uint32_t Low16(uint32_t h) { return h & 0xFFFFu; }

int PixelDistance(const CGameObj* a, const CGameObj* b) {
    const double dx = a->m_X - b->m_X, dy = a->m_Y - b->m_Y;
    return static_cast<int>(std::sqrt(dx * dx + dy * dy));
}

uint32_t TickCount() { return g_ClientHooks.tickCount ? g_ClientHooks.tickCount() : 0; }

// The hover highlight of one object on or off, by its kind.
void Highlight(uint32_t handle, int on, const CSelection& sel) {
    if (!handle) return;
    CGameObj* obj = ResolveHandle16(static_cast<uint16_t>(Low16(handle)));
    if (!obj) return;
    if (obj->IsRole()) {
        // A selected role keeps its highlight when the hover moves on.
        if (!on && sel.Contains(handle)) return;
        if (auto* role = dynamic_cast<CRole*>(obj)) role->SetFlag(kSelFlagHover, on);
    } else if (obj->m_Kind == 23) {
        if (auto* p = dynamic_cast<CMapProp*>(obj)) p->SetHover(on ? 1u : 0u);
    } else if (obj->m_Kind == 24) {
        if (auto* p = dynamic_cast<COwnedProp*>(obj)) p->SetHover(on ? 1u : 0u);
    } else if (obj->m_Kind >= 10 && obj->m_Kind <= 20) {
        if (auto* b = dynamic_cast<CBld*>(obj)) b->SetHover(on ? b : nullptr);
    }
}

} // namespace

CSelection::CSelection() : m_pList(new CSlotTable60()) {
    for (int i = 0; i < 60; ++i) m_Prev[i] = m_Next[i] = -1;
    Reset();
    m_Changed = 0;
    m_Marked = 0;
    m_OwnTarget = 0;
    m_AutoMarked = 0;
}

CSelection::~CSelection() {
    Clear();
    delete m_pList;
    if (g_Selection == this) g_Selection = nullptr;
}

void CSelection::Reset() {
    if (m_Hover) SetHover(0);
    m_OwnTarget = 0;
    m_Own = 0;
    m_PendingOwn = 0;
    Clear();
}

int CSelection::Find(uint32_t handle) const {
    for (int i = m_Head; i >= 0; i = m_Next[i])
        if (static_cast<uint32_t>(m_pList->m_Values[i]) == handle) return i;
    return -1;
}

int CSelection::Contains(uint32_t handle) const { return Find(handle) >= 0 ? 1 : 0; }

int CSelection::Count() const { return m_pList->m_Count; }

int CSelection::Add(uint32_t handle) {
    if (Contains(handle)) return 0;
    if (ClientRoleByHandle(handle)) {
        if (m_Head < 0) SetLead(handle);
        const int slot = m_pList->FindFree();
        if (slot >= 0 && m_pList->SetAt(slot, static_cast<int32_t>(handle))) {
            m_Prev[slot] = m_Tail;
            m_Next[slot] = -1;
            if (m_Tail >= 0) m_Next[m_Tail] = slot;
            else m_Head = slot;
            m_Tail = slot;
        }
    }
    m_Changed = 1;
    return 1;
}

void CSelection::Unlink(int slot) {
    if (m_Prev[slot] >= 0) m_Next[m_Prev[slot]] = m_Next[slot];
    else m_Head = m_Next[slot];
    if (m_Next[slot] >= 0) m_Prev[m_Next[slot]] = m_Prev[slot];
    else m_Tail = m_Prev[slot];
    m_Prev[slot] = m_Next[slot] = -1;
    m_pList->m_Values[slot] = m_pList->m_EmptyValue;
    m_pList->m_Used[slot] = 0;
    --m_pList->m_Count;
}

int CSelection::Remove(uint32_t handle) {
    const int slot = Find(handle);
    if (slot < 0) return 0;
    Unlink(slot);
    if (handle == m_Own) SetLead(m_Head >= 0 ? static_cast<uint32_t>(m_pList->m_Values[m_Head]) : 0);
    m_Changed = 1;
    return 1;
}

int CSelection::Clear() {
    while (m_Head >= 0) Unlink(m_Head);
    SetLead(0);
    return 1;
}

void CSelection::SelectOnly(uint32_t handle) {
    Clear();
    Add(handle);
    Update();
}

void CSelection::SetHover(uint32_t handle) {
    if (m_Hover && m_Hover != handle) Highlight(m_Hover, 0, *this);
    if (handle) Highlight(handle, 1, *this);
    m_Hover = handle;
}

void CSelection::SetMarked(uint32_t handle) {
    if (handle == m_Marked) return;
    if (CRole* old = ClientRoleByHandle(m_Marked)) old->SetFlag(kSelFlagMarked, 0);
    m_Marked = handle;
}

CRole* CSelection::GetRole() const { return ClientRoleByHandle(m_Own); }

void CSelection::SetTarget(uint32_t handle) {
    CRole* own = GetRole();
    if (!own) return;
    const CActor* current = own->GetTargetRole();
    if (current && Low16(current->m_Handle) == Low16(handle)) return;
    if (!current && !handle) return;
    own->GiveOrder(18, static_cast<int32_t>(handle), 0, 0, 0, 0);
}

int CSelection::SendCommand(int code, int32_t a, int32_t b, int32_t c) {
    CRole* own = GetRole();
    if (!own) return 1;
    if (std::getenv("VANTREL_DEBUG")) plat::DebugPrintf("CMD %d %d %d %d\n", code, a, b, c);
    if (g_Client) g_Client->SendOrder(own->m_Handle, code, a, b, c);
    return 1;
}

void CSelection::TrackTarget() {
    CRole* own = GetRole();
    if (!own) return;
    const bool thirteenth = TickCount() % 13 == 0;
    CActor* target = own->GetTargetRole();
    if (target && target->IsRole()) {
        target->SetFlag(kSelFlagTarget, 1);
        if (Low16(target->m_Handle) != m_AutoMarked) {
            if (CRole* old = ClientRoleByHandle(m_AutoMarked)) old->SetFlag(kSelFlagTarget, 0);
            m_AutoMarked = Low16(target->m_Handle);
        }
        if (thirteenth && PixelDistance(own, target) >= kTargetDropDistance) SetTarget(0);
    } else {
        if (CRole* old = ClientRoleByHandle(m_AutoMarked)) old->SetFlag(kSelFlagTarget, 0);
        m_AutoMarked = 0;
        if (thirteenth) AutoTarget(0);
    }
}

void CSelection::AutoTarget(int index) {
    CRole* own = GetRole();
    if (!own) return;
    CRole* found[64];
    int count = 0;
    for (CRole* r = own->FindFirstRoleNear(0, 6); r && count < 64; r = own->FindNextRoleNear())
        if (PixelDistance(own, r) < 384 && !r->IsUntargetable()) found[count++] = r;
    if (count > 0) SetTarget(Low16(found[(index % count + count) % count]->m_Handle));
}

void CSelection::Update() {
    CRole* startOwn = GetRole();
    TrackTarget();
    if (m_PendingOwn != m_Own) {
        m_Own = m_PendingOwn;
        if (m_Own && startOwn) {
            startOwn->UpdateScreenRect();
            const ViewRect* v = GetViewRect();
            const CGameRect& r = startOwn->m_ScreenRect;
            const bool inside = v && r.x >= v->x && r.y >= v->y && r.x + r.width <= v->x + v->width &&
                                r.y + r.height <= v->y + v->height;
            if (!inside && g_Client) g_Client->RecentreOnOwnRole();
        }
    }
    CActor* t = startOwn ? startOwn->GetTargetRole() : nullptr;
    m_OwnTarget = t ? Low16(t->m_Handle) : 0;
    m_Changed = 0;
    if (m_pList->m_Count == 1 && m_Head >= 0) {
        const uint32_t only = static_cast<uint32_t>(m_pList->m_Values[m_Head]);
        if (only != m_Marked) SetMarked(only);
    } else {
        SetMarked(0);
    }
    g_SlotTablePair.Reset();
}
