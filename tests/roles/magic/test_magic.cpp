// The magic object base: its hit list, the seven effect lists and when
// they fire, owner-scaled values, CanHit and the release of the skill's
// state.
#include <gtest/gtest.h>

#include <vector>

#include "roles/combat/combat_fixture.h"

namespace test_magic {

using combat_fixture::CombatFixture;
using role_fixture::BoxRow;

struct Fired {
    int list;
    int selector;
    int32_t arg;
    bool operator==(const Fired&) const = default;
};
std::vector<Fired> g_Fired;
std::vector<int> g_Sweeps;

TEST(HitListTest, HoldsFiftyHandlesOnceInInsertionOrder) {
    CHitList l;
    for (ObjHandle h = 1; h <= 50; ++h) EXPECT_TRUE(l.Add(h));
    EXPECT_FALSE(l.Add(51)) << "full";
    EXPECT_FALSE(l.Add(7)) << "held once";
    EXPECT_EQ(l.Count(), 50);
    EXPECT_TRUE(l.Remove(3));
    EXPECT_TRUE(l.Add(99)) << "a freed slot is found from the cursor on, then from 0";
    const std::vector<ObjHandle> h = l.Handles();
    ASSERT_EQ(h.size(), 50u);
    EXPECT_EQ(h[0], 1u);
    EXPECT_EQ(h[2], 4u);
    EXPECT_EQ(h.back(), 99u);
    l.Clear();
    EXPECT_EQ(l.Count(), 0);
    EXPECT_TRUE(l.Handles().empty());
}

class MagicTest : public CombatFixture {
protected:
    void SetUp() override {
        CombatFixture::SetUp();
        g_Fired.clear();
        g_Sweeps.clear();
        g_EffectProbe.applyEffect = [](const SkillEffect* r, CMagic*, int32_t arg) {
            g_Fired.push_back({r->list, r->selector, arg});
        };
        g_EffectProbe.hitArea = [](CMagic*, int32_t shape, int32_t, int32_t, int32_t) { g_Sweeps.push_back(shape); };
        // Skill 1: records of lists 1, 5 and 1 again (not together), a
        // timed 0 then 3, periodic -1, 5 and 0, a removal record; state 109
        // drags. Skill 2: plain, kind 0, pierce off by the test.
        LoadSkills({datagen::SkillRow().Name("Drag").Id(1).Group(1).Kind(0).SideState("109*0").Scales("1.0", "1.0", "1.0")
                        .Effects({{1, 1, 10, 0, 0, 0}, {5, 0, 13, 0, 0, 0}, {1, -1, 12, 0, 0, 0}, {5, 3, 11, 0, 0, 0},
                                  {6, -1, 14, 0, 0, 0}, {7, 5, 15, 0, 0, 0}, {6, 0, 16, 0, 0, 0}, {3, 0, 17, 0, 0, 0},
                                  {1, 2, 18, 0, 0, 0}}),
                    datagen::SkillRow().Name("Plain").Id(2).Group(1).Kind(0).Scales("3.0", "4.0", "5.0").LevelPercent("50*10*0"),
                    datagen::SkillRow().Name("Other").Id(3).Group(1).Kind(5).Scales("1.0", "1.0", "1.0")},
                   {datagen::SkillGopRow().Name("G").Id(1).Values({1, 2, 3})});
        LoadRoles({BoxRow("Owner", 2).RoleCamp(2), BoxRow("Foe", 3).RoleCamp(1), BoxRow("Friend", 4).RoleCamp(2)},
                  {datagen::RolePrivateRow().Name("O").Id(2).Set(9, 100).Set(10, 10).Set(13, 100).Set(17, 40).Set(18, 30),
                   datagen::RolePrivateRow().Name("F").Id(3).Set(9, 1000).Set(11, 1)});
        m_Owner = Add(2, 2, 2);
        m_Foe = Add(3, 3, 2);
        m_Friend = Add(4, 2, 3);
        ASSERT_TRUE(m_Owner && m_Foe && m_Friend);
    }
    int Count(int selector) const {
        int n = 0;
        for (const Fired& f : g_Fired) n += f.selector == selector;
        return n;
    }
    CRole* m_Owner = nullptr;
    CRole* m_Foe = nullptr;
    CRole* m_Friend = nullptr;
};

TEST_F(MagicTest, ListsGatherTheirRecordsByNumber) {
    CMagic* m = Magic(m_Owner, 1, 0, 0);
    EXPECT_EQ(m->ListCount(kListHit), 3) << "records of list 1 that do not stand together";
    EXPECT_EQ(m->ListCount(kListTimed), 2);
    EXPECT_EQ(m->ListCount(kListPeriodic), 3) << "6 and every other number";
    m->RunSelected(kListHit, m, 1, 77);
    EXPECT_EQ(g_Fired, (std::vector<Fired>{{1, 1, 77}, {1, -1, 77}}));
    g_Fired.clear();
    m->RunSelected(kListHit, m, 2, 5);
    EXPECT_EQ(g_Fired, (std::vector<Fired>{{1, -1, 5}, {1, 2, 5}}));
}

TEST_F(MagicTest, TimedAndPeriodicRecords) {
    CMagic* m = Magic(m_Owner, 1, 0, 0);
    m->StepTimers();
    // Timed 0 before the counter moves; periodic -1 on tick 1.
    EXPECT_EQ(g_Fired, (std::vector<Fired>{{5, 0, 0}, {6, -1, 0}}));
    for (int t = 2; t <= 15; ++t) m->StepTimers();
    EXPECT_EQ(Count(3), 1) << "timed 3 once";
    EXPECT_EQ(Count(-1), 15) << "every tick";
    EXPECT_EQ(Count(5), 3) << "ticks 5, 10, 15";
    EXPECT_EQ(Count(0), 1) << "a period of 0 never fires (the timed 0 did)";
    m->m_PeriodicEnabled = 0;
    g_Fired.clear();
    m->StepTimers();
    EXPECT_TRUE(g_Fired.empty());
}

TEST_F(MagicTest, RemoveFiresListThreeOnce) {
    CMagic* m = Magic(m_Owner, 1, 0, 0);
    EXPECT_EQ(m->Remove(), 1);
    EXPECT_EQ(m->Remove(), 1);
    int removal = 0;
    for (const Fired& f : g_Fired) removal += f.list == 3;
    EXPECT_EQ(removal, 1);
    EXPECT_EQ(m->m_Removed, 1u);
}

TEST_F(MagicTest, ARepeatedHitFiresAgainWithoutASecondEntry) {
    CMagic* m = Magic(m_Owner, 1, 0, 0);
    m->HitRole(m_Foe->m_Handle);
    m->HitRole(m_Foe->m_Handle);
    EXPECT_EQ(m->m_HitList.Count(), 1);
    EXPECT_EQ(Count(1), 2);
    EXPECT_TRUE(m_Foe->HasState(109));
}

TEST_F(MagicTest, FiftyListedHandlesStillLetTheNextHitFire) {
    CMagic* m = Magic(m_Owner, 1, 0, 0);
    for (ObjHandle h = 20000; h < 20050; ++h) m->HitRole(h);
    EXPECT_EQ(m->m_HitList.Count(), 50);
    g_Fired.clear();
    m->HitRole(m_Foe->m_Handle);
    EXPECT_EQ(Count(1), 1);
    EXPECT_TRUE(m_Foe->HasState(109));
    EXPECT_FALSE(m->m_HitList.Contains(m_Foe->m_Handle));
}

TEST_F(MagicTest, DestructionReleasesTheDragState) {
    CMagic* m = Magic(m_Owner, 1, 0, 0);
    m->HitRole(m_Foe->m_Handle);
    ASSERT_TRUE(m_Foe->HasState(109));
    CMagic copy;
    m->CopyHitListTo(&copy);
    EXPECT_TRUE(copy.m_HitList.Contains(m_Foe->m_Handle));
    m_Magics.clear();
    EXPECT_FALSE(m_Foe->HasState(109));
}

TEST_F(MagicTest, ThePendingSweepAndTheCountdown) {
    CMagic* m = Magic(m_Owner, 2, 0, 0);
    m->ScheduleAreaHit(4, 1, 1);
    EXPECT_EQ(m->m_SweepShape, -1) << "no centre object in the base";
    m->m_Kind = 7;
    m->m_Countdown = 2;
    m->StepTimers();
    EXPECT_TRUE(g_Sweeps.empty());
    m->StepTimers();
    EXPECT_EQ(g_Sweeps, std::vector<int>{1}) << "the follow-up wedge";
}

TEST_F(MagicTest, OwnerScaledValuesAndLevelPercent) {
    CMagic* m = Magic(m_Owner, 2, 0, 0);
    EXPECT_FLOAT_EQ(m->GetScaledA(), 3.0f) << "no row: factor 1";
    EXPECT_FLOAT_EQ(m->GetScaledB(), 5.0f);
    EXPECT_FLOAT_EQ(m->GetScaledC(), 4.0f);
    EXPECT_EQ(m->GetLevelPercent(0), 20);
    EXPECT_EQ(m->GetLevelPercent(1), 3);
    EXPECT_EQ(m->GetLevelPercent(2), 0);
    EXPECT_EQ(m->GetLevelPercent(3), 0);
    GiveRecord(m_Owner, {11});
    LoadPlayerSkills({{11, 1, {{8, "2.5"}, {9, "1000.5"}, {10, "-12"}}}, {12, 2, {{4, "12"}, {10, "0.5"}}}});
    m_Record->m_LearnedSkills = {11, 12};
    EXPECT_FLOAT_EQ(m->GetScaledA(), 7.5f);
    EXPECT_FLOAT_EQ(m->GetScaledB(), 5.0f) << "(v - 1000) truncates to 0: factor 1";
    EXPECT_FLOAT_EQ(m->GetScaledC(), 2.0f) << "the row of tree slot 12";
    EXPECT_FLOAT_EQ(Magic(nullptr, 2, 0, 0)->GetScaledA(), 0.0f);
}

TEST_F(MagicTest, CanHitByCampHeightAndHandler) {
    CMagic* m = Magic(m_Owner, 2, m_Owner->m_X, m_Owner->m_Y);
    EXPECT_EQ(m->CanHit(m_Friend, 0), 0) << "the owner's camp";
    m_Foe->m_Height = 65;
    EXPECT_EQ(m->CanHit(m_Foe, 0), 0) << "65 above the owner";
    EXPECT_EQ(m->CanHit(m_Foe, 1), 1) << "force ignores the height";
    EXPECT_EQ(m->m_HitSomething, 1);
    EXPECT_TRUE(m->m_HitList.Contains(m_Foe->m_Handle));
    EXPECT_EQ(m_Foe->m_ExcludeHandle, m_Owner->m_Handle) << "the role's hit handler took it (no scene: no damage)";
    m_Foe->m_Height = 0;
    m->m_Pierce = 0;
    EXPECT_EQ(m->CanHit(m_Foe, 0), 1);
    EXPECT_EQ(m->m_Removed, 1u) << "no pierce: removed";

    CMagic* other = Magic(m_Owner, 3, m_Owner->m_X, m_Owner->m_Y);
    EXPECT_EQ(other->CanHit(m_Friend, 0), 1) << "kind 5: the handler alone decides";
    CMagic* third = Magic(m_Owner, 2, 0, 0);
    EXPECT_EQ(m->CanHit(third, 0), 0) << "another magic object's collision refuses";
    EXPECT_EQ(m->CanHit(nullptr, 0), 0);
}

TEST_F(MagicTest, TheWorldReadsOwnerSkillKindAndActiveFlag) {
    CMagic* m = Magic(m_Owner, 3, 0, 0);
    ASSERT_NE(g_WorldHooks.getMagicOwner, nullptr);
    EXPECT_EQ(g_WorldHooks.getMagicOwner(m), m_Owner->m_Handle);
    EXPECT_EQ(g_WorldHooks.getMagicSkillKind(m), 5);
    EXPECT_EQ(g_WorldHooks.getMagicOwner(m_Foe), 0u);
    m->m_Active = 0;
    EXPECT_EQ(g_WorldHooks.isMagicActive(m), 0);
    EXPECT_EQ(m->GetOwnerRole(), m_Owner);
    EXPECT_EQ(m->GetTargetRole(), nullptr);
    m->m_TargetX = 9;
    m->m_TargetHandle = m_Foe->m_Handle;
    EXPECT_EQ(m->GetTargetPoint().x, m_Foe->m_X);
}

} // namespace test_magic
