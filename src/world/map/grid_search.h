#pragma once
// Searches around a cell of the current map grid: the shared spiral
// iterator and the finders built on it.
#include <cstdint>

#include "core/geometry.h"

class CMapGrid;

// Path-search step directions, from up (y - 1) turning clockwise; odd
// directions are diagonal.
extern const CGamePoint kPathDir[8];

// The square spiral: the centre, then (x, y + 1), (x + 1, y + 1), (x + 1, y),
// (x + 1, y - 1), (x, y - 1), (x - 1, y - 1), (x - 1, y), (x - 1, y + 1),
// (x - 1, y + 2), ...: exactly the (2r + 1)^2 cells of the square of radius r.
class CSpiralIter {
public:
    void Init(int32_t x, int32_t y, int32_t radius);
    // The next cell; false when the spiral has ended.
    bool Next(CGamePoint* out);
    // The next cell Next would give that lies in the grid and has an
    // occupant (neither 0 nor 65535); the cells between are passed over by
    // the grid's occupancy bits, a leg of the spiral at a time.
    bool NextOccupied(const CMapGrid& grid, CGamePoint* out);

    int32_t m_X = 0;
    int32_t m_Y = 0;
    int32_t m_Leg = 0;  // 0 start, 1 +y, 2 +x, 3 -y, 4 -x
    int32_t m_LegLen = 1;
    int32_t m_Steps = 0;
    int32_t m_Longest = 1;  // 2r + 1
    bool m_Done = true;
};

// One iterator and one search rectangle serve every spiral search: a search
// must be finished (or dropped) before the next begins.
struct CCellSearchRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t area = 0;
};
extern CSpiralIter g_SpiralIter;
// The role finders walk every cell of the spiral instead of skipping by
// the occupancy bits (the same answers, slower): for comparisons.
extern bool g_SpiralCellByCell;
extern CCellSearchRect g_CellSearchRect;

// World position and radius (units): rectangle (x - r, y - r, 3r, 3r) and a
// spiral of r / 64 cells (at least 1) around the cell of (x, y).
void BeginCellSearch(int32_t x, int32_t y, int32_t r);

// A spiral of max(radius, 1) cells around *point (a cell) on the current
// grid for a cell to put something down on: the start cell when it lies in
// the grid, is walkable and has neither a ground object nor a role; a later
// cell when it lies in the grid, passes walk class 1 and has no ground
// object (a role there does not matter). 1 with the cell written back, else
// 0 and the point unchanged.
int FindFreeCellNear(CGamePoint* point, int32_t radius);

// From the cell, walks up to n cells in each of the 8 path directions (in
// their order), stopping at the grid edge or at a cell of terrain class 2-9
// that fails walk class 1. The farthest reach wins; each later direction
// that ties it replaces it when rand() % (i + 1) == 0, i counting the ties.
// Its end cell, or (-1, -1) when the best reach is 1 cell or less.
CGamePoint FindOpenDirPoint(const CGamePoint& cell, int32_t n);
