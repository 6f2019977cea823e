#pragma once
// Integer geometry: the eight and sixteen facing directions, the staggered
// diamond cell grid of the map, points, rectangles and distances. x grows to
// the right, y downward.
//
// Directions: 0 up-right, 1 up, 2 up-left, 3 left, 4 down-left, 5 down,
// 6 down-right, 7 right. Sixteen-direction d points at (14 - d) * 22.5
// degrees, so the main directions are the even numbers 2 * d8.
#include <cstdint>

struct CGamePoint {
    int32_t x = 0;
    int32_t y = 0;

    CGamePoint Add(const CGamePoint& other) const { return {x + other.x, y + other.y}; }
    // out = a - b.
    static void Sub(const CGamePoint& a, const CGamePoint& b, CGamePoint* out) { *out = {a.x - b.x, a.y - b.y}; }
    bool operator==(const CGamePoint&) const = default;
};

// Covers x .. x + width and y .. y + height.
struct CGameRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;

    // Grows in place to the smallest rectangle covering both.
    void Union(const CGameRect& other);
    bool operator==(const CGameRect&) const = default;
};

// 1 when x <= px <= x + width - 1 and y <= py <= y + height - 1 (a rectangle
// of width or height 0 holds nothing), else 0. Differences are taken in 64
// bits: the map grid's bounds test feeds it any cell a caller computes.
inline int RectContains(const CGameRect& r, int32_t px, int32_t py) {
    const int64_t dx = int64_t(px) - r.x, dy = int64_t(py) - r.y;
    return dx >= 0 && dx < r.width && dy >= 0 && dy < r.height ? 1 : 0;
}

// Unit step of each of the eight directions.
extern const CGamePoint kDir8Step[8];

// Direction of a as seen from b; a == b gives 7.
int GetDir8(const CGamePoint& a, const CGamePoint& b);
int GetDir16(const CGamePoint& a, const CGamePoint& b);

// Adds step * the unit step of dir; a direction outside 0..7 leaves it.
void MoveDir8(CGamePoint& point, int dir, int step);

// 0 when a lies strictly beyond b in direction dir (in both components for a
// diagonal), 1 otherwise; 0 for a direction outside 0..7.
int IsNotPastPoint(const CGamePoint& a, const CGamePoint& b, int dir);

int IsInSquare(const CGamePoint& a, const CGamePoint& b, int r);
int IsOffSquare(const CGamePoint& a, const CGamePoint& b, int r);

// `from` moved away from `target` (direction plus dirOffset, wrapped once)
// by range minus their distance, at least 1.
CGamePoint StepAwayToRange(const CGamePoint& target, const CGamePoint& from, int range, int dirOffset);

// Half a step outward when inside the radius, inward when outside, then a
// full step a quarter turn clockwise from outward.
void OrbitStep(CGamePoint& point, int cx, int cy, int radius, int step);

// sqrt(dx * dx + dy * dy) truncated; the squares are summed in 64 bits.
int PointDistance(const CGamePoint& a, const CGamePoint& b);

// Staggered diamond cells, 64 x 32, rows 16 pixels apart.
// Top-left of the cell's bounding box.
CGamePoint CellToPixel(int col, int row);
// The cell (x = col, y = row) whose diamond holds the pixel. Negative
// coordinates continue the same pattern (floor division).
CGamePoint PixelToCell(int x, int y);

// The map the coordinate helpers refer to, and half of its width field. The
// map type belongs to the world; its owner passes the width field along.
class CMapGrid;
void SetCoordMap(CMapGrid* map, int32_t widthField);
CMapGrid* GetCoordMap();
int32_t GetCoordHalfWidth();
