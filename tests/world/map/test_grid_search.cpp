#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "datagen/map_writer.h"
#include "platform/random.h"
#include "world/map/grid_search.h"
#include "world/map/map_grid.h"
#include "../world_fixture.h"

namespace {

// A grid from ASCII art (see datagen::BuildMapFromAscii), made current.
struct ArtGrid {
    CMapGrid grid;
    explicit ArtGrid(const std::vector<std::string>& rows) {
        const datagen::MapSpec m = datagen::BuildMapFromAscii(rows);
        grid.Create(m.width, m.height);
        for (size_t i = 0; i < m.cells.size(); ++i) {
            CMapCell& c = grid.Cells()[i];
            c.m_Walkable = m.cells[i].walkable;
            c.m_Terrain = m.cells[i].terrain;
            c.m_Surface = m.cells[i].surface;
        }
        g_CurMapGrid = &grid;
    }
    ~ArtGrid() {
        if (g_CurMapGrid == &grid) g_CurMapGrid = nullptr;
    }
};

// Roles whose camp is their data id.
class GridRoleTest : public wtest::WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        g_WorldHooks.getRoleCamp = [](const CGameObj* r) { return r->m_DataId; };
    }
    void TearDown() override {
        objs.clear();
        SetPathCamp(0);
        WorldTest::TearDown();
    }
    // A registered object of that kind and camp; its 16-bit handle.
    uint16_t Make(int kind, int camp) {
        auto o = std::make_unique<wtest::CTestObj>(kind);
        o->m_DataId = camp;
        const ObjHandle h = o->Register(-1);
        objs.push_back(std::move(o));
        return static_cast<uint16_t>(h & 0xFFFF);
    }
    std::vector<std::unique_ptr<wtest::CTestObj>> objs;
};

TEST_F(GridRoleTest, PassableAndGetRole) {
    const uint16_t own = Make(31, 5), other = Make(40, 7), prop = Make(23, 5);
    const uint16_t stale = static_cast<uint16_t>(own ^ 0x8000);
    struct Case {
        const char* what;
        uint16_t occupant;
        uint8_t walkable;
        int passable;
        bool role;
    } cases[] = {
        {"none", kNoObj, 1, kPassFree, false},
        {"occupant 0 reads as none", 0, 1, kPassFree, false},
        {"a role of the path camp", own, 1, kPassOwnCamp, true},
        {"a role of another camp", other, 1, kPassBlocked, true},
        {"a stale handle is blocked but no role", stale, 1, kPassBlocked, false},
        {"an empty slot", 300, 1, kPassBlocked, false},
        {"not a role", prop, 1, kPassBlocked, false},
        {"the walk class first", own, 0, kPassBlocked, true},
    };
    SetPathCamp(5);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CMapCell cell;
        cell.SetOccupant(c.occupant);
        cell.m_Walkable = c.walkable;
        EXPECT_EQ(cell.Passable(1), c.passable);
        EXPECT_EQ(cell.GetRole() != nullptr, c.role);
    }
    CMapCell cell;
    cell.SetOccupant(other);
    EXPECT_EQ(cell.PassableForCamp(1, 7), kPassOwnCamp);
    EXPECT_EQ(GetPathCamp(), 7);
}

TEST_F(GridRoleTest, GetRoleAtDividesTowardZero) {
    CMapGrid g;
    g.Create(4, 4);
    const uint16_t h = Make(31, 1);
    g.GetCell(0, 0)->SetOccupant(h);
    g.GetCell(1, 2)->SetOccupant(h);
    const struct {
        CGamePoint world;
        bool found;
    } cases[] = {{{0, 0}, true},    {{-63, -1}, true}, {{-64, 0}, false}, {{64, 128}, true},
                 {{127, 191}, true}, {{128, 128}, false}, {{256, 0}, false}};
    for (const auto& c : cases)
        EXPECT_EQ(g.GetRoleAt(c.world) != nullptr, c.found) << c.world.x << "," << c.world.y;
}

TEST(SpiralIter, OrderAndSize) {
    CSpiralIter it;
    it.Init(10, 20, 1);
    std::vector<CGamePoint> cells;
    CGamePoint p;
    while (it.Next(&p)) cells.push_back(p);
    const std::vector<CGamePoint> ring1 = {{10, 20}, {10, 21}, {11, 21}, {11, 20}, {11, 19},
                                           {10, 19}, {9, 19},  {9, 20},  {9, 21}};
    EXPECT_EQ(cells, ring1);
    EXPECT_FALSE(it.Next(&p)) << "stays ended";

    for (int r : {0, 2, 3, 7}) {
        it.Init(0, 0, r);
        std::set<std::pair<int, int>> seen;
        std::vector<CGamePoint> order;
        while (it.Next(&p)) {
            EXPECT_LE(std::abs(p.x), r);
            EXPECT_LE(std::abs(p.y), r);
            seen.insert({p.x, p.y});
            order.push_back(p);
        }
        EXPECT_EQ(order.size(), size_t((2 * r + 1) * (2 * r + 1))) << r;
        EXPECT_EQ(seen.size(), order.size()) << r;
        if (r == 2) {
            EXPECT_EQ(order[9], (CGamePoint{-1, 2}));
            EXPECT_EQ(order[10], (CGamePoint{0, 2}));
            EXPECT_EQ(order[24], (CGamePoint{-2, 2})) << "the last step of the last leg is not yielded";
        }
    }
}

// Radii whose 3r or 9r² pass an i32 saturate instead of wrapping.
TEST(CellSearch, HugeRadiiSaturate) {
    const struct {
        int32_t x, r;
        int32_t left, width, area;
    } cases[] = {
        {0, 15446, -15446, 46338, 2147210244},
        {0, 15447, -15447, 46341, INT32_MAX},
        {0, 15448, -15448, 46344, INT32_MAX},
        {0, INT32_MAX, -INT32_MAX, INT32_MAX, INT32_MAX},
        {INT32_MIN + 5, 100, INT32_MIN, 300, 90000},
    };
    for (const auto& c : cases) {
        BeginCellSearch(c.x, 0, c.r);
        EXPECT_EQ(g_CellSearchRect.x, c.left) << c.r;
        EXPECT_EQ(g_CellSearchRect.width, c.width) << c.r;
        EXPECT_EQ(g_CellSearchRect.height, c.width) << c.r;
        EXPECT_EQ(g_CellSearchRect.area, c.area) << c.r;
    }
}

TEST(CellSearch, BeginSetsRectangleAndSpiral) {
    BeginCellSearch(200, 130, 100);
    EXPECT_EQ(g_CellSearchRect.x, 100);
    EXPECT_EQ(g_CellSearchRect.y, 30);
    EXPECT_EQ(g_CellSearchRect.width, 300);
    EXPECT_EQ(g_CellSearchRect.area, 90000);
    EXPECT_EQ(g_SpiralIter.m_X, 3);
    EXPECT_EQ(g_SpiralIter.m_Y, 2);
    EXPECT_EQ(g_SpiralIter.m_Longest, 3) << "radius 100 / 64 = 1";
    BeginCellSearch(0, 0, 10);
    EXPECT_EQ(g_SpiralIter.m_Longest, 3) << "at least 1";
    BeginCellSearch(0, 0, 200);
    EXPECT_EQ(g_SpiralIter.m_Longest, 7);
}

TEST(FindFreeCellNear, StartAndLaterCells) {
    ArtGrid a({"......", "..#...", "......", "......"});
    CMapGrid& g = a.grid;
    struct Case {
        const char* what;
        CGamePoint start;
        int radius;
        std::function<void()> setup;
        int found;
        CGamePoint cell;
    } cases[] = {
        {"a free start", {3, 2}, 0, [] {}, 1, {3, 2}},
        {"a start with a role moves on", {3, 2}, 1, [&] { g.GetCell(3, 2)->SetOccupant(4); }, 1, {3, 3}},
        {"a later cell's role does not matter", {3, 2}, 1,
         [&] {
             g.GetCell(3, 2)->SetOccupant(4);
             g.GetCell(3, 3)->SetOccupant(4);
         },
         1, {3, 3}},
        {"ground objects never", {3, 2}, 1,
         [&] {
             g.GetCell(3, 2)->m_GroundObj = 9;
             g.GetCell(3, 3)->m_GroundObj = 9;
         },
         1, {4, 3}},
        {"a blocked cell is skipped", {2, 0}, 1, [] {}, 1, {2, 0}},
        {"blocked start", {2, 1}, 1, [] {}, 1, {2, 2}},
        {"a start outside the grid is checked", {-1, 0}, 1, [] {}, 1, {0, 1}},
        {"nothing near", {-5, -5}, 2, [] {}, 0, {-5, -5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (int32_t i = 0; i < g.CellCount(); ++i) {
            g.Cells()[i].SetOccupant(kNoObj);
            g.Cells()[i].m_GroundObj = kNoObj;
        }
        c.setup();
        CGamePoint p = c.start;
        EXPECT_EQ(FindFreeCellNear(&p, c.radius), c.found);
        EXPECT_EQ(p, c.cell);
    }
}

TEST(FindOpenDirPoint, FarthestReachAndRandomTies) {
    ArtGrid a({"..........", "....3.....", "..........", "...#......", "..........", "..........",
               "..........", "..........", "..........", ".........."});
    // From (4, 4): up stops below the class-3 cell at (4, 1) (reach 2); the
    // wall at (3, 3) is class 0 and does not stop a walk.
    plat::SRand(7);
    const uint32_t before = plat::RandState();
    const CGamePoint p = FindOpenDirPoint({4, 4}, 5);
    EXPECT_NE(plat::RandState(), before) << "ties draw";
    // Reaches: up 2, up-right 4, right 5, down-right 5, down 5, down-left 4,
    // left 4, up-left 4. Three directions tie at 5.
    const std::set<std::pair<int, int>> best = {{9, 4}, {9, 9}, {4, 9}};
    EXPECT_TRUE(best.count({p.x, p.y})) << p.x << "," << p.y;

    // Same seed, same answer: two draws, in direction order.
    plat::SRand(7);
    const int r1 = plat::Rand(), r2 = plat::Rand();
    CGamePoint expect{9, 4};
    if (r1 % 2 == 0) expect = {9, 9};
    if (r2 % 3 == 0) expect = {4, 9};
    plat::SRand(7);
    EXPECT_EQ(FindOpenDirPoint({4, 4}, 5), expect);

    EXPECT_EQ(FindOpenDirPoint({4, 4}, 1), (CGamePoint{-1, -1})) << "a reach of 1 is too short";
    ArtGrid boxed({"333", "3.3", "333"});
    EXPECT_EQ(FindOpenDirPoint({1, 1}, 5), (CGamePoint{-1, -1}));
}

// The occupied-cell walk gives exactly the cells of the plain spiral that
// lie in the grid and hold an occupant, in order, for grids across the
// 64-cell word edges, centres on and off the grid and radii past its size,
// with occupants written, overwritten and cleared.
TEST(SpiralIter, OccupiedWalkIsThePlainWalkFiltered) {
    std::mt19937 gen(60);
    for (const auto& [w, h] : {std::pair{1, 1}, {5, 9}, {64, 3}, {70, 130}, {129, 65}}) {
        CMapGrid grid;
        ASSERT_TRUE(grid.Create(w, h));
        const int writes = w * h / 3 + 1;
        for (int round = 0; round < 4; ++round) {
            for (int k = 0; k < writes; ++k) {
                CMapCell* c = grid.GetCell(int(gen() % uint32_t(w)), int(gen() % uint32_t(h)));
                const uint16_t values[4] = {0, kNoObj, uint16_t(1 + gen() % 500), uint16_t(0x8000 | (gen() % 500))};
                c->SetOccupant(values[gen() % 4]);
            }
            for (int q = 0; q < 40; ++q) {
                const int x = int(gen() % uint32_t(w + 20)) - 10, y = int(gen() % uint32_t(h + 20)) - 10;
                const int r = 1 + int(gen() % uint32_t(std::max(w, h) + 4));
                std::vector<CGamePoint> plain, fast;
                CSpiralIter a, b;
                a.Init(x, y, r);
                b.Init(x, y, r);
                for (CGamePoint p; a.Next(&p);)
                    if (const CMapCell* c = grid.GetCell(p.x, p.y); c && c->m_Occupant != 0 && c->m_Occupant != kNoObj)
                        plain.push_back(p);
                for (CGamePoint p; b.NextOccupied(grid, &p);) fast.push_back(p);
                ASSERT_EQ(fast, plain) << w << "x" << h << " at " << x << "," << y << " radius " << r;
                EXPECT_FALSE(b.Next(nullptr));
            }
        }
    }
}

TEST(SpiralIter, OccupancyBitsFollowTheCellsThroughCreateAndLooseCells) {
    CMapGrid grid;
    ASSERT_TRUE(grid.Create(8, 8));
    grid.GetCell(3, 4)->SetOccupant(7);
    EXPECT_TRUE(grid.IsOccupied(3, 4));
    grid.GetCell(3, 4)->SetOccupant(0);
    EXPECT_FALSE(grid.IsOccupied(3, 4));
    grid.GetCell(3, 4)->SetOccupant(9);
    // A new map starts empty.
    ASSERT_TRUE(grid.Create(8, 8));
    EXPECT_FALSE(grid.IsOccupied(3, 4));
    EXPECT_EQ(grid.OccupiedRow(8), nullptr);
    EXPECT_EQ(grid.OccupiedColumn(-1), nullptr);
    // A cell of no grid keeps its word alone.
    CMapCell loose;
    loose.SetOccupant(5);
    EXPECT_EQ(loose.m_Occupant, 5);
    grid.Clear();
    EXPECT_FALSE(grid.IsOccupied(0, 0));
}

} // namespace
