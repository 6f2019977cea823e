#pragma once
// The square spiral of cells the grid searches walk: the centre, then
// (x, y + 1), (x + 1, y + 1), (x + 1, y), (x + 1, y - 1), (x, y - 1), ...
// legs along y + 1, x + 1, y - 1, x - 1, each pair one cell longer, until
// the (2r + 1) x (2r + 1) square around the centre is covered.
#include <cstdint>

#include "core/geometry.h"

class CCellSpiral {
public:
    CCellSpiral(int32_t x, int32_t y, int32_t r) : m_X(x), m_Y(y), m_Last(2 * r + 1) {}
    // The next cell; false once the square is done.
    bool Next(CGamePoint* out) {
        if (m_Done) return false;
        if (m_Leg == 0 && m_Steps == 0) {
            m_Steps = -1;  // the centre was given
            *out = {m_X, m_Y};
            return true;
        }
        if (m_Leg == 0 || m_Steps == m_Len) {
            const int32_t from = m_Leg;
            m_Leg = m_Leg % 4 + 1;
            if (from != 0 && (m_Leg == 1 || m_Leg == 3)) ++m_Len;
            m_Steps = 0;
        }
        switch (m_Leg) {
        case 1: ++m_Y; break;
        case 2: ++m_X; break;
        case 3: --m_Y; break;
        default: --m_X; break;
        }
        if (++m_Steps == m_Len && m_Len >= m_Last) {
            m_Done = true;
            return false;
        }
        *out = {m_X, m_Y};
        return true;
    }

private:
    int32_t m_X;
    int32_t m_Y;
    int32_t m_Last;
    int32_t m_Leg = 0;
    int32_t m_Len = 1;
    int32_t m_Steps = 0;
    bool m_Done = false;
};

// The nearest cell for an object lying on the ground: a spiral of
// max(radius, 1) around *cell. The start cell qualifies when it lies in the
// grid, is walkable and has no ground object and no role; every later cell
// when it lies in the grid, passes walk class 1 and has no ground object.
// 1 with the cell written back, 0 when the spiral ends.
int FindFreeGroundCell(CGamePoint* cell, int32_t radius);
