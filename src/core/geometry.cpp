#include "core/geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

const CGamePoint kDir8Step[8] = {{1, -1}, {0, -1}, {-1, -1}, {-1, 0}, {-1, 1}, {0, 1}, {1, 1}, {1, 0}};

namespace {

constexpr double kPi = 3.14159265358979323846;

// Screen angle of a as seen from b, in 0 .. 2 pi.
double ScreenAngle(const CGamePoint& a, const CGamePoint& b) {
    const double dy = static_cast<double>(a.y) - b.y;
    const double dx = static_cast<double>(a.x) - b.x;
    double ang = std::atan2(dy, dx);
    if (ang < 0)
        ang += 2 * kPi;
    return ang;
}

int64_t AbsDiff(int32_t p, int32_t q) { return std::llabs(static_cast<int64_t>(p) - q); }

int FloorDiv(int a, int b) {
    int q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

CMapGrid* g_CoordMap = nullptr;
int32_t g_CoordHalfWidth = 0;

} // namespace

void CGameRect::Union(const CGameRect& other) {
    const int32_t right = std::max(x + width, other.x + other.width);
    const int32_t bottom = std::max(y + height, other.y + other.height);
    x = std::min(x, other.x);
    y = std::min(y, other.y);
    width = right - x;
    height = bottom - y;
}

// Sectors are centred on the direction angles: sector s spans
// (s - 1/2) .. (s + 1/2) * 45 degrees and direction 7 - s points into it.
int GetDir8(const CGamePoint& a, const CGamePoint& b) {
    const int s = static_cast<int>(std::floor((ScreenAngle(a, b) + kPi / 8) / (kPi / 4))) & 7;
    return 7 - s;
}

int GetDir16(const CGamePoint& a, const CGamePoint& b) {
    const int s = static_cast<int>(std::floor((ScreenAngle(a, b) + kPi / 16) / (kPi / 8))) & 15;
    return (14 - s) & 15;
}

void MoveDir8(CGamePoint& point, int dir, int step) {
    if (dir < 0 || dir > 7)
        return;
    point.x += kDir8Step[dir].x * step;
    point.y += kDir8Step[dir].y * step;
}

int IsNotPastPoint(const CGamePoint& a, const CGamePoint& b, int dir) {
    if (dir < 0 || dir > 7)
        return 0;
    const CGamePoint& u = kDir8Step[dir];
    const int64_t dx = static_cast<int64_t>(a.x) - b.x;
    const int64_t dy = static_cast<int64_t>(a.y) - b.y;
    const bool pastX = u.x == 0 || dx * u.x > 0;
    const bool pastY = u.y == 0 || dy * u.y > 0;
    return (pastX && pastY) ? 0 : 1;
}

int IsInSquare(const CGamePoint& a, const CGamePoint& b, int r) {
    return (AbsDiff(a.x, b.x) <= r && AbsDiff(a.y, b.y) <= r) ? 1 : 0;
}

int IsOffSquare(const CGamePoint& a, const CGamePoint& b, int r) {
    return (AbsDiff(a.x, b.x) >= r || AbsDiff(a.y, b.y) >= r) ? 1 : 0;
}

CGamePoint StepAwayToRange(const CGamePoint& target, const CGamePoint& from, int range, int dirOffset) {
    const int d = GetDir8(from, target);
    const int dist = PointDistance(from, target);
    const int step = std::max(range - dist, 1);
    int dir = d + dirOffset;
    if (dir > 7)
        dir -= 8;
    else if (dir < 0)
        dir += 8;
    CGamePoint p = from;
    MoveDir8(p, dir, step);
    return p;
}

void OrbitStep(CGamePoint& point, int cx, int cy, int radius, int step) {
    const CGamePoint centre{cx, cy};
    const int d = GetDir8(point, centre);
    const int dist = PointDistance(point, centre);
    if (dist < radius)
        MoveDir8(point, d, step / 2);
    else if (dist > radius)
        MoveDir8(point, (d + 4) & 7, step / 2);
    MoveDir8(point, (d + 6) & 7, step);
}

// 64-bit sum: the squares of differences near 32,768 no longer wrap. Where a
// 32-bit sum did not overflow the result is the same.
int PointDistance(const CGamePoint& a, const CGamePoint& b) {
    const uint64_t dx = static_cast<uint64_t>(AbsDiff(a.x, b.x));
    const uint64_t dy = static_cast<uint64_t>(AbsDiff(a.y, b.y));
    double root;
    if (dx <= 0x80000000u && dy <= 0x80000000u) {
        root = std::sqrt(static_cast<double>(dx * dx + dy * dy));  // at most 2^63
    } else {
        // Differences of nearly the whole 32-bit range: beyond any map.
        root = std::sqrt(static_cast<double>(dx) * static_cast<double>(dx) +
                         static_cast<double>(dy) * static_cast<double>(dy));
    }
    return root >= 2147483647.0 ? 2147483647 : static_cast<int>(root);
}

CGamePoint CellToPixel(int col, int row) {
    return {64 * col - ((row & 1) ? 32 : 0), 16 * row - 16};
}

CGamePoint PixelToCell(int x, int y) {
    const int bx = FloorDiv(x, 32);
    const int by = FloorDiv(y, 16);
    const int fx = x - bx * 32;
    const int fy = y - by * 16;
    int row;
    if (((bx ^ by) & 1) == 0)
        row = (2 * fy > fx) ? by + 1 : by;   // diagonal top-left to bottom-right
    else
        row = (fx + 2 * fy > 32) ? by + 1 : by;  // diagonal bottom-left to top-right
    const int col = FloorDiv(bx, 2) + (((bx & 1) && (row & 1)) ? 1 : 0);
    return {col, row};
}

void SetCoordMap(CMapGrid* map, int32_t widthField) {
    g_CoordMap = map;
    g_CoordHalfWidth = map ? widthField / 2 : 0;
}

CMapGrid* GetCoordMap() { return g_CoordMap; }
int32_t GetCoordHalfWidth() { return g_CoordHalfWidth; }
