// One hit with scripted draws, step by step: dodge, damage and elements,
// Nu, side effects, stagger, death; the combo that refuses the player's
// hits; and what a kill gives.
#include <gtest/gtest.h>

#include "combat_fixture.h"
#include "platform/debug.h"

namespace test_resolve_hit {

using combat_fixture::CombatFixture;
using role_fixture::BoxRow;

// A role whose player-only slots a test sets.
class SlotRole : public CAiRole {
public:
    float nuFactor = 0.0f;
    int32_t sh = 0;
    int32_t ap = -1000;   // -1000: the level row's
    int32_t maxHp = -1000;
    int32_t GetAP() override { return ap == -1000 ? CRole::GetAP() : ap; }
    int32_t GetMaxHP() override { return maxHp == -1000 ? CRole::GetMaxHP() : maxHp; }
    float GetNuFactor() override { return nuFactor; }
    int32_t GetSH() override { return sh; }
};

std::vector<std::pair<int, int>> g_Sounds;

class ResolveHitTest : public CombatFixture {
protected:
    void SetUp() override {
        CombatFixture::SetUp();
        g_WorldHooks.createRole = [](int) -> CGameObj* { return new SlotRole; };
        g_Sounds.clear();
        g_WorldSound.playEffect = [](int id, int, int percent, int) { g_Sounds.push_back({id, percent}); };
        g_WorldSound.playEffectAt = [](int id, const CGamePoint&, int) { g_Sounds.push_back({id, -1}); };
        // Skill 1 plain; 2 with a side effect (state 20 for 7 s, 50 %);
        // 3 doubles on its side effect; 4 with ice by level; 5 with an
        // always-applied state 21 and death mode 3.
        // Column 27 is set on every skill: no drop roll draws on a hit.
        LoadSkills({datagen::SkillRow().Name("Plain").Id(1).Group(1).Scales("1.0", "1.0", "1.0").Set(27, 1),
                    datagen::SkillRow().Name("Side").Id(2).Group(1).Scales("1.0", "1.0", "1.0").Set(27, 1).SideState("20*7").SideStateChance(50),
                    datagen::SkillRow().Name("Double").Id(3).Group(1).Scales("1.0", "1.0", "1.0").Set(27, 1).SideState("59*0").SideStateChance(50),
                    datagen::SkillRow().Name("Ice").Id(4).Group(1).Scales("1.0", "1.0", "1.0").Set(27, 1).LevelPercent("100*0*0"),
                    datagen::SkillRow().Name("Always").Id(5).Group(1).Scales("1.0", "1.0", "2.0").Set(27, 1).AlwaysState("21*4").DeathMode(3)},
                   {datagen::SkillGopRow().Name("G").Id(1).Values({1, 2, 3, 4, 5})});
        // Attacker: level 10, AP 50, HR 5, ice level 30; victim: HP 1000,
        // DP 20, level 4, experience 400, two '*' fields in column 24.
        // Novice: the attacker at level 0; Weak: a victim of level 1
        // giving 1 experience.
        LoadRoles({BoxRow("Attacker", 2).RoleCamp(2), BoxRow("Victim", 3).RoleCamp(1).Set(24, "a*b"),
                   BoxRow("Novice", 4).RoleCamp(2), BoxRow("Weak", 5).RoleCamp(1)},
                  {datagen::RolePrivateRow().Name("A").Id(2).Set(2, 10).Set(9, 100).Set(10, 50).Set(13, 5).Set(17, 30),
                   datagen::RolePrivateRow().Name("V").Id(3).Set(2, 4).Set(9, 1000).Set(10, 8).Set(11, 20).Set(16, 400),
                   datagen::RolePrivateRow().Name("N").Id(4).Set(2, 0).Set(9, 100).Set(10, 50).Set(13, 5).Set(17, 30),
                   datagen::RolePrivateRow().Name("W").Id(5).Set(2, 1).Set(9, 1000).Set(16, 1)});
        m_A = static_cast<SlotRole*>(Add(2, 2, 2));
        m_V = static_cast<SlotRole*>(Add(3, 3, 2));
        ASSERT_TRUE(m_A && m_V);
        plat::SetRandOverrunHandler([](uint64_t) { ADD_FAILURE() << "a draw past the script"; });
    }
    void TearDown() override {
        plat::SetRandOverrunHandler(nullptr);
        CombatFixture::TearDown();
    }
    int Hit(int skill, const std::vector<int>& draws) {
        plat::ScriptRand(draws);
        plat::ResetRandDrawCount();
        const int r = m_V->ResolveHit(Magic(m_A, skill, m_A->m_X, m_A->m_Y));
        EXPECT_EQ(plat::ScriptedRandLeft(), 0u) << "every scripted draw taken";
        return r;
    }
    SlotRole* m_A = nullptr;
    SlotRole* m_V = nullptr;
};

TEST_F(ResolveHitTest, ADodgeRollAtOrAboveTheHitMisses) {
    // hit 5, dodge 20: draw mod 20 >= 5 misses.
    EXPECT_EQ(Hit(1, {7}), 0);
    EXPECT_EQ(m_V->m_Hp, 1000.0f);
    EXPECT_EQ(m_V->m_HitFlag, 0);
    EXPECT_EQ(Hit(1, {24}), 1) << "24 mod 20 = 4 lands";
    EXPECT_EQ(m_V->m_Hp, 950.0f);
    EXPECT_EQ(m_V->m_PendingHp, -50) << "the gauge shows the loss";
    EXPECT_EQ(m_V->m_HitFlag, 1);
}

TEST_F(ResolveHitTest, PostureAndStatesChangeTheDodge) {
    m_V->m_Posture = kPostureHeld;  // defence 1: no roll at all
    EXPECT_EQ(Hit(1, {}), 1);
    m_V->m_Posture = 0;
    m_V->m_Motion = kMotionWalk;  // a quarter: 5, draw mod 5
    EXPECT_EQ(Hit(1, {4}), 1);
    m_V->m_Motion = kMotionStand;
    m_V->SetState(63, 1, 0, nullptr);  // halved: 10
    EXPECT_EQ(Hit(1, {15}), 0) << "15 mod 10 = 5 is at the hit";
    EXPECT_EQ(Hit(1, {14}), 1);
}

TEST_F(ResolveHitTest, SameCampHalvesAndAttackersShareTheDamage) {
    m_V->m_Camp = 2;
    EXPECT_EQ(Hit(1, {0}), 1);
    EXPECT_EQ(m_V->m_Hp, 975.0f);
    m_V->m_Camp = 1;
    for (int32_t h : {101, 102, 103}) {
        auto* n = new RoleChangeNode;
        n->value[0] = h;
        n->next = m_V->m_ChangeList2.head;
        m_V->m_ChangeList2.head = n;
        if (!m_V->m_ChangeList2.tail) m_V->m_ChangeList2.tail = n;
        ++m_V->m_ChangeList2.count;
    }
    EXPECT_EQ(Hit(1, {0}), 1);
    EXPECT_EQ(m_V->m_Hp, 975.0f - 16.0f) << "50 / 3 attackers";
}

TEST_F(ResolveHitTest, IceAddsByLevelAndDefence) {
    g_MaxIceDp = 10;
    EXPECT_EQ(Hit(4, {0}), 1);
    // 30 x 10 x 50 / (1 x 10 + 10 x 50) = 29.
    EXPECT_EQ(m_V->m_Hp, 1000.0f - 79.0f);
}

// Fault: a denominator of 0 (maximum 0, level 0) skips the element.
TEST_F(ResolveHitTest, AnElementWithoutDenominatorIsSkipped) {
    g_MaxIceDp = 0;
    m_A = static_cast<SlotRole*>(Add(4, 5, 5));
    ASSERT_NE(m_A, nullptr);
    ASSERT_EQ(Magic(m_A, 4, 0, 0)->GetLevelPercent(0), 30);
    EXPECT_EQ(Hit(4, {0}), 1);
    EXPECT_EQ(m_V->m_Hp, 950.0f);
}

TEST_F(ResolveHitTest, SideEffectsByChance) {
    EXPECT_EQ(Hit(2, {0, 50}), 1) << "roll 50 is not below 50";
    EXPECT_FALSE(m_V->HasState(20));
    EXPECT_EQ(Hit(2, {0, 49}), 1);
    EXPECT_TRUE(m_V->HasState(20));
    EXPECT_EQ(m_V->m_StateCountdowns[20], 7);
    const float before = m_V->m_Hp;
    EXPECT_EQ(Hit(3, {0, 10}), 1);
    EXPECT_EQ(before - m_V->m_Hp, 100.0f) << "state 59 doubles the damage";
}

TEST_F(ResolveHitTest, StaggerRollsAroundItsValue) {
    m_A->sh = 40;
    m_V->m_StaggerThreshold = 1000;
    // stagger 40: 40 + draw mod 20 - 10.
    EXPECT_EQ(Hit(1, {0, 13}), 1);
    EXPECT_EQ(m_V->m_StaggerAccum, 43);
    m_V->SetState(44, 1, 0, nullptr);
    EXPECT_EQ(Hit(1, {0, 0}), 1) << "state 44 halves: 20 + 0 - 5";
    EXPECT_EQ(m_V->m_StaggerAccum, 43 + 15);
    EXPECT_EQ(m_V->m_Hp, 1000.0f - 50.0f - 25.0f);
    m_V->SetState(44, 0, 0, nullptr);
    m_V->SetState(113, 1, 0, nullptr);
    EXPECT_EQ(Hit(1, {0}), 1) << "state 113: 1 and 1, no draw";
    EXPECT_EQ(m_V->m_StaggerAccum, 59);
    EXPECT_EQ(m_V->m_Hp, 1000.0f - 76.0f);
}

TEST_F(ResolveHitTest, TheStaggerThresholdSplitsByBodyParts) {
    m_V->SetStaggerThreshold(1);
    EXPECT_EQ(m_V->m_StaggerThreshold, 500) << "two fields in column 24";
    m_V->m_StaggerAccum = 9;
    plat::ScriptRand({30});
    m_V->SetStaggerThreshold(0);
    EXPECT_EQ(m_V->m_StaggerThreshold, 500 + 30 + 166);
    EXPECT_EQ(m_V->m_StaggerAccum, 0);
}

TEST_F(ResolveHitTest, NuGrowsOnBothSidesByTheDamageRatios) {
    m_A->nuFactor = 100.0f;
    m_V->nuFactor = 100.0f;
    EXPECT_EQ(Hit(1, {0}), 1);
    // attacker: 50 / 50 = 1.0; victim: 50 / 1000 x 25 = 1.25.
    EXPECT_EQ(m_A->m_Nu, 100);
    EXPECT_EQ(m_V->m_Nu, 125);
}

// Fault: an AP or max HP below 1 gives the capped ratios.
TEST_F(ResolveHitTest, NuRatiosOfADivisorBelowOneAreCapped) {
    m_A->nuFactor = 100.0f;
    m_V->nuFactor = 100.0f;
    m_A->ap = -5;
    m_V->maxHp = -1;
    m_V->m_Hp = 1000.0f;
    m_V->m_Dead = 1;  // the hit kills: Die, which clears Nu, passes a dead role by
    EXPECT_EQ(Hit(1, {0}), 1);
    EXPECT_EQ(m_A->m_Nu, 800);
    EXPECT_EQ(m_V->m_Nu, 1000);
}

TEST_F(ResolveHitTest, AlwaysAppliedStateAndDeath) {
    m_V->m_Hp = 60.0f;
    EXPECT_EQ(Hit(5, {0, 0}), 1) << "the dodge, then the drop roll of the death";
    EXPECT_TRUE(m_V->HasState(21));
    EXPECT_EQ(m_V->m_StateCountdowns[21], 4);
    EXPECT_EQ(m_V->m_Dead, 1u);
    EXPECT_EQ(m_V->m_DeathMode, 3);
    EXPECT_EQ(m_V->m_DeathPlayed, 1) << "a death action of 0 plays the death once";
}

TEST_F(ResolveHitTest, NoAttackerNoHit) {
    EXPECT_EQ(m_V->ResolveHit(Magic(nullptr, 1, 0, 0)), 0);
    EXPECT_EQ(m_V->m_Hp, 1000.0f);
}

// ---------------------------------------------------------------- combo

TEST_F(ResolveHitTest, ThreeAttackersPastThreeHitsAreRefused) {
    CRole* b = Add(2, 5, 5);
    CRole* c = Add(2, 6, 6);
    ASSERT_TRUE(b && c);
    EXPECT_EQ(m_V->CountComboHit(Magic(m_A, 1, 0, 0)), 1);
    EXPECT_EQ(m_V->CountComboHit(Magic(b, 1, 0, 0)), 1);
    EXPECT_EQ(m_V->CountComboHit(Magic(c, 1, 0, 0)), 1) << "three hits";
    EXPECT_EQ(m_V->CountComboHit(Magic(c, 1, 0, 0)), 0);
    EXPECT_EQ(m_V->m_ChangeList2.count, 3);
    EXPECT_EQ(m_V->m_ComboStartHp, 1000.0f);
    m_V->ResetCombo(0);
    EXPECT_EQ(m_V->m_ChangeList2.count, 3) << "alive: kept";
    m_V->ResetCombo(1);
    EXPECT_EQ(m_V->m_ChangeList2.count, 0);
    EXPECT_EQ(m_V->m_ComboHits, 0.0f);
}

TEST_F(ResolveHitTest, ThePlayersHitsWeighByTheRowsColumn19) {
    m_A->m_Kind = 60;
    GiveRecord(m_A, {11});
    LoadPlayerSkills({{11, 1, {{19, "2"}}}});
    EXPECT_EQ(m_V->CountComboHit(Magic(m_A, 1, 0, 0)), 1) << "0.5 < 1.0";
    EXPECT_EQ(m_V->CountComboHit(Magic(m_A, 1, 0, 0)), 0) << "1.0 is not below 1.0";
    EXPECT_EQ(m_V->m_ChangeList1.count, 1);
}

// Fault: a column 19 of 0 adds nothing rather than an endless weight.
TEST_F(ResolveHitTest, AColumn19OfZeroAddsNothing) {
    m_A->m_Kind = 60;
    GiveRecord(m_A, {11});
    LoadPlayerSkills({{11, 1, {{19, "0"}}}});
    for (int i = 0; i < 3; ++i) EXPECT_EQ(m_V->CountComboHit(Magic(m_A, 1, 0, 0)), 1) << i;
    EXPECT_EQ(m_V->m_ComboLoad, 0.0f);
}

TEST_F(ResolveHitTest, WithoutARowTheGroupsSkillCountDividesTheWeight) {
    m_A->m_Kind = 60;
    EXPECT_EQ(m_V->CountComboHit(Magic(m_A, 1, 0, 0)), 1);
    EXPECT_FLOAT_EQ(m_V->m_ComboLoad, 0.2f / 5.0f);
    m_V->m_ComboLoad = 1.0f;
    EXPECT_EQ(m_V->CountComboHit(Magic(m_A, 1, 0, 0)), 0) << "limit 1.0 reached";
    m_A->SetState(kStateHalo, 1, 0, nullptr);
    EXPECT_EQ(m_V->CountComboHit(Magic(m_A, 1, 0, 0)), 1) << "state 43 doubles the limit";
}

// ---------------------------------------------------------------- kill rewards

class KillRewardTest : public ResolveHitTest {
protected:
    void SetUp() override {
        ResolveHitTest::SetUp();
        m_A->m_Camp = 10000;
        m_V->m_LastAttacker = m_A->m_Handle;
        plat::ClearDebugCapture();
    }
    // A rating of exactly `h`-part r with 3 groups, no HP part.
    void Rating(int hits) {
        for (int32_t g : {1, 2, 3}) {
            auto* n = new RoleChangeNode;
            n->value[0] = g;
            if (m_V->m_ChangeList1.tail) m_V->m_ChangeList1.tail->next = n;
            else m_V->m_ChangeList1.head = n;
            m_V->m_ChangeList1.tail = n;
            ++m_V->m_ChangeList1.count;
        }
        m_V->m_ComboHits = static_cast<float>(hits);
        m_V->m_ComboStartHp = m_V->m_Hp;
    }
    size_t Notices() const {
        size_t n = 0;
        for (const std::string& l : plat::DebugCaptured())
            if (l.rfind(kRoleNoticePrefix, 0) == 0) ++n;
        return n;
    }
};

TEST_F(KillRewardTest, RatingTwentyShowsNothingTwentyOneTheNotice) {
    GiveRecord(m_A, {}, 4);
    Rating(28);
    EXPECT_EQ(m_V->GetComboRating(), 20);
    m_V->OnKillReward();
    EXPECT_EQ(Notices(), 0u);
    EXPECT_TRUE(g_Sounds.empty());
    m_V->ResetCombo(1);
    Rating(30);
    EXPECT_EQ(m_V->GetComboRating(), 21);
    m_V->OnKillReward();
    EXPECT_EQ(Notices(), 1u);
    ASSERT_EQ(g_Sounds.size(), 1u);
    EXPECT_EQ(g_Sounds[0], std::make_pair(279, 50));
}

TEST_F(KillRewardTest, ExperienceByLevelGap) {
    const struct {
        int difficulty;
        int killerLevel;
        int32_t exp;
    } cases[] = {{1, 4, 400}, {1, 9, 400}, {1, 14, 200}, {1, 24, 20}, {2, 20, 200}, {3, 24, 280}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.killerLevel);
        g_SaveMgr.m_Difficulty = c.difficulty;
        GiveRecord(m_A, {}, c.killerLevel);
        m_Record->m_Exp = 0;
        m_Record->m_NextExp = 1000000;
        m_V->OnKillReward();
        EXPECT_EQ(m_Record->m_Exp, c.exp);
    }
}

TEST_F(KillRewardTest, AFollowersKillIsHalvedAndAtLeastOne) {
    m_Record->m_Level = 24;
    m_Record->m_NextExp = 1000000;
    m_Record->m_Followers.push_back({m_A->m_Handle, 1});
    g_RoleHooks.getLocalPlayerRecord = []() { return combat_fixture::g_Record; };
    m_V->OnKillReward();
    EXPECT_EQ(m_Record->m_Exp, 10) << "400 / 20, halved";
    CRole* weak = Add(5, 6, 6);
    ASSERT_NE(weak, nullptr);
    weak->m_LastAttacker = m_A->m_Handle;
    weak->OnKillReward();
    EXPECT_EQ(m_Record->m_Exp, 11) << "never below 1";
}

TEST_F(KillRewardTest, OnlyAPlayerCampKillerCounts) {
    GiveRecord(m_A, {}, 4);
    m_A->m_Camp = 2;
    m_V->OnKillReward();
    EXPECT_EQ(m_Record->m_Exp, 0);
}

} // namespace test_resolve_hit
