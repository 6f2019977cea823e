#include "world/objects/proximity.h"

#include <cmath>
#include <cstdlib>

#include "world/map/grid_search.h"
#include "world/map/iso_grid.h"
#include "world/map/map_grid.h"
#include "world/objects/obj_mng.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"

namespace {

CSpiralIter g_Spiral;
CSpiralIter g_PropSpiral;  // the ground objects' walk, apart from the marks'
bool g_FindCone = false;

int32_t Radius(const CGameObj* o) {
    return o->IsRole() && g_WorldHooks.getBodyRadius ? g_WorldHooks.getBodyRadius(o) : 0;
}

int32_t TruncDist(int64_t dx, int64_t dy) { return static_cast<int32_t>(std::sqrt(double(dx * dx + dy * dy))); }

// Within `reach` of the centre by both axes and by the truncated root.
bool Near(int32_t x, int32_t y, int32_t ox, int32_t oy, int32_t reach) {
    const int64_t dx = int64_t(x) - ox, dy = int64_t(y) - oy;
    return std::llabs(dx) < reach && std::llabs(dy) < reach && TruncDist(dx, dy) < reach;
}

// The direction from the object to the centre lies within spread steps.
bool InCone(int32_t x, int32_t y, int32_t ox, int32_t oy, int32_t dir, int32_t spread) {
    int32_t d = std::abs(GetDir8({x, y}, {ox, oy}) - dir);
    if (d > 4) d = 8 - d;
    return d <= spread;
}

bool MagicActive(const CGameObj* m) {
    return g_WorldHooks.isMagicActive ? g_WorldHooks.isMagicActive(m) != 0 : m->m_Active != 0;
}

} // namespace

// ---------------------------------------------------------- list walks

namespace {

CListWalk* g_ListWalks = nullptr;  // every live walk (two per manager)

// The node a list's cursor moves to when its node is unlinked.
CObjNode* Successor(const CObjNode* node) { return node->Next() ? node->Next() : node->Prev(); }

template <class Match>
CGameObj* WalkFrom(CListWalk& walk, CObjList& list, Match match) {
    for (CObjNode* n = walk.m_pNext; n; n = n->Next()) {
        auto* o = static_cast<CGameObj*>(n);
        if (!match(o)) continue;
        walk.m_pNext = n->Next();
        return o;
    }
    walk.m_pNext = nullptr;
    list.SetCursor(walk.m_pSavedCursor);
    walk.m_pSavedCursor = nullptr;
    return nullptr;
}

void StartWalk(CListWalk& walk, CObjList& list, bool cone) {
    walk.m_pSavedCursor = list.Cursor();
    walk.m_pNext = list.Head();
    walk.m_Cone = cone;
}

} // namespace

CListWalk::CListWalk() : m_pNextWalk(g_ListWalks) {
    if (g_ListWalks) g_ListWalks->m_pPrevWalk = this;
    g_ListWalks = this;
}

CListWalk::~CListWalk() {
    if (m_pPrevWalk)
        m_pPrevWalk->m_pNextWalk = m_pNextWalk;
    else
        g_ListWalks = m_pNextWalk;
    if (m_pNextWalk) m_pNextWalk->m_pPrevWalk = m_pPrevWalk;
}

void CListWalk::NodeLeaving(const CObjNode* node) {
    if (!node || !node->Owner()) return;
    for (CListWalk* w = g_ListWalks; w; w = w->m_pNextWalk) {
        if (w->m_pNext == node) w->m_pNext = node->Next();
        if (w->m_pSavedCursor == node) w->m_pSavedCursor = Successor(node);
    }
}

CObjNode* CListWalk::RemoveCurrent(CObjList& list) {
    NodeLeaving(list.Cursor());
    return list.RemoveCurrent();
}

CGameObj* CObjMng::NextRole(CListWalk& walk) {
    return WalkFrom(walk, m_Roles, [&](CGameObj* o) {
        if (!Near(m_FindX, m_FindY, o->m_X, o->m_Y, m_FindRadius + Radius(o))) return false;
        return !walk.m_Cone || InCone(m_FindX, m_FindY, o->m_X, o->m_Y, m_FindDir, m_FindSpread);
    });
}

CGameObj* CObjMng::NextMagic(CListWalk& walk) {
    return WalkFrom(walk, m_Magic, [&](CGameObj* o) {
        if (!MagicActive(o) || !Near(m_FindX, m_FindY, o->m_X, o->m_Y, m_FindRadius + 32)) return false;
        return !walk.m_Cone || InCone(m_FindX, m_FindY, o->m_X, o->m_Y, m_FindDir, m_FindSpread);
    });
}

CGameObj* CObjMng::FindFirstRoleNear(int32_t x, int32_t y, int32_t r) {
    m_FindX = x, m_FindY = y, m_FindRadius = r + 1;
    StartWalk(m_RoleWalk, m_Roles, false);
    return NextRole(m_RoleWalk);
}

CGameObj* CObjMng::FindNextRoleNear() { return NextRole(m_RoleWalk); }

CGameObj* CObjMng::FindFirstRoleInCone(int32_t x, int32_t y, int32_t dir, int32_t r, int32_t spread) {
    m_FindX = x, m_FindY = y, m_FindRadius = r + 1, m_FindDir = dir, m_FindSpread = spread;
    StartWalk(m_RoleWalk, m_Roles, true);
    return NextRole(m_RoleWalk);
}

CGameObj* CObjMng::FindNextRoleInCone() { return NextRole(m_RoleWalk); }

CGameObj* CObjMng::FindFirstMagicNear(int32_t x, int32_t y, int32_t r) {
    m_FindX = x, m_FindY = y, m_FindRadius = r + 1;
    StartWalk(m_MagicWalk, m_Magic, false);
    return NextMagic(m_MagicWalk);
}

CGameObj* CObjMng::FindNextMagicNear() { return NextMagic(m_MagicWalk); }

CGameObj* CObjMng::FindFirstMagicInCone(int32_t x, int32_t y, int32_t dir, int32_t r, int32_t spread) {
    m_FindX = x, m_FindY = y, m_FindRadius = r + 1, m_FindDir = dir, m_FindSpread = spread;
    StartWalk(m_MagicWalk, m_Magic, true);
    return NextMagic(m_MagicWalk);
}

CGameObj* CObjMng::FindNextMagicInCone() { return NextMagic(m_MagicWalk); }

// ---------------------------------------------------------- marked cells

CGameObj* CObjMng::FindFirstMarkedNear(int32_t x, int32_t y, int32_t r) {
    m_FindX = x, m_FindY = y, m_FindRadius = r + 1 + 32;
    g_FindCone = false;
    const int32_t cells = m_FindRadius / 64;
    g_Spiral.Init(x / 64, y / 64, cells < 1 ? 1 : cells);
    return FindNextMarkedNear();
}

CGameObj* CObjMng::FindNextMarkedNear() {
    CMapGrid* grid = g_CurMapGrid;
    if (!grid) return nullptr;
    for (CGamePoint c; g_Spiral.Next(&c);) {
        const CMapCell* cell = grid->GetCell(c.x, c.y);
        if (!cell || cell->m_ObjMark == kNoObj) continue;
        const CGamePoint centre = TileToPixel(c);
        if (TruncDist(int64_t(centre.x) - m_FindX, int64_t(centre.y) - m_FindY) >= m_FindRadius) continue;
        if (g_FindCone && !InCone(m_FindX, m_FindY, centre.x, centre.y, m_FindDir, m_FindSpread)) continue;
        return ResolveHandle16(cell->m_ObjMark);
    }
    return nullptr;
}

CGameObj* CObjMng::FindFirstMarkedInCone(int32_t x, int32_t y, int32_t dir, int32_t r, int32_t spread) {
    m_FindX = x, m_FindY = y, m_FindRadius = r + 1 + 32, m_FindDir = dir, m_FindSpread = spread;
    g_FindCone = true;
    const int32_t cells = m_FindRadius / 64;
    g_Spiral.Init(x / 64, y / 64, cells < 1 ? 1 : cells);
    return FindNextMarkedNear();
}

CGameObj* CObjMng::FindNextMarkedInCone() {
    g_FindCone = true;
    return FindNextMarkedNear();
}

// ---------------------------------------------------------- ground objects

CGameObj* CObjMng::FindFirstPropNear(int32_t x, int32_t y, int32_t r) {
    const int32_t cells = (r + 32) / 64;
    g_PropSpiral.Init(x / 64, y / 64, cells < 1 ? 1 : cells);
    return FindNextPropNear();
}

CGameObj* CObjMng::FindNextPropNear() {
    CMapGrid* grid = g_CurMapGrid;
    if (!grid) return nullptr;
    for (CGamePoint c; g_PropSpiral.Next(&c);) {
        const CMapCell* cell = grid->GetCell(c.x, c.y);
        if (!cell || cell->m_GroundObj == kNoObj) continue;
        if (CGameObj* o = ResolveHandle16(cell->m_GroundObj)) return o;
    }
    return nullptr;
}

// ---------------------------------------------------------- flying magic

CGameObj* CObjMng::FindFirstFlyingMagic() {
    StartWalk(m_FlyingWalk, m_Magic, false);
    return FindNextFlyingMagic();
}

CGameObj* CObjMng::FindNextFlyingMagic() {
    return WalkFrom(m_FlyingWalk, m_Magic, [](CGameObj*) { return true; });
}

// ---------------------------------------------------------- helpers

int32_t ObjectDistance(const CGameObj* a, const CGameObj* b) {
    return TruncDist(int64_t(a->m_X) - b->m_X, int64_t(a->m_Y) - b->m_Y) - Radius(a) - Radius(b);
}

int IsNextToBld(const CGameObj* obj, ObjHandle handle) {
    CMapGrid* grid = g_CurMapGrid;
    if (!grid || !obj) return 0;
    const uint16_t mark = static_cast<uint16_t>(handle & 0xFFFF);
    CSpiralIter s;
    s.Init(obj->m_X / 64, obj->m_Y / 64, 1);
    for (CGamePoint c; s.Next(&c);) {
        const CMapCell* cell = grid->GetCell(c.x, c.y);
        if (cell && cell->m_ObjMark == mark && cell->m_Walkable == 0) return 1;
    }
    return 0;
}

CGamePoint FindSpecialCellNear(const CGamePoint& at) {
    CMapGrid* grid = g_CurMapGrid;
    if (!grid) return {-1, -1};
    CSpiralIter s;
    s.Init(at.x, at.y, 8);
    for (CGamePoint c; s.Next(&c);) {
        const CMapCell* cell = grid->GetCell(c.x, c.y);
        if (cell && cell->m_Surface == 4 && cell->m_Walkable == 0) return c;
    }
    return {-1, -1};
}

CGameObj* GetPropByHandle(ObjHandle handle) {
    CGameObj* o = ResolveHandle(handle);
    return o && o->m_Kind == 23 ? o : nullptr;
}

void SetTalkPair(CGameObj* a, CGameObj* b, int start) {
    if (start) {
        if (!a || !b) return;
        if (g_WorldHooks.setRoleFlag) {
            g_WorldHooks.setRoleFlag(a, 16, 1);
            g_WorldHooks.setRoleFlag(b, 16, 1);
        }
        if (g_WorldHooks.faceTo) {
            g_WorldHooks.faceTo(a, b);
            g_WorldHooks.faceTo(b, a);
        }
        return;
    }
    if (!g_WorldHooks.setRoleFlag) return;
    if (a) g_WorldHooks.setRoleFlag(a, 16, 0);
    if (b) g_WorldHooks.setRoleFlag(b, 16, 0);
}

const void* GetRoleSkill(int32_t ownerId, int32_t index) {
    if (ownerId < 10000) return g_WorldHooks.getModelSkill ? g_WorldHooks.getModelSkill(ownerId, index) : nullptr;
    return g_WorldHooks.getItemSkill ? g_WorldHooks.getItemSkill(ownerId - 10000) : nullptr;
}
