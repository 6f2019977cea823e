// The actor on a code-built grid without clients: cells, placement,
// facing, speed, state bytes, the path buffer and the motion rules.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/txt_table.h"
#include "datagen/table_writer.h"
#include "gfx/anim.h"
#include "gfx/role_sprite.h"
#include "platform/random.h"
#include "roles/actor/actor.h"
#include "support/test_env.h"
#include "world/map/map_grid.h"
#include "world/objects/handle_table.h"
#include "world/objects/obj_mng.h"
#include "world/map/path_search.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world_hooks.h"
#include "world/scene/world_globals.h"
#include "world/sky/game_clock.h"

namespace {

// Records the slot calls the motion rules make.
class CProbeActor : public CActor {
public:
    void SetAnimIndex(int32_t i) override { anims.push_back(i); }
    int TestFlag(uint32_t mask) const override { return (flags & mask) ? 1 : 0; }
    void SetFlag(uint32_t mask, int on) override { flags = on ? (flags | mask) : (flags & ~mask); }
    int IsUntargetable() override { return untargetable; }
    void Order(int32_t command, uint32_t a, uint32_t b, uint32_t c, int, int) override {
        orders.push_back({command, static_cast<int32_t>(a), static_cast<int32_t>(b), static_cast<int32_t>(c)});
    }
    void SetPosture(int32_t p) override { posture = p; }
    std::vector<int32_t> anims;
    uint32_t flags = 0;
    int untargetable = 1;
    std::vector<std::vector<int32_t>> orders;
    int32_t posture = 0;
};

class ActorTest : public vtest::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        plat::SRand(7);
        m_Table = std::make_unique<CHandleTable>();
        g_CurHandleTable = m_Table.get();
        m_Grid = std::make_unique<CMapGrid>();
        ASSERT_EQ(m_Grid->Create(10, 10), 1);
        g_CurMapGrid = m_Grid.get();
        m_Mng = std::make_unique<CObjMng>();
        g_CurObjMng = m_Mng.get();
        SetGameTickCount(1000);
        CreateActorPathSearch();  // as start-up does
        m_Hooks = g_WorldHooks;
        g_WorldHooks.getRoleCamp = [](const CGameObj* o) {
            const CActor* a = dynamic_cast<const CActor*>(o);
            return a ? a->m_Camp : 0;
        };
        g_WorldHooks.getBodyRadius = [](const CGameObj* o) {
            const CActor* a = dynamic_cast<const CActor*>(o);
            return a ? a->m_Radius : 0;
        };
    }
    void TearDown() override {
        m_Actors.clear();
        g_CurScene = nullptr;
        m_Scene.reset();
        m_Mng.reset();
        m_Grid.reset();
        m_Table.reset();
        ClearCurrentWorld();
        SetGameTickCount(0);
        g_WorldHooks = m_Hooks;
        TempDirTest::TearDown();
    }
    // An actor registered in the table, standing on the cell's centre.
    CProbeActor* Add(int cx, int cy, int32_t speed = 8) {
        auto a = std::make_unique<CProbeActor>();
        a->m_Kind = 31;  // a role, as cells see it
        a->Register(-1);
        a->m_Speed = a->m_Step = speed;
        a->SetPathCapacity(60);
        a->SetPixelPos(cx * 64 + 32, cy * 64 + 32);
        EXPECT_EQ(a->EnterCell(cx, cy, 0), 1);
        m_Actors.push_back(std::move(a));
        return m_Actors.back().get();
    }
    // The server side: a scene without clients.
    void Server() {
        m_Scene = std::make_unique<CScene>("t");
        g_CurScene = m_Scene.get();
    }
    // A composed sprite whose main part holds `count` two-frame animations,
    // animation 0 current; the actor owns it.
    CRoleSprite* GiveSprite(CActor* a, int32_t count, CRoleSprite* sprite = nullptr) {
        if (!sprite) sprite = new CRoleSprite;
        auto part = std::make_unique<CRolePart>();
        CTrailAnim& anim = part->m_Anim;
        anim.m_pPlayers = std::make_unique<CAnimPlayer[]>(static_cast<size_t>(count));
        anim.m_SeqCount = count;
        for (int32_t i = 0; i < count; ++i) {
            auto seq = std::make_unique<CAnimSeq>();
            seq->m_pFrames = std::make_unique<CAnimFrame[]>(2);
            seq->m_FrameCount = 2;
            anim.m_pPlayers[static_cast<size_t>(i)].Init(*seq);
            m_Seqs.push_back(std::move(seq));
        }
        sprite->m_pMainPart = part.get();
        sprite->m_Parts.push_back(std::move(part));
        a->m_pSprite = sprite;
        return sprite;
    }
    CMapCell* Cell(int x, int y) { return m_Grid->GetCell(x, y); }
    uint16_t Occupant(int x, int y) { return Cell(x, y)->m_Occupant; }
    static uint16_t H(const CActor* a) { return static_cast<uint16_t>(a->m_Handle & 0xFFFF); }

    std::unique_ptr<CHandleTable> m_Table;
    std::unique_ptr<CMapGrid> m_Grid;
    std::unique_ptr<CObjMng> m_Mng;
    std::unique_ptr<CScene> m_Scene;
    std::vector<std::unique_ptr<CAnimSeq>> m_Seqs;  // before the actors: their frames outlive the players
    std::vector<std::unique_ptr<CProbeActor>> m_Actors;
    CWorldHooks m_Hooks;
};

// Counts its destructions, so a test sees the actor free its sprite.
class CCountedSprite : public CRoleSprite {
public:
    explicit CCountedSprite(int* count) : m_pCount(count) {}
    ~CCountedSprite() override { ++*m_pCount; }
    int* m_pCount;
};

// Every cell blocked but the given rows' cells from x0 to x1.
void OnlyCorridor(CMapGrid& grid, int y, int x0, int x1) {
    for (int cy = 0; cy < grid.Height(); ++cy)
        for (int cx = 0; cx < grid.Width(); ++cx)
            grid.GetCell(cx, cy)->m_Walkable = (cy == y && cx >= x0 && cx <= x1) ? 1 : 0;
}

TEST_F(ActorTest, ConstructionDefaults) {
    CActor a;
    EXPECT_EQ(a.m_Motion, -1);
    EXPECT_EQ(a.m_PathCapacity, 5);
    EXPECT_EQ(a.m_PathCapacityWanted, 0);
    EXPECT_EQ(a.m_PushDivisor, 5);
    EXPECT_EQ(a.m_RoleScratch0, -1);
    EXPECT_EQ(a.m_HeldPosition.x, -1);
    EXPECT_LT(a.m_TickCount, 100u);
    for (const auto& o : a.m_Overrides) EXPECT_EQ(o.countdown, -1);
    EXPECT_EQ(a.GetPathPoint(0), nullptr) << "no buffer before SetPathCapacity";
}

TEST_F(ActorTest, StateBytesKeepTheMaskAndReadZeroPastTheArray) {
    CActor a;
    a.SetState(44, 1);
    EXPECT_EQ(a.HasState(300), 1) << "300 & 255 = 44";
    // The countdowns follow the flags in memory: an unchecked read of 200
    // would land on countdown 72.
    a.m_StateCountdowns[72] = 9;
    a.m_StateCountdowns[0] = 9;
    for (int k : {128, 200, 255, 383}) EXPECT_EQ(a.HasState(k), 0) << k;
    a.ClearStates();
    EXPECT_EQ(a.HasState(44), 0);
    EXPECT_EQ(a.m_StateCountdowns[72], 0);
}

TEST_F(ActorTest, PathBufferCapacityAndBounds) {
    CActor a;
    a.SetPathCapacity(30);
    EXPECT_EQ(a.m_PathCapacityWanted, 30);
    EXPECT_EQ(a.m_PathCapacity, 20);
    EXPECT_NE(a.GetPathPoint(20), nullptr);
    EXPECT_EQ(a.GetPathPoint(21), nullptr);
    EXPECT_EQ(a.GetPathPoint(-1), nullptr);
    a.SetPathCapacity(3);
    EXPECT_EQ(a.m_PathCapacity, 5) << "at least 5";
    EXPECT_EQ(a.GetPathPoint(0)->x, 0);
}

TEST_F(ActorTest, EnterCellModes) {
    CProbeActor* a = Add(2, 2);
    CProbeActor* b = Add(5, 5);
    EXPECT_EQ(Occupant(2, 2), H(a));
    // Another role's cell: the nearest free cell within 2 rings.
    ASSERT_EQ(a->EnterCell(5, 5, 0), 1);
    EXPECT_EQ(Occupant(5, 5), H(b));
    EXPECT_EQ(Occupant(2, 2), kNoObj) << "the old cell let go";
    EXPECT_EQ(Occupant(a->GetCell().x, a->GetCell().y), H(a));
    EXPECT_LE(std::abs(a->GetCell().x - 5), 1);
    // Outside the grid fails except in mode 1, which finds a cell.
    EXPECT_EQ(a->EnterCell(-3, 4, 0), 0);
    EXPECT_EQ(a->EnterCell(-3, 4, 1), 1);
    EXPECT_EQ(a->GetCell().x, 0);
    // A cell that fails the walk class: refused, except in mode 2.
    Cell(7, 7)->m_Walkable = 0;
    EXPECT_EQ(a->EnterCell(7, 7, 0), 0);
    EXPECT_EQ(a->EnterCell(7, 7, 2), 1);
    EXPECT_EQ(Occupant(7, 7), H(a));
    // Mode 1 on a blocked cell takes a free passable one.
    EXPECT_EQ(a->EnterCell(7, 7, 1), 1);
    EXPECT_NE(a->GetCell().x * 100 + a->GetCell().y, 707);
    a->m_Removed = 1;
    EXPECT_EQ(a->EnterCell(1, 1, 0), 0) << "a removed actor fails";
}

TEST_F(ActorTest, EnterCellFailsWhenNoFreeCellIsNearAnotherRole) {
    CProbeActor* a = Add(8, 8);
    CProbeActor* b = Add(2, 2);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x)
            if (!(x == 2 && y == 2)) Cell(x, y)->m_Walkable = 0;
    EXPECT_EQ(a->EnterCell(2, 2, 0), 0);
    EXPECT_EQ(Occupant(8, 8), H(a)) << "a failed entry keeps the old cell";
    EXPECT_EQ(Occupant(2, 2), H(b));
}

TEST_F(ActorTest, EnterCellOnAHeldCellLooksTwoRingsOut) {
    struct Case {
        int blockedRings;  // rings around the held cell left without a free cell
        int entered;
        int ring;          // Chebyshev distance of the cell taken
    } cases[] = {{0, 1, 1}, {1, 1, 2}, {2, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.blockedRings);
        CProbeActor* a = Add(0, 0);
        CProbeActor* b = Add(5, 5);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x)
                Cell(x, y)->m_Walkable = std::max(std::abs(x - 5), std::abs(y - 5)) > c.blockedRings ||
                                         (x == 5 && y == 5) || (x == 0 && y == 0);
        EXPECT_EQ(a->EnterCell(5, 5, 0), c.entered);
        const CGamePoint at = a->GetCell();
        if (c.entered) {
            EXPECT_EQ(std::max(std::abs(at.x - 5), std::abs(at.y - 5)), c.ring);
            EXPECT_EQ(Occupant(at.x, at.y), H(a));
        } else {
            EXPECT_EQ(at.x, 0);
            EXPECT_EQ(Occupant(0, 0), H(a));
        }
        EXPECT_EQ(Occupant(5, 5), H(b));
        m_Actors.clear();
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x) *Cell(x, y) = CMapCell{};
    }
}

TEST_F(ActorTest, SaveAndRestorePositionKeepTheHeldCell) {
    CProbeActor* a = Add(3, 3);
    a->SavePosition();
    EXPECT_EQ(a->m_HeldPosition.x, 3 * 64 + 32);
    a->SetPixelPos(6 * 64 + 10, 6 * 64 + 10);
    ASSERT_EQ(a->EnterCell(6, 6, 0), 1);
    EXPECT_EQ(Occupant(3, 3), H(a)) << "the held cell stays marked while away";
    EXPECT_EQ(Occupant(6, 6), H(a));
    a->RestorePosition();
    EXPECT_EQ(a->m_X, 3 * 64 + 32);
    EXPECT_EQ(a->GetCell().x, 3);
    EXPECT_EQ(Occupant(6, 6), kNoObj);
    EXPECT_EQ(Occupant(3, 3), H(a));
    EXPECT_EQ(a->m_pHeldCell, nullptr);
    EXPECT_EQ(a->m_HeldPosition.x, -1);
    EXPECT_EQ(a->m_PreviousPosition.x, 6 * 64 + 10);
}

TEST_F(ActorTest, PlaceNearTakesTheNearestFreeCellAndStands) {
    CProbeActor* a = Add(1, 1);
    CProbeActor* b = Add(5, 5);
    ASSERT_EQ(a->PlaceNear(5, 5, 0), 1);
    EXPECT_NE(a->GetCell().x * 100 + a->GetCell().y, 505);
    EXPECT_EQ(a->m_X, a->GetCell().x * 64 + 32);
    EXPECT_EQ(a->m_Motion, kMotionStand);
    EXPECT_EQ(Occupant(1, 1), kNoObj);
    EXPECT_EQ(Occupant(5, 5), H(b));
    // Its own cell counts as free for itself.
    const CGamePoint own = a->GetCell();
    ASSERT_EQ(a->PlaceNear(own.x, own.y, 0), 1);
    EXPECT_EQ(a->GetCell().x, own.x);
    EXPECT_EQ(a->GetCell().y, own.y);
    ASSERT_EQ(a->PlaceNear(50, -4, 0), 1) << "off the grid: its nearest edge cell";
    EXPECT_EQ(a->GetCell().x, 9);
    EXPECT_EQ(a->GetCell().y, 0);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) Cell(x, y)->m_Walkable = 0;
    EXPECT_EQ(a->PlaceNear(2, 2, 0), 0) << "nothing free within 6 rings";
}

TEST_F(ActorTest, FacingWithEightAndSixteenDirections) {
    CProbeActor* a = Add(4, 4);
    Server();
    a->m_DefaultAnimGroup = 19;  // group (19 / 8) = 2
    a->SetDirection(3);
    EXPECT_EQ(a->m_Facing, 3);
    ASSERT_EQ(a->anims.size(), 1u);
    EXPECT_EQ(a->anims[0], 16 + 3);
    a->SetDirection(3);
    EXPECT_EQ(a->anims.size(), 1u) << "an unchanged direction selects nothing";
    a->TurnBy(6);
    EXPECT_EQ(a->m_Facing, 1);
    a->TurnBy(-3);
    EXPECT_EQ(a->m_Facing, 6);
    EXPECT_EQ(a->GetFacing8(), 6);
    // Point (x + 64, y) seen from the actor lies in the same direction
    // GetDir8 gives; FaceTo turns that way.
    const CGamePoint me{a->m_X, a->m_Y}, east{a->m_X + 64, a->m_Y};
    a->FaceTo(east, me);
    EXPECT_EQ(a->m_Facing, GetDir8(east, me));

    a->m_DirCount = 16;
    a->SetDirection8(5);
    EXPECT_EQ(a->m_Facing, 10);
    EXPECT_EQ(a->GetFacing8(), 5);
    a->TurnBy(7);
    EXPECT_EQ(a->m_Facing, 1);
    a->FaceTo(east, me);
    EXPECT_EQ(a->m_Facing, GetDir16(east, me));
    g_CurScene = nullptr;
    a->anims.clear();
    a->SetDirection(2);
    EXPECT_TRUE(a->anims.empty()) << "the client side selects no animation";
}

TEST_F(ActorTest, SetSpeedFrameDelayBands) {
    // Model column 28: the speed the walk animation was drawn at (10).
    std::vector<std::string> head(30, "c"), cells(30, "0");
    cells[1] = "1";
    cells[28] = "10";
    ASSERT_TRUE(datagen::WriteTable(Dir() + "Role.txt", {head, cells}));
    CTxtTable table;
    ASSERT_EQ(table.Load("Role.txt", 1, 1, 1), 1);
    ASSERT_NE(table.GetRow(1), nullptr);
    CActor a;
    a.m_pModelRow = table.GetRow(1);
    struct Case {
        int speed;
        int delay;
    } cases[] = {{10, 0}, {30, -3}, {24, -2}, {29, -2}, {14, -1}, {23, -1}, {4, 5}, {5, 4},
                 {6, 3},  {7, 2},   {8, 1},   {13, 1},  {11, 1}};
    for (const Case& c : cases) {
        a.SetSpeed(c.speed);
        EXPECT_EQ(a.m_Speed, c.speed);
        EXPECT_EQ(a.m_Step, c.speed);
        EXPECT_EQ(a.m_WalkFrameDelay, c.delay) << c.speed;
    }
    a.SetState(62, 1);
    a.SetSpeed(9);
    EXPECT_EQ(a.m_Speed, 4) << "halved while state 62";
    a.SetSpeed(1);
    EXPECT_EQ(a.m_Speed, 1) << "at least 1";
}

TEST_F(ActorTest, AnimationSetOfTheSprite) {
    CActor bare;
    EXPECT_EQ(bare.GetAnimSet(), nullptr);
    EXPECT_EQ(bare.GetAnimAt(0), nullptr);
    EXPECT_EQ(bare.GetCurrentAnim(), nullptr);
    EXPECT_EQ(bare.GetCurrentAnimIndex(), 0);
    bare.SelectAnim(1);
    bare.SetAnimOrDefault(2);
    EXPECT_EQ(bare.m_DefaultAnimGroup, 2) << "the group is kept without a sprite";

    CActor a;
    GiveSprite(&a, 4);
    CAnimRes* set = a.GetAnimSet();
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(a.GetAnimAt(2), set->Player(2));
    EXPECT_EQ(a.GetAnimAt(4), set->Player(0)) << "out of range: the first";
    EXPECT_EQ(a.GetAnimAt(-1), set->Player(0));
    EXPECT_EQ(a.GetCurrentAnim(), set->Player(0));
    EXPECT_EQ(a.GetCurrentAnimIndex(), 0);

    // Selecting another animation restarts it; the same one or one out of
    // range leaves everything as it is.
    CAnimPlayer* two = set->Player(2);
    two->m_CurFrame = 1;
    two->m_Tick = 3;
    a.SelectAnim(2);
    EXPECT_EQ(a.GetCurrentAnimIndex(), 2);
    EXPECT_EQ(a.GetCurrentAnim(), two);
    EXPECT_EQ(two->m_CurFrame, 0);
    EXPECT_EQ(two->m_Tick, 0);
    two->m_CurFrame = 1;
    a.SelectAnim(2);
    EXPECT_EQ(two->m_CurFrame, 1) << "unchanged: no restart";
    for (int32_t i : {4, -1, 99}) {
        a.SelectAnim(i);
        EXPECT_EQ(a.GetCurrentAnimIndex(), 2) << i;
    }
    a.m_DefaultAnimGroup = 1;
    a.SetAnimOrDefault(-1);
    EXPECT_EQ(a.GetCurrentAnimIndex(), 1);
    EXPECT_EQ(a.m_DefaultAnimGroup, 1);
    a.SetAnimOrDefault(3);
    EXPECT_EQ(a.m_DefaultAnimGroup, 3);
    EXPECT_EQ(a.GetCurrentAnimIndex(), 3);
}

TEST_F(ActorTest, TheActorDestroysItsSprite) {
    int destroyed = 0;
    {
        CActor a;
        GiveSprite(&a, 1, new CCountedSprite(&destroyed));
    }
    EXPECT_EQ(destroyed, 1);
}

TEST_F(ActorTest, SetSpeedAdjustsTheWalkAnimationsOfEveryDirection) {
    // Column 9 holds the first walk animation; without it column 10 does.
    std::vector<std::string> head(30, "c"), withWalk(30, "0"), withoutWalk(30, "0");
    withWalk[1] = "1";
    withWalk[9] = "4";
    withWalk[28] = "10";
    withoutWalk[1] = "2";
    withoutWalk[9] = "";
    withoutWalk[10] = "8*9*10";
    withoutWalk[28] = "10";
    ASSERT_TRUE(datagen::WriteTable(Dir() + "Role.txt", {head, withWalk, withoutWalk}));
    CTxtTable table;
    ASSERT_EQ(table.Load("Role.txt", 1, 1, 1), 1);
    struct Case {
        int row, dirs, first, speed, delay;
    } cases[] = {{1, 8, 4, 5, 4}, {1, 8, 4, 30, -3}, {2, 8, 8, 7, 2}, {1, 16, 4, 14, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row * 1000 + c.speed);
        CActor a;
        a.m_pModelRow = table.GetRow(c.row);
        a.m_DirCount = c.dirs;
        GiveSprite(&a, 24);
        a.SetSpeed(c.speed);
        for (int32_t i = 0; i < 24; ++i)
            EXPECT_EQ(a.GetAnimSet()->Player(i)->m_DelayOffset, i >= c.first && i < c.first + c.dirs ? c.delay : 0)
                << i;
    }
}

TEST_F(ActorTest, APlayOnceMotionWaitsForTheEndOfItsAnimation) {
    CProbeActor* a = Add(2, 4, 8);
    Server();
    GiveSprite(a, 2);
    a->SetMotion(kMotionPlayOnce, 4, 4, 10);
    ASSERT_EQ(a->m_Motion, kMotionPlayOnce);
    a->flags &= ~512u;  // the role cleared its playing flag
    for (int i = 0; i < 30; ++i) {
        a->Update();
        a->PostUpdate();
    }
    EXPECT_TRUE(a->IsStepDone());
    EXPECT_EQ(a->m_Motion, kMotionPlayOnce) << "the animation still plays";
    a->GetCurrentAnim()->m_CurFrame = 1;  // last frame, last tick
    a->Update();
    EXPECT_EQ(a->m_Motion, kMotionStand);
    // The playing flag ends it as soon as the step has ended.
    a->GetCurrentAnim()->m_CurFrame = 0;
    a->SetMotion(kMotionPlayOnce, 2, 4, 10);
    ASSERT_EQ(a->m_Motion, kMotionPlayOnce);
    for (int i = 0; i < 30 && a->m_Motion == kMotionPlayOnce; ++i) {
        a->Update();
        a->PostUpdate();
    }
    EXPECT_EQ(a->m_Motion, kMotionStand);
}

TEST_F(ActorTest, ClientSideSetMotionOnlyStores) {
    CProbeActor* a = Add(4, 4);
    a->SetMotion(kMotionWalk, 8, 8, 0);
    EXPECT_EQ(a->m_Motion, kMotionWalk);
    EXPECT_EQ(a->m_PathLength, 0) << "no path search on the client side";
    // An airborne jump takes the mover class; class 11 toward a cell that is
    // not terrain 12 falls back to 1.
    a->SetMotion(kMotionJump, 6, 4, 0);
    EXPECT_EQ(a->m_WalkClass, 1);
    Cell(6, 4)->m_Terrain = 12;
    a->SetMotion(kMotionJump, 6, 4, 1);
    EXPECT_EQ(a->m_WalkClass, 11);
}

TEST_F(ActorTest, StandRequestsAndPlayOnceMotions) {
    CProbeActor* a = Add(4, 4);
    Server();
    // A play-once motion set directly (its start is not built here).
    for (int32_t motion : {kMotionPlayOnce, kMotionJump}) {
        a->m_Motion = motion;
        a->SetMotion(kMotionStand, 0, 0, 0);
        EXPECT_EQ(a->m_Motion, motion) << "a stand without p1 lets it finish";
        a->SetMotion(kMotionStand, 1, 0, 0);
        EXPECT_EQ(a->m_Motion, kMotionStand);
    }
}

TEST_F(ActorTest, SlowActorsOnlyWalk) {
    for (int32_t speed : {0, 1}) {
        CProbeActor* a = Add(2 + speed * 3, 2, speed);
        Server();
        a->SetMotion(kMotionStand, 1, 0, 0);
        for (int32_t motion : {kMotionBounce, kMotionSlide, kMotionArc, kMotionPushed}) {
            a->SetMotion(motion, 2, 20, 0);
            EXPECT_EQ(a->m_Motion, kMotionStand) << speed << " " << motion;
        }
        SetGameTickCount(GetGameTickCount() + 100);
        a->SetMotion(kMotionWalk, 8, 8, 0);
        EXPECT_EQ(a->m_Motion, kMotionWalk) << speed;
    }
}

TEST_F(ActorTest, KnockBackStrength) {
    struct Case {
        int32_t in, out;
    } cases[] = {{10, 10}, {16, 16}, {17, 16}, {20, 18}, {40, 28}, {100, 32}};
    for (const Case& c : cases) {
        CProbeActor* a = Add(1 + static_cast<int>(m_Actors.size()), 5, 8);
        Server();
        a->SetMotion(kMotionSlide, 2, c.in, 7);
        EXPECT_EQ(a->m_Motion, kMotionSlide);
        EXPECT_EQ(a->m_MotionP2, c.out) << c.in;
        EXPECT_EQ(a->m_MotionP3, 0);
    }
}

TEST_F(ActorTest, CanKeepMovingWaitsAfterAFailedStart) {
    CProbeActor* a = Add(4, 4);
    a->m_LastPathTick = 1000;
    a->m_MoveOk = 0;
    a->m_Camp = 10000;  // a player camp waits 10 ticks
    SetGameTickCount(1009);
    EXPECT_EQ(a->CanKeepMoving(), 0);
    SetGameTickCount(1010);
    EXPECT_EQ(a->CanKeepMoving(), 1);
    a->m_Camp = 5;  // others two seconds
    EXPECT_EQ(a->CanKeepMoving(), 0);
    SetGameTickCount(1056);
    EXPECT_EQ(a->CanKeepMoving(), 1);
    SetGameTickCount(944);
    EXPECT_EQ(a->CanKeepMoving(), 1) << "absolute difference";
    SetGameTickCount(1001);
    a->m_MoveOk = 1;
    EXPECT_EQ(a->CanKeepMoving(), 1);
}

TEST_F(ActorTest, GetTargetClearsAStaleHandle) {
    CProbeActor* a = Add(4, 4);
    CProbeActor* b = Add(6, 6);
    a->m_TargetHandle = b->m_Handle;
    EXPECT_EQ(a->GetTarget(), b);
    a->m_TargetHandle = b->m_Handle ^ 0x8000;  // other generation
    EXPECT_EQ(a->GetTarget(), nullptr);
    EXPECT_EQ(a->m_TargetHandle, 0u);
    a->SetBlocker(a->m_Handle);
    EXPECT_EQ(a->m_BlockerHandle, 0u) << "never its own handle";
    a->SetBlocker(b->m_Handle);
    EXPECT_EQ(a->m_BlockerHandle, b->m_Handle);
}

TEST_F(ActorTest, ApplyServerPositionOnTheClientSide) {
    CProbeActor* a = Add(2, 2);
    // Less than 64 pixels off: the actor steps there from where it is.
    a->ApplyServerPosition(3, 2, 2 * 64 + 60, 2 * 64 + 32, 16);
    EXPECT_EQ(a->m_Speed, 16);
    EXPECT_EQ(a->m_X, 2 * 64 + 32);
    EXPECT_EQ(a->GetCell().x, 3);
    EXPECT_EQ(a->m_StepsLeft, 64 / 16);
    // 64 or more: it jumps to the point.
    a->ApplyServerPosition(6, 2, 6 * 64 + 32, 2 * 64 + 32, 0x108);
    EXPECT_EQ(a->m_X, 6 * 64 + 32);
    EXPECT_EQ(a->m_Speed, 8) << "the low byte";
    Server();
    a->ApplyServerPosition(8, 8, 8 * 64, 8 * 64, 4);
    EXPECT_EQ(a->GetCell().x, 6) << "ignored while a scene is current";
}

// ---- steps, pushes and walking

TEST_F(ActorTest, WindScalesTheStepByTheFacing) {
    CProbeActor* a = Add(1, 1, 10);
    Server();
    m_Scene->m_Weather.SetWeather(9, 100);  // wind blows toward direction 3
    ASSERT_EQ(CActor::WindDirection(), 3);
    struct Case {
        int32_t facing, step;
    } cases[] = {{4, 15}, {3, 13}, {5, 13}, {2, 8}, {6, 8}, {0, 5}, {7, 5}, {1, 5}};
    for (const Case& c : cases) {
        a->m_Facing = c.facing;
        EXPECT_EQ(a->PlanStep(a->m_X + 600, a->m_Y, 10), 0);
        EXPECT_EQ(a->m_Step, c.step) << c.facing;
        EXPECT_EQ(a->m_StepsLeft, 600 / c.step);
    }
    m_Scene->m_Weather.SetWeather(1, 100);
    a->m_Step = 10;
    EXPECT_EQ(a->PlanStep(a->m_X + 600, a->m_Y, 30), 0);
    EXPECT_EQ(a->m_StepsLeft, 60) << "without wind the step field, not the argument";
    EXPECT_EQ(a->PlanStep(a->m_X + 5, a->m_Y, 10), 1) << "shorter than a step: nothing";
    EXPECT_EQ(a->PlanStep(a->m_X, a->m_Y, 10), 1);
    EXPECT_EQ(a->PlanStep(a->m_X + 600, a->m_Y, 0), 1);
}

TEST_F(ActorTest, AStepAdvancesToItsPoint) {
    CProbeActor* a = Add(1, 1, 10);
    ASSERT_EQ(a->PlanStep(a->m_X + 64, a->m_Y, 8), 0);
    int ticks = 0;
    while (!a->AdvanceStep()) ++ticks;
    EXPECT_EQ(ticks + 1, 8);
    EXPECT_EQ(a->m_X, 96 + 64);
    EXPECT_EQ(a->m_Y, 96);
    EXPECT_EQ(a->AdvanceStep(), 1) << "no step running";

    // A secondary step is planned aside; the running one goes on.
    ASSERT_EQ(a->PlanStep(a->m_X + 64, a->m_Y, 8), 0);
    a->PlanPushStep(4, 8, 5, 77);  // 32 pixels south at 8
    EXPECT_EQ(a->m_SecondaryStep[0], 77);
    EXPECT_EQ(a->m_SecondaryStep[1], 4);
    float dy = 0.0f;
    std::memcpy(&dy, &a->m_SecondaryStep[3], sizeof dy);
    EXPECT_EQ(dy, 8.0f);
    EXPECT_EQ(a->m_StepsLeft, 8);
    EXPECT_EQ(a->m_StepDelta[0], 8.0f);
}

TEST_F(ActorTest, PushesKeepClearOfBlockedCellsButNotOfTheGridEdge) {
    CProbeActor* a = Add(1, 1);
    Cell(0, 1)->m_Walkable = 0;
    a->SetPixelPos(120, 96);
    EXPECT_EQ(a->TryPush(20, 3, 1), 1) << "68 pixels from the wall's centre";
    EXPECT_EQ(a->m_X, 100);
    EXPECT_EQ(a->TryPush(5, 3, 1), 0) << "63 pixels";
    EXPECT_EQ(a->m_X, 100);
    EXPECT_EQ(a->TryPush(0, 3, 1), 1) << "a zero offset";
    CProbeActor* b = Add(0, 5);
    EXPECT_EQ(b->TryPush(10, 3, 1), 1) << "outside the grid nothing blocks";
    EXPECT_EQ(b->m_X, 22);
    b->m_Motion = kMotionWalk;
    EXPECT_EQ(b->TryPush(10, 7, 1), 0) << "only standing and knocked-back actors are pushed";
}

TEST_F(ActorTest, APushCarriesAnOverlappingNeighbourAlong) {
    CProbeActor* a = Add(3, 3);
    CProbeActor* b = Add(4, 3);
    a->SetRadius(40);
    b->SetRadius(40);
    const int32_t bx = b->m_X;
    ASSERT_EQ(a->TryPush(20, 7, 1), 1);
    EXPECT_EQ(b->m_X, bx + 20);
    EXPECT_EQ(a->TryPush(20, 7, 0), 0) << "no chain: the overlapping body stops it";
}

TEST_F(ActorTest, AKnockedBackActorBouncesOffAWall) {
    CProbeActor* a = Add(3, 3, 8);
    Server();
    for (int y = 0; y < 10; ++y) Cell(5, y)->m_Walkable = 0;
    a->SetMotion(kMotionBounce, 7, 24, 0);  // east at 24 -> 20
    ASSERT_EQ(a->m_Motion, kMotionBounce);
    EXPECT_EQ(a->m_MotionP2, 20);
    int maxX = a->m_X, ticks = 0, turned = 0;
    while (a->m_Motion == kMotionBounce && ticks < 100) {
        a->Update();
        maxX = std::max(maxX, a->m_X);
        if (a->m_MotionP1 == 3) turned = 1;
        ++ticks;
    }
    EXPECT_EQ(a->m_Motion, kMotionStand);
    EXPECT_TRUE(turned) << "reversed at the wall";
    EXPECT_LT(maxX, 5 * 64 + 32 - 64) << "kept 65 pixels from the wall's centre";
    EXPECT_LT(a->m_X, maxX) << "came back from it";
    EXPECT_EQ(Occupant(a->m_X / 64, a->m_Y / 64), H(a));

    // A slide stops at the wall.
    CProbeActor* b = Add(3, 6, 8);
    b->SetMotion(kMotionSlide, 7, 20, 0);
    ticks = 0;
    while (b->m_Motion == kMotionSlide && ticks < 100) {
        b->Update();
        ++ticks;
    }
    EXPECT_EQ(b->m_Motion, kMotionStand);
    EXPECT_LE(b->m_X, 5 * 64 + 32 - 65);
}

TEST_F(ActorTest, StandingUpOnASlideCellBouncesInTheTravelDirection) {
    CProbeActor* a = Add(4, 4, 8);
    Server();
    Cell(4, 4)->m_Special = 2;
    a->m_Motion = kMotionWalk;
    a->SetPixelPos(a->m_X - 8, a->m_Y);
    a->SetPixelPos(a->m_X + 8, a->m_Y);  // came from the west
    a->SetMotion(kMotionStand, 0, 0, 0);
    EXPECT_EQ(a->m_Motion, kMotionBounce);
    EXPECT_EQ(a->m_MotionP1, 7);
    EXPECT_EQ(a->m_MotionP2, 8) << "at the actor's speed";
    a->m_Motion = kMotionSlide;
    a->SetMotion(kMotionStand, 0, 0, 0);
    EXPECT_EQ(a->m_Motion, kMotionStand) << "only after walking, play-once, pushed, return or hit";
}

TEST_F(ActorTest, ABlockedGoalOneCellAwayEndsWithoutAPathSearch) {
    CProbeActor* a = Add(4, 4, 8);
    Add(5, 4);
    Server();
    ActorPathSearch()->Reset();
    SetGameTickCount(2000);
    a->SetMotion(kMotionWalk, 5, 4, 0);
    EXPECT_EQ(a->m_Motion, kMotionStand);
    EXPECT_EQ(a->m_MoveOk, 0u);
    EXPECT_EQ(ActorPathSearch()->NodeCount(), 0) << "no search ran";
    // Off the cell's centre it walks back to it instead.
    a->SetPixelPos(a->m_X + 10, a->m_Y);
    SetGameTickCount(3000);
    a->SetMotion(kMotionWalk, 5, 4, 0);
    EXPECT_EQ(a->m_Motion, kMotionWalk);
    EXPECT_EQ(a->m_PathIndex, 1);
    EXPECT_EQ(a->GetPathPoint(0)->x, 4);
    EXPECT_EQ(ActorPathSearch()->NodeCount(), 0);
    for (int i = 0; i < 20 && a->m_Motion == kMotionWalk; ++i) a->Update();
    EXPECT_EQ(a->m_Motion, kMotionStand);
    EXPECT_EQ(a->m_X, 4 * 64 + 32);
}

TEST_F(ActorTest, OnePathEngineMadeOnceAndNoSearchWithoutIt) {
    CPathSearch* engine = ActorPathSearch();
    ASSERT_NE(engine, nullptr);
    CreateActorPathSearch();
    EXPECT_EQ(ActorPathSearch(), engine) << "a second call keeps the first";
    CProbeActor* a = Add(3, 2, 8);
    a->m_PathGoal = {6, 2};
    DeleteActorPathSearch();
    EXPECT_EQ(ActorPathSearch(), nullptr);
    EXPECT_EQ(a->FindPath(), 0);
    CreateActorPathSearch();
    EXPECT_EQ(a->FindPath(), 1);
}

TEST_F(ActorTest, ATwoPointPathSucceedsOnlyWhenItsFirstPointIsTheGoal) {
    CProbeActor* a = Add(3, 2, 8);
    a->m_PathGoal = {4, 2};
    EXPECT_EQ(a->FindPath(), 1);
    EXPECT_EQ(a->m_PathLength, 2);
    EXPECT_EQ(a->m_PathIndex, 0);
    EXPECT_EQ(Occupant(4, 2), kNoObj) << "the goal's occupant restored";
    // Behind a wall the search ends next to the actor: two points, not the goal.
    for (int y = 0; y < 10; ++y) Cell(5, y)->m_Walkable = 0;
    a->m_PathGoal = {7, 2};
    EXPECT_EQ(a->FindPath(), 0);
    EXPECT_EQ(a->m_PathLength, 2);
    EXPECT_EQ(a->GetPathPoint(0)->x, 4);
    a->m_PathGoal = {3, 2};
    EXPECT_EQ(a->FindPath(), 0) << "a one-point path";
}

TEST_F(ActorTest, ACornerCutEntersThePointAfterNext) {
    // Facing east on (1, 1), the path turns south-east to (2, 2) and east
    // again to (3, 2): the walker goes for (3, 2) at once, two cells away,
    // unless it cannot enter it.
    for (bool blocked : {false, true}) {
        SCOPED_TRACE(blocked);
        CProbeActor* a = Add(1, 1, 8);
        ASSERT_EQ(a->GetCell().x * 10 + a->GetCell().y, 11);
        Server();
        Cell(3, 2)->m_Walkable = blocked ? 0 : 1;
        a->m_Facing = 7;
        a->m_Motion = kMotionWalk;
        a->m_PathGoal = {4, 2};
        a->m_StepDone = 1;
        a->m_PathFound = 1;
        *a->GetPathPoint(0) = {4, 2};
        *a->GetPathPoint(1) = {3, 2};
        *a->GetPathPoint(2) = {2, 2};
        a->m_PathIndex = 2;
        a->Update();
        EXPECT_EQ(a->GetCell().x, blocked ? 2 : 3);
        EXPECT_EQ(a->GetCell().y, 2);
        EXPECT_EQ(a->m_PathIndex, blocked ? 1 : 0);
        EXPECT_EQ(a->m_StepTarget.x, (blocked ? 2 : 3) * 64 + 32);
        EXPECT_EQ(a->m_Facing, blocked ? 6 : 7) << "a cut keeps the facing";
        m_Actors.clear();
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x) Cell(x, y)->SetOccupant(kNoObj);
    }
}

TEST_F(ActorTest, AWalkerSkipsAFriendOnItsPath) {
    OnlyCorridor(*m_Grid, 5, 1, 8);
    CProbeActor* a = Add(1, 5, 16);
    Server();
    a->m_Camp = 7;
    a->SetMotion(kMotionWalk, 8, 5, 0);
    ASSERT_EQ(a->m_Motion, kMotionWalk);
    CProbeActor* f = Add(3, 5);
    f->m_Camp = 7;
    std::vector<int> cells;
    for (int i = 0; i < 200 && a->m_Motion == kMotionWalk; ++i) {
        a->Update();
        a->PostUpdate();
        if (cells.empty() || cells.back() != a->GetCell().x) cells.push_back(a->GetCell().x);
    }
    EXPECT_EQ(a->m_Motion, kMotionStand);
    EXPECT_EQ(cells, (std::vector<int>{2, 4, 5, 6, 7, 8}));
    EXPECT_EQ(f->m_BlockerHandle, a->m_Handle);
    EXPECT_EQ(a->m_X, 8 * 64 + 32);
}

TEST_F(ActorTest, AWalkerWaitsForABlockingFriendAtMostThreeTimes) {
    OnlyCorridor(*m_Grid, 5, 1, 8);
    CProbeActor* a = Add(1, 5, 16);
    Server();
    a->m_Camp = 7;
    a->SetDirection(7);
    a->SetMotion(kMotionWalk, 8, 5, 0);
    ASSERT_EQ(a->m_Motion, kMotionWalk);
    // Friends on the moving fill the corridor after the search.
    for (int x = 2; x <= 8; ++x) {
        CProbeActor* f = Add(x, 5);
        f->m_Camp = 7;
        f->m_Motion = kMotionWalk;
    }
    std::vector<int> waits;
    int ticks = 0;
    for (; ticks < 300 && a->m_Motion == kMotionWalk; ++ticks) {
        a->Update();
        if (a->m_WaitTicks == 15) waits.push_back(a->m_WaitCount);
    }
    EXPECT_EQ(waits, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(a->m_Motion, kMotionStand);
    EXPECT_EQ(a->m_MoveOk, 0u);
    EXPECT_EQ(a->GetCell().x, 1);
    EXPECT_GE(ticks, 3 * 15);
}

TEST_F(ActorTest, AJumpLandsOnTheTracedCellAndTakesItsClass) {
    CProbeActor* a = Add(2, 4, 8);
    Server();
    // A wall on the way: the trace stops before it.
    Cell(6, 4)->m_Walkable = 0;
    a->SetMotion(kMotionPlayOnce, 8, 4, 10);
    ASSERT_EQ(a->m_Motion, kMotionPlayOnce);
    EXPECT_EQ(a->GetCell().x, 5);
    EXPECT_EQ(a->m_Speed, 32) << "a jump moves at four times the speed";
    int ticks = 0;
    for (; ticks < 50 && a->m_Motion == kMotionPlayOnce; ++ticks) {
        a->Update();
        a->PostUpdate();
    }
    EXPECT_EQ(a->m_Motion, kMotionStand);
    EXPECT_EQ(a->m_X, 5 * 64 + 32);
    EXPECT_EQ(Occupant(5, 4), H(a));
    EXPECT_EQ(Occupant(2, 4), kNoObj);

    // Airborne onto terrain 12 (not walkable on foot): class 11 for the
    // flight, the landing cell's class after.
    CProbeActor* b = Add(2, 7, 8);
    for (int x = 3; x <= 5; ++x) {
        Cell(x, 7)->m_Terrain = 12;
        Cell(x, 7)->m_Walkable = 0;
    }
    b->SetMotion(kMotionJump, 5, 7, 10);
    ASSERT_EQ(b->m_Motion, kMotionJump);
    EXPECT_EQ(b->m_WalkClass, 11);
    int top = 0;
    for (ticks = 0; ticks < 60 && b->m_Motion == kMotionJump; ++ticks) {
        b->Tick();
        b->Update();
        b->PostUpdate();
        top = std::max(top, b->m_Height);
    }
    EXPECT_EQ(b->m_Motion, kMotionStand);
    EXPECT_GT(top, 0) << "it rose";
    EXPECT_EQ(b->GetCell().x, 5);
    EXPECT_EQ(b->m_WalkClass, 12) << "the class of the cell it landed on";
    // Toward a cell that is not terrain 12 the flight keeps class 1.
    CProbeActor* c = Add(2, 1, 8);
    c->SetMotion(kMotionJump, 5, 1, 10);
    EXPECT_EQ(c->m_WalkClass, 1);
}

TEST_F(ActorTest, APushedActorMovesItsCellsAndStops) {
    CProbeActor* a = Add(2, 2, 8);
    Server();
    a->SetMotion(kMotionPushed, 7, 3, 16);
    ASSERT_EQ(a->m_Motion, kMotionPushed);
    EXPECT_EQ(a->m_Facing, 3) << "it faces the pusher";
    EXPECT_EQ(a->m_Speed, 16);
    EXPECT_EQ(a->m_PushLimit, 3 * 64);
    int ticks = 0;
    for (; ticks < 60 && a->m_Motion == kMotionPushed; ++ticks) {
        a->Update();
    }
    EXPECT_EQ(a->m_Motion, kMotionStand);
    EXPECT_EQ(a->GetCell().x, 5);
    EXPECT_EQ(a->m_X, 5 * 64 + 32);
    // A wall stops the push.
    CProbeActor* b = Add(2, 6, 8);
    Cell(5, 6)->m_Walkable = 0;
    b->SetMotion(kMotionPushed, 7, 5, 0);
    for (ticks = 0; ticks < 80 && b->m_Motion == kMotionPushed; ++ticks) b->Update();
    EXPECT_EQ(b->m_Motion, kMotionStand);
    EXPECT_EQ(b->GetCell().x, 4);
}

TEST_F(ActorTest, APushEndsAtItsDistanceOrWhenItsCellsRunOut) {
    Server();
    struct Case {
        int32_t offset;  // pixels east of the cell's centre at the start
        int32_t cells;
        int ticks;       // the tick on which it stands
        int32_t endCell;
    } cases[] = {
        {0, 3, 13, 5},  // 3 x 4 steps of 16, standing the tick after the last
        {20, 2, 7, 4},  // 44 + 64 pixels: short of 128 when the cells run out
    };
    int row = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offset);
        CProbeActor* a = Add(2, row, 16);
        a->SetPixelPos(a->m_X + c.offset, a->m_Y);
        a->SetMotion(kMotionPushed, 7, c.cells, 0);
        ASSERT_EQ(a->m_Motion, kMotionPushed);
        int ticks = 0;
        while (a->m_Motion == kMotionPushed && ticks < 100) {
            a->Update();
            ++ticks;
        }
        EXPECT_EQ(ticks, c.ticks);
        EXPECT_EQ(a->GetCell().x, c.endCell);
        EXPECT_EQ(a->m_X, c.endCell * 64 + 32);
        row += 2;
    }
}

TEST_F(ActorTest, ACirclesFirstTickTakesTheAngleAsArcsMeasureIt) {
    // Arcs and circles measure the centre's angle from the y axis and place
    // by cos / sin of it: an actor due north of the centre lands west of it,
    // a quarter turn, on the first tick.
    CProbeActor* a = Add(5, 3, 8);
    Server();
    const CGamePoint centre{5 * 64 + 32, 5 * 64 + 32};
    a->SetMotion(kMotionCircle, centre.x, centre.y, 0);
    ASSERT_EQ(a->m_Motion, kMotionCircle);
    EXPECT_EQ(a->m_StepPos[0], 0.0f);
    a->Update();
    // 128 x (cos, sin)(pi + 2 pi / 28) = (-124.8, -28.5)
    EXPECT_NEAR(a->m_X, centre.x - 124, 1);
    EXPECT_NEAR(a->m_Y, centre.y - 28, 1);
    EXPECT_EQ(a->GetCell().x, 3);
    EXPECT_EQ(a->GetCell().y, 5);
}

TEST_F(ActorTest, ACircleKeepsItsDistanceAndEndsAfterASecond) {
    CProbeActor* a = Add(5, 3, 8);
    Server();
    const CGamePoint centre{5 * 64 + 32, 5 * 64 + 32};
    a->SetMotion(kMotionCircle, centre.x, centre.y, 0);
    ASSERT_EQ(a->m_Motion, kMotionCircle);
    EXPECT_EQ(a->m_StepsLeft, 28);
    int ticks = 0, sides = 0;
    for (; ticks < 40 && a->m_Motion == kMotionCircle; ++ticks) {
        a->Update();
        const double d = std::hypot(a->m_X - centre.x, a->m_Y - centre.y);
        // The radius is the truncated distance of the tick before, each
        // coordinate truncated again: it may shrink, by under 2 a tick.
        EXPECT_LE(d, 128.5);
        EXPECT_GE(d, 128.0 - 2.0 * (ticks + 1));
        EXPECT_EQ(Occupant(a->m_X / 64, a->m_Y / 64), H(a));
        if (a->m_X > centre.x + 80) sides |= 1;
        if (a->m_X < centre.x - 80) sides |= 2;
        if (a->m_Y > centre.y + 80) sides |= 4;
        if (a->m_Y < centre.y - 80) sides |= 8;
    }
    EXPECT_EQ(ticks, 28);
    EXPECT_EQ(sides, 15) << "once round the centre";
    EXPECT_EQ(a->m_Motion, kMotionStand);
}

TEST_F(ActorTest, ReturningToTheOwnCellWalksBackAndStands) {
    CProbeActor* a = Add(4, 4, 8);
    Server();
    a->SetPixelPos(4 * 64 + 32 - 40, 4 * 64 + 32);  // pushed 40 pixels west
    a->SetMotion(kMotionReturn, 4, 4, 0);
    ASSERT_EQ(a->m_Motion, kMotionReturn);
    EXPECT_EQ(a->m_PushDivisor, 1);
    EXPECT_EQ(a->TestFlag(0x10000), 1) << "running";
    int ticks = 0;
    for (; ticks < 20 && a->m_Motion == kMotionReturn; ++ticks) a->Update();
    EXPECT_EQ(a->m_Motion, kMotionStand);
    EXPECT_EQ(a->m_X, 4 * 64 + 32);
    EXPECT_EQ(a->m_PushDivisor, 5);
    EXPECT_EQ(a->TestFlag(0x10000), 0);
}

TEST_F(ActorTest, OverlappingStandingBodiesAreSeparated) {
    CProbeActor* a = Add(4, 4, 8);
    CProbeActor* b = Add(5, 4, 8);
    Server();
    a->SetRadius(48);
    b->SetRadius(48);
    a->SetMotion(kMotionStand, 1, 0, 0);
    b->SetMotion(kMotionStand, 1, 0, 0);
    // 64 apart with radii 96 in all: 32 too close; a is pushed by 32 / 5.
    a->Update();
    EXPECT_EQ(a->m_X, 4 * 64 + 32 - 6);
    EXPECT_EQ(a->m_Y, 4 * 64 + 32);
    // Against a returning neighbour the push is at least its speed.
    b->m_Motion = kMotionReturn;
    b->m_Speed = 20;
    a->Update();
    EXPECT_EQ(a->m_X, 4 * 64 + 32 - 26) << "pushed by the returning neighbour's speed, 20";
}

TEST_F(ActorTest, AnArcDodgesToASideCell) {
    CProbeActor* a = Add(5, 5, 8);
    CProbeActor* foe = Add(5, 3, 8);
    Server();
    a->m_TargetHandle = foe->m_Handle;
    a->SetRadius(20);
    foe->SetRadius(30);
    // Side direction 7 (east): the cell one sector before it, south-east
    // (6), first.
    a->SetMotion(kMotionArc, foe->m_X, foe->m_Y, 7);
    ASSERT_EQ(a->m_Motion, kMotionArc);
    EXPECT_EQ(a->GetCell().x, 6);
    EXPECT_EQ(a->GetCell().y, 6);
    EXPECT_EQ(a->HasState(102), 1);
    EXPECT_EQ(a->m_MotionP3, 50) << "the two bodies' radii";
    int ticks = 0;
    for (; ticks < 40 && a->m_Motion == kMotionArc; ++ticks) a->Update();
    EXPECT_EQ(a->m_Motion, kMotionStand);
    EXPECT_EQ(ticks, 8);
    EXPECT_EQ(a->HasState(102), 0);
    // With every cell around taken the dodge fails and the actor stands.
    CProbeActor* b = Add(2, 8, 8);
    for (int d = 0; d < 8; ++d) Cell(2 + kDir8Step[d].x, 8 + kDir8Step[d].y)->m_Walkable = 0;
    b->SetMotion(kMotionArc, foe->m_X, foe->m_Y, 7);
    EXPECT_EQ(b->m_Motion, kMotionStand);
    EXPECT_EQ(b->m_MoveOk, 0u);
}

TEST_F(ActorTest, AHitReactionThrowsTheRolesInItsWay) {
    std::vector<std::string> head(30, "c"), thrown(30, "1"), statue(30, "1");
    thrown[1] = "1";
    statue[1] = "2";
    statue[27] = "";  // no column 27: cannot be thrown
    ASSERT_TRUE(datagen::WriteTable(Dir() + "Role.txt", {head, thrown, statue}));
    CTxtTable table;
    ASSERT_EQ(table.Load("Role.txt", 1, 1, 1), 1);
    CProbeActor* a = Add(2, 5, 8);
    CProbeActor* ahead = Add(4, 5);   // east, the throw's direction
    CProbeActor* edge = Add(3, 3);    // north of the first step: two sectors off east
    CProbeActor* behind = Add(0, 5);  // west
    CProbeActor* stone = Add(3, 7);   // south-east, no column 27
    CProbeActor* attacker = Add(3, 4);
    for (CProbeActor* r : {ahead, edge, behind, stone, attacker}) {
        r->untargetable = 0;
        r->m_pModelRow = table.GetRow(r == stone ? 2 : 1);
    }
    Server();
    a->m_ExcludeHandle = attacker->m_Handle;
    a->SetMotion(kMotionHitReaction, 7, 4, 16);
    ASSERT_EQ(a->m_Motion, kMotionHitReaction);
    EXPECT_EQ(a->m_MotionP3, 4) << "p3 takes the distance";
    int top = 0;
    for (int i = 0; i < 40 && a->m_Motion == kMotionHitReaction; ++i) {
        a->Tick();
        a->Update();
        top = std::max(top, a->m_Height);
    }
    // Thrown at the end of the first step (3 cells left: strength 3 / 2).
    ASSERT_FALSE(ahead->orders.empty());
    EXPECT_EQ(ahead->orders[0], (std::vector<int32_t>{6, 7, 1, 10}));
    EXPECT_EQ(ahead->posture, 110);
    ASSERT_FALSE(edge->orders.empty());
    EXPECT_EQ(edge->orders[0][1], 0) << "turned one sector toward the throw";
    EXPECT_TRUE(behind->orders.empty());
    EXPECT_TRUE(stone->orders.empty());
    EXPECT_TRUE(attacker->orders.empty()) << "the attacker is left alone";
    EXPECT_GT(top, 0) << "thrown up";
    EXPECT_EQ(a->m_Motion, kMotionStand);
}

TEST_F(ActorTest, WindStretchesOrShortensAJump) {
    Server();
    m_Scene->m_Weather.SetWeather(9, 100);  // wind direction 3 (west)
    struct Case {
        int from, to, landed;
    } cases[] = {{8, 4, 2},   // with the wind (west): x 1.5
                 {2, 6, 4}};  // against it: x 0.5
    int row = 1;
    for (const Case& c : cases) {
        CProbeActor* a = Add(c.from, row, 8);
        a->SetMotion(kMotionPlayOnce, c.to, row, 10);
        ASSERT_EQ(a->m_Motion, kMotionPlayOnce);
        EXPECT_EQ(a->GetCell().x, c.landed) << c.from << " -> " << c.to;
        row += 2;
    }
}

} // namespace
