#include "world/map/grid_search.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "platform/random.h"
#include "world/map/map_grid.h"
#include "world/scene/world_globals.h"

const CGamePoint kPathDir[8] = {{0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}};

CSpiralIter g_SpiralIter;
CCellSearchRect g_CellSearchRect;

void CSpiralIter::Init(int32_t x, int32_t y, int32_t radius) {
    m_X = x;
    m_Y = y;
    m_Leg = 0;
    m_LegLen = 1;
    m_Steps = 0;
    m_Longest = 2 * std::max(radius, 0) + 1;
    m_Done = false;
}

bool CSpiralIter::Next(CGamePoint* out) {
    if (m_Done) return false;
    if (m_Leg == 0) {
        m_Leg = 1;
        *out = {m_X, m_Y};
        return true;
    }
    switch (m_Leg) {
        case 1: ++m_Y; break;
        case 2: ++m_X; break;
        case 3: --m_Y; break;
        default: --m_X; break;
    }
    if (++m_Steps == m_LegLen) {
        if (m_LegLen >= m_Longest) {
            m_Done = true;
            return false;
        }
        m_Steps = 0;
        m_Leg = m_Leg % 4 + 1;
        if (m_Leg == 1 || m_Leg == 3) ++m_LegLen;
    }
    *out = {m_X, m_Y};
    return true;
}

void BeginCellSearch(int32_t x, int32_t y, int32_t r) {
    // A radius near the i32 range saturates the rectangle instead of
    // wrapping it.
    const auto sat = [](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
    const int64_t side = 3 * int64_t(r);
    const int64_t area = std::llabs(side) > 46340 ? INT32_MAX : side * side;  // 46341² passes an i32
    g_CellSearchRect = {sat(int64_t(x) - r), sat(int64_t(y) - r), sat(side), sat(side), sat(area)};
    g_SpiralIter.Init(x / 64, y / 64, std::max(r / 64, 1));
}

int FindFreeCellNear(CGamePoint* point, int32_t radius) {
    CMapGrid* grid = g_CurMapGrid;
    if (!grid || !point) return 0;
    CSpiralIter& it = g_SpiralIter;
    it.Init(point->x, point->y, std::max(radius, 1));
    CGamePoint p;
    bool first = true;
    while (it.Next(&p)) {
        const CMapCell* c = grid->GetCell(p.x, p.y);
        const bool start = first;
        first = false;
        if (!c || c->m_GroundObj != kNoObj) continue;
        if (start ? c->m_Walkable != 0 && c->m_Occupant == kNoObj : c->AllowsWalkClass(1)) {
            *point = p;
            return 1;
        }
    }
    return 0;
}

CGamePoint FindOpenDirPoint(const CGamePoint& cell, int32_t n) {
    const CMapGrid* grid = g_CurMapGrid;
    if (!grid) return {-1, -1};
    int32_t best = -1, ties = 0;
    CGamePoint end{-1, -1};
    for (int d = 0; d < 8; ++d) {
        int32_t reach = 0;
        for (int32_t k = 1; k <= n; ++k) {
            const CMapCell* c = grid->GetCell(cell.x + k * kPathDir[d].x, cell.y + k * kPathDir[d].y);
            if (!c || (c->m_Terrain >= 2 && c->m_Terrain <= 9 && !c->AllowsWalkClass(1))) break;
            reach = k;
        }
        const CGamePoint reached{cell.x + reach * kPathDir[d].x, cell.y + reach * kPathDir[d].y};
        if (reach > best) {
            best = reach;
            end = reached;
            ties = 0;
        } else if (reach == best) {
            ++ties;
            if (plat::Rand() % (ties + 1) == 0) end = reached;
        }
    }
    return best <= 1 ? CGamePoint{-1, -1} : end;
}
