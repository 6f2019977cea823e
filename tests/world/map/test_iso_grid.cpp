#include <gtest/gtest.h>

#include <cstdlib>

#include "gfx/iso_seam.h"
#include "sound/sound_play.h"
#include "world/map/iso_grid.h"

namespace {

struct Pair {
    CGamePoint in;
    CGamePoint out;
};

TEST(IsoGrid, Tables) {
    const CIsoGrid g;
    EXPECT_EQ(g.m_HalfWidth[0], 2);
    EXPECT_EQ(g.m_HalfWidth[15], 32);
    EXPECT_EQ(g.m_HalfWidth[16], 32);
    EXPECT_EQ(g.m_HalfWidth[31], 2);
    EXPECT_EQ(g.m_Block[0][63].x, 1) << "(0 - 63) / 2 rounds toward zero";
    EXPECT_EQ(g.m_Block[63][0].x, 63);
    EXPECT_EQ(g.m_Block[63][63].y, 31);
    EXPECT_TRUE(g.RowIsWider(32, 16));
    EXPECT_FALSE(g.RowIsWider(3, 0));
}

TEST(IsoGrid, WorldToScreenWithAZeroView) {
    const CIsoGrid g;
    const Pair cases[] = {
        {{0, 0}, {32, 0}},    {{63, 63}, {32, 31}}, {{64, 0}, {64, 16}}, {{0, 64}, {0, 16}},
        {{-1, 0}, {31, -1}},  {{-64, 0}, {0, -16}}, {{-1, -1}, {32, -1}}, {{-65, 3}, {-2, -16}},
    };
    for (const Pair& c : cases) {
        EXPECT_EQ(g.WorldToScreen(c.in.x, c.in.y), c.out) << c.in.x << "," << c.in.y;
        EXPECT_EQ(DefaultWorldToScreen(c.in.x, c.in.y), c.out) << c.in.x << "," << c.in.y;
    }
}

// A negative position continues the pattern: one cell back along x is
// always 32 pixels left and 16 up, also across zero.
TEST(IsoGrid, NegativeWorldPositionsContinueThePattern) {
    CIsoGrid g;
    g.SetView(3, -2, 17, -5);
    for (int32_t x = -300; x < 300; x += 7)
        for (int32_t y = -300; y < 300; y += 11) {
            const CGamePoint p = g.WorldToScreen(x, y);
            const CGamePoint back = g.WorldToScreen(x - 64, y);
            const CGamePoint up = g.WorldToScreen(x, y - 64);
            ASSERT_EQ(back, (CGamePoint{p.x - 32, p.y - 16})) << x << "," << y;
            ASSERT_EQ(up, (CGamePoint{p.x + 32, p.y - 16})) << x << "," << y;
            const CGamePoint d = DefaultWorldToScreen(x, y);
            const CGamePoint viewShift = g.CellToScreen(0, 0);
            ASSERT_EQ(p, (CGamePoint{d.x + viewShift.x, d.y + viewShift.y})) << x << "," << y;
        }
}

TEST(IsoGrid, CellAndDeltaConversions) {
    CIsoGrid g;
    g.SetView(10, 4, 5, 7);
    EXPECT_EQ(g.CellToScreen(10, 4), (CGamePoint{-5, -7}));
    EXPECT_EQ(g.CellToScreen(12, 5), (CGamePoint{32 * 1 - 5, 16 * 3 - 7}));
    EXPECT_EQ(CIsoGrid::WorldToScreenDelta(-3, 0), (CGamePoint{-1, 0}));
    EXPECT_EQ(CIsoGrid::WorldToScreenDelta(10, 6), (CGamePoint{2, 4}));
    EXPECT_EQ(g.ScreenToWorld(32 - 5, -7), (CGamePoint{640, 256}));
}

TEST(IsoGrid, ScreenToCellEdgeCases) {
    const CIsoGrid g;
    const Pair cases[] = {
        {{32, 16}, {0, 0}}, {{0, 16}, {0, 0}}, {{0, 0}, {-1, 0}}, {{0, 17}, {0, 1}},
        {{63, 0}, {0, -1}}, {{63, 31}, {1, 0}}, {{-1, 16}, {-1, 1}}, {{-32, -16}, {-2, 0}},
    };
    for (const Pair& c : cases) EXPECT_EQ(g.ScreenToCell(c.in.x, c.in.y), c.out) << c.in.x << "," << c.in.y;
}

// Every pixel, on either side of the view origin, picks a cell whose
// diamond (drawn at its reference pixel) holds it; neighbouring diamonds
// share their corner pixels.
TEST(IsoGrid, ScreenToCellPicksADiamondHoldingThePixel) {
    CIsoGrid g;
    g.SetView(2, 5, 37, -11);
    for (int32_t sy = -100; sy < 100; ++sy)
        for (int32_t sx = -150; sx < 150; ++sx) {
            const CGamePoint c = g.ScreenToCell(sx, sy);
            const CGamePoint ref = g.CellToScreen(c.x, c.y);
            const int32_t px = sx - ref.x, py = sy - ref.y;
            ASSERT_TRUE(px >= 0 && px < 64 && py >= 0 && py < 32 && std::abs(px - 32) <= g.m_HalfWidth[py])
                << "pixel " << sx << "," << sy << " cell " << c.x << "," << c.y;
        }
}

TEST(IsoGrid, ScreenToWorldRoundTrips) {
    CIsoGrid g;
    for (const CGamePoint view : {CGamePoint{0, 0}, CGamePoint{7, -3}}) {
        g.SetView(view.x, view.y, 9, 14);
        for (int32_t sx = -70; sx < 700; sx += 13)
            for (int32_t sy = -40; sy < 500; sy += 9) {
                const CGamePoint w = g.ScreenToWorld(sx, sy);
                ASSERT_EQ(g.WorldToScreen(w.x, w.y), (CGamePoint{sx, sy})) << sx << "," << sy;
            }
    }
}

TEST(IsoGrid, InstallHandsTheViewToTrailsAndSounds) {
    g_IsoGrid.SetView(1, 0, 0, 0);
    InstallIsoGrid();
    EXPECT_EQ(WorldToScreen(0, 0), (CGamePoint{0, -16}));
    SetWorldToScreen(nullptr);
    SetSoundPointToScreen(nullptr);
    g_IsoGrid.SetView(0, 0, 0, 0);
    EXPECT_EQ(WorldToScreen(0, 0), (CGamePoint{32, 0}));
}

TEST(PointHelpers, Table) {
    const Pair tiles[] = {{{-1, -1}, {0, 0}}, {{-63, -64}, {0, -1}}, {{64, 127}, {1, 1}}, {{0, 0}, {0, 0}}};
    for (const Pair& c : tiles) EXPECT_EQ(PixelToTile(c.in), c.out) << c.in.x << "," << c.in.y;
    EXPECT_EQ(TileToPixel({0, 0}), (CGamePoint{32, 32}));
    EXPECT_EQ(TileToPixel({2, -1}), (CGamePoint{160, -32}));
    CGamePoint d;
    CGamePoint::Sub({5, 3}, {7, -2}, &d);
    EXPECT_EQ(d, (CGamePoint{-2, 5}));

    struct RectCase {
        CGameRect r;
        int32_t x, y;
        int in;
    } rects[] = {
        {{0, 0, 0, 5}, 0, 0, 0},   {{0, 0, 5, 0}, 0, 0, 0},   {{2, 3, 4, 5}, 2, 3, 1},  {{2, 3, 4, 5}, 5, 7, 1},
        {{2, 3, 4, 5}, 6, 7, 0},   {{2, 3, 4, 5}, 5, 8, 0},   {{2, 3, 4, 5}, 1, 3, 0},
        {{0, 0, 64, 64}, INT32_MIN, 0, 0}, {{-5, -5, 10, 10}, INT32_MAX, 0, 0},
    };
    for (const RectCase& c : rects) EXPECT_EQ(RectContains(c.r, c.x, c.y), c.in) << c.x << "," << c.y;
}

} // namespace
