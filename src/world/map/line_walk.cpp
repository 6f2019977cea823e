#include "world/map/line_walk.h"

#include <cmath>

#include "core/txt_table.h"
#include "world/objects/game_obj.h"
#include "world/map/grid_search.h"
#include "world/map/iso_grid.h"
#include "world/map/map_grid.h"
#include "world/objects/obj_mng.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"

CGridSearchHooks g_GridSearchHooks;

namespace {

constexpr float kPi = 3.1415925f;

int32_t CampOf(const CGameObj* role) { return g_WorldHooks.getRoleCamp ? g_WorldHooks.getRoleCamp(role) : 0; }

bool ModePasses(const CMapCell& c, int mode, int32_t walkClass) {
    switch (mode) {
        case 0: return CellPassesWithRole(c, walkClass, kNoObj);
        case 1: return c.AllowsWalkClass(walkClass);
        case 3: return CellPassesClass2To9(c, walkClass);
        case 4: return CellPassesClass3To9(c, walkClass);
        default: return false;
    }
}

// Floor below a fraction of 0.5, ceiling from it.
int32_t RoundCell(float v) {
    const float f = std::floor(v);
    return int32_t(v - f < 0.5f ? f : std::ceil(v));
}

struct LineStepper {
    float x, y, sx, sy;
    int32_t n;
    LineStepper(const CGamePoint& from, const CGamePoint& to) : x(float(from.x)), y(float(from.y)) {
        const float dx = float(to.x - from.x), dy = float(to.y - from.y);
        n = int32_t(std::sqrt(dx * dx + dy * dy));
        sx = n ? dx / float(n) : 0.0f;
        sy = n ? dy / float(n) : 0.0f;
    }
    CGamePoint Step() {
        x += sx;
        y += sy;
        return {RoundCell(x), RoundCell(y)};
    }
};

bool SampleLine(const CGamePoint& from, const CGamePoint& to, int32_t walkClass, bool free) {
    const CMapGrid* grid = g_CurMapGrid;
    if (!grid) return false;
    auto ok = [&](int32_t x, int32_t y) {
        const CMapCell* c = grid->GetCell(x, y);
        return c && c->AllowsWalkClass(walkClass) && (!free || c->m_Occupant == kNoObj);
    };
    if (from == to) return ok(from.x, from.y);
    const float dx = float(to.x - from.x), dy = float(to.y - from.y);
    const float len = std::sqrt(dx * dx + dy * dy);
    const int32_t whole = int32_t(len);
    const float ux = dx / len, uy = dy / len;
    for (float t = 0.0f; t < float(whole); t += 0.5f)
        if (!ok(from.x + int32_t(t * ux), from.y + int32_t(t * uy))) return false;
    return true;
}

} // namespace

int g_DirCounter = 0;

bool CellPassesWithRole(const CMapCell& c, int32_t walkClass, uint16_t roleHandle) {
    return c.AllowsWalkClass(walkClass) && (c.m_Occupant == roleHandle || c.m_Occupant == kNoObj);
}

bool CellPassesClass2To9(const CMapCell& c, int32_t walkClass) {
    return c.m_Terrain < 2 || c.m_Terrain > 9 || c.AllowsWalkClass(walkClass);
}

bool CellPassesClass3To9(const CMapCell& c, int32_t walkClass) {
    return c.m_Terrain < 3 || c.m_Terrain > 9 || c.AllowsWalkClass(walkClass);
}

CGamePoint TraceCellLine(const CGamePoint& from, const CGamePoint& to, int32_t maxSteps, int stopAtTarget, int mode,
                         int32_t walkClass) {
    CGamePoint last = from;
    LineStepper line(from, to);
    const CMapGrid* grid = g_CurMapGrid;
    if (!grid || line.n == 0 || maxSteps < 0) return last;
    // maxSteps + 1 steps; INT32_MAX means no bound but the grid.
    for (int64_t i = 1; i <= int64_t(maxSteps) + 1; ++i) {
        const CGamePoint p = line.Step();
        const CMapCell* c = grid->GetCell(p.x, p.y);
        if (!c || !ModePasses(*c, mode, walkClass)) break;
        if (c->AllowsWalkClass(walkClass) && c->m_Occupant == kNoObj) last = p;
        if (stopAtTarget && i >= line.n && last != from) return last;
    }
    return last;
}

bool IsCellLineClear(const CGamePoint& from, const CGamePoint& to, int mode) {
    LineStepper line(from, to);
    const CMapGrid* grid = g_CurMapGrid;
    for (int32_t i = 0; i < line.n; ++i) {
        const CGamePoint p = line.Step();
        const CMapCell* c = grid ? grid->GetCell(p.x, p.y) : nullptr;
        if (!c) return false;
        const bool ok = mode == 0 ? c->AllowsWalkClass(1) && c->m_Occupant == kNoObj : ModePasses(*c, mode, 1);
        if (!ok) return false;
    }
    return true;
}

bool IsLinePassable(const CGamePoint& from, const CGamePoint& to, int32_t walkClass) {
    return SampleLine(from, to, walkClass, false);
}

bool IsLineFree(const CGamePoint& from, const CGamePoint& to, int32_t walkClass) {
    return SampleLine(from, to, walkClass, true);
}

CGamePoint PointAlongLine(const CGamePoint& a, const CGamePoint& b, float fraction) {
    const int32_t dist = PointDistance(a, b);
    const float angle = std::atan2(float(b.y - a.y), float(b.x - a.x));
    const float d = fraction * float(dist);
    return {a.x + int32_t(d * std::cos(angle)), a.y + int32_t(d * std::sin(angle))};
}

bool AreRolesHostile(const CGameObj* a, const CGameObj* b) {
    if (!a || !b) return false;
    const int32_t ca = CampOf(a), cb = CampOf(b);
    if (ca == cb) return false;
    if ((ca >= 0 && ca <= 99) || (cb >= 0 && cb <= 99)) return true;
    CObjMng* mng = g_CurObjMng;
    if (ca >= 10000 && ca <= 60000) return mng && mng->CampListHas(ca, cb);
    if (cb >= 10000 && cb <= 60000) return mng && mng->CampListHas(cb, ca);
    return false;
}

bool IsPlayerCamp(int32_t camp) {
    const CGameObj* role = g_GridSearchHooks.getControlledRole ? g_GridSearchHooks.getControlledRole() : nullptr;
    return role && CampOf(role) == camp;
}

float Dir8ToAngle(int d) {
    switch (d) {
        case 0: return kPi / 4;
        case 1: return kPi / 2;
        case 2: return 3 * kPi / 4;
        case 3: return kPi;
        case 4: return 5 * kPi / 4;
        case 5: return 3 * kPi / 2;
        case 6: return -kPi / 4;
        default: return 0.0f;
    }
}

void AddDirAngle(int d, float* angle) {
    static const float kTurn[8] = {0.0f,         kPi,          kPi / 2,          3 * kPi / 2,
                                   kPi / 4,      5 * kPi / 4,  3 * kPi / 4,      7 * kPi / 4};
    if (d >= 1 && d <= 7) *angle += kTurn[d];
}

CGamePoint NextDirPoint(const CGamePoint& point, int32_t step) {
    g_DirCounter = g_DirCounter >= 7 ? 0 : g_DirCounter + 1;
    CGamePoint p = point;
    MoveDir8(p, g_DirCounter, step);
    return p;
}

int BuildGaugeRects(std::vector<CGaugeRect>* rects, int32_t* count, int32_t percent) {
    const int32_t l = int32_t(double(percent) * 0.01 * 221.0);
    std::vector<CGaugeRect> r;
    if (l >= 222) return 0;
    if (l <= 0) {
        r = {{73, 71, 74, 93}};
    } else if (l <= 65) {
        r = {{73 - l, 71, 74, 93}};
    } else if (l <= 127) {
        r = {{8, 71, 74, 93}, {0, 136 - l, 15, 71}};
    } else if (l <= 195) {
        r = {{8, 71, 74, 93}, {0, 9, 15, 71}, {15, 0, l - 112, 19}};
    } else {
        r = {{8, 71, 74, 93}, {0, 9, 15, 71}, {15, 0, 81, 19}, {71, 19, 93, l - 176}};
    }
    if (rects) *rects = r;
    if (count) *count = int32_t(r.size());
    return 1;
}

// ------------------------------------------------------- spiral finders

namespace {

bool InSearchRect(const CGameObj* o) {
    const CCellSearchRect& r = g_CellSearchRect;
    return o->m_X >= r.x && o->m_X < int64_t(r.x) + r.width && o->m_Y >= r.y && o->m_Y < int64_t(r.y) + r.height;
}

template <class Pick>
CGameObj* NextNear(Pick pick) {
    const CMapGrid* grid = g_CurMapGrid;
    if (!grid) return nullptr;
    CGamePoint p;
    while (g_SpiralIter.Next(&p)) {
        const CMapCell* c = grid->GetCell(p.x, p.y);
        if (!c) continue;
        CGameObj* o = pick(*c);
        if (o && InSearchRect(o)) return o;
    }
    return nullptr;
}

} // namespace

CGameObj* FindNextRoleNear() {
    const CMapGrid* grid = g_CurMapGrid;
    if (!grid || g_SpiralCellByCell) return NextNear([](const CMapCell& c) { return c.GetRole(); });
    // Only an occupied cell can give a role: the others are skipped by the
    // grid's occupancy bits, in the spiral's order.
    CGamePoint p;
    while (g_SpiralIter.NextOccupied(*grid, &p)) {
        CGameObj* o = grid->GetCell(p.x, p.y)->GetRole();
        if (o && InSearchRect(o)) return o;
    }
    return nullptr;
}

CGameObj* FindFirstRoleNear(int32_t x, int32_t y, int32_t r) {
    BeginCellSearch(x, y, r);
    return FindNextRoleNear();
}

CGameObj* FindNextGroundObjNear() {
    return NextNear([](const CMapCell& c) { return ResolveHandle16(c.m_GroundObj); });
}

CGameObj* FindFirstGroundObjNear(int32_t x, int32_t y, int32_t r) {
    BeginCellSearch(x, y, r);
    return FindNextGroundObjNear();
}

CGameObj* PickRoleAtPoint(const CGamePoint& screen, const CGamePoint& cell, int allowSelf) {
    const CMapGrid* grid = g_CurMapGrid;
    if (!grid) return nullptr;
    const CGameObj* self = g_GridSearchHooks.getControlledRole ? g_GridSearchHooks.getControlledRole() : nullptr;
    CGameObj* best = nullptr;
    int32_t bestDist = 0;
    for (int32_t y = cell.y + 4; y >= cell.y - 3; --y)
        for (int32_t x = cell.x + 4; x >= cell.x - 3; --x) {
            const CMapCell* c = grid->GetCell(x, y);
            CGameObj* role = c ? c->GetRole() : nullptr;
            if (!role) continue;
            if (g_WorldHooks.isRoleDead && g_WorldHooks.isRoleDead(role)) continue;
            if (g_GridSearchHooks.isPlayerFollower && g_GridSearchHooks.isPlayerFollower(role)) continue;
            const CGameRect& r = role->m_ScreenRect;
            if (!RectContains({r.x - 20, r.y - 20, r.width + 40, r.height + 40}, screen.x, screen.y)) continue;
            const int32_t camp = CampOf(role);
            if (camp >= 0 && camp <= 99 && g_WorldHooks.getRoleModelRow) {
                const CTxtRow* row = g_WorldHooks.getRoleModelRow(role);
                if (row && row->HasValue(31)) continue;
            }
            if (role == self && !allowSelf) continue;
            const CGamePoint anchor{g_IsoGrid.WorldToScreen(role->m_X, role->m_Y).x, r.y + r.height / 2};
            const int32_t d = PointDistance(screen, anchor);
            if (!best || d < bestDist) {
                best = role;
                bestDist = d;
            }
        }
    return best;
}
