// Actors in the running fixture game: what the watching client receives
// of their motions and cells, and walks on code-built maps.
#include <gtest/gtest.h>
#include <algorithm>

#include <string>
#include <vector>

#include "datagen/fixture_game.h"
#include "roles/actor/actor.h"
#include "roles/role.h"
#include "roles/ai/quiet_roles.h"
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
        quiet_roles::SilenceAi();
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
    // Starts the game with roles on the given cells (record names "Role0",
    // "Role1", ...), which the client has seen, and makes the server side
    // current. The roles in the order of their cells; empty on failure.
    std::vector<CActor*> StartWith(const std::vector<std::string>& map, const std::vector<CGamePoint>& cells) {
        datagen::FixtureGame g = datagen::DefaultFixtureGame();
        g.map = map;
        g.objects.cha.clear();
        for (size_t i = 0; i < cells.size(); ++i)
            g.objects.cha.push_back(datagen::ObjRecord(12, 1, cells[i].x, cells[i].y, 0, "Role" + std::to_string(i)));
        if (!run.Start(g)) return {};
        quiet_roles::SilenceAi();
        run.Seed(1);
        run.Tick(1);
        ServerSide();
        std::vector<CActor*> out(cells.size(), nullptr);
        for (CObjNode* n = run.Scene()->m_pWorld->m_ObjMng.m_Roles.Head(); n; n = n->Next()) {
            CActor* a = dynamic_cast<CActor*>(static_cast<CGameObj*>(n));
            if (!a || static_cast<CGameObj*>(n) == run.Hero()) continue;
            for (size_t i = 0; i < cells.size(); ++i)
                if (a->GetCell().x == cells[i].x && a->GetCell().y == cells[i].y) out[i] = a;
        }
        for (CActor* a : out) {
            if (!a) return {};
            run.Scene()->UpdateViews(a->m_Handle);
        }
        run.Tick(1);
        ServerSide();
        return out;
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
    // As MotionAndCells, only those of one actor.
    std::vector<std::string> MotionAndCellsOf(const CActor* a, size_t from) {
        const std::string h = " h=" + std::to_string(a->m_Handle & 0xFFFF) + " ";
        std::vector<std::string> out;
        for (const std::string& p : MotionAndCells(from))
            if (p.find(h) != std::string::npos) out.push_back(p);
        return out;
    }
    std::string Motion(const CActor* a, int m) {
        return "motion h=" + std::to_string(a->m_Handle & 0xFFFF) + " m=" + std::to_string(m);
    }
    std::string Cell(const CActor* a, int cx, int cy) { return CellAt(a, a->m_X, a->m_Y, cx, cy, a->m_Speed); }
    // The cell packet of an entry made at pixel (x, y).
    std::string CellAt(const CActor* a, int x, int y, int cx, int cy, int speed) {
        return "cell h=" + std::to_string(a->m_Handle & 0xFFFF) + " x=" + std::to_string(x) + " y=" +
               std::to_string(y) + " cx=" + std::to_string(cx) + " cy=" + std::to_string(cy) +
               " speed=" + std::to_string(speed);
    }
    // Ticks until the actor stands (at most `limit`), then two more frame
    // steps so the last packets arrive; the ticks until it stood.
    int WalkOut(CActor* a, int limit) {
        const int n = TickUntilStanding(a, limit);
        run.Tick(2);
        ServerSide();
        return n;
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

// A corridor on row 12 from x 1 to 10, walled thickly enough around its
// west end that no cell near it is free once roles fill it; the hero's
// portal (8, 8) stays open ground.
std::vector<std::string> CorridorMap() {
    std::vector<std::string> m(16, std::string(16, '.'));
    for (int i = 0; i < 16; ++i) m[0][i] = m[15][i] = m[i][0] = m[i][15] = '#';
    for (int y = 6; y <= 14; ++y)
        for (int x = 0; x <= (y >= 10 ? 11 : 7); ++x) m[y][x] = '#';
    for (int x = 1; x <= 10; ++x) m[12][x] = '.';
    return m;
}

TEST_F(ActorScenarioTest, AWalkerSkipsAFriendOnItsPath) {
    const std::vector<CActor*> roles = StartWith(CorridorMap(), {{10, 12}, {5, 12}});
    ASSERT_EQ(roles.size(), 2u);
    CActor* walker = roles[0];
    CActor* friendRole = roles[1];
    walker->m_Camp = friendRole->m_Camp = 7;
    walker->SetSpeed(16);
    walker->SetPathCapacity(60);
    friendRole->SetMotion(kMotionStand, 1, 0, 0);
    SetGameTickCount(GetGameTickCount() + 100);
    const size_t base = run.DecodedPackets().size();
    walker->SetMotion(kMotionWalk, 1, 12, 0);
    ASSERT_EQ(walker->m_Motion, kMotionWalk);
    EXPECT_LT(WalkOut(walker, 200), 200);
    EXPECT_EQ(walker->m_Motion, kMotionStand);
    EXPECT_EQ(walker->GetCell().x, 1);
    EXPECT_EQ(walker->m_X, 1 * 64 + 32);
    EXPECT_EQ(friendRole->m_BlockerHandle, walker->m_Handle);
    EXPECT_EQ(friendRole->GetCell().x, 5) << "the friend stays where it is";
    // Each entry is made from the centre of the cell before; cell 5 is
    // passed over, from 6 straight into 4.
    const int y = 12 * 64 + 32;
    EXPECT_EQ(MotionAndCellsOf(walker, base),
              (std::vector<std::string>{Motion(walker, kMotionWalk), CellAt(walker, 672, y, 9, 12, 16),
                                        CellAt(walker, 608, y, 8, 12, 16), CellAt(walker, 544, y, 7, 12, 16),
                                        CellAt(walker, 480, y, 6, 12, 16), CellAt(walker, 416, y, 4, 12, 16),
                                        CellAt(walker, 288, y, 3, 12, 16), CellAt(walker, 224, y, 2, 12, 16),
                                        CellAt(walker, 160, y, 1, 12, 16), CellAt(walker, 96, y, 1, 12, 16),
                                        Motion(walker, kMotionStand)}));
}

TEST_F(ActorScenarioTest, AWalkerWaitsForABlockingFriendAtMostThreeTimes) {
    // The walker and nine friends, who come into the corridor once its path
    // is found and fill it from x 1 to 9.
    std::vector<CGamePoint> cells{{10, 12}};
    for (int x = 1; x <= 9; ++x) cells.push_back({x + 2, 3});
    const std::vector<CActor*> roles = StartWith(CorridorMap(), cells);
    ASSERT_EQ(roles.size(), 10u);
    CActor* walker = roles[0];
    for (CActor* r : roles) r->m_Camp = 7;
    walker->SetSpeed(16);
    walker->SetPathCapacity(60);
    SetGameTickCount(GetGameTickCount() + 100);
    const size_t base = run.DecodedPackets().size();
    walker->SetMotion(kMotionWalk, 1, 12, 0);
    ASSERT_EQ(walker->m_Motion, kMotionWalk);
    ASSERT_EQ(walker->m_PathLength, 10);
    // Friends on the move (not standing) are waited for. Each comes in at
    // the west edge of its cell and, about when the walker reaches it,
    // creeps a pixel a step to its centre: it walks without leaving the cell.
    const auto creepFrom = [](int x) { return std::max(0, 16 * (8 - x)); };
    const auto creep = [&](int x) {
        CRole* f = AsRole(roles[static_cast<size_t>(x)]);
        f->m_FixedSpeed = 2;
        f->SetMotion(kMotionWalk, x, 12, 0);
        return f->m_Motion;
    };
    for (int x = 1; x <= 9; ++x) {
        CActor* f = roles[static_cast<size_t>(x)];
        ASSERT_NE(AsRole(f), nullptr);
        f->SetPixelPos(x * 64, 12 * 64 + 32);
        ASSERT_EQ(f->EnterCell(x, 12, 0), 1);
        if (creepFrom(x) == 0) {
            ASSERT_EQ(creep(x), kMotionWalk);
        }
    }
    std::vector<int> waits;
    int ticks = 0;
    for (; ticks < 200 && walker->m_Motion == kMotionWalk; ++ticks) {
        for (int x = 1; x <= 9; ++x)
            if (ticks > 0 && creepFrom(x) == ticks) {
                ASSERT_EQ(creep(x), kMotionWalk);
            }
        run.Tick(1);
        ServerSide();
        if (walker->m_WaitTicks == 15) waits.push_back(walker->m_WaitCount);
        for (int x = 1; x <= 9; ++x) {
            const CActor* f = roles[static_cast<size_t>(x)];
            EXPECT_EQ(f->GetCell().x, x) << "friend " << x << " keeps its cell";
        }
    }
    run.Tick(2);
    ServerSide();
    // Each wait skips one more friend first: points 9, 8 and 7 are passed
    // over and 8, 7 and 6 waited for, then with 6 passed over and 5 held
    // the walk searches again, finds no free cell near its goal and stands.
    EXPECT_EQ(waits, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(ticks, 1 + 3 * 16);
    EXPECT_EQ(walker->m_Motion, kMotionStand);
    EXPECT_EQ(walker->m_MoveOk, 0u);
    EXPECT_EQ(roles[6]->m_BlockerHandle, walker->m_Handle);
    EXPECT_EQ(roles[5]->m_BlockerHandle, 0u);
    EXPECT_EQ(MotionAndCellsOf(walker, base),
              (std::vector<std::string>{Motion(walker, kMotionWalk), CellAt(walker, 672, 800, 10, 12, 16),
                                        Motion(walker, kMotionStand)}));
}

// A wall down column 7 (the hero's portal at (8, 8) lies beyond it), and
// three cells of terrain 12 on row 4 before it.
std::vector<std::string> WallColumnMap() {
    std::vector<std::string> m(16, std::string(16, '.'));
    for (int i = 0; i < 16; ++i) m[0][i] = m[15][i] = m[i][0] = m[i][15] = '#';
    for (int y = 1; y <= 14; ++y) m[y][7] = '#';
    for (int x = 4; x <= 6; ++x) m[4][x] = 'a';
    return m;
}

TEST_F(ActorScenarioTest, AKnockedBackActorBouncesOffAWall) {
    const std::vector<CActor*> roles = StartWith(WallColumnMap(), {{4, 10}});
    ASSERT_EQ(roles.size(), 1u);
    CActor* a = roles[0];
    ASSERT_EQ(a->m_X, 4 * 64 + 32);
    a->SetSpeed(8);
    const size_t base = run.DecodedPackets().size();
    a->SetMotion(kMotionBounce, 7, 24, 0);  // east, 24 weakened to 20
    ASSERT_EQ(a->m_Motion, kMotionBounce);
    EXPECT_EQ(a->m_MotionP2, 20);
    EXPECT_EQ(WalkOut(a, 100), 21);
    // East by 20, 20, 19 ... until 427 would lie 53 pixels from the wall
    // cell's centre (480): back west from 413 by 13, 12, ... 1.
    const int xs[] = {308, 328, 347, 365, 382, 398, 413, 400, 388, 377, 367, 358, 350, 343, 337, 332, 328, 325, 323, 322};
    // The role enters the motion at its model's walking speed (16).
    std::vector<std::string> want{Motion(a, kMotionBounce)};
    for (int x : xs) want.push_back(CellAt(a, x, 672, x / 64, 10, 16));
    want.push_back(CellAt(a, 322, 672, 5, 10, 16));
    want.push_back(Motion(a, kMotionStand));
    EXPECT_EQ(MotionAndCellsOf(a, base), want);
    EXPECT_EQ(a->GetCell().x, 5);
}

TEST_F(ActorScenarioTest, AJumpLandsOnTheTracedCellAndAnAirborneWalkerTakesTheClassBelow) {
    const std::vector<CActor*> roles = StartWith(WallColumnMap(), {{3, 10}, {3, 4}});
    ASSERT_EQ(roles.size(), 2u);
    // On foot toward (10, 10): the trace stops at the wall, on (6, 10).
    CActor* a = roles[0];
    a->SetSpeed(8);
    size_t base = run.DecodedPackets().size();
    a->SetMotion(kMotionPlayOnce, 10, 10, 10);
    ASSERT_EQ(a->m_Motion, kMotionPlayOnce);
    EXPECT_EQ(a->GetCell().x, 6);
    EXPECT_EQ(WalkOut(a, 50), 7) << "six steps of 32, standing on the seventh tick";
    EXPECT_EQ(a->m_X, 6 * 64 + 32);
    EXPECT_EQ(MotionAndCellsOf(a, base),
              (std::vector<std::string>{CellAt(a, 224, 672, 6, 10, 32), Motion(a, kMotionPlayOnce),
                                        CellAt(a, 416, 672, 6, 10, 32), Motion(a, kMotionStand)}));

    // Airborne onto terrain 12, out of reach on foot: class 11 in the air,
    // the class of the cell below from the top of the arc on.
    CActor* b = roles[1];
    b->SetSpeed(8);
    base = run.DecodedPackets().size();
    b->SetMotion(kMotionJump, 6, 4, 10);
    ASSERT_EQ(b->m_Motion, kMotionJump);
    EXPECT_EQ(b->m_WalkClass, 11);
    EXPECT_EQ(b->GetCell().x, 6);
    int top = 0, ticks = 0;
    for (; ticks < 50 && b->m_Motion == kMotionJump; ++ticks) {
        run.Tick(1);
        ServerSide();
        top = std::max(top, b->m_Height);
    }
    run.Tick(2);
    ServerSide();
    EXPECT_EQ(ticks, 7);
    EXPECT_GT(top, 0);
    EXPECT_EQ(b->m_Height, 0);
    EXPECT_EQ(b->m_WalkClass, 12);
    EXPECT_EQ(b->m_X, 6 * 64 + 32);
    EXPECT_EQ(MotionAndCellsOf(b, base),
              (std::vector<std::string>{CellAt(b, 224, 288, 6, 4, 32), Motion(b, kMotionJump),
                                        CellAt(b, 416, 288, 6, 4, 32), Motion(b, kMotionStand)}));
}

} // namespace
