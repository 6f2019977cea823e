// PLACEHOLDER bodies (see role.h).
#include "roles/role.h"

#include <algorithm>
#include <cstdlib>

#include "core/txt_table.h"
#include "world/map/map_grid.h"
#include "world/objects/obj_desc.h"
#include "world/scene/scene_hooks.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"

namespace {
constexpr int32_t kViewStep = 128;

CRole* AsRole(CGameObj* obj) { return dynamic_cast<CRole*>(obj); }
const CRole* AsRole(const CGameObj* obj) { return dynamic_cast<const CRole*>(obj); }
} // namespace

CRole::CRole() { m_Kind = 31; }

CRole::~CRole() { LeaveCell(); }

int CRole::Init(CObjDesc* desc) {
    if (!desc) return 0;
    if (!CMapObj::Init(desc)) return 0;
    EnterCell(m_X / 64, m_Y / 64, 0);
    m_LastViewX = m_X;
    m_LastViewY = m_Y;
    if (g_CurScene) g_CurScene->UpdateViews(m_Handle);
    return 1;
}

int CRole::InitModel(const void* model) {
    m_pModelRow = static_cast<const CTxtRow*>(model);
    return 1;
}

void CRole::RoleUpdate() {
    if (m_Removed) return;
    Update();
    PostUpdate();
}

int CRole::Remove() {
    LeaveCell();
    if (g_CurScene) g_CurScene->UntrackAll(m_Handle);
    return CMapObj::Remove();
}

void CRole::NotifyViewsIfMoved() {
    if (!g_CurScene) return;
    if (std::abs(m_X - m_LastViewX) < kViewStep && std::abs(m_Y - m_LastViewY) < kViewStep) return;
    g_CurScene->UpdateViews(m_Handle);
    m_LastViewX = m_X;
    m_LastViewY = m_Y;
}

void CRole::Die(int32_t mode, int32_t) {
    if (m_Removed || m_Dead) return;
    m_Dead = 1;
    m_DeathMode = mode;
    Remove();
}

void CRole::Order(int32_t command, uint32_t a, uint32_t b, uint32_t c, int, int) {
    ++m_OrderCount;
    m_LastCommand = command;
    m_LastOrder[0] = a;
    m_LastOrder[1] = b;
    m_LastOrder[2] = c;
}

CAiRole::CAiRole() { m_Kind = 40; }

CRole60::CRole60() {
    m_Kind = 60;
    m_DataId = 1;
}

void InstallRoleHooks() {
    g_WorldHooks.createRole = [](int kind) -> CGameObj* {
        if (kind == 60) return new CRole60();
        return new CAiRole();
    };
    g_WorldHooks.getRoleModelRow = [](const CGameObj* role) -> const CTxtRow* {
        const CRole* r = AsRole(role);
        return r ? r->m_pModelRow : nullptr;
    };
    g_WorldHooks.roleEnterCell = [](CGameObj* role, int mode) {
        if (CRole* r = AsRole(role)) r->EnterCell(r->m_X / 64, r->m_Y / 64, mode);
    };
    g_WorldHooks.roleUpdate = [](CGameObj* role) {
        if (CRole* r = AsRole(role)) r->RoleUpdate();
    };
    g_WorldHooks.isRoleDead = [](const CGameObj* role) {
        const CRole* r = AsRole(role);
        return r && r->m_Dead ? 1 : 0;
    };
    g_WorldHooks.getRoleCamp = [](const CGameObj* role) {
        const CRole* r = AsRole(role);
        return r ? r->m_Camp : 0;
    };
    g_WorldHooks.getRoleDirCount = [](const CGameObj* role) {
        const CRole* r = AsRole(role);
        return r ? r->m_DirCount : 8;
    };
    g_WorldHooks.getBodyRadius = [](const CGameObj* role) {
        const CRole* r = AsRole(role);
        return r ? r->m_Radius : 0;
    };
    g_WorldHooks.faceTo = [](CGameObj* role, CGameObj* other) {
        CRole* r = AsRole(role);
        if (r && other) r->FaceTo({other->m_X, other->m_Y}, {r->m_X, r->m_Y});
    };
    g_WorldHooks.getRoleSpeed = [](const CGameObj* role) {
        const CRole* r = AsRole(role);
        return r ? r->m_Speed : 0;
    };
    g_WorldHooks.getRoleMotion = [](const CGameObj* role) {
        const CRole* r = AsRole(role);
        return r ? r->m_Motion : 0;
    };
    g_WorldHooks.getRoleHeight = [](const CGameObj* role) {
        const CRole* r = AsRole(role);
        return r ? r->m_Height : 0;
    };

    g_SceneHooks.placeNear = [](CGameObj* role, int32_t x, int32_t y, int32_t radius) {
        CRole* r = AsRole(role);
        if (!r) return 0;
        const int placed = r->PlaceNear(x, y, radius);
        if (placed) r->NotifyViewsIfMoved();
        return placed;
    };
    // Scenes give 0-7 (portals, placements).
    g_SceneHooks.setDirection = [](CGameObj* role, int32_t dir) {
        if (CRole* r = AsRole(role)) r->SetDirection8(dir & 7);
    };
    g_SceneHooks.die = [](CGameObj* role, int32_t mode, int32_t flag) {
        if (CRole* r = AsRole(role)) r->Die(mode, flag);
    };
    g_SceneHooks.order = [](CGameObj* role, int32_t command, uint32_t a, uint32_t b, uint32_t c) {
        CRole* r = AsRole(role);
        if (!r) return;
        r->CancelQueuedOrder();
        r->Order(command, a, b, c, 1, 1);
    };
}
