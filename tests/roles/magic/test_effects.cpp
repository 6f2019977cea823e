// The effect executor: what records of each class do, child objects and
// their spawn points, the area sweeps by shape; and the attached magic
// object: creation, range fitting, packet 9, stages and removal.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "core/directories.h"
#include "datagen/fixture_game.h"
#include "roles/combat/combat_fixture.h"
#include "roles/magic/attached_magic.h"
#include "roles/magic/effect_calls.h"
#include "world/map/iso_grid.h"

namespace test_effects {

using combat_fixture::CombatFixture;
using role_fixture::BoxRow;

struct Spawned {
    int id;
    int x, y;
    int targetX, targetY;
    bool operator==(const Spawned&) const = default;
};
std::vector<Spawned> g_Spawned;
std::vector<std::pair<int, int>> g_Sounds;  // {id, loop}; loop -1: stopped

// A flying magic object standing where it is: its own centre object.
class FlyingMagic : public CMagic {
public:
    FlyingMagic() { m_Kind = 6; }
    CGameObj* GetCenterObject() override { return this; }
};

enum : int {
    kSweep = 10,     // a hit fires a small circle sweep of its own
    kPlain = 11,
    kAlly = 12,
    kFanNone = 13,   // column 16 = 0
    kFanOne = 14,    // 1
    kFanFour = 15,   // 4
    kFanMissing = 16,
    kFanWide = 17,   // 3, column 15 = 3
    kDash = 18,
    kClamp = 19,
};

class EffectTest : public CombatFixture {
protected:
    void SetUp() override {
        CombatFixture::SetUp();
        g_Spawned.clear();
        g_Sounds.clear();
        g_EffectProbe = {};
        auto skill = [](int id, int kind) {
            return datagen::SkillRow().Name("S").Id(id).Group(1).Kind(kind).Range(128).AnimBase(16).Scales("1.0", "1.0", "1.0");
        };
        LoadSkills({skill(kSweep, 0).Effects({{1, 1, 0, 2, 1, 0}}), skill(kPlain, 0), skill(kAlly, 2),
                    skill(kFanNone, 0).Pattern(2).PatternCount(0), skill(kFanOne, 0).Pattern(2).PatternCount(1),
                    skill(kFanFour, 0).Pattern(2).PatternCount(4), skill(kFanMissing, 0).Pattern(2),
                    skill(kFanWide, 0).Pattern(3).PatternCount(3), skill(kDash, 0), skill(kClamp, 0).TargetClamp(1)},
                   {datagen::SkillGopRow().Name("G").Id(1).Values({kSweep, kPlain})});
        // "SkillChild.ini": 1 a projectile; 2 a plain object; 5 names itself
        // five times; 6 picks among 7, 7, 8, 9 and 3 (missing); 400 a light; 455 an
        // override; 456 a sweep.
        std::vector<datagen::SkillChildRow> rows = {
            datagen::SkillChildRow().Name("P").Id(1).Kind(201),
            datagen::SkillChildRow().Name("O").Id(2).Kind(300),
            datagen::SkillChildRow().Name("L").Id(5).Kind(2000).Anim(5).ShadowAnim(5).Params(5, 5, 5),
            datagen::SkillChildRow().Name("R").Id(6).Kind(2000).Anim(7).ShadowAnim(7).Params(8, 9, 3),
            datagen::SkillChildRow().Name("A").Id(7).Kind(300),
            datagen::SkillChildRow().Name("B").Id(8).Kind(300),
            datagen::SkillChildRow().Name("C").Id(9).Kind(300),
            datagen::SkillChildRow().Name("V").Id(455).Kind(455).Anim(3).ShadowAnim(7).Params(9, 0, 0),
            datagen::SkillChildRow().Name("W").Id(456).Kind(456).Anim(12).Bytes({0, 100, 2, 0, 0, 0}),
        };
        ASSERT_TRUE(datagen::WriteTable(Dir() + "SkillChild.ini", datagen::RowsOf(rows)));
        g_SkillChildTable.Load((Dir() + "SkillChild.ini").c_str());
        LoadRoles({BoxRow("Owner", 2).RoleCamp(2), BoxRow("Foe", 3).RoleCamp(1), BoxRow("Friend", 4).RoleCamp(2)},
                  {datagen::RolePrivateRow().Name("O").Id(2).Set(9, 100).Set(10, 10).Set(13, 100),
                   datagen::RolePrivateRow().Name("F").Id(3).Set(9, 100000).Set(11, 1)});
        m_Owner = Add(2, 2, 2);
        ASSERT_TRUE(m_Owner);
        g_WorldHooks.createMagic = [](int id, int x, int y, CGameObj* parent) -> CGameObj* {
            const CMagic* p = AsMagic(parent);
            g_Spawned.push_back({id, x, y, p ? p->m_TargetX : -1, p ? p->m_TargetY : -1});
            return nullptr;
        };
        g_WorldSound.playEffectAt = [](int id, const CGamePoint&, int loop) { g_Sounds.push_back({id, loop}); };
        g_WorldSound.stopEffect = [](int id) { g_Sounds.push_back({id, -1}); };
        m_List = std::make_unique<CAttachedMagicList>();
    }
    void TearDown() override {
        m_List.reset();
        g_SkillChildTable.Clear();
        CombatFixture::TearDown();
    }
    FlyingMagic* Flying(CGameObj* owner, int skillId, int32_t x, int32_t y) {
        auto m = std::make_unique<FlyingMagic>();
        m->m_OwnerHandle = owner ? owner->m_Handle : 0;
        m->SetSkill(g_SkillTable.GetAt(skillId));
        if (const CSkillDef* s = m->GetSkill()) {
            m->SetupEffectLists(s->effects.data(), static_cast<int>(s->effects.size()));
            m->m_CastData[3] = s->rangeCells;
        }
        m->SetPos(x, y);
        FlyingMagic* out = m.get();
        m_Magics.push_back(std::move(m));
        return out;
    }
    CAttachedMagic* Attach(CRole* owner, int skillId, CGamePoint point, ObjHandle target = 0) {
        return static_cast<CAttachedMagic*>(m_List->CreateAttachedMagic(owner->m_Handle, skillId, &point, target));
    }
    static void Apply(CMagic* m, int cls, int p1, int p2, int p3 = 0, int32_t arg = 0) {
        const SkillEffect r{0, -1, cls, p1, p2, p3, -1, -1};
        ApplyEffect(&r, m, arg);
    }
    CRole* m_Owner = nullptr;
    std::unique_ptr<CAttachedMagicList> m_List;
};

// ---------------------------------------------------------------- classes

TEST_F(EffectTest, SoundPlaysOnceOrLoopedAndAnyOtherValueStops) {
    FlyingMagic* m = Flying(m_Owner, kPlain, 100, 100);
    Apply(m, 1, 7, 0);
    Apply(m, 1, 7, 1);
    Apply(m, 1, 7, 2);
    EXPECT_EQ(g_Sounds, (std::vector<std::pair<int, int>>{{7, 0}, {7, 1}, {7, -1}}));
}

TEST_F(EffectTest, HeightOfAFlyingObjectStopsAtTheLimit) {
    struct Case {
        int from, p1, p2, want;
    } cases[] = {{22, -5, 20, 20}, {30, -5, 20, 25}, {10, 5, 12, 12}, {0, 5, 20, 5}};
    for (const Case& c : cases) {
        FlyingMagic* m = Flying(m_Owner, kPlain, 100, 100);
        m->m_Height = c.from;
        Apply(m, 11, c.p1, c.p2);
        EXPECT_EQ(m->m_Height, c.want) << c.from << " " << c.p1 << " " << c.p2;
    }
}

TEST_F(EffectTest, OwnerFlagsOverridesAndRemoval) {
    FlyingMagic* m = Flying(m_Owner, kPlain, 100, 100);
    Apply(m, 8, 16384, 1);
    EXPECT_TRUE(m_Owner->TestFlag(16384));
    EXPECT_EQ(m_Owner->m_Overrides[10].value, 31u);
    Apply(m, 8, 16384, 0);
    EXPECT_FALSE(m_Owner->TestFlag(16384));
    EXPECT_EQ(m_Owner->m_Overrides[10].value, 0u);
    Apply(m, 16, 4, 0);
    EXPECT_EQ(m_Owner->m_PushDivisor, 1);
    Apply(m, 16, 5, 0);
    EXPECT_EQ(m_Owner->m_PushDivisor, 5);
    Apply(m, 16, 3, 0);
    EXPECT_EQ(m->m_PeriodicEnabled, 0);
    Apply(m, 16, 14, 9);
    EXPECT_EQ(m->GetValue1(), 3);
    EXPECT_EQ(m->GetValue2(), 9);
    int kind = -1;
    static int* s_Kind;
    s_Kind = &kind;
    g_RoleHooks.startScreenEffect = [](int k) { *s_Kind = k; };
    Apply(m, 14, 4, 0);
    EXPECT_EQ(kind, 4);
    Apply(m, 15, 1, 1);
    Apply(m, 99, 1, 1);
    EXPECT_EQ(m->m_Removed, 0u) << "no effect";
    Apply(m, 10, 0, 0);
    EXPECT_EQ(m->m_Removed, 1u);
}

TEST_F(EffectTest, SubCodeOneMovesTheTargetSideways) {
    FlyingMagic* m = Flying(m_Owner, kPlain, 100, 100);
    m->m_StartX = 500;
    m->m_StartY = 500;
    m->m_Direction = 7;
    Apply(m, 16, 1, 2);
    CGamePoint want{500, 500};
    MoveDir8(want, 1, 128);
    EXPECT_EQ(m->m_TargetX, want.x);
    EXPECT_EQ(m->m_TargetY, want.y);
}

TEST_F(EffectTest, ZoomFollowsAnOwnerNearTheCentreOfTheView) {
    static std::vector<float> s_Zoom;
    s_Zoom.clear();
    g_RoleHooks.adjustZoomTarget = [](float d) { s_Zoom.push_back(d); };
    g_RoleHooks.restoreZoomTarget = [] { s_Zoom.push_back(0.0f); };
    static int s_Player;
    s_Player = 0;
    g_RoleHooks.hasClientPlayer = [] { return s_Player; };
    CAttachedMagic* m = Attach(m_Owner, kPlain, {m_Owner->m_X + 100, m_Owner->m_Y});
    ASSERT_TRUE(m);
    m_Owner->UpdateScreenRect();
    const ViewRect saved = g_ViewRect;
    g_ViewRect = {m_Owner->m_ScreenX - 400, m_Owner->m_ScreenY - 300, 800, 600, 0};
    Apply(m, 12, 1, 0);
    EXPECT_TRUE(s_Zoom.empty()) << "no client with a player";
    s_Player = 1;
    Apply(m, 12, 1, 0);
    g_ViewRect.x += 150;
    Apply(m, 12, 1, 0);
    Apply(m, 12, 0, 0);
    EXPECT_EQ(s_Zoom, (std::vector<float>{0.15f, 0.0f})) << "grows near the centre only; p1 0 restores";
    g_ViewRect = saved;
}

// ---------------------------------------------------------------- children

TEST_F(EffectTest, KindTwoThousandPicksAmongItsFiveIdsADoubledIdTwiceAsLikely) {
    FlyingMagic* m = Flying(m_Owner, kPlain, 100, 100);
    // Draws 0 and 1 both name 7; 2 names 8.
    plat::ScriptRand({0, 1, 2});
    for (int i = 0; i < 3; ++i) Apply(m, 2, 6, 0, 1);
    ASSERT_EQ(g_Spawned.size(), 3u);
    EXPECT_EQ(g_Spawned[0].id, 7);
    EXPECT_EQ(g_Spawned[1].id, 7);
    EXPECT_EQ(g_Spawned[2].id, 8);
    // Draw 4 names 3, a missing row: nothing.
    plat::ScriptRand({4});
    Apply(m, 2, 6, 0, 1);
    EXPECT_EQ(g_Spawned.size(), 3u);
}

TEST_F(EffectTest, AKindTwoThousandRowNamingItselfEndsAfterEightRedirects) {
    FlyingMagic* m = Flying(m_Owner, kPlain, 100, 100);
    plat::ResetRandDrawCount();
    Apply(m, 2, 5, 0, 1);
    EXPECT_TRUE(g_Spawned.empty());
    EXPECT_EQ(plat::RandDrawCount(), 8u);
}

TEST_F(EffectTest, SpawnPointsByMode) {
    FlyingMagic* m = Flying(m_Owner, kPlain, 300, 200);
    m->m_TargetX = 40;
    m->m_TargetY = 20;
    struct Case {
        int mode;
        std::vector<int> draws;
        CGamePoint want;
    } cases[] = {
        {1, {}, {300, 200}},
        {2, {}, {40, 20}},
        {4, {}, {40, 20}},
        {3, {}, {40, 20}},
        {7, {10, 70}, {40 + 10 - 32, 20 + 6 - 32 < 0 ? 0 : 20 + 6 - 32}},
        {8, {0, 0}, {0, 0}},                 // near the corner: never negative
        {8, {127, 200}, {40 + 127 - 64, 20 + (200 & 127) - 64}},
        {6, {100, 5}, {300 + 100 % 128 - 64, 200 + 5 - 64}},
        {9, {}, {0, 0}},
    };
    for (const Case& c : cases) {
        plat::ScriptRand(c.draws);
        const CGamePoint p = SpawnPoint(m, c.mode);
        EXPECT_EQ(p.x, c.want.x) << c.mode;
        EXPECT_EQ(p.y, c.want.y) << c.mode;
        EXPECT_EQ(plat::ScriptedRandLeft(), 0u) << c.mode;
    }
    plat::ScriptRand({});
}

TEST_F(EffectTest, SpawnModeSixWithoutARangeIsTheCentre) {
    FlyingMagic* m = Flying(nullptr, -1, 300, 200);
    EXPECT_EQ(m->m_CastData[3], 0);
    const CGamePoint p = SpawnPoint(m, 6);
    EXPECT_EQ(p.x, 300);
    EXPECT_EQ(p.y, 200);
}

TEST_F(EffectTest, FanSizes) {
    struct Case {
        int skill;
        size_t children;
    } cases[] = {{kFanNone, 1}, {kFanOne, 1}, {kFanFour, 3}, {kFanMissing, 64}, {kFanWide, 2}};
    for (const Case& c : cases) {
        g_Spawned.clear();
        FlyingMagic* m = Flying(m_Owner, c.skill, 640, 640);
        m->m_TargetX = 640;
        m->m_TargetY = 1000;
        Apply(m, 2, 1, 0, 1);
        EXPECT_EQ(g_Spawned.size(), c.children) << c.skill;
        EXPECT_EQ(m->m_TargetX, 640) << "the target point is restored";
        EXPECT_EQ(m->m_TargetY, 1000);
        g_Spawned.clear();
        Apply(m, 2, 1, 0, 1);
        EXPECT_EQ(g_Spawned.size(), 1u) << "a fan once per object";
    }
}

TEST_F(EffectTest, FanChildrenAimAroundTheHeading) {
    FlyingMagic* m = Flying(m_Owner, kFanWide, 640, 640);
    m->m_TargetX = 640;
    m->m_TargetY = 1000;
    Apply(m, 2, 1, 0, 1);
    ASSERT_EQ(g_Spawned.size(), 2u);
    // Range 128: children at angle h - pi and h, h the heading from the
    // target point to the object (-pi, straight up).
    const float h = HeadingOf(0, -360);
    for (int k = 0; k < 2; ++k) {
        const float a = h - 3.1415925f + static_cast<float>(k) * 2.0f * 3.1415925f / 2.0f;
        EXPECT_EQ(g_Spawned[k].targetX, 640 + static_cast<int32_t>(std::sin(a + 3.1415925f) * 128.0f));
        EXPECT_EQ(g_Spawned[k].targetY, 640 + static_cast<int32_t>(std::cos(a + 3.1415925f) * 128.0f));
        EXPECT_EQ(g_Spawned[k].x, 640);
    }
}

TEST_F(EffectTest, OverrideAndSweepChildren) {
    FlyingMagic* m = Flying(m_Owner, kPlain, 640, 640);
    Apply(m, 2, 455, 0, 1);
    EXPECT_EQ(m_Owner->m_Overrides[3].value, 7u);
    Apply(m, 2, 456, 0, 1);
    EXPECT_EQ(m->m_SweepShape, 12);
    EXPECT_EQ(m->m_SweepRadius, 100);
    EXPECT_EQ(m->m_SweepCells, 2);
}

// ---------------------------------------------------------------- sweeps

class SweepTest : public EffectTest {
protected:
    void SetUp() override {
        EffectTest::SetUp();
        // Three foes east of the owner, one behind, one of its own camp.
        for (int i = 0; i < 3; ++i) m_Foes.push_back(Add(3, 3 + (i == 2), 2 + (i == 1)));
        m_Behind = Add(3, 1, 2);
        m_Friend = Add(4, 2, 3);
        for (CRole* r : m_Foes) ASSERT_TRUE(r);
        ASSERT_TRUE(m_Behind && m_Friend);
    }
    int Hits(const CMagic* m) const { return m->m_HitList.Count(); }
    std::vector<CRole*> m_Foes;
    CRole* m_Behind = nullptr;
    CRole* m_Friend = nullptr;
};

TEST_F(SweepTest, ACircleTakesTheFirstOrEveryRole) {
    FlyingMagic* m = Flying(m_Owner, kPlain, m_Owner->m_X, m_Owner->m_Y);
    EXPECT_EQ(m->HitArea(2, 200, 0, 0), 1);
    EXPECT_EQ(Hits(m), 1) << "shape 2: the first";
    FlyingMagic* all = Flying(m_Owner, kPlain, m_Owner->m_X, m_Owner->m_Y);
    EXPECT_EQ(all->HitArea(12, 200, 0, 0), 1);
    EXPECT_EQ(Hits(all), 4) << "shape 12: three foes and the one behind; never the own camp";
    EXPECT_FALSE(all->m_HitList.Contains(m_Friend->m_Handle));
    FlyingMagic* air = Flying(m_Owner, kPlain, m_Owner->m_X, m_Owner->m_Y);
    EXPECT_EQ(air->HitArea(14, 200, 0, 0), 0) << "shape 14: only roles in the air";
    FlyingMagic* ownerless = Flying(nullptr, kPlain, m_Owner->m_X, m_Owner->m_Y);
    EXPECT_EQ(ownerless->HitArea(12, 200, 0, 0), 0);
}

TEST_F(SweepTest, AHitRecordThatSweepsAgainLeavesTheOuterSweepWhole) {
    // Each hit fires list 1: a circle of radius 1 (nobody in it) walks the
    // roles once more while the outer walk is under way.
    FlyingMagic* m = Flying(m_Owner, kSweep, m_Owner->m_X, m_Owner->m_Y);
    ASSERT_EQ(m->ListCount(kListHit), 1);
    EXPECT_EQ(m->HitArea(12, 200, 0, 0), 1);
    for (CRole* r : m_Foes) EXPECT_TRUE(m->m_HitList.Contains(r->m_Handle));
    EXPECT_TRUE(m->m_HitList.Contains(m_Behind->m_Handle));
}

TEST_F(SweepTest, AWedgeTakesWhatLiesAheadOfTheOwner) {
    m_Owner->SetDirection8(GetDir8({m_Foes[0]->m_X, m_Foes[0]->m_Y}, {m_Owner->m_X, m_Owner->m_Y}));
    CAttachedMagic* m = Attach(m_Owner, kPlain, {m_Foes[0]->m_X, m_Foes[0]->m_Y});
    ASSERT_TRUE(m);
    EXPECT_EQ(m->HitArea(11, 0, 2, 1), 1);
    EXPECT_TRUE(m->m_HitList.Contains(m_Foes[0]->m_Handle));
    EXPECT_FALSE(m->m_HitList.Contains(m_Behind->m_Handle)) << "behind the owner";
    EXPECT_FALSE(m->m_HitList.Contains(m_Friend->m_Handle));
}

TEST_F(SweepTest, NamedShapes) {
    FlyingMagic* m = Flying(m_Owner, kPlain, m_Owner->m_X, m_Owner->m_Y);
    EXPECT_EQ(m->HitArea(21, 0, 1, 0), 0) << "the owner is of its own camp";
    m->m_TargetHandle = m_Foes[1]->m_Handle;
    m_Foes[1]->m_Height = 200;
    EXPECT_EQ(m->HitArea(22, 0, 1, 0), 1) << "the target, forced past the height window";
    EXPECT_EQ(m->HitArea(23, 0, 1, 0), 0) << "the owner has no target";
    m->m_HitList.Add(m_Foes[2]->m_Handle);
    EXPECT_EQ(m->HitArea(24, 0, 1, 0), 1);
    EXPECT_EQ(m->HitArea(30, 0, 1, 0), 0);
}

// ---------------------------------------------------------------- attached magic

TEST_F(EffectTest, AttachedMagicFitsItsPointToTheRangeAndBindsTheOwner) {
    const CGamePoint far{m_Owner->m_X + 1000, m_Owner->m_Y};
    CAttachedMagic* m = Attach(m_Owner, kPlain, far);
    ASSERT_TRUE(m);
    EXPECT_EQ(m_Owner->m_pBoundMagic, m);
    EXPECT_EQ(m->m_TargetX, m_Owner->m_X + 128) << "exactly the range along the line";
    EXPECT_EQ(m->m_TargetY, m_Owner->m_Y);
    EXPECT_EQ(m->m_StartX, m->m_TargetX);
    EXPECT_EQ(m->m_SavedX, m_Owner->m_X);
    EXPECT_EQ(m_List->Count(), 1);
    uint8_t packet[9];
    MakeAttachedMagicPacket(packet, m_Owner->m_Handle, kPlain, m->m_TargetX, m->m_TargetY);
    const uint16_t x = static_cast<uint16_t>(m->m_TargetX), y = static_cast<uint16_t>(m->m_TargetY);
    const uint8_t want[9] = {9,
                             static_cast<uint8_t>(m_Owner->m_Handle & 0xFF),
                             static_cast<uint8_t>((m_Owner->m_Handle >> 8) & 0xFF),
                             kPlain, 0,
                             static_cast<uint8_t>(x & 0xFF), static_cast<uint8_t>(x >> 8),
                             static_cast<uint8_t>(y & 0xFF), static_cast<uint8_t>(y >> 8)};
    EXPECT_EQ(std::memcmp(packet, want, 9), 0);

    const CGamePoint near{m_Owner->m_X + 30, m_Owner->m_Y};
    m->Remove();
    EXPECT_EQ(m_Owner->m_pBoundMagic, nullptr) << "removal detaches";
    CAttachedMagic* c = Attach(m_Owner, kClamp, near);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->m_TargetX, near.x) << "column 20 keeps a point inside the range";
}

TEST_F(EffectTest, AnAllySkillOnAnotherCampBuildsNothing) {
    CRole* foe = Add(3, 4, 4);
    CRole* friendly = Add(4, 5, 5);
    EXPECT_EQ(Attach(m_Owner, kAlly, {foe->m_X, foe->m_Y}, foe->m_Handle), nullptr);
    EXPECT_EQ(Attach(m_Owner, kAlly, {0, 0}), nullptr) << "nobody on the cell";
    EXPECT_EQ(m_List->Count(), 0);
    EXPECT_EQ(m_Owner->m_pBoundMagic, nullptr);
    EXPECT_NE(Attach(m_Owner, kAlly, {friendly->m_X, friendly->m_Y}, friendly->m_Handle), nullptr);
}

TEST_F(EffectTest, AnOwnerlessAttachedObjectRemovesItself) {
    CRole* other = Add(4, 5, 5);
    CAttachedMagic* m = Attach(other, kPlain, {0, 0});
    ASSERT_TRUE(m);
    other->m_Handle = other->m_Handle;  // still there
    m->m_OwnerHandle = 0x7FFF;          // names nobody
    m_List->Step();
    EXPECT_EQ(m_List->Count(), 0);
}

TEST_F(EffectTest, StageOneEndsWithTheSkillAnimation) {
    CAttachedMagic* m = Attach(m_Owner, kPlain, {m_Owner->m_X + 100, m_Owner->m_Y});
    ASSERT_TRUE(m);
    EXPECT_EQ(m_Owner->GetCurrentAnimIndex() / 8, 16 / 8) << "the skill's animation";
    m_List->Step();
    EXPECT_EQ(m_List->Count(), 1);
    m_Owner->SetAnimIndex(0);
    m_Owner->SetAnimOrDefault(-1);
    m_List->Step();
    EXPECT_EQ(m_List->Count(), 0) << "another animation: the object goes";
    EXPECT_EQ(m_Owner->m_pBoundMagic, nullptr);
}

TEST_F(EffectTest, ADashEndsInTheOpenOrAgainstAWall) {
    for (bool wall : {false, true}) {
        CAttachedMagic* m = Attach(m_Owner, kDash, {m_Owner->m_X + 100, m_Owner->m_Y});
        ASSERT_TRUE(m);
        m->m_Stage = 2;
        m->ScheduleAreaHit(1, 0, 1);
        m_Owner->m_Posture = 0;
        m_Owner->m_Motion = kMotionStand;
        m_Owner->m_MoveOk = 0;
        const CGamePoint c = m_Owner->GetCell();
        CMapCell* ahead = m_Grid->GetCell(c.x, c.y);
        ASSERT_TRUE(ahead);
        ahead->m_Terrain = wall ? 3 : 0;
        m->SetStage(1);
        if (wall) {
            EXPECT_EQ(m_Owner->m_Posture, kPostureTumbling);
            EXPECT_EQ(m->m_Removed, 0u);
        } else {
            EXPECT_EQ(m->m_Removed, 1u) << "in the open the effect ends";
        }
        ahead->m_Terrain = 0;
        m->Remove();
        m_List->Step();
    }
}

TEST_F(EffectTest, ClassSixSetsTheStageArgument) {
    CAttachedMagic* m = Attach(m_Owner, kDash, {m_Owner->m_X + 100, m_Owner->m_Y});
    ASSERT_TRUE(m);
    m_Owner->m_Motion = kMotionStand;
    Apply(m, 6, 3, 0);
    EXPECT_EQ(m->m_StageArg, 3);
    EXPECT_EQ(m->m_Stage, 4);
    Apply(m, 16, 12, 7);
    EXPECT_EQ(m->m_FollowUp, 7);
}

TEST_F(EffectTest, FollowUpRaisesTheSceneFlagAfterwardsAndDetaches) {
    static std::vector<int> s_Flags;
    s_Flags.clear();
    g_RoleHooks.setSceneChangeFlag = [](int on) { s_Flags.push_back(on); };
    CAttachedMagic* m = Attach(m_Owner, kDash, {m_Owner->m_X + 100, m_Owner->m_Y});
    ASSERT_TRUE(m);
    Apply(m, 9, kPlain, 0);
    EXPECT_EQ(s_Flags, (std::vector<int>{0, 1}));
    EXPECT_EQ(m->m_Removed, 1u);
    EXPECT_EQ(m_Owner->m_pBoundMagic, nullptr);
    EXPECT_EQ(m_Owner->m_Overrides[6].countdown, 5) << "no new attached object: the owner comes down";
}

TEST_F(EffectTest, TheWorldsListHooksAreInstalled) {
    ASSERT_TRUE(g_WorldHooks.createMagicList && g_WorldHooks.deleteMagicList && g_WorldHooks.clearMagicList);
    ASSERT_TRUE(g_SceneHooks.stepMagicList && g_SceneHooks.removeAllMagic);
    CAttachedMagicList* list = g_WorldHooks.createMagicList();
    ASSERT_TRUE(list);
    CGamePoint p{m_Owner->m_X + 50, m_Owner->m_Y};
    ASSERT_TRUE(list->CreateAttachedMagic(m_Owner->m_Handle, kPlain, &p, 0));
    g_SceneHooks.removeAllMagic(list);
    EXPECT_EQ(list->Count(), 0);
    EXPECT_EQ(m_Owner->m_pBoundMagic, nullptr);
    g_WorldHooks.deleteMagicList(list);
}

} // namespace test_effects
