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

namespace {

// The lowest (up) or highest (down) set bit of `bits` in [lo, hi]; -1 when
// none.
int64_t FirstSetUp(const uint64_t* bits, int64_t lo, int64_t hi) {
    for (int64_t w = lo >> 6; w <= hi >> 6; ++w) {
        uint64_t v = bits[w];
        if (w == lo >> 6) v &= ~uint64_t(0) << (lo & 63);
        if (w == hi >> 6 && (hi & 63) != 63) v &= (uint64_t(1) << ((hi & 63) + 1)) - 1;
        if (v) return (w << 6) + __builtin_ctzll(v);
    }
    return -1;
}

int64_t FirstSetDown(const uint64_t* bits, int64_t lo, int64_t hi) {
    for (int64_t w = hi >> 6; w >= lo >> 6; --w) {
        uint64_t v = bits[w];
        if (w == lo >> 6) v &= ~uint64_t(0) << (lo & 63);
        if (w == hi >> 6 && (hi & 63) != 63) v &= (uint64_t(1) << ((hi & 63) + 1)) - 1;
        if (v) return (w << 6) + 63 - __builtin_clzll(v);
    }
    return -1;
}

// The first step t in 1..n from (x, y) along (dx, dy), one of them 0 and
// the other +-1, onto an occupied cell of the grid; 0 when none.
int64_t FirstOccupiedStep(const CMapGrid& grid, int64_t x, int64_t y, int dx, int dy, int64_t n) {
    const bool across = dy == 0;
    const int64_t fixed = across ? y : x;
    const int64_t from = across ? x : y;
    const int step = across ? dx : dy;
    const int64_t size = across ? grid.Width() : grid.Height();
    if (fixed < INT32_MIN || fixed > INT32_MAX) return 0;
    const uint64_t* bits = across ? grid.OccupiedRow(int32_t(fixed)) : grid.OccupiedColumn(int32_t(fixed));
    if (!bits) return 0;
    // The cells from + step .. from + n * step, clipped to the grid.
    int64_t lo = step > 0 ? from + 1 : from - n, hi = step > 0 ? from + n : from - 1;
    lo = std::max<int64_t>(lo, 0), hi = std::min<int64_t>(hi, size - 1);
    if (lo > hi) return 0;
    const int64_t at = step > 0 ? FirstSetUp(bits, lo, hi) : FirstSetDown(bits, lo, hi);
    return at < 0 ? 0 : (at - from) * step;
}

} // namespace

bool g_SpiralCellByCell = false;

bool CSpiralIter::NextOccupied(const CMapGrid& grid, CGamePoint* out) {
    if (m_Done) return false;
    if (m_Leg == 0) {
        m_Leg = 1;
        if (grid.IsOccupied(m_X, m_Y)) {
            *out = {m_X, m_Y};
            return true;
        }
    }
    for (;;) {
        const int dx = m_Leg == 2 ? 1 : m_Leg == 4 ? -1 : 0;
        const int dy = m_Leg == 1 ? 1 : m_Leg == 3 ? -1 : 0;
        const int64_t left = int64_t(m_LegLen) - m_Steps;
        // The end cell of the last leg ends the spiral unseen.
        const bool last = m_LegLen >= m_Longest;
        const int64_t seen = last ? left - 1 : left;
        const int64_t t = seen > 0 ? FirstOccupiedStep(grid, m_X, m_Y, dx, dy, seen) : 0;
        const int64_t go = t > 0 ? t : left;
        m_X = static_cast<int32_t>(m_X + go * dx);
        m_Y = static_cast<int32_t>(m_Y + go * dy);
        m_Steps = static_cast<int32_t>(m_Steps + go);
        if (m_Steps == m_LegLen) {
            if (last) {
                m_Done = true;
                return false;
            }
            m_Steps = 0;
            m_Leg = m_Leg % 4 + 1;
            if (m_Leg == 1 || m_Leg == 3) ++m_LegLen;
        }
        if (t > 0) {
            *out = {m_X, m_Y};
            return true;
        }
    }
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
