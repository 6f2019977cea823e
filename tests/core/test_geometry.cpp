#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "core/geometry.h"

namespace {

TEST(Directions, Dir8AndDir16OfTheAxesAndDiagonals) {
    const CGamePoint b{100, 100};
    struct Case {
        int dx, dy, d8, d16;
    } cases[] = {
        {10, 0, 7, 14},  {0, -10, 1, 2},  {-10, 10, 4, 8}, {10, -10, 0, 0},  {-10, -10, 2, 4},
        {-10, 0, 3, 6},  {0, 10, 5, 10},  {10, 10, 6, 12}, {0, 0, 7, 14},
        // Between the main directions: 16-direction 15 lies between right and
        // up-right, 1 between up-right and up.
        {100, -41, 7, 15}, {41, -100, 1, 1}, {100, 40, 7, 13},
    };
    for (const Case& c : cases) {
        const CGamePoint a{b.x + c.dx, b.y + c.dy};
        EXPECT_EQ(GetDir8(a, b), c.d8) << c.dx << "," << c.dy;
        EXPECT_EQ(GetDir16(a, b), c.d16) << c.dx << "," << c.dy;
    }
}

TEST(Directions, SectorsAreCentredOnTheDirections) {
    // Sweep a circle: the direction found must be the one whose angle is
    // nearest, for 8 and 16 sectors alike.
    const double pi = 3.14159265358979323846;
    const CGamePoint o{0, 0};
    for (int deg10 = 0; deg10 < 3600; deg10 += 7) {
        const double ang = deg10 / 10.0 * pi / 180.0;
        const CGamePoint a{static_cast<int>(std::lround(std::cos(ang) * 10000)),
                           static_cast<int>(std::lround(std::sin(ang) * 10000))};
        const double exact = std::atan2(static_cast<double>(a.y), static_cast<double>(a.x));
        const double deg = std::fmod(exact * 180.0 / pi + 360.0, 360.0);
        const int d8 = GetDir8(a, o);
        double off8 = std::fabs(std::fmod(deg - (7 - d8) * 45.0 + 720.0, 360.0));
        off8 = std::min(off8, 360.0 - off8);
        EXPECT_LE(off8, 22.5) << deg;
        const int d16 = GetDir16(a, o);
        double off16 = std::fabs(std::fmod(deg - (14 - d16) * 22.5 + 720.0, 360.0));
        off16 = std::min(off16, 360.0 - off16);
        EXPECT_LE(off16, 11.25) << deg;
        EXPECT_EQ(d16 / 2 == d8 || (d16 + 1) / 2 % 8 == d8, true) << deg;
    }
}

TEST(Directions, MoveDir8AndIsNotPastPoint) {
    for (int d = 0; d < 8; ++d) {
        CGamePoint p{5, 5};
        MoveDir8(p, d, 3);
        EXPECT_EQ(p, (CGamePoint{5 + 3 * kDir8Step[d].x, 5 + 3 * kDir8Step[d].y}));
        // The unit step points the way GetDir8 names.
        EXPECT_EQ(GetDir8(p, CGamePoint{5, 5}), d);
    }
    CGamePoint p{5, 5};
    MoveDir8(p, 8, 3);
    MoveDir8(p, -1, 3);
    EXPECT_EQ(p, (CGamePoint{5, 5}));

    const CGamePoint b{10, 10};
    // Direction 0 (up-right): past only when right of and above b.
    EXPECT_EQ(IsNotPastPoint({11, 9}, b, 0), 0);
    EXPECT_EQ(IsNotPastPoint({10, 9}, b, 0), 1);
    EXPECT_EQ(IsNotPastPoint({11, 10}, b, 0), 1);
    EXPECT_EQ(IsNotPastPoint({9, 9}, b, 0), 1);
    // Straight directions look at one component only.
    EXPECT_EQ(IsNotPastPoint({0, 9}, b, 1), 0);
    EXPECT_EQ(IsNotPastPoint({99, 10}, b, 1), 1);
    EXPECT_EQ(IsNotPastPoint({11, -50}, b, 7), 0);
    EXPECT_EQ(IsNotPastPoint({10, 10}, b, 7), 1);
    EXPECT_EQ(IsNotPastPoint({9, 11}, b, 4), 0);
    EXPECT_EQ(IsNotPastPoint({0, 0}, b, 8), 0);
}

TEST(Distances, SquaresAndPointDistance) {
    const CGamePoint b{0, 0};
    EXPECT_EQ(IsInSquare({3, -3}, b, 3), 1);
    EXPECT_EQ(IsInSquare({4, 0}, b, 3), 0);
    EXPECT_EQ(IsOffSquare({3, 0}, b, 3), 1);
    EXPECT_EQ(IsOffSquare({2, -2}, b, 3), 0);

    EXPECT_EQ(PointDistance({3, 4}, b), 5);
    EXPECT_EQ(PointDistance({-3, -4}, b), 5);
    EXPECT_EQ(PointDistance({1, 1}, b), 1);  // 1.414 truncated
    EXPECT_EQ(PointDistance({10, 0}, {10, 0}), 0);
}

TEST(Distances, PointDistanceDoesNotWrapForLargeDifferences) {
    // 32768^2 * 2 does not fit in 32 bits; the old sum wrapped negative.
    EXPECT_EQ(PointDistance({32768, 32768}, {0, 0}), 46340);
    EXPECT_EQ(PointDistance({-40000, 0}, {40000, 0}), 80000);
    EXPECT_EQ(PointDistance({0, 0}, {46340, 1}), 46340);
    EXPECT_EQ(PointDistance({-2147483647 - 1, 0}, {2147483647, 0}), 2147483647);
}

TEST(Moves, StepAwayToRange) {
    const CGamePoint target{0, 0};
    // 30 apart, range 100: 70 further out along the direction from target.
    EXPECT_EQ(StepAwayToRange(target, {30, 0}, 100, 0), (CGamePoint{100, 0}));
    // Already farther than the range: still 1 pixel.
    EXPECT_EQ(StepAwayToRange(target, {0, -500}, 100, 0), (CGamePoint{0, -501}));
    // Offsets wrap once: 7 + 2 -> 1 (up), 1 - 3 -> 6.
    EXPECT_EQ(StepAwayToRange(target, {30, 0}, 100, 2), (CGamePoint{30, -70}));
    EXPECT_EQ(StepAwayToRange(target, {0, -30}, 40, -3), (CGamePoint{10, -20}));
}

TEST(Moves, OrbitStep) {
    // Exactly on the radius: only the sideways move (outward 7 -> 5, down).
    CGamePoint p{50, 0};
    OrbitStep(p, 0, 0, 50, 10);
    EXPECT_EQ(p, (CGamePoint{50, 10}));
    // Inside: half a step outward first.
    p = {20, 0};
    OrbitStep(p, 0, 0, 50, 10);
    EXPECT_EQ(p, (CGamePoint{25, 10}));
    // Outside: half a step inward first; odd steps halve toward zero.
    p = {80, 0};
    OrbitStep(p, 0, 0, 50, 9);
    EXPECT_EQ(p, (CGamePoint{76, 9}));
    // Up from the centre (direction 1): sideways is 7, to the right.
    p = {0, -50};
    OrbitStep(p, 0, 0, 50, 4);
    EXPECT_EQ(p, (CGamePoint{4, -50}));
}

TEST(Shapes, PointAddAndRectUnion) {
    EXPECT_EQ((CGamePoint{1, 2}.Add({3, -5})), (CGamePoint{4, -3}));
    CGameRect r{10, 10, 5, 5};
    r.Union({0, 12, 3, 20});
    EXPECT_EQ(r, (CGameRect{0, 10, 15, 22}));
    r.Union({2, 11, 1, 1});  // inside: unchanged
    EXPECT_EQ(r, (CGameRect{0, 10, 15, 22}));
}

TEST(Cells, ExamplesAndCellToPixel) {
    EXPECT_EQ(PixelToCell(40, 10), (CGamePoint{0, 0}));
    EXPECT_EQ(PixelToCell(60, 10), (CGamePoint{1, 1}));
    EXPECT_EQ(PixelToCell(0, 2), (CGamePoint{0, 1}));
    EXPECT_EQ(CellToPixel(1, 2), (CGamePoint{64, 16}));
    EXPECT_EQ(CellToPixel(1, 3), (CGamePoint{32, 32}));
    // On a diagonal the comparisons decide: the block's top-left pixel
    // belongs to the upper row when the parities agree.
    EXPECT_EQ(PixelToCell(0, 0), (CGamePoint{0, 0}));
    EXPECT_EQ(PixelToCell(64, 16), (CGamePoint{1, 1}));
}

TEST(Cells, PixelToCellFindsTheDiamondHoldingThePixel) {
    // Every pixel strictly inside a diamond maps to that diamond's cell, and
    // the cell's bounding box from CellToPixel centres on it.
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 256; ++x) {
            const CGamePoint c = PixelToCell(x, y);
            const CGamePoint box = CellToPixel(c.x, c.y);
            const int cx = box.x + 32, cy = box.y + 16;
            const int ex = std::abs(2 * (x - cx)), ey = std::abs(4 * (y - cy));
            // |dx| / 32 + |dy| / 16 <= 1, scaled by 64.
            EXPECT_LE(ex + ey, 64) << x << "," << y;
        }
    }
    // Centres map back to their own cells.
    for (int row = 0; row < 10; ++row)
        for (int col = 0; col < 6; ++col) {
            const CGamePoint box = CellToPixel(col, row);
            EXPECT_EQ(PixelToCell(box.x + 32, box.y + 16), (CGamePoint{col, row}));
        }
}

TEST(Cells, NegativePixelsContinueThePattern) {
    // Shifting by whole cells (128 pixels, 32 rows) shifts the cell.
    for (int y = 0; y < 32; y += 3)
        for (int x = 0; x < 128; x += 5) {
            const CGamePoint c = PixelToCell(x, y);
            EXPECT_EQ(PixelToCell(x - 128, y - 64), (CGamePoint{c.x - 2, c.y - 4})) << x << "," << y;
        }
}

TEST(Cells, CoordMapKeepsHalfTheWidth) {
    auto* fake = reinterpret_cast<CMapGrid*>(0x1000);
    SetCoordMap(fake, 101);
    EXPECT_EQ(GetCoordMap(), fake);
    EXPECT_EQ(GetCoordHalfWidth(), 50);
    SetCoordMap(nullptr, 0);
    EXPECT_EQ(GetCoordMap(), nullptr);
    EXPECT_EQ(GetCoordHalfWidth(), 0);
}

} // namespace
