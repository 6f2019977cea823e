#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "datagen/map_writer.h"
#include "world/map/iso_grid.h"
#include "world/map/line_walk.h"
#include "world/map/map_grid.h"
#include "../world_fixture.h"

namespace {

class LineTest : public wtest::WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        g_WorldHooks.getRoleCamp = [](const CGameObj* r) { return r->m_DataId; };
    }
    void TearDown() override {
        g_CurMapGrid = nullptr;
        objs.clear();
        WorldTest::TearDown();
    }
    void Art(const std::vector<std::string>& rows) {
        const datagen::MapSpec m = datagen::BuildMapFromAscii(rows);
        grid.Create(m.width, m.height);
        for (size_t i = 0; i < m.cells.size(); ++i) {
            grid.Cells()[i].m_Walkable = m.cells[i].walkable;
            grid.Cells()[i].m_Terrain = m.cells[i].terrain;
        }
        g_CurMapGrid = &grid;
    }
    wtest::CTestObj* Role(int camp, CGamePoint cell) {
        auto o = std::make_unique<wtest::CTestObj>(31);
        o->m_DataId = camp;
        const ObjHandle h = o->Register(-1);
        o->m_X = cell.x * 64 + 32;
        o->m_Y = cell.y * 64 + 32;
        grid.GetCell(cell.x, cell.y)->SetOccupant(uint16_t(h & 0xFFFF));
        objs.push_back(std::move(o));
        return objs.back().get();
    }
    CMapGrid grid;
    std::vector<std::unique_ptr<wtest::CTestObj>> objs;
};

TEST_F(LineTest, TraceCellLine) {
    Art({"..........", "..........", "......3...", ".........."});
    // N = 0 takes one step, N = 3 four; the line goes on past the target.
    EXPECT_EQ(TraceCellLine({0, 0}, {2, 0}, 0, 0, 1, 1), (CGamePoint{1, 0}));
    EXPECT_EQ(TraceCellLine({0, 0}, {2, 0}, 3, 0, 1, 1), (CGamePoint{4, 0}));
    EXPECT_EQ(TraceCellLine({0, 0}, {2, 0}, 3, 1, 1, 1), (CGamePoint{2, 0})) << "stops at the target";
    EXPECT_EQ(TraceCellLine({0, 0}, {0, 0}, 5, 0, 1, 1), (CGamePoint{0, 0})) << "n = 0";
    EXPECT_EQ(TraceCellLine({0, 0}, {2, 0}, -1, 0, 1, 1), (CGamePoint{0, 0}));
    EXPECT_EQ(TraceCellLine({2, 2}, {9, 2}, 10, 0, 1, 1), (CGamePoint{5, 2})) << "mode 1 stops at class 3";
    EXPECT_EQ(TraceCellLine({2, 2}, {9, 2}, 10, 0, 4, 1), (CGamePoint{5, 2})) << "mode 4: class 3 must pass";
    EXPECT_EQ(TraceCellLine({0, 0}, {2, 0}, 20, 0, 1, 1), (CGamePoint{9, 0})) << "to the grid edge";
    EXPECT_EQ(TraceCellLine({0, 0}, {2, 0}, INT32_MAX, 0, 1, 1), (CGamePoint{9, 0})) << "no bound but the grid";
    EXPECT_EQ(TraceCellLine({0, 0}, {2, 0}, 3, 0, 7, 1), (CGamePoint{0, 0})) << "an unknown mode never passes";
    Role(1, {3, 0});
    EXPECT_EQ(TraceCellLine({0, 0}, {2, 0}, 4, 0, 1, 1), (CGamePoint{5, 0})) << "a role's cell is passed, not kept";
    EXPECT_EQ(TraceCellLine({0, 0}, {2, 0}, 4, 0, 0, 1), (CGamePoint{2, 0})) << "mode 0 stops at a role";
}

TEST_F(LineTest, CellLineClearAndSampling) {
    Art({"..........", "..........", "......3...", "....#....."});
    EXPECT_TRUE(IsCellLineClear({1, 1}, {1, 1}, 0)) << "length 0";
    EXPECT_TRUE(IsCellLineClear({0, 2}, {5, 2}, 1));
    EXPECT_FALSE(IsCellLineClear({0, 2}, {8, 2}, 1));
    EXPECT_FALSE(IsCellLineClear({0, 2}, {8, 2}, 3)) << "class 3 needs walk class 1";
    EXPECT_TRUE(IsCellLineClear({0, 3}, {8, 3}, 3)) << "a class-0 wall does not stop mode 3";
    EXPECT_FALSE(IsCellLineClear({0, 3}, {8, 3}, 1));
    EXPECT_FALSE(IsCellLineClear({0, 0}, {12, 0}, 1)) << "the grid edge";
    EXPECT_FALSE(IsCellLineClear({0, 0}, {3, 0}, 5));
    Role(2, {2, 0});
    EXPECT_FALSE(IsCellLineClear({0, 0}, {3, 0}, 0));
    EXPECT_TRUE(IsCellLineClear({0, 0}, {3, 0}, 1));

    EXPECT_TRUE(IsLinePassable({0, 0}, {9, 0}, 1));
    EXPECT_TRUE(IsLinePassable({0, 0}, {10, 0}, 1)) << "samples stop below the length: the last at 9.5, cell 9";
    EXPECT_FALSE(IsLinePassable({0, 0}, {11, 0}, 1)) << "a sample at 10 lies off the grid";
    EXPECT_FALSE(IsLinePassable({0, 0}, {13, 0}, 1));
    EXPECT_FALSE(IsLinePassable({0, 3}, {9, 3}, 1));
    EXPECT_FALSE(IsLineFree({0, 0}, {9, 0}, 1));
    EXPECT_TRUE(IsLineFree({0, 1}, {9, 1}, 1));
    EXPECT_TRUE(IsLinePassable({2, 0}, {2, 0}, 1));
    EXPECT_FALSE(IsLineFree({2, 0}, {2, 0}, 1));
    EXPECT_FALSE(IsLinePassable({-1, 0}, {-1, 0}, 1));
}

TEST_F(LineTest, DirectionsGaugeAndPoints) {
    const float pi = 3.1415925f;
    EXPECT_FLOAT_EQ(Dir8ToAngle(0), pi / 4);
    EXPECT_FLOAT_EQ(Dir8ToAngle(6), -pi / 4);
    EXPECT_EQ(Dir8ToAngle(7), 0.0f);
    float a = 1.0f;
    AddDirAngle(0, &a);
    EXPECT_EQ(a, 1.0f);
    AddDirAngle(2, &a);
    EXPECT_FLOAT_EQ(a, 1.0f + pi / 2);

    EXPECT_EQ(PointAlongLine({0, 0}, {10, 0}, 0.5f), (CGamePoint{5, 0}));
    EXPECT_EQ(PointAlongLine({0, 0}, {3, 4}, 1.5f), (CGamePoint{4, 6}));
    EXPECT_EQ(PointAlongLine({0, 0}, {-3, -4}, 1.0f), (CGamePoint{-3, -3})) << "float sine, truncated toward zero";

    const CGamePoint p = NextDirPoint({0, 0}, 2);
    const CGamePoint q = NextDirPoint({0, 0}, 2);
    EXPECT_NE(p, q) << "the counter turns";

    struct G {
        int32_t percent;
        int result;
        std::vector<CGaugeRect> rects;
    } gauges[] = {
        {0, 1, {{73, 71, 74, 93}}},
        {-5, 1, {{73, 71, 74, 93}}},
        {10, 1, {{51, 71, 74, 93}}},
        {40, 1, {{8, 71, 74, 93}, {0, 48, 15, 71}}},
        {70, 1, {{8, 71, 74, 93}, {0, 9, 15, 71}, {15, 0, 42, 19}}},
        {100, 1, {{8, 71, 74, 93}, {0, 9, 15, 71}, {15, 0, 81, 19}, {71, 19, 93, 45}}},
        {101, 0, {}},
    };
    for (const G& g : gauges) {
        std::vector<CGaugeRect> r;
        int32_t n = -1;
        EXPECT_EQ(BuildGaugeRects(&r, &n, g.percent), g.result) << g.percent;
        if (g.result) {
            EXPECT_EQ(r, g.rects) << g.percent;
            EXPECT_EQ(n, int32_t(g.rects.size()));
        }
    }
}

TEST_F(LineTest, HostilityAndPlayerCamp) {
    Art({"....", "...."});
    wtest::CTestObj *a = Role(5, {1, 0}), *b = Role(5, {2, 0}), *c = Role(7, {1, 1});
    wtest::CTestObj *p = Role(10001, {2, 1}), *q = Role(20000, {3, 1}), *s = Role(200, {3, 0});
    EXPECT_FALSE(AreRolesHostile(a, b));
    EXPECT_TRUE(AreRolesHostile(a, c));
    EXPECT_TRUE(AreRolesHostile(p, a));
    EXPECT_FALSE(AreRolesHostile(p, q));
    Mng().AddCampRecord(10001);
    EXPECT_FALSE(AreRolesHostile(s, p));
    static wtest::CTestObj* s_Player;
    s_Player = p;
    g_GridSearchHooks.getControlledRole = [] { return static_cast<CGameObj*>(s_Player); };
    EXPECT_TRUE(IsPlayerCamp(10001));
    EXPECT_FALSE(IsPlayerCamp(5));
    g_GridSearchHooks.getControlledRole = nullptr;
    EXPECT_FALSE(IsPlayerCamp(10001));
}

TEST_F(LineTest, RoleSpiralsAndPicking) {
    Art({"......", "......", "......", "......", "......", "......"});
    wtest::CTestObj* near = Role(3, {2, 3});
    wtest::CTestObj* far = Role(3, {4, 4});
    // Around cell (2, 2): the spiral meets (2, 3) first.
    EXPECT_EQ(FindFirstRoleNear(2 * 64 + 32, 2 * 64 + 32, 64), near);
    EXPECT_EQ(FindNextRoleNear(), nullptr) << "(4, 4) lies outside the spiral of radius 1";
    EXPECT_EQ(FindFirstRoleNear(2 * 64 + 32, 2 * 64 + 32, 130), near);
    EXPECT_EQ(FindNextRoleNear(), far);

    g_IsoGrid.SetView(0, 0, 0, 0);
    for (auto* r : {near, far}) {
        const CGamePoint s = g_IsoGrid.WorldToScreen(r->m_X, r->m_Y);
        r->m_ScreenRect = {s.x - 10, s.y - 40, 20, 40};
    }
    const CGamePoint at = g_IsoGrid.WorldToScreen(near->m_X, near->m_Y);
    EXPECT_EQ(PickRoleAtPoint(at, {2, 3}, 0), near);
    EXPECT_EQ(PickRoleAtPoint({at.x + 500, at.y}, {2, 3}, 0), nullptr);
    g_WorldHooks.isRoleDead = [](const CGameObj* r) { return r->m_DataId == 3 && r->m_X == 2 * 64 + 32 ? 1 : 0; };
    EXPECT_NE(PickRoleAtPoint(at, {2, 3}, 0), near) << "the dead are skipped";
    g_WorldHooks.isRoleDead = nullptr;
}

} // namespace
