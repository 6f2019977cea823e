#include "world/scene/view_tracker.h"

#include <string>

#include "core/txt_table.h"
#include "world/buildings/bld.h"
#include "world/objects/game_obj.h"
#include "world/objects/handle_table.h"
#include "world/scene/scene_hooks.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world_hooks.h"

namespace {

CGameObj* ResolveLow16(uint32_t handle) { return ResolveHandle16(static_cast<uint16_t>(handle & 0xFFFF)); }

int32_t CampOf(const CGameObj* role) { return g_WorldHooks.getRoleCamp ? g_WorldHooks.getRoleCamp(role) : 0; }

} // namespace

CViewTracker::~CViewTracker() {
    m_SeenRoles.RemoveAll();
    m_Buildings.RemoveAll();
    m_Shown.RemoveAll();
}

void CViewTracker::Init(int32_t clientId, const CGamePoint& pos, int32_t dir) {
    m_ClientId = clientId;
    m_EntryX = pos.x;
    m_EntryY = pos.y;
    m_EntryDir = dir;
}

CGameObj* CViewTracker::GetOwnerRole() const {
    if (m_RoleHandle == 0xFFFFFFFFu) return nullptr;
    CGameObj* obj = ResolveLow16(m_RoleHandle);
    return obj && obj->IsRole() ? obj : nullptr;
}

void CViewTracker::Bind(uint32_t roleHandle) {
    m_Bound = 1;
    m_RoleHandle = roleHandle;
    CGameObj* role = GetOwnerRole();
    m_pRecord = role && g_SceneHooks.getRecord ? g_SceneHooks.getRecord(role->m_DataId) : nullptr;
    m_Width = kViewWidth;
    m_Height = kViewHeight;
    // The client moves the view over its role; until it does, the view
    // stands centred on the role where it was bound.
    if (role) {
        m_Left = role->m_X - kViewWidth / 2;
        m_Top = role->m_Y - kViewHeight / 2;
    }
    m_ViewPending = 1;
}

int CViewTracker::ViewHolds(int32_t x, int32_t y) const {
    return x >= m_Left && x <= m_Left + m_Width - 1 && y >= m_Top && y <= m_Top + m_Height - 1 ? 1 : 0;
}

CViewEntry* CViewTracker::FindEntry(const CObjList& list, uint32_t handle) {
    for (CObjNode* n = list.Head(); n; n = n->Next()) {
        auto* e = static_cast<CViewEntry*>(n);
        if (e->m_Handle == handle) return e;
    }
    return nullptr;
}

int CViewTracker::HasSeen(uint32_t handle) const { return FindEntry(m_SeenRoles, handle) ? 1 : 0; }

void CViewTracker::UpdateView(uint32_t handle) {
    if (!m_Bound || m_ViewPending) return;
    CGameObj* obj = ResolveLow16(handle);
    CGameObj* own = GetOwnerRole();
    if (!obj || !obj->IsRole() || !own) return;
    CViewEntry* entry = FindEntry(m_SeenRoles, handle);
    if (CampOf(obj) != CampOf(own) && !ViewHolds(obj->m_X, obj->m_Y)) {
        if (entry) entry->m_State = kOutOfView;
        return;
    }
    if (!entry) {
        entry = new CViewEntry;
        entry->m_Handle = handle;
        m_SeenRoles.AddTail(entry);
        if (g_CurScene) g_CurScene->SendRoleAppear(handle, m_ClientId);
    }
    entry->m_State = 0;
}

void CViewTracker::Untrack(uint32_t handle) {
    if (CViewEntry* e = FindEntry(m_SeenRoles, handle)) delete e;
}

void CViewTracker::TrackBuilding(uint32_t handle, int on) {
    if (!m_Bound) return;
    auto* bld = dynamic_cast<CMechBld*>(ResolveLow16(handle));
    if (!bld || (bld->m_Kind != 12 && bld->m_Kind != 13)) return;
    CViewEntry* entry = FindEntry(m_Buildings, handle);
    if (!on) {
        delete entry;
        return;
    }
    const int32_t state = bld->m_State;
    if (entry) {
        if (entry->m_State == state) return;
        entry->m_State = state;
        if (state == 1) return;
    } else {
        entry = new CViewEntry;
        entry->m_Handle = handle;
        entry->m_State = state;
        m_Buildings.AddTail(entry);
    }
    if (g_CurScene) g_CurScene->SendObjState(handle, m_ClientId);
}

void CViewTracker::TrackObject(uint32_t handle, int on) {
    if (!m_Bound) return;
    CViewEntry* entry = FindEntry(m_Shown, handle);
    if (on) {
        if (!entry) {
            entry = new CViewEntry;
            entry->m_Handle = handle;
            m_Shown.AddTail(entry);
        }
        return;
    }
    if (!entry) return;
    if (g_CurScene) g_CurScene->SendObjRemove(handle, m_ClientId);
    delete entry;
}

void CViewTracker::OnRoleLeaves() {
    if (m_pRecord && g_SceneHooks.setDead) g_SceneHooks.setDead(m_pRecord, 1);
    if (g_SceneHooks.resetClientLight) g_SceneHooks.resetClientLight();
    if (g_SceneHooks.resetView) g_SceneHooks.resetView(10.0f);
    if (!m_pRecord || !g_LiveScnMng) return;
    const char* revive = g_SceneHooks.getReviveScene ? g_SceneHooks.getReviveScene(m_pRecord) : nullptr;
    const int32_t sceneId = g_SceneHooks.getRecordSceneId ? g_SceneHooks.getRecordSceneId(m_pRecord) : -1;
    g_LiveScnMng->EnterScene(revive ? revive : "", -1, m_ClientId, g_LiveScnMng->FindSceneById(sceneId), 0,
                             0);
}

void CViewTracker::ShowDeathNotice() {
    CGameObj* role = GetOwnerRole();
    if (!role || !m_pRecord) return;
    if (g_CurScene && g_CurScene->GetScnType() > 1) {
        if (g_SceneHooks.dropMoney) g_SceneHooks.dropMoney(m_pRecord, -1);
        if (g_SceneHooks.setDead) g_SceneHooks.setDead(m_pRecord, 1);
    }
    CGameObj* attacker = g_SceneHooks.getLastAttacker ? g_SceneHooks.getLastAttacker(role) : nullptr;
    if (!attacker) return;
    const CTxtRow* row = g_WorldHooks.getRoleModelRow ? g_WorldHooks.getRoleModelRow(attacker) : nullptr;
    if (!row || !row->HasValue(27)) return;
    const char* save = g_SceneHooks.getSaveName ? g_SceneHooks.getSaveName() : "";
    std::string text = save ? save : "";
    text += g_TextTable.GetCell(232, 1) ? g_TextTable.GetCell(232, 1) : "";
    text += attacker->GetName();
    text += g_TextTable.GetCell(231, 1) ? g_TextTable.GetCell(231, 1) : "";
    if (g_SceneHooks.showNotice) g_SceneHooks.showNotice(text.c_str());
}
