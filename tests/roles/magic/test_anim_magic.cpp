// The visible magic objects: the factory's classes, start-up from a parent,
// scale easing, contacts between camps, drawing by column 9; projectiles
// (landing, drifting, obstacles, the homing spiral, impact sequences);
// blasts, bursts, wanderers, the caster's clones and the particle ring.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "datagen/demo_role_sprite.h"
#include "datagen/fixture_game.h"
#include "datagen/lib_writer.h"
#include "gfx/res_lib.h"
#include "gfx/surface.h"
#include "roles/combat/combat_fixture.h"
#include "roles/magic/anim/anim_magic.h"
#include "roles/magic/anim/clone_magic.h"
#include "roles/magic/anim/magic_kinds.h"
#include "roles/magic/anim/particle_ring.h"
#include "roles/magic/anim/projectile.h"
#include "support/display565.h"
#include "world/map/iso_grid.h"
#include "world/sky/game_clock.h"

namespace test_anim_magic {

using combat_fixture::CombatFixture;
using role_fixture::BoxRow;

struct Fired {
    int effectClass;
    int32_t arg;
    bool operator==(const Fired&) const = default;
};
std::vector<Fired> g_Fired;
int g_Sweeps = 0;

constexpr uint16_t kGreen = 0x07E0;
constexpr uint16_t kBack = 0x001F;
constexpr int kSkill = 11;

enum : int {
    kSpark = 17,
    kArrow = 20,      // sub-kind 1, height 20, lands with list 2 (class 94)
    kDrifter = 21,    // sub-kind 3, height 20, long animation
    kStill = 22,      // speed 0
    kImpact = 23,     // 48 sequences, list 2 (class 95)
    kHomeStraight = 24,  // sub-kind 4, turn step 0
    kHomeWide = 25,      // sub-kind 4, turn step 200
    kNoSub = 26,
    kLow = 27,        // sub-kind 1 at height 0: list 1 code 2 class 97, code 1 class 96
    kBlade = 28,      // sub-kind 5
    kArc = 29,        // sub-kind 2
    kTimed = 30,      // kind 300, lives column 11 x 10 ticks
    kStuck = 31,      // kind 300 on the target
    kBare = 32,       // kind 300 without an animation, random sequence
    kPlainDraw = 33,  // kind 300, column 9 = 1
    kAlphaDraw = 34,  // kind 300, column 9 = 9
    kScaled = 35,     // kind 300, scale 4 at tick 0
    kScaledLate = 36, // kind 300, scale 4 at tick 3
    kBurst = 40,      // kind 500, column 9 = 0
    kWander0 = 50,    // kind 510, column 10 = 0
    kWander = 51,     // kind 510, 8-pixel steps
    kHitList = 60,    // sub-kind 1 with a hit record (class 99)
    kPlainFly = 61,   // sub-kind 1 at height 0 without records
    kLight = 70,      // kind 400: not a class of the factory
};

class AnimMagicTest : public CombatFixture {
protected:
    void SetUp() override {
        CombatFixture::SetUp();
        g_Fired.clear();
        g_Sweeps = 0;
        std::vector<std::string> e(1);
        m_Anim = datagen::AddRolePartEntries(&e, 1, {kGreen, 8, 8, -4, -8, 0, 2, 3});
        m_Anim48 = datagen::AddRolePartEntries(&e, 1, {kGreen, 4, 4, -2, -4, 0, 48, 2});
        m_AnimLong = datagen::AddRolePartEntries(&e, 1, {kGreen, 4, 4, -2, -4, 0, 1, 64});
        m_AnimAlpha = datagen::AddRolePartEntries(&e, 1, {kGreen, 8, 8, -4, -8, 128, 2, 2});
        ASSERT_TRUE(datagen::WriteLib(Dir() + "Zy/magic.lib", e));
        g_ResList.Destroy();
        ASSERT_TRUE(datagen::WriteIdxLib(Dir() + "Zy/idx.lib", {"anim", "magic"}));
        ASSERT_EQ(g_ResList.Init("Zy\\idx.lib"), 1);

        LoadSkills({datagen::SkillRow().Name("S").Id(kSkill).Group(1).Kind(0).Range(128).AnimBase(16).Scales("1.0", "1.0", "1.0")},
                   {datagen::SkillGopRow().Name("G").Id(1).Values({kSkill})});
        const int a = static_cast<int>(m_Anim);
        auto row = [](int id, int kind) { return datagen::SkillChildRow().Name("M").Id(id).Kind(kind); };
        std::vector<datagen::SkillChildRow> rows = {
            row(kSpark, 300).Anim(a).ShadowAnim(83).Bytes({0, 0, 0, 0, 0, 1}),
            row(kArrow, 201).Anim(a).ShadowAnim(83).Params(1, 0, 0).Bytes({0, 20, 1, 16, 0, 0}).Effects({{2, -1, 94}}),
            row(kDrifter, 201).Anim(static_cast<int>(m_AnimLong)).ShadowAnim(83).Params(3, 0, 0).Bytes({0, 20, 1, 16, 0, 0}).Effects({{2, -1, 94}}),
            row(kStill, 201).Anim(a).Params(1, 0, 0).Bytes({0, 0, 1, 0, 0, 0}),
            row(kImpact, 201).Anim(static_cast<int>(m_Anim48)).ShadowAnim(a).Params(1, 0, 0).Bytes({0, 0, 1, 16, 0, 0}).Effects({{2, -1, 95}}),
            row(kHomeStraight, 201).Anim(a).Params(4, 0, 0).Bytes({0, 0, 0, 0, 0, 0}),
            row(kHomeWide, 201).Anim(a).Params(4, 0, 0).Bytes({0, 0, 0, 200, 0, 0}),
            row(kNoSub, 201).Anim(a).Params(7, 0, 0).Bytes({0, 0, 1, 16, 0, 0}),
            row(kLow, 201).Anim(a).ShadowAnim(83).Params(1, 0, 0).Bytes({0, 0, 1, 16, 0, 0}).Effects({{1, 2, 97}, {1, 1, 96}}),
            row(kBlade, 201).Anim(a).Params(5, 0, 0).Bytes({0, 0, 1, 16, 0, 0}),
            row(kArc, 201).Anim(a).Params(2, 0, 0).Bytes({0, 10, 1, 16, 0, 0}),
            row(kTimed, 300).Anim(a).Bytes({0, 1, 3, 0, 0, 1}),
            row(kStuck, 300).Anim(a).Bytes({0, 2, 0, 2, 0, 1}),
            row(kBare, 300).Anim(9999).Bytes({0, 2, 0, 0, 1, 1}),
            row(kPlainDraw, 300).Anim(static_cast<int>(m_AnimAlpha)).Bytes({1, 2, 0, 0, 0, 1}),
            row(kAlphaDraw, 300).Anim(static_cast<int>(m_AnimAlpha)).Bytes({9, 2, 0, 0, 0, 1}),
            row(kScaled, 300).Anim(a).Bytes({0, 2, 0, 0, 0, 1}).Effects({{5, 0, 12, 4, 1}}),
            row(kScaledLate, 300).Anim(a).Bytes({0, 2, 0, 0, 0, 1}).Effects({{5, 3, 12, 4, 1}}),
            row(kBurst, 500).Anim(a).Params(kSpark, kSpark, kSpark).Bytes({0, 3, 0, 0, 0, 0}),
            row(kWander0, 510).Anim(a).ShadowAnim(a).Params(kSpark, kSpark, kSpark).Bytes({8, 0, 0, 0, 0, 0}),
            row(kWander, 510).Anim(a).ShadowAnim(a).Params(kSpark, kSpark, kSpark).Bytes({8, 50, 0, 0, 0, 0}),
            row(kHitList, 201).Anim(a).Params(1, 0, 0).Bytes({0, 0, 1, 16, 0, 0}).Effects({{1, 1, 99}}),
            row(kPlainFly, 201).Anim(a).Params(1, 0, 0).Bytes({0, 0, 1, 16, 0, 0}),
            row(kLight, 400).Anim(a),
        };
        ASSERT_TRUE(datagen::WriteTable(Dir() + "SkillChild.ini", datagen::RowsOf(rows)));
        g_SkillChildTable.Load((Dir() + "SkillChild.ini").c_str());
        LoadRoles({BoxRow("Owner", 2).RoleCamp(2), BoxRow("Foe", 3).RoleCamp(1), BoxRow("Friend", 4).RoleCamp(2)});
        m_Owner = Add(2, 1, 1);
        m_Foe = Add(3, 6, 6);
        m_Friend = Add(4, 6, 1);
        ASSERT_TRUE(m_Owner && m_Foe && m_Friend);
        g_EffectProbe.applyEffect = [](const SkillEffect* r, CMagic* m, int32_t arg) {
            g_Fired.push_back({r->effectClass, arg});
            if (r->effectClass == 12) m->SetScale(r->p1, r->p2);
        };
        g_EffectProbe.hitArea = [](CMagic*, int32_t, int32_t, int32_t, int32_t) { ++g_Sweeps; };
    }
    void TearDown() override {
        m_Parents.clear();
        g_SkillChildTable.Clear();
        g_WorldHooks.isLightingOn = nullptr;
        CombatFixture::TearDown();
    }
    // A parent standing for the skill's attached object: owner, target
    // point and target handle.
    CMagic* Parent(CRole* owner, CGamePoint target, ObjHandle targetHandle = 0) {
        auto p = std::make_unique<CMagic>();
        p->m_OwnerHandle = owner ? owner->m_Handle : 0;
        p->m_TargetX = target.x;
        p->m_TargetY = target.y;
        p->m_TargetHandle = targetHandle;
        p->SetSkill(g_SkillTable.GetAt(kSkill));
        if (owner) p->SetPos(owner->m_X, owner->m_Y);
        CMagic* out = p.get();
        m_Parents.push_back(std::move(p));
        return out;
    }
    template <class T = CAnimMagic>
    T* Make(int id, CGamePoint at, CGamePoint target, CRole* owner = nullptr, ObjHandle targetHandle = 0) {
        CMagic* parent = Parent(owner ? owner : m_Owner, target, targetHandle);
        return dynamic_cast<T*>(m_Mng->AddMagic(id, at.x, at.y, parent, 0));
    }
    int Fires(int effectClass) const {
        int n = 0;
        for (const Fired& f : g_Fired) n += f.effectClass == effectClass;
        return n;
    }
    int CountMagic(int defId) {
        int n = 0;
        for (CObjNode* node = m_Mng->m_Magic.Head(); node; node = node->Next())
            if (auto* m = dynamic_cast<CAnimMagic*>(static_cast<CGameObj*>(node)); m && m->GetDef() && m->GetDef()->id == defId)
                ++n;
        return n;
    }
    // Ticks until removed; the number of ticks, or -1 past the limit.
    static int TicksToRemoval(CGameObj* m, int limit) {
        for (int i = 1; i <= limit; ++i) {
            m->Tick();
            if (m->m_Removed) return i;
        }
        return -1;
    }
    void Block(int cx, int cy, int terrain) {
        CMapCell* c = m_Grid->GetCell(cx, cy);
        c->m_Walkable = 0;
        c->m_Terrain = static_cast<uint8_t>(terrain);
    }

    uint32_t m_Anim = 0, m_Anim48 = 0, m_AnimLong = 0, m_AnimAlpha = 0;
    CRole* m_Owner = nullptr;
    CRole* m_Foe = nullptr;
    CRole* m_Friend = nullptr;
    std::vector<std::unique_ptr<CMagic>> m_Parents;
};

// ---------------------------------------------------------------- factory

TEST_F(AnimMagicTest, FactoryBuildsTheClassOfKindAndSubKind) {
    struct Case {
        int id;
        const char* cls;
    } cases[] = {{kArrow, "201"},      {kDrifter, "201"},  {kBlade, "201"}, {kArc, "201_2"},
                 {kHomeStraight, "201_4"}, {kNoSub, nullptr}, {kTimed, "300"}, {kBurst, "500"},
                 {kWander, "510"},    {kLight, nullptr},  {999, nullptr}};
    for (const Case& c : cases) {
        CGameObj* o = m_Mng->AddMagic(c.id, 200, 100, Parent(m_Owner, {400, 100}), 0);
        const std::string want = c.cls ? c.cls : "none";
        std::string got = "none";
        if (dynamic_cast<CMagic201*>(o)) got = "201";
        else if (dynamic_cast<CMagic201_2*>(o)) got = "201_2";
        else if (dynamic_cast<CMagic201_4*>(o)) got = "201_4";
        else if (dynamic_cast<CMagic300*>(o)) got = "300";
        else if (dynamic_cast<CMagic500*>(o)) got = "500";
        else if (dynamic_cast<CMagic510*>(o)) got = "510";
        EXPECT_EQ(got, want) << c.id;
        if (!o) continue;
        EXPECT_EQ(o->m_Kind, 6);
        EXPECT_EQ(o->m_ModelId, CAnimMagic::kModelId);
        EXPECT_EQ(CountMagic(c.id), 1) << c.id;
    }
}

TEST_F(AnimMagicTest, InheritsFromTheParentAndFitsAnOwnerlessTargetToTheRange) {
    // With an owner: the parent's target point, handles and skill.
    auto* m = Make<CMagic300>(kStuck, {200, 100}, {300, 300}, m_Owner, m_Foe->m_Handle);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->m_OwnerHandle, m_Owner->m_Handle);
    EXPECT_EQ(m->m_TargetHandle, m_Foe->m_Handle);
    EXPECT_EQ((CGamePoint{m->m_TargetX, m->m_TargetY}), (CGamePoint{300, 300}));
    EXPECT_EQ(m->GetSkill(), g_SkillTable.GetAt(kSkill));
    // Without one: the parent's position, moved onto the range (128).
    struct Case {
        CGamePoint parent, want;
    } cases[] = {{{100 + 300, 100}, {100 + 128, 100}}, {{100, 100 + 64}, {100, 100 + 128}}, {{100, 100}, {100, 100}}};
    for (const Case& c : cases) {
        auto p = std::make_unique<CMagic>();
        p->SetSkill(g_SkillTable.GetAt(kSkill));
        p->SetPos(c.parent.x, c.parent.y);
        CGameObj* o = m_Mng->AddMagic(kTimed, 100, 100, p.get(), 0);
        auto* am = dynamic_cast<CAnimMagic*>(o);
        ASSERT_NE(am, nullptr);
        EXPECT_EQ((CGamePoint{am->m_TargetX, am->m_TargetY}), c.want) << c.parent.x << "," << c.parent.y;
        EXPECT_EQ((CGamePoint{am->m_StartX, am->m_StartY}), c.want);
        m_Parents.push_back(std::move(p));
    }
}

TEST_F(AnimMagicTest, ScaleJumpsBeforeTheFirstTickAndStepsAfterwards) {
    auto* now = Make(kScaled, {200, 100}, {200, 100});
    auto* late = Make(kScaledLate, {200, 100}, {200, 100});
    ASSERT_TRUE(now && late);
    EXPECT_EQ(now->m_ScaleLevel, 4);
    EXPECT_EQ(now->m_ScaleMode, 1);
    std::vector<int> levels;
    for (int i = 0; i < 7; ++i) {
        late->Tick();
        levels.push_back(late->m_ScaleLevel);
    }
    EXPECT_EQ(levels, (std::vector<int>{0, 0, 1, 2, 3, 4, 4}));
    // A scaled object grows about its centre in mode 1.
    g_IsoGrid.SetView(0, 0, 0, 0);
    now->UpdateScreenRect();
    late->m_ScaleLevel = 0;
    late->UpdateScreenRect();
    EXPECT_EQ(now->m_ScreenRect.width, late->m_ScreenRect.width + 2 * static_cast<int>(8 * 0.2f * 0.5f));
}

// ---------------------------------------------------------------- contacts

TEST_F(AnimMagicTest, ASweepRemovesOtherCampsFlyingMagicWithASparkOrItsHitList) {
    auto* mine = Make(kLow, {200, 100}, {400, 100}, m_Owner);
    auto* friendly = Make(kLow, {210, 100}, {400, 100}, m_Friend);
    auto* hostile = Make(kPlainFly, {220, 100}, {400, 100}, m_Foe);
    auto* listed = Make(kHitList, {230, 100}, {400, 100}, m_Foe);
    ASSERT_TRUE(mine && friendly && hostile && listed);
    hostile->m_Height = 5;
    EXPECT_EQ(mine->CanHit(friendly, 0), 0);
    EXPECT_FALSE(friendly->m_Removed);
    EXPECT_EQ(CountMagic(kSpark), 0);
    EXPECT_EQ(mine->CanHit(hostile, 0), 1);
    EXPECT_TRUE(hostile->m_Removed);
    ASSERT_EQ(CountMagic(kSpark), 1);
    for (CObjNode* n = m_Mng->m_Magic.Head(); n; n = n->Next()) {
        auto* s = dynamic_cast<CAnimMagic*>(static_cast<CGameObj*>(n));
        if (s && s->GetDef()->id == kSpark) {
            EXPECT_EQ((CGamePoint{s->m_X, s->m_Y}), (CGamePoint{220 - 10, 100 - 10}));
        }
    }
    EXPECT_EQ(mine->CanHit(listed, 0), 1);
    EXPECT_TRUE(listed->m_Removed);
    EXPECT_EQ(CountMagic(kSpark), 1);
    EXPECT_EQ(g_Fired, (std::vector<Fired>{{99, static_cast<int32_t>(m_Owner->m_Handle)}}));
    EXPECT_FALSE(mine->m_Removed);
}

// ---------------------------------------------------------------- drawing

TEST_F(AnimMagicTest, ColumnNineDrawsPlainOrWithAlphaWhateverTheLighting) {
    std::unique_ptr<CSurface> display, keeper;
    vtest::Start565Display(display, keeper);
    const ViewRect savedView = *GetViewRect();
    const CIsoGrid savedIso = g_IsoGrid;
    SetViewRect({0, 0, 64, 64, 0});
    g_IsoGrid.SetView(2, 2, 0, 0);
    auto pixel = [&](int id, int lit) {
        g_WorldHooks.isLightingOn = lit ? [] { return 1; } : static_cast<int (*)()>(nullptr);
        auto* m = Make(id, {2 * 64 + 32, 2 * 64 + 32}, {0, 0});
        CSurface s(64, 64, 1);
        s.FillAll(kBack);
        m->UpdateScreenRect();
        m->Draw(&s);
        return vtest::ReadSurface(s)[static_cast<size_t>((16 - 4) * 64 + 32)];
    };
    const uint16_t plain = pixel(kPlainDraw, 0);
    const uint16_t alpha = pixel(kAlphaDraw, 0);
    EXPECT_EQ(plain, kGreen);
    EXPECT_NE(alpha, kGreen);
    EXPECT_NE(alpha, kBack);
    EXPECT_EQ(pixel(kAlphaDraw, 1), alpha);
    EXPECT_EQ(pixel(kPlainDraw, 1), kGreen);
    SetViewRect(savedView);
    g_IsoGrid = savedIso;
    keeper.reset();
    display.reset();
}

// ---------------------------------------------------------------- projectiles

TEST_F(AnimMagicTest, SpeedZeroRemovesAtStart) {
    auto* m = Make(kStill, {200, 100}, {400, 100});
    ASSERT_NE(m, nullptr);
    EXPECT_TRUE(m->m_Removed);
}

TEST_F(AnimMagicTest, SubKindOneLandsAboveHeightElevenWhileSubKindThreeDrifts) {
    auto* arrow = Make<CMagic201>(kArrow, {100, 100}, {300, 100});
    auto* drifter = Make<CMagic201>(kDrifter, {100, 300}, {300, 300});
    ASSERT_TRUE(arrow && drifter);
    EXPECT_EQ(arrow->m_Height, 20);
    EXPECT_EQ((CGamePoint{arrow->m_X, arrow->m_Y}), (CGamePoint{140, 140}));
    const int steps = arrow->m_StepsLeft;
    EXPECT_EQ(TicksToRemoval(arrow, steps + 2), steps + 1);
    EXPECT_EQ(Fires(94), 1);
    EXPECT_NEAR(arrow->m_X, 300, 1);
    for (int i = 0; i < steps + 4; ++i) drifter->Tick();
    EXPECT_FALSE(drifter->m_Removed);
    EXPECT_EQ(Fires(94), 1);
    EXPECT_GT(drifter->m_X, 300);
}

TEST_F(AnimMagicTest, LowObstaclesPassTwiceThenByChanceAndWallsStop) {
    // Cells 2-6 of row 3 are low obstacles (class 1); the flight goes
    // from cell 1 to cell 7. Two draws of drift come first.
    struct Case {
        std::vector<int> draws;
        int wall;      // a class-2 cell, or -1
        int stopCell;  // where list 1 fires for code 2
    } cases[] = {
        {{0, 0, 1}, -1, 4},     // third cell: 1 % 2 stops
        {{0, 0, 0, 1}, -1, 5},  // third passes, fourth: 1 % 3 stops
        {{0, 0}, 2, 2},         // a wall stops without a draw
    };
    for (const Case& c : cases) {
        for (int x = 2; x <= 6; ++x) Block(x, 3, x == c.wall ? 2 : 1);
        g_Fired.clear();
        plat::ScriptRand(c.draws);
        auto* m = Make<CMagic201>(kLow, {96, 224}, {480, 224});
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(TicksToRemoval(m, 40), (c.stopCell * 64 - 96) / 16 + 1) << c.stopCell;
        EXPECT_EQ(m->m_X / 64, c.stopCell);
        EXPECT_EQ(g_Fired, (std::vector<Fired>{{97, 0}}));
        EXPECT_EQ(plat::ScriptedRandLeft(), 0u);
        plat::ScriptRand({});
    }
}

TEST_F(AnimMagicTest, HomingWithoutATurnOrATurnAsLongAsTheDistanceEndsOnTheTarget) {
    struct Case {
        int id;
        CGamePoint target;
    } cases[] = {{kHomeStraight, {400, 300}}, {kHomeWide, {100 + 200, 100}}, {kHomeWide, {100 + 150, 100}}};
    for (const Case& c : cases) {
        auto* m = Make<CMagic201_4>(c.id, {100, 100}, c.target);
        ASSERT_NE(m, nullptr);
        m->Tick();
        EXPECT_LT(std::hypot(m->m_X - c.target.x, m->m_Y - c.target.y), 10.0) << c.target.x;
        EXPECT_FALSE(m->m_Removed);
        m->Tick();
        EXPECT_TRUE(m->m_Removed);
    }
}

TEST_F(AnimMagicTest, ImpactSequencesFireTheEndListOnceAndEnd) {
    auto* m = Make<CMagic201>(kImpact, {100, 100}, {228, 100});
    ASSERT_NE(m, nullptr);
    const int ticks = TicksToRemoval(m, 80);
    EXPECT_GT(ticks, 0);
    EXPECT_EQ(Fires(95), 1);
    EXPECT_GE(m->m_CurSeq, 32);
    EXPECT_EQ(m->m_Ending, 1);
}

TEST_F(AnimMagicTest, ReturningBladeComesHomeToItsOwner) {
    auto* m = Make<CMagic201>(kBlade, {m_Owner->m_X, m_Owner->m_Y}, {m_Owner->m_X + 256, m_Owner->m_Y});
    ASSERT_NE(m, nullptr);
    int farthest = 0;
    const int ticks = TicksToRemoval(m, 200);
    (void)farthest;
    EXPECT_GT(ticks, 16);
    EXPECT_EQ(m->m_ReturnState, 0);
    EXPECT_LT(std::abs(m->m_X - m_Owner->m_X), 24);
}

TEST_F(AnimMagicTest, ArcRisesAndFallsOnItsWay) {
    auto* m = Make<CMagic201_2>(kArc, {100, 100}, {356, 100});
    ASSERT_NE(m, nullptr);
    int top = m->m_Height;
    for (int i = 0; i < m->m_StepsLeft; ++i) {
        m->Tick();
        top = std::max(top, m->m_Height);
    }
    EXPECT_GT(top, 10);
}

// ---------------------------------------------------------------- kinds 300, 500, 510

TEST_F(AnimMagicTest, BlastOnARoleEndsWhenTheRoleGoes) {
    auto* m = Make<CMagic300>(kStuck, {0, 0}, {0, 0}, m_Owner, m_Foe->m_Handle);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ((CGamePoint{m->m_X, m->m_Y}), (CGamePoint{m_Foe->m_X + 1, m_Foe->m_Y + 1}));
    m_Foe->m_Height = 7;
    m->Tick();
    EXPECT_EQ(m->m_Height, 7);
    EXPECT_FALSE(m->m_Removed);
    m_Foe->CGameObj::Remove();
    m->Tick();
    EXPECT_TRUE(m->m_Removed);
}

TEST_F(AnimMagicTest, BlastWithALifetimeLivesThirtyTicks) {
    auto* m = Make<CMagic300>(kTimed, {200, 100}, {0, 0});
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(TicksToRemoval(m, 100), 30);
}

TEST_F(AnimMagicTest, ModuloZeroDrawsNothing) {
    struct Case {
        int id;
        std::vector<int> draws;
        size_t left;
    } cases[] = {{kBare, {5}, 1}, {kBurst, {5}, 1}, {kWander0, {5, 3}, 1}};
    for (const Case& c : cases) {
        plat::ScriptRand(c.draws);
        EXPECT_NE(Make(c.id, {200, 100}, {0, 0}), nullptr) << c.id;
        EXPECT_EQ(plat::ScriptedRandLeft(), c.left) << c.id;
        plat::ScriptRand({});
    }
    EXPECT_EQ(CountMagic(kSpark), 0);
}

TEST_F(AnimMagicTest, BoxedInWandererNeverEndsItsWalk) {
    // A look 32 pixels ahead from the cell's centre can land on the cell's
    // own edge: the cell itself is closed too.
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            Block(4 + dx, 4 + dy, 0);
    plat::ScriptRand({10, 3});
    auto* m = Make<CMagic510>(kWander, {4 * 64 + 32, 4 * 64 + 32}, {0, 0});
    plat::ScriptRand({});
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->m_MovesLeft, 10);
    for (int i = 0; i < 300; ++i) m->Tick();
    EXPECT_FALSE(m->m_Removed);
    EXPECT_EQ((CGamePoint{m->m_X, m->m_Y}), (CGamePoint{4 * 64 + 32, 4 * 64 + 32}));
    EXPECT_EQ(m->m_MovesLeft, 10);
}

TEST_F(AnimMagicTest, FreeWandererWalksItsMovesAndEnds) {
    plat::ScriptRand({3, 2});
    auto* m = Make<CMagic510>(kWander, {4 * 64 + 32, 4 * 64 + 32}, {0, 0});
    plat::ScriptRand({});
    ASSERT_NE(m, nullptr);
    EXPECT_GT(TicksToRemoval(m, 400), 3);
}

// ---------------------------------------------------------------- clones

class CloneTest : public AnimMagicTest {
protected:
    void SetUp() override {
        AnimMagicTest::SetUp();
        SetGameTickCount(0);
    }
    void TearDown() override {
        m_Clones.clear();
        SetGameTickCount(0);
        AnimMagicTest::TearDown();
    }
    CSummonMagic* Clone(int mode, int index) {
        auto c = std::make_unique<CSummonMagic>();
        if (!c->Init(Parent(m_Owner, {0, 0}), mode, index, 0)) return nullptr;
        m_Clones.push_back(std::move(c));
        return m_Clones.back().get();
    }
    void Tick(CSummonMagic* c) {
        SetGameTickCount(GetGameTickCount() + 1);
        c->Tick();
    }
    std::vector<std::unique_ptr<CSummonMagic>> m_Clones;
};

TEST_F(CloneTest, ModeFiveSpiralsIntoItsOwner) {
    CSummonMagic* c = Clone(5, 2);
    ASSERT_NE(c, nullptr);
    EXPECT_NEAR(std::hypot(c->m_X - m_Owner->m_X, c->m_Y - m_Owner->m_Y), 64.0, 2.0);
    EXPECT_EQ(c->m_DrawLevel, 1);
    int ticks = 0;
    double last = 1e9;
    while (!c->m_Fading && ticks < 40) {
        Tick(c);
        ++ticks;
        const double d = std::hypot(c->m_X - m_Owner->m_X, c->m_Y - m_Owner->m_Y);
        EXPECT_LE(d, last + 1.5);
        last = d;
    }
    EXPECT_TRUE(c->m_Fading);
    EXPECT_LE(ticks, 31);
}

TEST_F(CloneTest, ModeFiveAtASmallRadiusEndsWithoutDividingByIt) {
    CSummonMagic* c = Clone(5, 0);
    ASSERT_NE(c, nullptr);
    c->m_Radius = 2.0f;
    Tick(c);
    EXPECT_TRUE(c->m_Fading);
    EXPECT_TRUE(std::isfinite(c->m_Angle));
}

TEST_F(CloneTest, RemovedCloneFadesOverAboutTwentyFourTicks) {
    CSummonMagic* c = Clone(1, 2);
    ASSERT_NE(c, nullptr);
    c->Remove();
    EXPECT_FALSE(c->m_Removed);
    int ticks = 0;
    while (!c->m_Removed && ticks < 100) {
        Tick(c);
        ++ticks;
    }
    EXPECT_GE(ticks, 22);
    EXPECT_LE(ticks, 24);
}

TEST_F(CloneTest, SideSpreadIndicesAndModeSetUp) {
    struct Case {
        int mode, index, steps, level;
    } cases[] = {{1, 1, 0, 8}, {1, 2, 16, 8}, {1, 3, 16, 8}, {4, 5, 32, 8}, {6, 0, 0, 10}};
    for (const Case& c : cases) {
        CSummonMagic* s = Clone(c.mode, c.index);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->m_Steps, c.steps) << c.mode << "/" << c.index;
        EXPECT_EQ(s->m_DrawLevel, c.level);
    }
    // Without an owner role nothing is made.
    auto c = std::make_unique<CSummonMagic>();
    EXPECT_EQ(c->Init(Parent(nullptr, {0, 0}), 5, 0, 0), 0);
}

TEST_F(CloneTest, SummonSubCodesRegisterClones) {
    g_EffectProbe = {};
    auto p = std::make_unique<CMagic>();
    p->m_OwnerHandle = m_Owner->m_Handle;
    const SkillEffect r{0, -1, 16, 24, 3, 0, -1, -1};
    ApplyEffect(&r, p.get(), 0);
    int n = 0;
    for (CObjNode* node = m_Mng->m_Magic.Head(); node; node = node->Next())
        n += dynamic_cast<CSummonMagic*>(static_cast<CGameObj*>(node)) != nullptr;
    EXPECT_EQ(n, 3);
}

// ---------------------------------------------------------------- particle ring

TEST(ParticleRing, ArrivalsAreCountedOnceAndFinishedGroupsStay) {
    ASSERT_TRUE(true);
    CWorldHooks saved = g_WorldHooks;
    InstallParticleRingHooks();
    CParticleRing* ring = g_WorldHooks.createParticleRing();
    for (int i = 0; i < CParticleRing::kRecords; ++i) EXPECT_EQ(ring->m_Records[i].m_Index, i);
    CParticleGroup g;
    g.source = {300, 300};
    g.target = {300, 300};
    g.flying = 2;
    g.particles.resize(2);
    g.particles[1].dx = 40;
    ring->m_Records[3].m_Groups.push_back(g);
    g_WorldHooks.updateParticleRing(ring);
    EXPECT_EQ(ring->Draw(nullptr), 2);
    EXPECT_EQ(ring->m_Records[3].m_Groups.front().flying, 1);
    EXPECT_EQ(ring->Draw(nullptr), 1);
    EXPECT_EQ(ring->m_Records[3].m_Groups.front().flying, 1);
    ring->m_Records[3].m_Groups.front().particles[1].dx = 5;
    EXPECT_EQ(ring->Draw(nullptr), 1);
    EXPECT_EQ(ring->Draw(nullptr), 0);
    EXPECT_EQ(ring->m_Records[3].m_Groups.size(), 1u);
    EXPECT_EQ(ring->m_Records[3].m_Groups.front().flying, 0);
    g_WorldHooks.deleteParticleRing(ring);
    g_WorldHooks = saved;
}

} // namespace test_anim_magic
