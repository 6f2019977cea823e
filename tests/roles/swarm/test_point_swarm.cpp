// The point swarm: scattering, jitter, flights, the lagging trail and
// drawing the pieces on a small surface.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "gfx/color_tables.h"
#include "gfx/pixel_format.h"
#include "gfx/surface.h"
#include "platform/random.h"
#include "roles/swarm/point_swarm.h"
#include "support/display565.h"
#include "world/map/iso_grid.h"

namespace test_point_swarm {

// The pieces' fields, for whole comparisons.
std::vector<std::vector<int32_t>> PiecesOf(const CPointSwarm& s) {
    std::vector<std::vector<int32_t>> out;
    for (const SwarmPiece& p : s.m_Pieces) out.push_back({p.size, p.homeX, p.homeY, p.x, p.y});
    return out;
}

SwarmPiece& PieceAt(CPointSwarm& s, size_t i) {
    auto it = s.m_Pieces.begin();
    std::advance(it, static_cast<long>(i));
    return *it;
}

class PointSwarmTest : public ::testing::Test {
protected:
    void SetUp() override {
        plat::ResetRand();
        plat::SRand(3);
        m_View = g_IsoGrid;
        g_IsoGrid.SetView(0, 0, 0, 0);
    }
    void TearDown() override {
        plat::ResetRand();
        g_IsoGrid = m_View;
    }
    // Scripted draws; the test fails on a draw past them.
    static void Draws(const std::vector<int>& v) {
        plat::ScriptRand(v);
        plat::ResetRandDrawCount();
    }
    CIsoGrid m_View;
};

TEST_F(PointSwarmTest, CutMakesWholeSquaresAtHome) {
    CPointSwarm s;
    s.Cut(10, 7, 3);  // the 1-pixel column and row left over make no piece
    EXPECT_EQ(s.m_SizeLimit, 3);
    EXPECT_EQ(s.m_PointCount, 6);
    EXPECT_EQ(PiecesOf(s), (std::vector<std::vector<int32_t>>{{3, 0, 0, 0, 0},
                                                              {3, 3, 0, 3, 0},
                                                              {3, 6, 0, 6, 0},
                                                              {3, 0, 3, 0, 3},
                                                              {3, 3, 3, 3, 3},
                                                              {3, 6, 3, 6, 3}}));
    s.Cut(10, 7, 0);
    EXPECT_EQ(s.m_PointCount, 0);
    EXPECT_TRUE(s.m_Pieces.empty());
    s.Cut(4, 4, 2);
    s.Clear();
    EXPECT_EQ(s.m_PointCount, 0);
    EXPECT_TRUE(s.m_Pieces.empty());
}

TEST_F(PointSwarmTest, ScatterDrawsSizesThenSpreadsThenGathers) {
    CPointSwarm s;
    s.Cut(8, 4, 4);  // two pieces, limit 4
    s.FlyTo(500, 500, 10);
    // From rest: sizes rand() mod 3 + 2, places kept.
    Draws({0, 5});
    s.Scatter(53);
    EXPECT_EQ(plat::RandDrawCount(), 2u);
    EXPECT_EQ(PiecesOf(s), (std::vector<std::vector<int32_t>>{{2, 0, 0, 0, 0}, {4, 4, 0, 4, 0}}));
    EXPECT_EQ(s.GetJitter(), 53);
    EXPECT_EQ(s.m_Mode, CPointSwarm::kJitter);
    EXPECT_EQ(s.m_Target.x, CPointSwarm::kUnset);
    EXPECT_EQ(s.m_Target.y, CPointSwarm::kUnset);
    // The same radius again: nothing, no draw.
    Draws({});
    s.Scatter(53);
    EXPECT_EQ(plat::RandDrawCount(), 0u);
    // Scattered already: each piece moves by rand() mod r - r / 2, x first.
    Draws({0, 79, 40, 41});
    s.Scatter(80);
    EXPECT_EQ(PiecesOf(s), (std::vector<std::vector<int32_t>>{{2, 0, 0, -40, 39}, {4, 4, 0, 4, 1}}));
    // Radius 0: every size back to the limit, mode 1, places kept.
    s.m_Mode = CPointSwarm::kFly;
    Draws({});
    s.Scatter(0);
    EXPECT_EQ(plat::RandDrawCount(), 0u);
    EXPECT_EQ(PiecesOf(s), (std::vector<std::vector<int32_t>>{{4, 0, 0, -40, 39}, {4, 4, 0, 4, 1}}));
    EXPECT_EQ(s.m_Mode, CPointSwarm::kJitter);
    EXPECT_EQ(s.GetJitter(), 0);
}

TEST_F(PointSwarmTest, ScatterTakesTheLimitWithoutADrawForSmallLimitsOrOnePiece) {
    struct Case {
        int32_t w, h, size;
    } cases[] = {
        {4, 2, 1},  // a limit of 1 leaves nothing to draw from (no mod 0)
        {3, 3, 3},  // one piece
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        CPointSwarm s;
        s.Cut(c.w, c.h, c.size);
        for (SwarmPiece& p : s.m_Pieces) p.size = 9;
        Draws({});
        s.Scatter(53);
        EXPECT_EQ(plat::RandDrawCount(), 0u);
        for (const SwarmPiece& p : s.m_Pieces) EXPECT_EQ(p.size, c.size);
        EXPECT_EQ(s.GetJitter(), 53);
    }
}

TEST_F(PointSwarmTest, FlyToSetsTheModeByTheTarget) {
    CPointSwarm s;
    s.FlyTo(300, 200, 28);
    EXPECT_EQ(s.m_Mode, CPointSwarm::kFly);
    EXPECT_EQ(s.m_FlightCountdown, 28);
    EXPECT_EQ(s.m_Target.x, 300);
    s.FlyTo(CPointSwarm::kUnset, 200, 5);
    EXPECT_EQ(s.m_Mode, CPointSwarm::kJitter);
    EXPECT_EQ(s.m_FlightCountdown, 5);
}

TEST_F(PointSwarmTest, AFlightMovesEachPieceItsShareOfTheWay) {
    const CGamePoint world{640, 320};
    const CGamePoint t = g_IsoGrid.WorldToScreen(world.x, world.y);
    struct Case {
        int32_t ticks;
        int draw;
        int32_t countdown;  // after the update
        CGamePoint moved;   // of a piece 90 right and 45 above the target
        int result;
    } cases[] = {
        {1, 9, 1, {90, -45}, 1},   // one tick: the whole way, whatever the draw
        {0, 0, 0, {90, -45}, 1},   // none left: also the whole way
        {28, 2, 27, {10, -5}, 0},  // 27 / 3 = 9 parts of the way; 120 left
        {3, 0, 2, {45, -22}, 0},   // 2 / 1: half, truncated; 68 left
        {28, 9, 27, {33, -16}, 0}, // 27 / 10 = 2.7: 33.3 and -16.6, truncated
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ticks * 100 + c.draw);
        CPointSwarm s;
        s.Cut(4, 4, 4);
        s.m_ScreenOrigin = {t.x - 100, t.y + 50};
        PieceAt(s, 0).x = 10;
        PieceAt(s, 0).y = -5;  // on the screen at t + (-90, 45)
        s.FlyTo(world.x, world.y, c.ticks);
        Draws({c.draw});
        EXPECT_EQ(s.Update(), c.result);
        EXPECT_EQ(s.m_FlightCountdown, c.countdown);
        EXPECT_EQ(PieceAt(s, 0).x, 10 + c.moved.x);
        EXPECT_EQ(PieceAt(s, 0).y, -5 + c.moved.y);
    }
    // Within 7 pixels (|dx| + |dy|) of the target counts as there.
    CPointSwarm s;
    s.Cut(8, 4, 4);
    s.m_ScreenOrigin = {t.x, t.y};
    PieceAt(s, 0).x = 12;
    PieceAt(s, 1).x = -14;  // 6 and 7 left after halving
    s.FlyTo(world.x, world.y, 3);
    Draws({0, 0});
    EXPECT_EQ(s.Update(), 0);
    EXPECT_EQ(PieceAt(s, 0).x, 6);
    EXPECT_EQ(PieceAt(s, 1).x, -7);
    PieceAt(s, 1).x = -6;
    Draws({0, 0});
    EXPECT_EQ(s.Update(), 1);
}

TEST_F(PointSwarmTest, JitterStaysWithinTheRadius) {
    CPointSwarm s;
    s.Cut(8, 4, 4);
    Draws({0, 0});
    s.Scatter(53);
    struct Case {
        int32_t radius;
        CGamePoint off0, off1;       // offsets from home before the tick
        std::vector<int> draws;      // x, y of piece 0, then of piece 1
        CGamePoint want0, want1;
    } cases[] = {
        {53, {0, 0}, {10, -10}, {0, 4, 2, 3}, {-2, 2}, {10, -9}},
        // 70 - 2 is 15 past 53: pulled back by 15 / 8 + 1; the same below.
        {53, {70, -70}, {0, 0}, {0, 4, 2, 2}, {66, -66}, {0, 0}},
        {1, {10, -3}, {0, 1}, {}, {8, -2}, {0, 1}},  // no jitter at 1; pulled to it
        {0, {9, -9}, {0, 0}, {}, {7, -7}, {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.radius);
        s.m_Jitter = c.radius;
        PieceAt(s, 0).x = c.off0.x;
        PieceAt(s, 0).y = c.off0.y;
        PieceAt(s, 1).x = 4 + c.off1.x;
        PieceAt(s, 1).y = c.off1.y;
        Draws(c.draws);
        EXPECT_EQ(s.Update(), 1);
        EXPECT_EQ(plat::RandDrawCount(), c.draws.size());
        EXPECT_EQ(PieceAt(s, 0).x, c.want0.x);
        EXPECT_EQ(PieceAt(s, 0).y, c.want0.y);
        EXPECT_EQ(PieceAt(s, 1).x - 4, c.want1.x);
        EXPECT_EQ(PieceAt(s, 1).y, c.want1.y);
    }
}

TEST_F(PointSwarmTest, ThePreviousAnchorLagsByTheFollowDistance) {
    CPointSwarm s;
    s.MoveAnchor(500, 500);
    EXPECT_EQ(s.m_Anchor.x, 500);
    EXPECT_EQ(s.m_PrevAnchor.x, CPointSwarm::kUnset) << "no following without a distance";
    s.m_FollowDistance = 20;
    s.MoveAnchor(500, 500);
    EXPECT_EQ(s.m_PrevAnchor, (CGamePoint{500, 500})) << "unset: taken at once";
    struct Case {
        CGamePoint anchor, prev;
    } cases[] = {
        {{600, 500}, {585, 500}},  // 100 away: 80 past the distance + 5
        {{585, 600}, {585, 585}},
        {{385, 585}, {395, 585}},  // 200 away: 180 + 10
        {{395, 604}, {395, 585}},  // 19: 0 + 0.95, not above 1
        {{395, 606}, {395, 587}},  // 21: 1 + 1.05
    };
    for (const Case& c : cases) {
        s.MoveAnchor(c.anchor.x, c.anchor.y);
        EXPECT_EQ(s.m_PrevAnchor, c.prev) << c.anchor.x << "," << c.anchor.y;
    }
}

TEST_F(PointSwarmTest, FollowingPlacesALaggingTrailInsteadOfJitter) {
    CPointSwarm s;
    s.Cut(12, 4, 4);
    Draws({2, 2, 2});  // sizes 4
    s.Scatter(53);
    s.m_FollowDistance = 20;
    s.m_Anchor = {140, 100};
    s.m_PrevAnchor = {100, 100};  // 40 along world x: 20 right, 10 down on the screen
    // k = index mod 30 - draw + 2, at least 1.
    Draws({4, 0, 2});
    EXPECT_EQ(s.Update(), 1);
    EXPECT_EQ(plat::RandDrawCount(), 3u) << "one draw a piece, none for jitter";
    EXPECT_EQ(PiecesOf(s), (std::vector<std::vector<int32_t>>{{4, 0, 0, -20, -10},  // k -2 -> 1
                                                              {4, 4, 0, 4 - 6, -3},  // k 3
                                                              {4, 8, 0, 8 - 10, -5}}));  // k 2
}

// Drawing: a 6 x 6 picture of distinct colours cut into 3 x 3 pieces, on
// a 12 x 10 surface.
class PointSwarmDrawTest : public PointSwarmTest {
protected:
    static constexpr int32_t W = 12, H = 10;
    static constexpr uint16_t kBack = 0x0841;
    void SetUp() override {
        PointSwarmTest::SetUp();
        vtest::Start565Display(m_Display, m_Keeper);
        m_Picture = std::make_unique<CSurface>(6, 6, 1);
        std::vector<uint16_t> px(36);
        for (int32_t i = 0; i < 36; ++i) px[static_cast<size_t>(i)] = static_cast<uint16_t>(0x1000 + i);
        Write(*m_Picture, px);
        m_Target = std::make_unique<CSurface>(W, H, 1);
    }
    void TearDown() override {
        m_Target.reset();
        m_Picture.reset();
        m_Keeper.reset();
        m_Display.reset();
        FreeColorTables();
        g_PixelFormat.m_Format = kFormat565;
        PointSwarmTest::TearDown();
    }
    static void Write(CSurface& s, const std::vector<uint16_t>& v) {
        uint8_t* p = s.Lock(nullptr);
        ASSERT_NE(p, nullptr);
        for (int32_t y = 0; y < s.m_Height; ++y)
            std::memcpy(p + static_cast<size_t>(y) * s.m_Pitch, &v[static_cast<size_t>(y) * s.m_Width],
                        2 * static_cast<size_t>(s.m_Width));
        s.Unlock();
    }
    // The background with the picture's square (hx, hy, side) copied to
    // (x, y), cut to the rectangle.
    static void Copy(std::vector<uint16_t>& v, int32_t x, int32_t y, int32_t hx, int32_t hy, int32_t side,
                     const CGameRect& clip) {
        for (int32_t dy = 0; dy < side; ++dy)
            for (int32_t dx = 0; dx < side; ++dx) {
                const int32_t px = x + dx, py = y + dy;
                if (!RectContains(clip, px, py) || px >= W || py >= H) continue;
                v[static_cast<size_t>(py * W + px)] = static_cast<uint16_t>(0x1000 + (hy + dy) * 6 + hx + dx);
            }
    }
    std::unique_ptr<CSurface> m_Display, m_Keeper, m_Picture, m_Target;
};

TEST_F(PointSwarmDrawTest, PiecesAreCopiedToTheirPlacesByteForByte) {
    CPointSwarm s;
    s.Cut(6, 6, 3);
    s.m_ScreenOrigin = {2, 1};
    // Piece 1 (home 3, 0) moved 4 right and 3 down; piece 2 (home 0, 3) 2 left.
    PieceAt(s, 1).x += 4;
    PieceAt(s, 1).y += 3;
    PieceAt(s, 2).x -= 2;
    const CGameRect all{0, 0, W, H};
    m_Target->FillAll(kBack);
    EXPECT_EQ(s.Draw(m_Picture.get(), m_Target.get(), all, -1), 1);
    std::vector<uint16_t> want(static_cast<size_t>(W * H), kBack);
    Copy(want, 2, 1, 0, 0, 3, all);
    Copy(want, 2 + 7, 1 + 3, 3, 0, 3, all);
    Copy(want, 2 - 2, 1 + 3, 0, 3, 3, all);
    Copy(want, 2 + 3, 1 + 3, 3, 3, 3, all);
    EXPECT_EQ(vtest::ReadSurface(*m_Target), want);
    EXPECT_EQ(s.m_DrawRect, (CGameRect{2, 1, 6, 6}));
}

TEST_F(PointSwarmDrawTest, APiecePartlyOutsideTheRectangleIsNotDrawn) {
    CPointSwarm s;
    s.Cut(6, 6, 3);
    s.m_ScreenOrigin = {2, 1};
    // The rectangle ends before x 7: the right column of home squares
    // (screen x 5 to 7) sticks out of it by one pixel.
    const CGameRect rect{0, 0, 7, H};
    m_Target->FillAll(kBack);
    EXPECT_EQ(s.Draw(m_Picture.get(), m_Target.get(), rect, -1), 1);
    std::vector<uint16_t> want(static_cast<size_t>(W * H), kBack);
    Copy(want, 2, 1, 0, 0, 3, rect);
    Copy(want, 2, 4, 0, 3, 3, rect);
    EXPECT_EQ(vtest::ReadSurface(*m_Target), want);
    EXPECT_EQ(s.m_DrawRect, (CGameRect{2, 1, 5, 6}));

    // A piece inside draws clipped to the rectangle where it has moved.
    PieceAt(s, 0).x = 4;
    m_Target->FillAll(kBack);
    EXPECT_EQ(s.Draw(m_Picture.get(), m_Target.get(), rect, -1), 1);
    want.assign(static_cast<size_t>(W * H), kBack);
    Copy(want, 6, 1, 0, 0, 3, rect);
    Copy(want, 2, 4, 0, 3, 3, rect);
    EXPECT_EQ(vtest::ReadSurface(*m_Target), want);

    // Nothing inside: nothing drawn.
    m_Target->FillAll(kBack);
    EXPECT_EQ(s.Draw(m_Picture.get(), m_Target.get(), CGameRect{9, 0, 3, H}, -1), 0);
    EXPECT_EQ(s.Draw(nullptr, m_Target.get(), rect, -1), 0);
    EXPECT_EQ(vtest::ReadSurface(*m_Target), std::vector<uint16_t>(static_cast<size_t>(W * H), kBack));
}

} // namespace test_point_swarm
