// Actors in the running fixture game: what the watching client receives
// of their motions and cells, and walks on code-built maps.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "datagen/fixture_game.h"
#include "roles/actor/actor.h"
#include "scenario/scenario.h"
#include "world/map/map_grid.h"
#include "world/objects/obj_mng.h"
#include "world/objects/handle_table.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world.h"
#include "world/scene/world_globals.h"
#include "world/sky/game_clock.h"

namespace {

using scenario::ScenarioTest;

class ActorScenarioTest : public ScenarioTest {
protected:
    // Starts the game on the map with a role "Walker" on cell (x, y),
    // which the client has seen, and makes the server side current.
    CActor* StartOn(const std::vector<std::string>& map, int x, int y) {
        datagen::FixtureGame g = datagen::DefaultFixtureGame();
        if (!map.empty()) g.map = map;
        g.objects.cha = {datagen::ObjRecord(12, 1, x, y, 0, "Walker")};
        if (!run.Start(g)) return nullptr;
        run.Seed(1);
        run.Tick(1);
        ServerSide();
        CActor* walker = nullptr;
        for (CObjNode* n = run.Scene()->m_pWorld->m_ObjMng.m_Roles.Head(); n; n = n->Next())
            if (static_cast<CGameObj*>(n) != run.Hero()) walker = dynamic_cast<CActor*>(static_cast<CGameObj*>(n));
        if (!walker) return nullptr;
        run.Scene()->UpdateViews(walker->m_Handle);
        run.Tick(1);
        ServerSide();
        return walker;
    }
    // What the server's own calls see: the scene current with its world.
    void ServerSide() {
        CScene* scene = run.Scene();
        ASSERT_NE(scene, nullptr);
        scene->m_pWorld->MakeCurrent();
        g_CurScene = scene;
    }
    // The decoded packets from `from` on, only motion and cell ones.
    std::vector<std::string> MotionAndCells(size_t from) {
        std::vector<std::string> out;
        const auto all = run.DecodedPackets();
        for (size_t i = from; i < all.size(); ++i)
            if (all[i].rfind("motion ", 0) == 0 || all[i].rfind("cell ", 0) == 0) out.push_back(all[i]);
        return out;
    }
    std::string Motion(const CActor* a, int m) {
        return "motion h=" + std::to_string(a->m_Handle & 0xFFFF) + " m=" + std::to_string(m);
    }
    std::string Cell(const CActor* a, int cx, int cy) {
        return "cell h=" + std::to_string(a->m_Handle & 0xFFFF) + " x=" + std::to_string(a->m_X) +
               " y=" + std::to_string(a->m_Y) + " cx=" + std::to_string(cx) + " cy=" + std::to_string(cy) +
               " speed=" + std::to_string(a->m_Speed);
    }
    // Ticks until the actor stands or `limit` ticks passed; the ticks run.
    int TickUntilStanding(CActor* a, int limit) {
        int n = 0;
        while (n < limit) {
            run.Tick(1);
            ServerSide();
            ++n;
            if (a->m_Motion == kMotionStand) break;
        }
        return n;
    }
};

TEST_F(ActorScenarioTest, MotionAndCellPacketsReachTheWatchingClient) {
    CActor* hero = StartOn({}, 5, 10);
    ASSERT_NE(hero, nullptr);
    // Packets sent between frame steps arrive with the next but one.
    size_t base = run.DecodedPackets().size();
    // Set-up left it standing: a stand from no motion sends both.
    hero->m_Motion = 0;
    hero->SetMotion(kMotionStand, 0, 0, 0);
    run.Tick(2);
    ServerSide();
    const CGamePoint at = hero->GetCell();
    EXPECT_EQ(MotionAndCells(base), (std::vector<std::string>{Cell(hero, at.x, at.y), Motion(hero, kMotionStand)}));
    // A repeated equal stand sends nothing.
    base = run.DecodedPackets().size();
    hero->SetMotion(kMotionStand, 0, 0, 0);
    run.Tick(2);
    ServerSide();
    EXPECT_TRUE(MotionAndCells(base).empty());

    hero->SetSpeed(8);
    const CGamePoint cell = hero->GetCell();
    ASSERT_EQ(hero->PlaceNear(cell.x + 2, cell.y, 0), 1);
    run.Tick(2);
    ServerSide();
    // The cell packet of the entry; the stand after it repeats the last
    // stand and sends nothing.
    EXPECT_EQ(MotionAndCells(base), (std::vector<std::string>{Cell(hero, cell.x + 2, cell.y)}));

    // The bytes of both kinds, field by field.
    const size_t before = run.Packets().size();
    hero->SetMotion(kMotionSlide, 0, 4, 0);
    run.Tick(4);
    ServerSide();
    const auto packets = run.Packets();
    ASSERT_GT(packets.size(), before);
    const auto& m = packets[before];
    ASSERT_EQ(m.size(), 5u);
    EXPECT_EQ(m[0], 3);
    EXPECT_EQ(m[1] | (m[2] << 8), static_cast<int>(hero->m_Handle & 0xFFFF));
    EXPECT_EQ(m[3], 52);
    EXPECT_EQ(m[4], kMotionSlide);
}

// A wall across the map between the walker (cell 8, 10) and its goal.
std::vector<std::string> WallMap() {
    std::vector<std::string> m(16, std::string(16, '.'));
    for (int i = 0; i < 16; ++i) m[0][i] = m[15][i] = m[i][0] = m[i][15] = '#';
    for (int x = 3; x <= 12; ++x) m[5][x] = '#';
    return m;
}

// The cells a walker entered, from its cell packets.
std::vector<CGamePoint> CellsOf(const std::vector<std::string>& packets, int* speed) {
    std::vector<CGamePoint> out;
    for (const std::string& p : packets) {
        int h, x, y, cx, cy, s;
        if (std::sscanf(p.c_str(), "cell h=%d x=%d y=%d cx=%d cy=%d speed=%d", &h, &x, &y, &cx, &cy, &s) != 6) continue;
        if (out.empty() || out.back().x != cx || out.back().y != cy) out.push_back({cx, cy});
        *speed = s;
    }
    return out;
}

TEST_F(ActorScenarioTest, AWalkerGoesRoundAWallWithEightAndSixteenDirections) {
    for (int dirs : {8, 16}) {
        SCOPED_TRACE(dirs);
        CActor* hero = StartOn(WallMap(), 8, 10);
        ASSERT_NE(hero, nullptr);
        ASSERT_EQ(hero->GetCell().x, 8);
        ASSERT_EQ(hero->GetCell().y, 10);
        hero->m_DirCount = dirs;
        hero->m_Facing = 0;  // set-up faces a random way
        hero->SetSpeed(16);
        hero->SetPathCapacity(200);
        SetGameTickCount(GetGameTickCount() + 100);
        const size_t base = run.DecodedPackets().size();
        hero->SetMotion(kMotionWalk, 8, 2, 1);
        ASSERT_EQ(hero->m_Motion, kMotionWalk);
        EXPECT_GT(hero->m_PathLength, 2);
        const int ticks = TickUntilStanding(hero, 400);
        EXPECT_LT(ticks, 400);
        run.Tick(2);
        ServerSide();
        EXPECT_EQ(hero->m_Motion, kMotionStand);
        // Within its approach range (1 cell) of the goal, above the wall.
        EXPECT_LE(std::abs(hero->GetCell().x - 8), 1);
        EXPECT_LE(std::abs(hero->GetCell().y - 2), 1);
        EXPECT_LT(hero->GetCell().y, 5);
        const auto got = MotionAndCells(base);
        ASSERT_FALSE(got.empty());
        EXPECT_EQ(got.front(), Motion(hero, kMotionWalk));
        EXPECT_EQ(got.back(), Motion(hero, kMotionStand));
        int speed = 0;
        const std::vector<CGamePoint> cells = CellsOf(got, &speed);
        EXPECT_EQ(speed, 16);
        std::string trail;
        for (const CGamePoint& c : cells) trail += std::to_string(c.x) + "," + std::to_string(c.y) + " ";
        // Every cell entered is passable and near the one before (a cut
        // corner enters the point after next); the walk passes the wall's
        // end at x 13.
        CGamePoint last{8, 10};
        int passedEnd = 0;
        for (const CGamePoint& c : cells) {
            EXPECT_LE(std::max(std::abs(c.x - last.x), std::abs(c.y - last.y)), 2) << trail;
            EXPECT_TRUE(g_CurMapGrid->GetCell(c.x, c.y)->AllowsWalkClass(1)) << trail;
            if (c.y == 5) passedEnd = c.x;
            last = c;
        }
        EXPECT_EQ(passedEnd, 13) << trail;
        // The exact cells, as the client learns them.
        EXPECT_EQ(trail, dirs == 8 ? "9,8 8,7 8,6 9,6 10,6 11,6 12,6 13,5 12,4 11,3 10,2 9,2 "
                                   : "8,9 9,8 8,7 8,6 9,6 10,6 11,6 12,6 13,5 12,4 11,4 11,3 10,3 9,3 ");
        run.Reset();
    }
}

} // namespace
