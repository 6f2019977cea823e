// Flying, ground and water creatures and their companions.
#include <functional>
#include <sstream>

#include "datagen/image_encoder.h"
#include "datagen/lib_writer.h"
#include "gfx/res_lib.h"
#include "gfx/surface.h"
#include "../weather_fixture.h"
#include "../world_obj_fixture.h"
#include "world/things/anim_objs.h"
#include "world/things/beastie.h"
#include "world/things/creature_area.h"
#include "world/things/fly_beastie.h"
#include "world/map/iso_grid.h"
#include "world/map/line_walk.h"
#include "world/map/map_grid.h"
#include "world/sky/obj_light.h"
#include "world/objects/proximity.h"
#include "../world_fixture.h"

using namespace wxtest;

namespace {

constexpr uint32_t kAnim8 = 50, kAnim16 = 51, kAnim25 = 52, kAnim24 = 53, kAnimCompanion = 54;

// Model rows (id = model id - 20000).
enum Row : int {
    kFlyPath = 1,     // flies, lit, flees (16 sequences), heights 20-40
    kFlyLevel = 2,    // flies, heights 30-30
    kFlyStill = 3,    // flies at speed 0
    kFlyApproach = 4, // keeps to the player (column 10 = 2)
    kWalker = 10,     // walks, flees, pushable (divisor 2), squashable (25 sequences)
    kSwimmer = 11,    // water cells only
    kSeeker = 12,     // walks, seeks water when fleeing, has a companion
    kSlow = 13,       // speed 0
    kNoDivisor = 14,  // pushable with column 12 = 0, 24 sequences
    kSixteen = 15,    // walks, 16 sequences
};

struct RowSpec {
    int id;
    uint32_t anim;
    int cls;
    int speed;
    int fast;
    int light;
    int react;
    int behave;
    const char* col12;
    int companion;
    int high;
    int low;
};

std::vector<std::string> BuildRow(const RowSpec& r) {
    auto n = [](int v) { return v < 0 ? std::string() : std::to_string(v); };
    return {"c" + n(r.id), n(r.id), n(static_cast<int>(r.anim)), n(r.cls), "0", n(r.speed), n(r.fast), n(r.light), "", "",
            n(r.react), n(r.behave), r.col12, "7", "8", "9", n(r.companion), n(r.high), n(r.low)};
}

datagen::AnimFrameSpec F(int pic) {
    datagen::AnimFrameSpec f;
    f.resId = (1u << 20) | (static_cast<uint32_t>(pic + 1) << 24);
    f.delay = 1;
    return f;
}

std::string Seqs(int n) {
    std::vector<datagen::AnimSeqSpec> s;
    for (int i = 0; i < n; ++i) s.push_back({0, {F(i % 4), F((i + 1) % 4), F((i + 2) % 4)}});
    return datagen::BuildAnimTable(s);
}

// The player's character as the creatures see it.
struct PlayerState {
    CGameObj* role = nullptr;
    int32_t speed = 0, motion = 1, height = 0, radius = 0;
};
PlayerState& Player() {
    static PlayerState p;
    return p;
}

class CTestPlayer : public CMapObj {
public:
    CTestPlayer() {
        m_Kind = 60;
        Register(-1);
    }
    void At(int cx, int cy) { SetPos(cx * 64 + 32, cy * 64 + 32); }
};

class BeastieTest : public WorldObjTest {
protected:
    void SetUp() override {
        WeatherTest::SetUp();
        EnterWorld(16);
        g_CurLightList = &lights_;
        Player() = PlayerState{};
        g_WorldHooks.getSelectedRole = [] { return Player().role; };
        g_WorldHooks.getRoleSpeed = [](const CGameObj*) { return Player().speed; };
        g_WorldHooks.getRoleMotion = [](const CGameObj*) { return Player().motion; };
        g_WorldHooks.getRoleHeight = [](const CGameObj*) { return Player().height; };
        g_WorldHooks.getBodyRadius = [](const CGameObj*) { return Player().radius; };
        g_WorldHooks.hostHasClient = [] { return 1; };

        std::vector<std::string> pics;
        for (int i = 0; i < 4; ++i) {
            datagen::ImageFrame f;
            f.width = 4;
            f.height = 3;
            f.pixels.assign(12, static_cast<uint16_t>(0x1111 * (i + 1)));
            pics.push_back(datagen::EncodeFrame(f));
        }
        std::vector<std::string> anim(100);
        anim[kAnim8] = Seqs(8);
        anim[kAnim16] = Seqs(16);
        anim[kAnim25] = Seqs(25);
        anim[kAnim24] = Seqs(24);
        anim[kAnimCompanion] = Seqs(8);
        anim[CBeastie::kSplashAnim] = Seqs(1);
        ASSERT_TRUE(datagen::WriteLib(Dir() + "Zy/anim.lib", anim));
        ASSERT_TRUE(datagen::WriteLib(Dir() + "Zy/pics.lib", {datagen::BuildFrameTable(pics)}));
        ASSERT_TRUE(datagen::WriteIdxLib(Dir() + "Zy/idx.lib", {"anim", "pics"}));
        ASSERT_TRUE(g_ResList.Init("Zy\\idx.lib"));

        const RowSpec rows[] = {
            {kFlyPath, kAnim16, 1, 4, 12, 1, 1, 0, "", -1, 40, 20},
            {kFlyLevel, kAnim8, 1, 4, 8, 0, 0, 0, "", -1, 30, 30},
            {kFlyStill, kAnim8, 1, 0, 0, 0, 0, 0, "", -1, 30, 30},
            {kFlyApproach, kAnim8, 1, 4, 8, 0, 2, 0, "", -1, 30, 30},
            {kWalker, kAnim25, 0, 4, 8, 0, 1, 3, "2", -1, -1, -1},
            {kSwimmer, kAnim8, 2, 4, 8, 0, 0, 0, "", -1, -1, -1},
            {kSeeker, kAnim16, 0, 4, 8, 0, 1, 2, "1", static_cast<int>(kAnimCompanion), -1, -1},
            {kSlow, kAnim8, 0, 0, 8, 0, 0, 0, "", -1, -1, -1},
            {kNoDivisor, kAnim24, 0, 4, 8, 0, 0, 3, "0", -1, -1, -1},
            {kSixteen, kAnim16, 0, 4, 8, 0, 0, 0, "", -1, -1, -1},
        };
        datagen::Table t{{"Name", "Id", "Anim", "Class", "Draw", "Speed", "Fast", "Light", "a", "b", "React", "Behave",
                          "Acts", "Idle", "Flight", "Death", "Companion", "High", "Low"}};
        for (const RowSpec& r : rows) t.push_back(BuildRow(r));
        ASSERT_TRUE(datagen::WriteTable(Dir() + "BeastieMdl.txt", t));
        ASSERT_EQ(g_BeastieMdlTable.Load("BeastieMdl.txt", 1, 1, 1), 1);
        plat::SRand(7);
        g_DirCounter = 0;
    }
    void TearDown() override {
        Player() = PlayerState{};
        player_.reset();  // its handle lives in the world's table
        LeaveWorld();
        lights_.Clear();
        g_ResList.Destroy();
        g_BeastieMdlTable.Clear();
        WeatherTest::TearDown();
    }

    CObjDesc13* Area(int x, int y, int moveLevel = 0, int rx = 0, int ry = 0, int rw = 15, int rh = 15) {
        auto* d = new CObjDesc13;
        d->m_Logic = 1;
        d->m_MoveLevel = moveLevel;
        d->m_X = x, d->m_Y = y;
        d->m_RectX = rx, d->m_RectY = ry, d->m_RectW = rw, d->m_RectH = rh;
        return d;
    }
    CObjDesc14* Path(int x, int y, const std::vector<CGamePoint>& points, int moveLevel = 0) {
        auto* d = new CObjDesc14;
        d->m_Logic = 2;
        d->m_MoveLevel = moveLevel;
        d->m_X = x, d->m_Y = y;
        for (const CGamePoint& p : points) d->m_Path.push_back({p.x, p.y});
        return d;
    }
    CGameObj* Make(int row, CObjDesc11* d) {
        d->m_ModelId = static_cast<uint16_t>(20000 + row);
        return world_->mng->AddObj(d, 22, -1, 0, -1);
    }
    CBeastie* Ground(int row, CObjDesc11* d) { return dynamic_cast<CBeastie*>(Make(row, d)); }
    CFlyBeastie* Fly(int row, CObjDesc11* d) { return dynamic_cast<CFlyBeastie*>(Make(row, d)); }
    CTestPlayer* AddPlayer(int cx, int cy) {
        player_ = std::make_unique<CTestPlayer>();
        player_->At(cx, cy);
        Player().role = player_.get();
        return player_.get();
    }
    void Water(int x0, int y0, int x1, int y1) {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                grid_.GetCell(x, y)->m_Walkable = 0;
                grid_.GetCell(x, y)->m_Surface = 4;
            }
    }
    void Wall(int x, int y) { grid_.GetCell(x, y)->m_Walkable = 0; }
    CMapCell& Cell(int x, int y) { return *grid_.GetCell(x, y); }
    static CGamePoint Pos(const CGameObj* o) { return CGamePoint{o->m_X, o->m_Y}; }
    static CGamePoint DescCell(const CGameObj* o) { return CGamePoint{o->GetDesc()->m_X, o->GetDesc()->m_Y}; }

    CObjLightList lights_;
    std::unique_ptr<CTestPlayer> player_;
};

} // namespace

TEST_F(BeastieTest, FactoryMakesEachKindAndItsCompanion) {
    CFlyBeastie* bird = Fly(kFlyPath, Path(3, 3, {{5, 5}}));
    ASSERT_NE(bird, nullptr);
    EXPECT_EQ(bird->m_Kind, 4);
    EXPECT_EQ(bird->Owner(), &world_->mng->m_Creatures);
    EXPECT_EQ(bird->m_DrawLayer, 2);
    EXPECT_EQ(bird->m_Height, 40);
    EXPECT_EQ(bird->m_Dir, 5);
    EXPECT_EQ(bird->m_Speed, 4);
    EXPECT_EQ(bird->m_SeqCount, 16);
    EXPECT_EQ(lights_.GetCount(), 1) << "column 7 = 1 carries a light";

    CBeastie* walker = Ground(kWalker, Area(4, 4));
    ASSERT_NE(walker, nullptr);
    EXPECT_EQ(walker->m_Kind, 27);
    EXPECT_EQ(walker->Owner(), &world_->mng->m_Props);
    EXPECT_EQ(walker->m_DrawLayer, 0);
    EXPECT_EQ(walker->m_State, CBeastie::kIdle);

    CBeastie* seeker = Ground(kSeeker, Area(6, 6));
    ASSERT_NE(seeker, nullptr);
    ASSERT_EQ(world_->mng->m_Props.GetCount(), 3);
    auto* companion = dynamic_cast<CBeastie*>(static_cast<CGameObj*>(world_->mng->m_Props.Head()->Next()));
    ASSERT_NE(companion, nullptr);
    EXPECT_EQ(companion->m_Companion, 1u);
    EXPECT_EQ(companion->m_Owner, seeker->m_Handle);
    EXPECT_EQ(companion->GetDesc(), nullptr) << "a companion has no description";
    EXPECT_EQ(companion->m_Id, kAnimCompanion);
    EXPECT_EQ(world_->mng->CountLiveBeasties(), 2) << "companions do not count";

    world_->mng->Update();
    EXPECT_EQ(Pos(companion), Pos(seeker));
    seeker->SetState(CBeastie::kDead);
    EXPECT_EQ(world_->mng->CountLiveBeasties(), 1);
}

TEST_F(BeastieTest, FlyingEdgeCases) {
    {
        SCOPED_TRACE("equal heights never drift; MoveLevel 4 never moves");
        CFlyBeastie* b = Fly(kFlyLevel, Area(5, 5, 4));
        const CGamePoint start = Pos(b);
        for (int i = 0; i < 300; ++i) {
            b->Tick();
            ASSERT_EQ(b->m_Height, 30);
        }
        EXPECT_EQ(Pos(b), start);
        EXPECT_GT(static_cast<CObjDesc11*>(b->GetDesc())->m_WanderCount, 9000);
    }
    {
        SCOPED_TRACE("a target on its own cell lands at once");
        CFlyBeastie* b = Fly(kFlyPath, Area(5, 5));
        b->m_State = 1;
        b->m_Speed = 99;
        EXPECT_EQ(b->FlyTo({5, 5}), 0);
        EXPECT_EQ(b->m_State, 0);
        EXPECT_EQ(b->m_Speed, 4);
    }
    struct {
        const char* what;
        int row;
        int speed;
    } oneStep[] = {{"a distance below the speed", kFlyPath, 100}, {"speed 0", kFlyStill, 0}};
    for (const auto& c : oneStep) {
        SCOPED_TRACE(c.what);
        CFlyBeastie* b = Fly(c.row, Area(5, 5, 4));
        b->m_Speed = c.speed;
        ASSERT_EQ(b->FlyTo({6, 5}), 1);
        EXPECT_EQ(b->m_Steps, 1);
        b->FlyStep();
        EXPECT_EQ(Pos(b), TileToPixel({6, 5}));
        EXPECT_EQ(DescCell(b), (CGamePoint{6, 5}));
        b->FlyStep();
        EXPECT_EQ(b->m_State, 0);
    }
    {
        SCOPED_TRACE("16 sequences in state 2 keep the current one");
        CFlyBeastie* b = Fly(kFlyPath, Area(5, 5));
        b->m_Dir = 3;
        b->m_State = 1;
        b->StepAnim();
        EXPECT_EQ(b->m_CurSeq, 3);
        b->m_State = 2;
        b->StepAnim();
        EXPECT_EQ(b->m_CurSeq, 3);
        b->m_State = 0;
        b->StepAnim();
        EXPECT_EQ(b->m_CurSeq, 11);
    }
}

TEST_F(BeastieTest, FlyingReactionsToThePlayer) {
    AddPlayer(2, 2);
    struct {
        const char* what;
        int row;
        std::function<CObjDesc11*()> desc;
        int state;        // after FleeFrom
        CGamePoint target;
    } cases[] = {
        {"flee, area: away to range 5", kFlyPath, [&] { return Area(4, 4, 4); }, 2, StepAwayToRange({2, 2}, {4, 4}, 5, 0)},
        {"flee, path: the farthest point (+3)", kFlyPath, [&] { return Path(4, 4, {{1, 1}, {12, 3}, {3, 12}}, 4); }, 2,
         {12, 3}},
        {"approach, path: the nearest point", kFlyApproach, [&] { return Path(4, 4, {{9, 9}, {0, 0}, {1, 1}}, 4); }, 2,
         {0, 0}},
        {"approach with an area never reacts", kFlyApproach, [&] { return Area(4, 4); }, 0, {0, 0}},
        {"no path points: no flight", kFlyPath, [&] { return Path(4, 4, {}); }, 0, {0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CFlyBeastie* b = Fly(c.row, c.desc());
        const CGamePoint start = Pos(b);
        b->FleeFrom(Player().role);
        EXPECT_EQ(b->m_State, c.state);
        if (c.state == 2) {
            EXPECT_EQ(b->GetTargetCell(), c.target);
            EXPECT_EQ(b->m_Speed, RowInt(b->m_pRow, 6));
        } else {
            for (int i = 0; i < 60; ++i) b->Tick();
            EXPECT_EQ(Pos(b), start);
            EXPECT_EQ(b->m_State, 0);
        }
        b->Remove();
        world_->mng->PostUpdate();
    }
}

TEST_F(BeastieTest, GroundEdgeCases) {
    {
        SCOPED_TRACE("speed below 1 never wanders");
        CBeastie* b = Ground(kSlow, Area(5, 5));
        const CGamePoint start = Pos(b);
        for (int i = 0; i < 300; ++i) b->Tick();
        EXPECT_EQ(Pos(b), start);
        EXPECT_EQ(b->m_State, 0);
    }
    {
        SCOPED_TRACE("a probe off the grid walks on");
        CBeastie* b = Ground(kWalker, Area(0, 5, 4));
        b->SetTarget({-3, 5});
        b->WalkStep();
        EXPECT_EQ(b->m_X, 32 + 4 * kDir8Step[GetDir8({-3, 5}, {0, 5})].x);
        EXPECT_EQ(b->m_State, 1);
    }
    {
        SCOPED_TRACE("8 refused attempts give up; with the player near it flees again");
        // Its own cell too: a probe against a direction's minus side stays
        // in the creature's own cell.
        for (int x = 3; x <= 7; ++x)
            for (int y = 3; y <= 7; ++y) Wall(x, y);
        CBeastie* b = Ground(kWalker, Area(5, 5, 4));
        const CGamePoint start = Pos(b);
        b->SetTarget({5, 9});
        const int counter = g_DirCounter;
        b->WalkStep();
        EXPECT_EQ(b->m_State, 0);
        EXPECT_EQ(Pos(b), start);
        EXPECT_EQ(g_DirCounter, counter) << "eight retargetings turn the shared counter once round";
        AddPlayer(6, 8);
        b->m_State = 2;
        b->WalkStep();
        EXPECT_EQ(b->m_State, 2);
        EXPECT_EQ(b->GetTargetCell(), StepAwayToRange({6, 8}, {5, 5}, 5, 0));
        grid_.Create(16, 16);
    }
    {
        // The probe 32 pixels ahead lands in water at (6, 6), but a diagonal
        // step from near the cell's corner would end on the dry (6, 5).
        SCOPED_TRACE("a swimmer never cuts a dry corner");
        Water(5, 5, 5, 5);
        Water(6, 6, 9, 9);
        CBeastie* b = Ground(kSwimmer, Area(5, 5, 4));
        b->SetPos(5 * 64 + 62, 5 * 64 + 40);
        b->SetTarget({8, 8});
        b->m_Speed = 8;
        b->WalkStep();
        const CGamePoint c{b->m_X / 64, b->m_Y / 64};
        EXPECT_TRUE(b->CanEnter(c)) << c.x << "," << c.y;
        grid_.Create(16, 16);
    }
    {
        SCOPED_TRACE("16 sequences in state 2 keep the current one");
        CBeastie* b = Ground(kSixteen, Area(5, 5, 4));
        b->m_Dir = 2;
        b->m_State = 1;
        b->StepAnim();
        EXPECT_EQ(b->m_CurSeq, 2);
        b->m_State = 2;
        b->StepAnim();
        EXPECT_EQ(b->m_CurSeq, 2);
    }
    {
        SCOPED_TRACE("a path with no points: no flight");
        AddPlayer(6, 6);
        CBeastie* b = Ground(kWalker, Path(5, 5, {}));
        EXPECT_EQ(b->FleeFrom(Player().role->m_Handle), 0);
        EXPECT_EQ(b->m_State, 0);
        for (int i = 0; i < 100; ++i) b->Tick();
        EXPECT_EQ(DescCell(b), (CGamePoint{5, 5}));
    }
}

TEST_F(BeastieTest, PushesAndSquashes) {
    CTestPlayer* p = AddPlayer(5, 5);
    struct {
        const char* what;
        int row;
        int speed, motion, height, radius;
        bool wallBehind;
        int moved;  // pixels along the direction away from the player
        int state;
    } cases[] = {
        {"pushed by speed / column 12", kWalker, 8, 0, 0, 60, false, 4, 0},
        {"a push of 0 pixels", kWalker, 1, 0, 0, 60, false, 0, 0},
        {"never into a cell it may not enter", kWalker, 200, 0, 0, 60, true, 0, 0},
        {"column 12 = 0: no push", kNoDivisor, 8, 0, 0, 60, false, 0, 0},
        {"a standing player neither pushes nor squashes", kWalker, 8, 1, 0, 60, false, 0, 0},
        {"a player in the air does not push", kNoDivisor, 8, 0, 6, 60, false, 0, 0},
        {"squashed within 32", kWalker, 0, 0, 0, 0, false, 0, 3},
        {"24 sequences cannot be squashed", kNoDivisor, 0, 0, 0, 0, false, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        grid_.Create(16, 16);
        CBeastie* b = Ground(c.row, Area(5, 5, 4));
        b->m_Dir = 0;  // 25 sequences: direction 0 has a squashed one
        Player().speed = c.speed;
        Player().motion = c.motion;
        Player().height = c.height;
        Player().radius = c.radius;
        p->SetPos(b->m_X - (c.state == 3 ? 20 : 40), b->m_Y);  // the creature is east of the player
        const int dir = GetDir8(Pos(b), Pos(p));
        if (c.wallBehind) Wall(7, 5);  // where 200 / 2 pixels would put it
        const CGamePoint start = Pos(b);
        plat::SRand(3);  // no random flight this tick
        b->Tick();
        CGamePoint want = start;
        MoveDir8(want, dir, c.moved);
        EXPECT_EQ(Pos(b), want);
        EXPECT_EQ(b->m_State, c.state);
        if (c.state == 3) {
            EXPECT_EQ(b->m_CurSeq, 24);
            for (int i = 0; i < 500; ++i) b->Tick();
            EXPECT_EQ(b->m_Removed, 0u);
            b->Tick();
            EXPECT_EQ(b->m_Removed, 1u) << "removed on the 501st tick";
        }
        b->Remove();
        world_->mng->Update();
    }
}

TEST_F(BeastieTest, CompanionOfAGoneOwnerGoes) {
    CBeastie* owner = Ground(kSeeker, Area(5, 5, 4));
    auto* companion = static_cast<CBeastie*>(static_cast<CGameObj*>(world_->mng->m_Props.Head()));
    ASSERT_EQ(companion->m_Companion, 1u);
    owner->Remove();
    world_->mng->Update();  // the companion ticks first, then the owner goes
    EXPECT_EQ(companion->m_Removed, 0u);
    world_->mng->Update();
    EXPECT_EQ(companion->m_Removed, 1u);
    world_->mng->Update();
    EXPECT_EQ(world_->mng->m_Props.GetCount(), 0);
}

TEST_F(BeastieTest, WaterSeekerJumpsInAndComesBack) {
    Water(9, 3, 11, 7);
    CTestPlayer* p = AddPlayer(4, 5);
    CBeastie* b = Ground(kSeeker, Area(6, 5, 4));
    auto* companion = static_cast<CBeastie*>(static_cast<CGameObj*>(world_->mng->m_Props.Head()));
    ASSERT_EQ(b->FleeFrom(p->m_Handle), 1);
    EXPECT_EQ(b->m_WaterSeek, 1u);
    EXPECT_EQ(b->GetTargetCell(), FindSpecialCellNear({6, 5}));
    int ticks = 0;
    while (b->m_State != CBeastie::kInWater && ticks < 300) {
        world_->mng->Update();
        ++ticks;
    }
    ASSERT_EQ(b->m_State, CBeastie::kInWater) << "after " << ticks;
    EXPECT_EQ(Pos(b), TileToPixel(b->GetTargetCell()));
    EXPECT_EQ(b->m_DrawLayer, 5);
    EXPECT_EQ(Sounds().back(), (SoundCall{'a', CBeastie::kSplashSound, 0, 0}));
    auto* splash = dynamic_cast<COneShotAnimObj*>(static_cast<CGameObj*>(world_->mng->m_Props.Tail()));
    ASSERT_NE(splash, nullptr);
    EXPECT_EQ(splash->m_Id, CBeastie::kSplashAnim);
    EXPECT_EQ(Pos(splash), Pos(b));
    world_->mng->Update();
    EXPECT_EQ(companion->m_DrawLayer, 5) << "the companion hides with it";

    const CGamePoint home = DescCell(b);
    for (int i = 0; i < 20; ++i) world_->mng->Update();
    EXPECT_EQ(b->m_State, CBeastie::kInWater) << "the player is still near";
    p->SetPos(p->m_X, p->m_Y + 2000);
    world_->mng->Update();
    EXPECT_EQ(b->m_State, CBeastie::kIdle);
    EXPECT_EQ(b->m_DrawLayer, 0);
    EXPECT_EQ(b->m_Height, 0);
    EXPECT_EQ(Pos(b), TileToPixel(home));
}

TEST_F(BeastieTest, SeededRunsRepeatAndWalkersKeepToTheirCells) {
    auto run = [&](uint32_t seed) {
        grid_.Create(16, 16);
        Water(10, 2, 13, 6);
        for (int y = 8; y < 14; ++y) Wall(6, y);
        Wall(3, 3), Wall(4, 3), Wall(8, 10);
        plat::SRand(seed);
        g_DirCounter = 0;
        CTestPlayer* p = AddPlayer(2, 12);
        std::vector<CGameObj*> all = {
            Make(kWalker, Area(4, 10, 0, 1, 7, 9, 8)),
            Make(kWalker, Area(8, 12, 0, 3, 8, 10, 7)),
            Make(kSwimmer, Area(11, 4, 0, 8, 0, 7, 8)),
            Make(kSwimmer, Area(12, 5, 1, 8, 0, 7, 8)),
            Make(kSeeker, Area(8, 4, 0, 5, 1, 6, 6)),
            Make(kSixteen, Path(2, 2, {{2, 6}, {7, 2}, {14, 14}})),
            Make(kFlyPath, Path(3, 12, {{12, 12}, {3, 3}, {13, 2}})),
            Make(kFlyLevel, Area(10, 10, 1, 5, 5, 10, 10)),
        };
        std::ostringstream trace;
        for (int t = 0; t < 1500; ++t) {
            // The player walks a square round the map.
            const int leg = (t / 100) % 4, s = (t % 100) * 9;
            const int x = 64 + (leg == 0 ? s : leg == 1 ? 900 : leg == 2 ? 900 - s : 0);
            const int y = 64 + (leg == 0 ? 0 : leg == 1 ? s : leg == 2 ? 900 : 900 - s);
            p->SetPos(x, y);
            Player().motion = 0;
            world_->mng->Update();
            world_->mng->PostUpdate();
            for (CGameObj* o : all) {
                auto* b = dynamic_cast<CBeastie*>(o);
                const CGamePoint c = b ? CGamePoint{b->m_X / 64, b->m_Y / 64} : CGamePoint{};
                if (b && b->m_State <= CBeastie::kFlee && grid_.GetCell(c.x, c.y)) {
                    EXPECT_TRUE(b->CanEnter(c)) << "row " << b->m_pRow->GetInt(1) << " tick " << t << " at " << c.x
                                                << "," << c.y;
                }
                trace << o->m_X << ',' << o->m_Y << ',' << o->m_Height << ';';
            }
            trace << '\n';
        }
        for (CGameObj* o : all) o->Remove();
        world_->mng->Update();
        world_->mng->PostUpdate();
        return trace.str();
    };
    const std::string a = run(11), b = run(11), c = run(12);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    EXPECT_NE(a.find(';'), std::string::npos);
}

TEST_F(BeastieTest, DrawsRaisedByItsHeightAndCompanionsFromTheOwnersFrame) {
    constexpr uint16_t kBack = 0x0841;
    DisplayOptionValue() = 0;
    SetView(64, 48);
    const CGameRect view{0, 0, 64, 48};
    auto target = std::make_unique<CSurface>(64, 48, 1);

    // Idle with exactly 8 sequences: the facing's sequence (5), stepped to
    // frame 1: picture (5 + 1) % 4 = 2, a solid 4 x 3 block of 0x3333.
    CFlyBeastie* bird = Fly(kFlyLevel, Area(0, 0, 4));
    bird->SetPos(100, 60);
    bird->StepAnim();
    bird->UpdateScreenRect();
    const CGamePoint a = g_IsoGrid.WorldToScreen(100, 60);
    ASSERT_GE(a.y - 30, 0);
    target->FillAll(kBack);
    bird->Draw(target.get());
    std::vector<uint16_t> want(64 * 48, kBack);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) want[static_cast<size_t>(a.y - 30 + y) * 64 + a.x + x] = 0x3333;
    EXPECT_EQ(ReadSurface(*target), want) << "raised by its height 30";

    // The companion draws the owner's sequence and frame from its own
    // resource, translucently: own sequence 5, frame 2 (picture 3), not its
    // current sequence 0.
    CBeastie* owner = Ground(kSeeker, Area(1, 1, 4));
    auto* companion = static_cast<CBeastie*>(static_cast<CGameObj*>(world_->mng->m_Props.Head()));
    ASSERT_EQ(companion->m_Companion, 1u);
    SwitchSequence(*owner, 5);
    owner->CurrentPlayer()->m_CurFrame = 2;
    companion->SetPos(100, 60);
    target->FillAll(kBack);
    EXPECT_EQ(companion->Draw(target.get()), 1);
    CSurface ref(64, 48, 1);
    ref.FillAll(kBack);
    companion->Player(5)->FrameAt(2)->Draw(&ref, a.x, a.y, kDrawBlend, 8, &view);
    EXPECT_EQ(ReadSurface(*target), ReadSurface(ref));
    ref.FillAll(kBack);
    companion->Player(0)->FrameAt(0)->Draw(&ref, a.x, a.y, kDrawBlend, 8, &view);
    EXPECT_NE(ReadSurface(*target), ReadSurface(ref));

    owner->Remove();
    world_->mng->Update();
    EXPECT_EQ(companion->Draw(target.get()), 0) << "no owner, nothing drawn";
}
