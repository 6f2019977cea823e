#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "datagen/map_writer.h"
#include "../path_oracle.h"
#include "platform/random.h"
#include "world/map/path_search.h"
#include "../world_fixture.h"

namespace {

// Roles whose camp is their data id, on grids made from ASCII art.
class PathTest : public wtest::WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        g_WorldHooks.getRoleCamp = [](const CGameObj* r) { return r->m_DataId; };
        SetPathCamp(1);
    }
    void TearDown() override {
        g_CurMapGrid = nullptr;
        objs.clear();
        SetPathCamp(0);
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
    uint16_t Role(int camp) {
        auto o = std::make_unique<wtest::CTestObj>(31);
        o->m_DataId = camp;
        const ObjHandle h = o->Register(-1);
        objs.push_back(std::move(o));
        return uint16_t(h & 0xFFFF);
    }
    std::vector<uint8_t> Dirs() const {
        const int n = engine.GetPathDirs(nullptr, 0);
        std::vector<uint8_t> d(size_t(n > 0 ? n : 0));
        engine.GetPathDirs(d.data(), n);
        return d;
    }

    CMapGrid grid;
    CPathSearch engine;
    std::vector<std::unique_ptr<wtest::CTestObj>> objs;
};

TEST_F(PathTest, EdgeCases) {
    Art({".....", ".....", ".....", "....."});
    CPathMap next(&grid, 1, 2, 1);
    EXPECT_EQ(engine.Search(MakePathKey(1, 1), &next, 0), 1);
    EXPECT_EQ(Dirs(), std::vector<uint8_t>{2}) << "one step right";
    EXPECT_EQ(engine.Result()->g, 1);

    CPathMap same(&grid, 1, 1, 1);
    EXPECT_EQ(engine.Search(MakePathKey(1, 1), &same, 5), -1);
    EXPECT_EQ(engine.NodeCount(), 1);
    EXPECT_EQ(engine.GetPathDirs(nullptr, 0), 0);

    grid.GetCell(4, 3)->m_Walkable = 0;
    CPathMap blockedGoal(&grid, 1, 4, 3);
    EXPECT_EQ(engine.Search(MakePathKey(0, 0), &blockedGoal, 0), 0) << "never reached";
    EXPECT_EQ(engine.Result()->h, 10) << "the closest node: a neighbour of the goal";

    CPathSearch fresh;
    EXPECT_EQ(fresh.GetPathDirs(nullptr, 0), -1);
    uint32_t k;
    EXPECT_EQ(fresh.GetPathKeys(&k, 1), -1);
}

TEST_F(PathTest, DiagonalsAndCosts) {
    Art({"...", ".#.", "..."});
    CPathMap m(&grid, 1, 1, 0);
    uint32_t out;
    int32_t cost;
    // (0, 1) -> (1, 0) up-right: beside it (1, 1) blocked, (0, 0) open.
    EXPECT_EQ(m.GetNeighbour(MakePathKey(0, 1), 1, &out, &cost), 1);
    EXPECT_EQ(cost, 3);
    grid.GetCell(0, 0)->m_Walkable = 0;
    EXPECT_EQ(m.GetNeighbour(MakePathKey(0, 1), 1, &out, &cost), 0) << "between two blocked cells";
    EXPECT_EQ(m.GetNeighbour(MakePathKey(0, 1), 0, &out, &cost), 0) << "onto a blocked cell";
    EXPECT_EQ(m.GetNeighbour(MakePathKey(0, 0), 6, &out, &cost), 0) << "off the grid";

    const uint16_t own = Role(1), own2 = Role(1), other = Role(2);
    grid.GetCell(2, 1)->SetOccupant(own);
    EXPECT_EQ(m.GetNeighbour(MakePathKey(2, 2), 0, &out, &cost), 1);
    EXPECT_EQ(cost, 9) << "onto a cell held by the own camp";
    grid.GetCell(2, 2)->SetOccupant(own2);
    EXPECT_EQ(m.GetNeighbour(MakePathKey(2, 2), 0, &out, &cost), 0) << "not from one own role's cell to another's";
    grid.GetCell(2, 2)->SetOccupant(own);
    EXPECT_EQ(m.GetNeighbour(MakePathKey(2, 2), 0, &out, &cost), 1) << "the same occupant";
    grid.GetCell(2, 0)->SetOccupant(other);
    EXPECT_EQ(m.GetNeighbour(MakePathKey(2, 1), 0, &out, &cost), 0) << "another camp blocks";

    struct E {
        int x, y, h;
    } est[] = {{1, 0, 0}, {0, 0, 10}, {1, 2, 20}, {2, 2, 24}, {-3, 1, 44}};
    for (const E& e : est) EXPECT_EQ(m.Estimate(MakePathKey(e.x, e.y)), e.h) << e.x << "," << e.y;
}

TEST_F(PathTest, BudgetsAndCapacities) {
    Art({"..........", "..........", "..........", "..........", ".........."});
    CPathMap m(&grid, 1, 9, 4);
    m.m_pEngine = &engine;
    ASSERT_EQ(engine.Search(MakePathKey(0, 0), &m, 0), 1);
    const int steps = engine.GetPathDirs(nullptr, 0);
    ASSERT_GT(steps, 3);
    std::vector<uint8_t> dirs(3);
    EXPECT_EQ(engine.GetPathDirs(dirs.data(), 3), 0);
    const std::vector<uint8_t> full = Dirs();
    EXPECT_EQ(dirs, std::vector<uint8_t>(full.begin(), full.begin() + 3)) << "the first steps";

    // The whole path, then a short buffer: the points nearest the start.
    std::vector<CGamePoint> all(64), few(3);
    const int n = m.CollectPath(all.data(), 64);
    ASSERT_EQ(n, steps + 1);
    EXPECT_EQ(all[0], (CGamePoint{9, 4}));
    EXPECT_EQ(all[size_t(n - 1)], (CGamePoint{0, 0}));
    EXPECT_EQ(m.CollectPath(few.data(), 3), 3);
    EXPECT_EQ(std::vector<CGamePoint>(few), std::vector<CGamePoint>(all.begin() + (n - 3), all.begin() + n));

    // A goal cell held by a role (of the own camp, so it is reached) is not
    // collected.
    grid.GetCell(9, 4)->SetOccupant(Role(1));
    CPathMap held(&grid, 1, 9, 4);
    held.m_pEngine = &engine;
    engine.Search(MakePathKey(0, 0), &held, 0);
    EXPECT_EQ(held.CollectPath(all.data(), 64), engine.GetPathDirs(nullptr, 0));
    EXPECT_NE(all[0], (CGamePoint{9, 4}));

    EXPECT_EQ(engine.Search(MakePathKey(0, 0), &m, 1), 0) << "budget 1 still expands the start";
    EXPECT_EQ(engine.NodeCount(), 4);
}

// Production against the reference on seeded random grids: the same result
// code, result node, directions, keys and collected points. 600 grids here;
// VANTREL_PATH_GRIDS=n runs n of them (a long run outside the suite), every
// budget on every grid.
TEST_F(PathTest, MatchesTheReferenceOnRandomGrids) {
    const char* env = std::getenv("VANTREL_PATH_GRIDS");
    const int grids = env && std::atoi(env) > 0 ? std::atoi(env) : 600;
    const bool quick = !env;
    plat::SRand(12345);
    std::vector<uint16_t> own, other;
    for (int i = 0; i < 6; ++i) own.push_back(Role(1));
    for (int i = 0; i < 6; ++i) other.push_back(Role(2));
    pathoracle::CRefPathSearch ref;
    const int32_t budgets[] = {0, 1, 7, 50, 500};
    int reached = 0, cases = 0;
    for (int t = 0; t < grids; ++t) {
        const int r = plat::Rand() % 1000;
        const int side = r < 700 ? 8 + r % 25 : r < 950 ? 33 + r % 40 : 73 + r % 56;
        const int w = side, h = t % 3 == 0 ? side : 8 + plat::Rand() % side;
        grid.Create(w, h);
        const int blocked = plat::Rand() % 40, held = plat::Rand() % 8;
        // Every fourth grid has terrain classes and a mover of another walk class.
        static const uint8_t kTerrains[] = {0, 3, 12, 14, 16};
        static const uint8_t kClasses[] = {11, 13, 15, 3};
        const bool terrain = t % 4 == 3;
        const uint8_t walkClass = terrain ? kClasses[plat::Rand() % 4] : 1;
        for (int32_t i = 0; i < grid.CellCount(); ++i) {
            CMapCell& c = grid.Cells()[i];
            c.m_Walkable = plat::Rand() % 100 >= blocked;
            if (terrain) c.m_Terrain = kTerrains[plat::Rand() % 5];
            if (plat::Rand() % 100 < held)
                c.SetOccupant(plat::Rand() % 2 ? own[size_t(plat::Rand() % 6)] : other[size_t(plat::Rand() % 6)]);
        }
        CGamePoint s{plat::Rand() % w, plat::Rand() % h}, g{plat::Rand() % w, plat::Rand() % h};
        // Now and then a start or goal just off the grid.
        if (t % 13 == 5) s.x = t % 2 ? -1 : w;
        if (t % 17 == 7) g.y = t % 2 ? -1 : h;
        for (int32_t budget : budgets) {
            if (quick && budget == 0 && w * h > 3000 && t % 4) continue;
            SCOPED_TRACE("case " + std::to_string(t) + " budget " + std::to_string(budget));
            CPathMap a(&grid, walkClass, g.x, g.y), b(&grid, walkClass, g.x, g.y);
            a.m_pEngine = &engine;
            const int rp = engine.Search(MakePathKey(s.x, s.y), &a, budget);
            const int rr = ref.Search(MakePathKey(s.x, s.y), &b, budget);
            ++cases;
            reached += rp == 1;
            ASSERT_EQ(rp, rr);
            ASSERT_EQ(engine.Result()->key, ref.Result()->key);
            ASSERT_EQ(engine.Result()->g, ref.Result()->g);
            ASSERT_EQ(engine.Result()->h, ref.Result()->h);
            ASSERT_EQ(engine.NodeCount(), ref.Made());
            const int n = engine.GetPathDirs(nullptr, 0);
            ASSERT_EQ(n, ref.GetPathDirs(nullptr, 0));
            std::vector<uint8_t> d1(size_t(n) + 1), d2(size_t(n) + 1);
            std::vector<uint32_t> k1(size_t(n) + 1), k2(size_t(n) + 1);
            ASSERT_EQ(engine.GetPathDirs(d1.data(), n), ref.GetPathDirs(d2.data(), n));
            ASSERT_EQ(engine.GetPathKeys(k1.data(), n), ref.GetPathKeys(k2.data(), n));
            ASSERT_EQ(d1, d2);
            ASSERT_EQ(k1, k2);
            std::vector<CGamePoint> pts(size_t(n) + 2);
            pts.resize(size_t(a.CollectPath(pts.data(), n + 2)));
            ASSERT_EQ(pts, ref.CollectPath(b));
        }
    }
    EXPECT_GT(reached, cases / 4) << "most searches should find their goal";
}

} // namespace
