// The AI role's decisions on a small world without a scene: what it orders
// (the last order given, taken or refused) for idle modes, the leash and
// groups; the circle's ring; the player's role's fidget countdown.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "roles/ai/role_group.h"
#include "roles/role/role_fixture.h"
#include "world/sky/game_clock.h"

namespace test_ai_role {

using role_fixture::BoxRow;
using role_fixture::RoleFixture;

class AiRoleTest : public RoleFixture {
protected:
    void SetUp() override {
        RoleFixture::SetUp();
        ASSERT_EQ(m_Grid->Create(32, 32), 1);
        // A monster (camp 1, sight 8, reaction 2 at difficulty 1) and a
        // role of a player camp.
        LoadRoles({BoxRow("Monster", 1), BoxRow("Hero", 2).RoleCamp(10000)},
                  {datagen::RolePrivateRow().Name("M").Id(1).Sight(8).CastPeriod(2),
                   datagen::RolePrivateRow().Name("H").Id(2).Sight(8)});
        m_Tick = GetGameTickCount();
        SetGameTickCount(1000);
    }
    void TearDown() override {
        SetGameTickCount(m_Tick);
        RoleFixture::TearDown();
    }
    CAiRole* AddDesc(CObjDesc11* d, int x, int y) {
        d->m_ModelId = 1;
        d->m_X = x;
        d->m_Y = y;
        return dynamic_cast<CAiRole*>(m_Mng->AddObj(d, 40, -1, 0, -1));
    }
    // The role's think on a tick of its own count.
    int ThinkAt(CAiRole* r, uint32_t tick) {
        r->m_TickCount = tick;
        r->m_Motion = kMotionStand;
        r->m_LastCommand = -1;
        return r->Think();
    }
    int32_t m_Tick = 0;
};

TEST_F(AiRoleTest, APatrolOfThreePointsVisitsThemInTurn) {
    auto* d = new CObjDesc14;
    d->m_Path = {{3, 3}, {6, 3}, {6, 6}};
    CAiRole* r = AddDesc(d, 4, 4);
    ASSERT_NE(r, nullptr);
    const int want[4][2] = {{3, 3}, {6, 3}, {6, 6}, {3, 3}};
    for (const auto& w : want) {
        ThinkAt(r, 2);
        EXPECT_EQ(r->m_LastCommand, 1);
        EXPECT_EQ(static_cast<int32_t>(r->m_LastOrder[0]), w[0]);
        EXPECT_EQ(static_cast<int32_t>(r->m_LastOrder[1]), w[1]);
    }
}

TEST_F(AiRoleTest, AFollowerDropsAHostileTargetAtOnceAndFollowsAFriend) {
    CRole* hero = AsRole(m_Mng->AddRole(2, 10, 10, 0, 0, 0, -1, -1));
    ASSERT_NE(hero, nullptr);
    auto* d = new CObjDesc15;
    d->m_A = static_cast<int32_t>(hero->m_Handle);
    d->m_D = 2;
    CAiRole* r = AddDesc(d, 3, 3);
    ASSERT_NE(r, nullptr);
    ThinkAt(r, 2);
    EXPECT_EQ(d->m_A, 0) << "the hero's camp is hostile to the monster's";
    // A friend beyond the follow distance is walked to.
    CRole* friendRole = Add(1, 9, 3);
    ASSERT_NE(friendRole, nullptr);
    d->m_A = static_cast<int32_t>(friendRole->m_Handle);
    ThinkAt(r, 2);
    EXPECT_EQ(r->m_LastCommand, 1);
    EXPECT_EQ(static_cast<int32_t>(r->m_LastOrder[0]), 9);
    EXPECT_EQ(static_cast<int32_t>(r->m_LastOrder[2]), 2) << "range = follow distance";
}

TEST_F(AiRoleTest, ALeashedRoleChasesFarTargetsStaysAtMidRangeAndGoesHomeWhenClose) {
    auto* d = new CObjDesc11;
    d->m_Type = 11;
    d->m_Logic = 0;
    CAiRole* r = AddDesc(d, 2, 2);
    ASSERT_NE(r, nullptr);
    r->m_LeashMode = 2;
    r->SetState(kStateAlerted, 1, 0, nullptr);
    CRole* hero = AsRole(m_Mng->AddRole(2, 20, 2, 0, 0, 0, -1, -1));
    ASSERT_NE(hero, nullptr);
    r->SetTarget(hero, 1);
    // Home is taken from the first tick's cell.
    ThinkAt(r, 3);
    EXPECT_EQ(r->m_HomeX, 2);
    EXPECT_EQ(r->m_HomeY, 2);
    // 18 cells: every 45 ticks at phase 3 it moves toward the target.
    EXPECT_EQ(ThinkAt(r, 45 * 7 + 3), 1);
    EXPECT_EQ(r->m_LastCommand, 1);
    EXPECT_EQ(static_cast<int32_t>(r->m_LastOrder[2]), 9);
    EXPECT_EQ(ThinkAt(r, 45 * 7 + 4), 1);
    EXPECT_EQ(r->m_LastCommand, -1);
    // 10 cells: it stays where it is (no move on any tick).
    hero->PlaceNear(12, 2, 0);
    for (uint32_t t = 0; t < 300; ++t) {
        if (t % 33 == 3) continue;  // the near-target pick may look around
        ThinkAt(r, t);
        EXPECT_NE(r->m_LastCommand, 1) << t;
        EXPECT_NE(r->m_LastCommand, 2) << t;
    }
    // 8 cells from a role 6 cells from home: it runs home (order 2, range
    // E - 8); within 3 cells of home the leash rests.
    r->PlaceNear(8, 2, 0);
    hero->PlaceNear(16, 2, 0);
    ThinkAt(r, 4);
    EXPECT_EQ(r->m_LastCommand, 2);
    EXPECT_EQ(static_cast<int32_t>(r->m_LastOrder[0]), 2);
    r->PlaceNear(4, 2, 0);
    hero->PlaceNear(12, 2, 0);
    ThinkAt(r, 4);
    EXPECT_EQ(r->m_HomeX, -2);
    EXPECT_EQ(r->UpdateLeash(), 0) << "reached: the leash is idle";
}

TEST_F(AiRoleTest, AGroupOfTwoDecidesForItsMembersAndOneLivingMemberDoesNothing) {
    ASSERT_NE(m_Mng->m_pRoleGroups, nullptr);
    auto member = [&](int x) {
        auto* d = new CObjDesc11;
        d->m_Type = 11;
        d->m_Words[0] = 1;
        d->m_Words[1] = 7;
        return AddDesc(d, x, 5);
    };
    CAiRole* a = member(4);
    CAiRole* b = member(6);
    ASSERT_TRUE(a && b);
    ASSERT_NE(a->m_pGroup, nullptr);
    EXPECT_EQ(a->m_pGroup, b->m_pGroup);
    EXPECT_EQ(a->m_pGroup->GetMemberCount(), 2);
    CRole* hero = AsRole(m_Mng->AddRole(2, 5, 8, 0, 0, 0, -1, -1));
    a->SetState(kStateAlerted, 1, 0, nullptr);
    a->SetTarget(hero, 1);
    EXPECT_EQ(ThinkAt(a, 7), 0) << "the group decides";
    EXPECT_EQ(a->m_LastCommand, -1);
    EXPECT_EQ(a->m_pGroup->m_Target, hero->m_Handle);
    // One living member: the circle does nothing.
    CRoleGroup* g = a->m_pGroup;
    SetGameTickCount(1000);
    b->m_Dead = 1;
    EXPECT_EQ(g->Update(), 0);
    // Leaving: a destroyed member's handle goes from the group.
    b->m_Dead = 0;
    b->Remove();
    m_Mng->Update();
    EXPECT_EQ(g->GetMemberCount(), 1);
}

TEST(RoleGroupCircleTest, FourMembersStandAQuarterTurnApartAndARotationTurnsTheRing) {
    auto angleOf = [](const CGamePoint& p) { return std::atan2(double(p.x), double(p.y)) * 180.0 / std::numbers::pi; };
    auto diff = [](double a, double b) {
        double d = std::fmod(a - b + 720.0, 360.0);
        return d > 180.0 ? 360.0 - d : d;
    };
    for (int i = 0; i < 4; ++i) {
        const CGamePoint p = CRoleGroupCircle::RingPoint(0, 0, 1000, 0, 4, i);
        const CGamePoint q = CRoleGroupCircle::RingPoint(0, 0, 1000, 0, 4, (i + 1) % 4);
        EXPECT_NEAR(diff(angleOf(p), angleOf(q)), 90.0, 0.5);
        // One rotation step puts member i where member i + 1 stood.
        EXPECT_EQ(CRoleGroupCircle::RingPoint(0, 0, 1000, 1, 4, i), q);
        EXPECT_NEAR(std::hypot(p.x, p.y), 1000.0, 1.5);
    }
}

TEST(RoleGroupMgrTest, MembersJoinTheirGroupByKeyAndUnknownTypesMakeNone) {
    CRoleGroupMgr mgr;
    plat::ScriptRand({5});
    CRoleGroup* g = mgr.AddMember(11, 1, 3, 0, 0, 0);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->m_Rotation, 5);
    EXPECT_EQ(g->m_Radius, 256);
    EXPECT_EQ(mgr.AddMember(12, 1, 3, 0, 0, 0), g);
    EXPECT_NE(mgr.AddMember(13, 1, 4, 0, 0, 0), g);
    EXPECT_EQ(mgr.AddMember(14, 2, 3, 0, 0, 0), nullptr);
    EXPECT_EQ(g->GetMemberCount(), 2);
    g->RemoveMember(11);
    EXPECT_EQ(g->GetMemberCount(), 1);
    EXPECT_EQ(mgr.UpdateAll(), 1);
    mgr.RemoveAll();
    EXPECT_EQ(mgr.GetCount(), 0);
    plat::ScriptRand({});
}

TEST_F(AiRoleTest, ANewPlayerRoleWaits280To559TicksAndOneFidgetItemNeverPlays) {
    for (int draw : {0, 279, 280}) {
        plat::ScriptRand({0, draw});  // the actor's tick count, then the countdown
        CRole60 r;
        EXPECT_EQ(r.m_FidgetCountdown, 280 + draw % 280);
    }
    plat::ScriptRand({});
    // A model whose column 8 holds one item never fidgets.
    LoadRoles({BoxRow("Hero", 1).RoleCamp(10000).Set(8, "16")}, {datagen::RolePrivateRow().Name("H").Id(1)});
    auto* hero = dynamic_cast<CRole60*>(m_Mng->AddRole(1, 4, 4, 1, 0, 0, -1, -1));
    ASSERT_NE(hero, nullptr);
    for (int t = 0; t < 1200; ++t) {
        hero->m_Motion = kMotionStand;
        hero->Update();
        EXPECT_EQ(hero->m_SpecialAnimActive, 0u) << t;
    }
    EXPECT_LE(hero->m_FidgetCountdown, 0) << "the countdown ran out without a fidget";
}

} // namespace test_ai_role
