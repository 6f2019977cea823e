// Attributes with the difficulty, the pools and their upkeep, the gauges'
// percentages and bars, skill costs and reach.
#include <gtest/gtest.h>

#include "combat_fixture.h"
#include "datagen/pli_writer.h"
#include "gfx/role_sprite.h"
#include "roles/tables/exp_table.h"

namespace test_role_pools {

using combat_fixture::CombatFixture;
using role_fixture::BoxRow;

class RolePoolsTest : public CombatFixture {
protected:
    CRole* Level(int hp, int ap, int dp, int hr) {
        LoadRoles({BoxRow("M", 2)},
                  {datagen::RolePrivateRow().Name("L").Id(2).Set(9, hp).Set(10, ap).Set(11, dp).Set(13, hr)});
        return Add(2, 3, 3);
    }
};

TEST_F(RolePoolsTest, DifficultyScalesHpApDpAndHrNeverBelowOne) {
    const struct {
        int difficulty;
        int32_t hp, ap, dp, hr;
    } cases[] = {{0, 60, 10, 10, 10}, {1, 90, 20, 20, 20}, {2, 117, 26, 26, 26}, {3, 180, 40, 40, 60}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.difficulty);
        g_SaveMgr.m_Difficulty = c.difficulty;
        CRole* r = Level(90, 20, 20, 20);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->GetMaxHP(), c.hp);
        EXPECT_EQ(r->GetAP(), c.ap);
        EXPECT_EQ(r->GetDP(), c.dp);
        EXPECT_EQ(r->GetHR(), c.hr);
        EXPECT_EQ(r->m_Hp, static_cast<float>(c.hp)) << "the pools fill to the scaled maximum";
        g_RolePrivateTable.Clear();
        g_RoleMdlTable.Clear();
    }
    g_SaveMgr.m_Difficulty = 0;
    CRole* r = Level(1, 1, 1, 1);
    EXPECT_EQ(r->GetMaxHP(), 1);
    EXPECT_EQ(r->GetAP(), 1);
    EXPECT_EQ(r->GetHR(), 1);
}

TEST_F(RolePoolsTest, MissingCellsAndUnscaledColumns) {
    LoadRoles({BoxRow("M", 2)}, {datagen::RolePrivateRow().Name("L").Id(2).Set(4, 7).Set(14, 65535)});
    CRole* r = Add(2, 3, 3);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->GetDP(), 1) << "no defence cell";
    EXPECT_EQ(r->GetAttribute(9), 65535) << "a missing cell at difficulty 1";
    EXPECT_EQ(r->GetRunSpeed(), 7);
    g_SaveMgr.m_Difficulty = 2;
    EXPECT_EQ(r->GetAttribute(9), 85195) << "a missing scaled cell is scaled like any value";
    EXPECT_EQ(r->GetAttribute(14), 65535) << "unscaled";
}

TEST_F(RolePoolsTest, PoolsClampAndReportIt) {
    CRole* r = Level(100, 10, 10, 10);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->AddHP(5.0f), 0);
    EXPECT_EQ(r->m_Hp, 100.0f);
    EXPECT_EQ(r->AddHP(-150.0f), 0);
    EXPECT_EQ(r->m_Hp, -50.0f) << "HP may go below 0";
    EXPECT_EQ(r->AddQi(-20000.0f), 0);
    EXPECT_EQ(r->m_Qi, 0.0f);
    EXPECT_EQ(r->AddQi(10.0f), 1);
    r->AddST(-20000.0f);
    EXPECT_EQ(r->m_St, 0.0f);

    r->m_Nu = 5000;
    r->AddNu(1000, 1);
    EXPECT_EQ(r->m_Nu, 5000 + 285) << "k = 5: 1000 / 3500 of the gain";
    r->m_Nu = 500;
    r->AddNu(1000, 1);
    EXPECT_EQ(r->m_Nu, 1500) << "below 1000 the gain is whole";
    r->AddNu(200000, 0);
    EXPECT_EQ(r->m_Nu, 99900);
    r->AddNu(-200000, 0);
    EXPECT_EQ(r->m_Nu, 0);
}

TEST_F(RolePoolsTest, PendingChangesAndTheirUpkeep) {
    CRole* r = Level(100, 10, 10, 10);
    ASSERT_NE(r, nullptr);
    r->m_Hp = 50.0f;
    r->SetPendingHP(-5);
    EXPECT_EQ(r->m_PendingHp, -5);
    r->SetPendingHP(10);
    EXPECT_EQ(r->m_PendingHp, 10) << "a gain drops a shown loss first";
    r->m_TickCount = 10;  // no phase of its own
    r->UpdatePools();
    EXPECT_EQ(r->m_PendingHp, 6);
    EXPECT_EQ(r->m_Hp, 54.0f);
    r->UpdatePools();
    r->UpdatePools();
    EXPECT_EQ(r->m_PendingHp, 0) << "below 0 ends it";
    EXPECT_EQ(r->m_Hp, 62.0f);

    r->m_PendingHp = -3;
    r->UpdatePools();
    r->UpdatePools();
    EXPECT_EQ(r->m_PendingHp, -1);
    r->UpdatePools();
    EXPECT_EQ(r->m_PendingHp, 0);

    r->m_TickCount = 5;
    r->UpdatePools();
    EXPECT_EQ(r->m_Hp, 63.0f) << "phase 5 regenerates";
    r->m_Hp = 0.0f;
    r->SetPendingHP(10);
    EXPECT_EQ(r->m_PendingHp, 0) << "only while alive";
}

TEST_F(RolePoolsTest, ACountdownOfThreeEndsOnTheThirdSecond) {
    CRole* r = Level(100, 10, 10, 10);
    ASSERT_NE(r, nullptr);
    r->SetState(20, 1, 3, nullptr);
    ASSERT_TRUE(r->HasState(20));
    for (int second = 1; second <= 3; ++second) {
        SCOPED_TRACE(second);
        for (uint32_t t = 0; t < 28; ++t) {
            r->m_TickCount = static_cast<uint32_t>(second - 1) * 28 + t;
            r->UpdatePools();
        }
        EXPECT_EQ(r->HasState(20) != 0, second < 3);
    }
}

TEST_F(RolePoolsTest, PercentagesAndHpBars) {
    CRole* r = Level(300, 10, 10, 10);
    ASSERT_NE(r, nullptr);
    r->m_Hp = 250.0f;
    EXPECT_EQ(r->GetHPPercent(), 83);
    int32_t percent = -1, bars = -1;
    r->GetHPBars(&percent, &bars);
    EXPECT_EQ(r->m_HpBarSize, 100) << "3 bars of 100 without a local player";
    EXPECT_EQ(bars, 2);
    EXPECT_EQ(percent, 50);
    r->m_Hp = -4.0f;
    EXPECT_EQ(r->GetHPPercent(), 0);
    r->m_PendingHp = -30;
    EXPECT_EQ(r->GetPendingHPPercent(), 0);
    r->m_PendingQi = 500;
    EXPECT_EQ(r->GetPendingQiPercent(), 5);
}

// Faults: bars of a role without maximum, experience at the last level.
TEST_F(RolePoolsTest, NoMaximumGivesNoBarsAndTheLastLevelIsFull) {
    LoadRoles({BoxRow("M", 2)}, {datagen::RolePrivateRow().Name("L").Id(2)});
    CRole* r = Add(2, 3, 3);
    ASSERT_NE(r, nullptr);
    r->m_pLevelRow = nullptr;  // max HP 0
    int32_t percent = -1, bars = -1;
    r->GetHPBars(&percent, &bars);
    EXPECT_EQ(percent, 0);
    EXPECT_EQ(bars, 0);

    GiveRecord(r, {}, 99);
    m_Record->m_Exp = g_ExpTable.GetExp(98) + 10;
    m_Record->m_NextExp = g_ExpTable.GetExp(98) - 5;
    EXPECT_EQ(r->GetExpPercent(), 100);
    m_Record->m_Level = 2;
    m_Record->m_NextExp = g_ExpTable.GetExp(1) + 100;
    m_Record->m_Exp = g_ExpTable.GetExp(1) + 25;
    EXPECT_EQ(r->GetExpPercent(), 25);
}

// ---------------------------------------------------------------- costs and reach

class RoleSkillTest : public CombatFixture {
protected:
    void SetUp() override {
        CombatFixture::SetUp();
        // Skill 1: Qi 50 %, Nu 20 % of the row's costs; skill 2 in the
        // same group: 10 %, 10 %; skill 3 of category 3.
        LoadSkills({datagen::SkillRow().Name("A").Id(1).Group(1).Set(6, "50*20").Range(200).Distance2(30),
                    datagen::SkillRow().Name("B").Id(2).Group(1).Set(6, "10*10").Range(64),
                    datagen::SkillRow().Name("C").Id(3).Group(2).Range(128),
                    datagen::SkillRow().Name("D").Id(4).Group(1).Range(192)},
                   {datagen::SkillGopRow().Name("G").Id(1).Values({1, 2}),
                    datagen::SkillGopRow().Name("H").Id(2).Category(3).Values({3})});
        LoadPlayerSkills({{11, 1, {{11, "200"}, {12, "100"}, {13, "2"}}}, {12, 5, {{13, "3"}}}});
        LoadRoles({BoxRow("M", 2)}, {datagen::RolePrivateRow().Name("L").Id(2).Set(9, 100)});
        m_Role = Add(2, 3, 3);
        ASSERT_NE(m_Role, nullptr);
    }
    CRole* m_Role = nullptr;
};

TEST_F(RoleSkillTest, CostsComeFromTheLearntRowAndTheWholeGroupSums) {
    EXPECT_EQ(m_Role->GetSkillQiCost(1, 0), 0) << "no record";
    GiveRecord(m_Role, {11});
    EXPECT_EQ(m_Role->GetSkillLevel(1), 11);
    EXPECT_EQ(m_Role->GetSkillLevel(2), -1);
    EXPECT_EQ(m_Role->GetSkillQiCost(1, 0), 100);
    EXPECT_EQ(m_Role->GetSkillNuCost(1, 0), 20);
    EXPECT_EQ(m_Role->GetSkillQiCost(1, 1), 120) << "first of its group: the group's sum";
    EXPECT_EQ(m_Role->GetSkillQiCost(2, 1), 20) << "not the first";
}

TEST_F(RoleSkillTest, AQiCostEqualToThePoolIsAffordable) {
    GiveRecord(m_Role, {11});
    const CSkillDef* b = g_SkillTable.GetAt(2);
    m_Role->m_Nu = 10;
    m_Role->m_Qi = 20.0f;
    EXPECT_EQ(m_Role->CanUseSkill(b), 1) << "Qi 20 and Nu 10, as it costs";
    m_Role->m_Qi = 19.0f;
    EXPECT_EQ(m_Role->CanUseSkill(b), 0);
    m_Role->m_Qi = 20.0f;
    m_Role->m_Nu = 9;
    EXPECT_EQ(m_Role->CanUseSkill(b), 0);
}

TEST_F(RoleSkillTest, PayingTakesQiAndNuUnlessTheFlagWaivesNu) {
    GiveRecord(m_Role, {11});
    const CSkillDef* a = g_SkillTable.GetAt(1);
    m_Role->m_Qi = 150.0f;
    m_Role->m_Nu = 50;
    m_Role->PaySkillCost(a);
    EXPECT_EQ(m_Role->m_Qi, 50.0f);
    EXPECT_EQ(m_Role->m_PendingQi, -100);
    EXPECT_EQ(m_Role->m_Nu, 30);
    auto* flag = new RoleFlag;
    flag->m_Name = "xdjsy";
    flag->m_Value = 10;
    m_Record->m_Flags.AddTail(flag);
    m_Role->PaySkillCost(a);
    EXPECT_EQ(m_Role->m_Nu, 30) << "\"xdjsy\" = 10: no Nu";
    EXPECT_EQ(m_Role->m_Qi, 0.0f);
}

TEST_F(RoleSkillTest, BodyPartCodes) {
    // The box sprite shows one part, "BD": codes 1-8 need parts it lacks.
    const CSkillDef* a = g_SkillTable.GetAt(1);
    CSkillDef def = *a;
    for (int code = 0; code <= 10; ++code) {
        SCOPED_TRACE(code);
        def.col4 = static_cast<uint8_t>(code);
        EXPECT_EQ(m_Role->CanUseSkill(&def), code == 0 || code > 8 ? 1 : 0);
    }
}

// A sprite of the eight parts the codes name, each shown or hidden.
TEST_F(RoleSkillTest, EachBodyPartCodeAgainstShownParts) {
    const char* parts[] = {"BD", "LA", "RA", "HD", "RH", "RF", "LF", "LH"};
    std::vector<datagen::SprRoleItem> items;
    for (const char* p : parts) items.push_back({"LIMBS", p, "001", 0, "X"});
    ASSERT_TRUE(datagen::WriteSprRoleHeader(Dir() + "slr/Limbs.h", items));
    ASSERT_EQ(LoadSprRoleHeader((Dir() + "slr/Limbs.h").c_str()), 1);
    CRoleSprite* sprite = CreateRoleSprite("LIMBS", nullptr, nullptr);
    ASSERT_NE(sprite, nullptr);
    DestroyRoleSprite(&m_Role->m_pSprite);
    m_Role->m_pSprite = sprite;
    CSkillDef def = *g_SkillTable.GetAt(1);
    // Each code with the parts it needs hidden one at a time.
    const struct {
        int code;
        std::vector<std::vector<const char*>> usableWhenHidden;  // each set hidden: usable?
        std::vector<const char*> refusedWhenHidden;
    } cases[] = {
        {1, {{"RA"}}, {"LA"}},
        {2, {{"LA"}}, {"RA"}},
        {3, {{"RA"}, {"LA"}}, {}},
        {4, {{"LA"}}, {"HD"}},
        {5, {{"LH"}}, {"RH"}},
        {6, {{"HD"}}, {"RA", "LA"}},
        {7, {{"LA"}}, {"RF", "LF"}},
        {8, {{"RH"}}, {"LH"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        def.col4 = static_cast<uint8_t>(c.code);
        ShowAllRoleSpriteParts(sprite, 1);
        EXPECT_EQ(m_Role->CanUseSkill(&def), 1) << "every part shown";
        for (const auto& set : c.usableWhenHidden) {
            ShowAllRoleSpriteParts(sprite, 1);
            for (const char* p : set) ShowRoleSpritePart(sprite, p, 0);
            EXPECT_EQ(m_Role->CanUseSkill(&def), 1) << set[0] << " hidden";
        }
        for (const char* p : c.refusedWhenHidden) {
            ShowAllRoleSpriteParts(sprite, 1);
            ShowRoleSpritePart(sprite, p, 0);
            EXPECT_EQ(m_Role->CanUseSkill(&def), 0) << p << " hidden";
        }
    }
    def.col4 = 3;
    ShowAllRoleSpriteParts(sprite, 1);
    ShowRoleSpritePart(sprite, "RA", 0);
    ShowRoleSpritePart(sprite, "LA", 0);
    EXPECT_EQ(m_Role->CanUseSkill(&def), 0) << "neither arm";
}

TEST_F(RoleSkillTest, ReachBandsAndTheMinimumDistance) {
    // Without a record the ranges stand as defined.
    const struct {
        int skill;
        int32_t distance;
        int in;
    } cases[] = {{2, 47, 1}, {2, 48, 0}, {3, 95, 1}, {3, 96, 0}, {4, 143, 1}, {4, 144, 0},
                 {1, 103, 1}, {1, 104, 0}, {1, 29, 0}, {1, 30, 1}};
    for (const auto& c : cases)
        EXPECT_EQ(m_Role->IsInSkillReach(c.skill, c.distance), c.in) << c.skill << " at " << c.distance;
    EXPECT_EQ(m_Role->GetSkillRangeCells(1), 3);
    GiveRecord(m_Role, {11});
    EXPECT_EQ(m_Role->GetSkillRange(1), 400) << "the row's column 13 multiplies";
    EXPECT_EQ(m_Role->GetSkillRangeCells(1), 6);
    LoadPlayerSkills({{11, 1, {{13, "-12"}}}, {12, 5, {{13, "3"}}}});
    EXPECT_EQ(m_Role->GetSkillRange(1), 600) << "a negative column names another row";
}

TEST_F(RoleSkillTest, CategoryThreeNeedsNoCostButPaysWithTheReservedItem) {
    const CSkillDef* c = g_SkillTable.GetAt(3);
    EXPECT_EQ(m_Role->CanUseSkill(c), 1) << "no scene: no scene type to refuse it";
    m_Role->m_Camp = 10000;
    m_Role->m_ReservedItem = 4;
    GiveRecord(m_Role, {11});
    m_Role->m_Qi = 100.0f;
    m_Role->PaySkillCost(c);
    EXPECT_EQ(m_Role->m_ReservedItem, -1);
    EXPECT_EQ(m_Role->m_Qi, 100.0f);
}

TEST_F(RoleSkillTest, ListedSkillsAndComboChains) {
    EXPECT_EQ(m_Role->GetListedSkill(0), -1) << "no skill list";
    m_Role->SetComboChain(g_SkillTable.GetAt(1));
    EXPECT_EQ(m_Role->m_SkillAux2, 1);
    EXPECT_EQ(m_Role->m_SkillAux3, 0);
    m_Role->SetComboChain(g_SkillTable.GetAt(2));
    EXPECT_EQ(m_Role->UseNextComboSkill(nullptr, 0), nullptr) << "past the list";
}

TEST_F(RoleSkillTest, UseSkillTakesTheTargetAndWaitsForTheAttachedMagic) {
    CRole* foe = Add(2, 5, 5);
    ASSERT_NE(foe, nullptr);
    EXPECT_EQ(m_Role->UseSkill(1, nullptr, foe->m_Handle), nullptr) << "not a known skill";
    EXPECT_EQ(m_Role->m_TargetHandle, 0u);
    EXPECT_EQ(m_Role->UseSkill(3, nullptr, foe->m_Handle), nullptr) << "no attached magic list to make it";
    EXPECT_EQ(m_Role->m_TargetHandle, foe->m_Handle) << "a category-3 skill is known: the target is taken";
}

TEST_F(RolePoolsTest, TheSheetCopiesPoolsToTheRecordAndBack) {
    CRole* r = Level(100, 10, 10, 10);
    ASSERT_NE(r, nullptr);
    GiveRecord(r);
    r->m_Hp = 42.7f;
    r->m_Qi = 17.2f;
    r->m_Nu = 3000;
    ASSERT_NE(g_SceneHooks.saveToSheet, nullptr);
    g_SceneHooks.saveToSheet(r);
    EXPECT_EQ(m_Record->m_Name, "M");
    EXPECT_EQ(m_Record->m_HP, 42);
    EXPECT_EQ(m_Record->m_Qi, 17);
    EXPECT_EQ(m_Record->m_Nu, 3000);
    EXPECT_FALSE(m_Record->m_SpritePartName.empty());
    m_Record->m_HP = 0;
    m_Record->m_Qi = 5;
    m_Record->m_Nu = 7;
    g_SceneHooks.loadFromSheet(r);
    EXPECT_EQ(r->m_Hp, 1.0f) << "HP 0 or less reads back as 1";
    EXPECT_EQ(r->m_Qi, 5.0f);
    EXPECT_EQ(r->m_Nu, 7);
}

TEST_F(RolePoolsTest, StaminaOfPlayerCampsAtPhaseThree) {
    CRole* r = Level(100, 10, 10, 10);
    ASSERT_NE(r, nullptr);
    r->m_Camp = 10000;
    r->m_St = 100.0f;
    r->m_TickCount = 3;
    r->UpdatePools();
    EXPECT_EQ(r->m_St, 101.0f) << "no scene: regenerates";
    r->m_Camp = 5;
    r->UpdatePools();
    EXPECT_EQ(r->m_St, 101.0f) << "not a player camp";
}

} // namespace test_role_pools
