// The hero's skill strikes a monster in the running fixture game: the test
// builds the magic object itself and hands the monster to CanHit with
// scripted draws (a miss, a hit, ice, a side effect); then the kill credits
// the hero's record and drops money at the monster's cell in a scene of
// type 2, none in type 0.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "core/txt_table.h"
#include "datagen/item_tables.h"
#include "datagen/table_writer.h"
#include "platform/random.h"
#include "roles/magic/magic.h"
#include "roles/record/role_data.h"
#include "roles/role.h"
#include "roles/tables/skill_table.h"
#include "roles/ai/quiet_roles.h"
#include "scenario/scenario.h"
#include "world/objects/obj_mng.h"
#include "world/scene/scene_hooks.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world_globals.h"

namespace test_hit_scenario {

using scenario::ScenarioTest;

constexpr int kIceSkill = 9;
constexpr int kMonsterX = 6, kMonsterY = 5;

datagen::FixtureGame Game(int sceneType) {
    datagen::FixtureGame g = datagen::DefaultFixtureGame();
    g.scene.type = sceneType;
    // Hero: level 10, AP 50, HR 5, ice 30 by level; the melee monster:
    // level 4, HP 1000, DP 20, 400 experience, drops of "randprop.txt" row 2.
    g.rolePrivates[0].Set(2, 10).Set(9, 500).Set(10, 50).Set(13, 5).Set(17, 30);
    // The hero's attributes are its record's, of its class row.
    datagen::PlayerInitSpec hero;
    hero.classId = 0;  // the class a scenario's new game takes
    hero.ap = 50, hero.maxHP = 500, hero.hr = 5, hero.sp = 24;
    hero.leftSkill = 0, hero.rightSkills = "";  // no learnt rows: the skills' own scales
    g.classes.push_back(hero);
    g.rolePrivates[1].Set(2, 4).Set(9, 1000).Set(11, 20).Set(16, 400);
    // The archer grows with the player: column 15 = 2.
    g.rolePrivates[2].Set(9, 100).Set(10, 10).Set(11, 300).Set(13, 1).Set(15, 2);
    g.skills.push_back(datagen::SkillRow().ClassWord(4).Name("Frost").Kind(0).Id(kIceSkill).Group(1)
                           .Scales("1.0", "1.0", "1.0").LevelPercent("100*0*0").SideState("20*7").SideStateChance(50)
                           .Set(27, 1));  // no drop roll on a hit
    return g;
}

class HitScenarioTest : public ScenarioTest {
protected:
    bool StartWith(int sceneType) {
        if (!run.Start(Game(sceneType))) return false;
        quiet_roles::SilenceAi();
        run.Tick();
        m_Hero = AsRole(run.Hero());
        if (!m_Hero || !run.Scene()) return false;
        SetCurrentScene(run.Scene());
        m_Monster = AsRole(g_CurObjMng->AddRole(datagen::kFixtureMeleeModel, kMonsterX, kMonsterY, 0, 0, 0, -1, -1));
        if (!m_Monster) return false;
        // The hero stands next to it.
        m_Hero->PlaceNear(kMonsterX - 1, kMonsterY, 0);
        m_Magic = std::make_unique<CMagic>();
        m_Magic->m_OwnerHandle = m_Hero->m_Handle;
        m_Magic->SetSkill(g_SkillTable.GetAt(kIceSkill));
        m_Magic->m_X = m_Hero->m_X;
        m_Magic->m_Y = m_Hero->m_Y;
        return m_Magic->GetSkill() != nullptr;
    }
    void TearDown() override {
        m_Magic.reset();
        ScenarioTest::TearDown();
    }
    int Strike(const std::vector<int>& draws) {
        SetCurrentScene(run.Scene());
        // A monster that has a target already takes its attacker on a coin
        // toss (an even draw) before the hit resolves.
        std::vector<int> all = draws;
        if (m_Monster->GetTarget()) all.insert(all.begin(), 1);
        run.Script(all);
        m_Magic->m_HitList.Clear();
        const int r = m_Magic->CanHit(m_Monster, 0);
        EXPECT_EQ(plat::ScriptedRandLeft(), 0u);
        return r;
    }
    size_t StatePackets(int state) const {
        size_t n = 0;
        for (const auto& p : run.Packets())
            if (p.size() == 4 && p[0] == 5 && (p[1] | p[2] << 8) == static_cast<int>(m_Monster->m_Handle & 0xFFFF) &&
                p[3] == state + 128)
                ++n;
        return n;
    }
    // Items lying on the map within a cell of (cx, cy).
    int PropsNear(int cx, int cy) const {
        int n = 0;
        for (CObjNode* node = g_CurObjMng->m_Props.Head(); node; node = node->Next()) {
            const auto* o = static_cast<const CGameObj*>(node);
            if (o->m_Kind == 23 && std::abs(o->m_X / 64 - cx) <= 1 && std::abs(o->m_Y / 64 - cy) <= 1) ++n;
        }
        return n;
    }
    CRole* m_Hero = nullptr;
    CRole* m_Monster = nullptr;
    std::unique_ptr<CMagic> m_Magic;
};

TEST_F(HitScenarioTest, AMissAHitIceAndASideEffect) {
    ASSERT_TRUE(StartWith(2));
    // hit 5 against dodge 20: 7 misses.
    EXPECT_EQ(Strike({7}), 1) << "the role's handler took the contact";
    EXPECT_EQ(m_Monster->m_Hp, 1000.0f) << "dodged";
    EXPECT_EQ(m_Monster->m_HitFlag, 0);
    // 4 lands: 50 + ice 30 x 10 x 50 / (1 x 50 + 10 x 50) = 77 ("MaxIceDp"
    // of the fixture is 50); roll 50 misses the side effect.
    // The hero's stagger is half its AP: 25 +- a draw (0: 25 - 6).
    EXPECT_EQ(Strike({4, 50, 0}), 1);
    EXPECT_EQ(m_Monster->m_Hp, 923.0f);
    EXPECT_EQ(m_Monster->m_PendingHp, -77);
    EXPECT_FALSE(m_Monster->HasState(20));
    EXPECT_TRUE(m_Magic->m_HitList.Contains(m_Monster->m_Handle));
    // Roll 49: state 20 for 7 seconds, told to the watching client.
    EXPECT_EQ(Strike({4, 49, 0}), 1);
    EXPECT_EQ(m_Monster->m_Hp, 846.0f);
    EXPECT_EQ(m_Monster->m_PendingHp, -154);
    EXPECT_TRUE(m_Monster->HasState(20));
    EXPECT_EQ(m_Monster->m_StateCountdowns[20], 7);
    run.Tick();
    EXPECT_EQ(StatePackets(20), 1u);
}

TEST_F(HitScenarioTest, AKillCreditsTheRecordAndDropsMoneyInAFightingScene) {
    ASSERT_TRUE(StartWith(2));
    CRoleData* record = m_Hero->GetRecord();
    ASSERT_NE(record, nullptr);
    // "randprop.txt" row 2: money 300, no items.
    ASSERT_TRUE(datagen::WriteTable(run.Folder() + "mb/randprop.txt",
                                    {{"Name", "Id"}, datagen::RandPropRow().Name("M").Id(2).Items(0, 0, 0).Money(100, 300, 301).Cells()}));
    ASSERT_EQ(g_RandPropTable.Load("mb\\randprop.txt", 1, 1, 1), 1);
    record->m_Level = 10;
    record->m_Exp = 0;
    record->m_NextExp = 1000000;
    // The player's role takes its camp from its record with the player's
    // character; here it is set.
    m_Hero->SetCamp(10000);
    m_Monster->m_LastAttacker = m_Hero->m_Handle;
    const int before = PropsNear(kMonsterX, kMonsterY);
    m_Monster->m_Hp = 0.0f;
    SetCurrentScene(run.Scene());
    run.Seed(3);
    m_Monster->PlayDeathOnce();
    m_Monster->OnKillReward();
    EXPECT_EQ(record->m_Exp, 360) << "6 levels apart: (15 - 6) x 400 / 10";
    EXPECT_GT(PropsNear(kMonsterX, kMonsterY), before) << "money of row 2 around the cell";
}

TEST_F(HitScenarioTest, NoRandomDropsInASceneOfTypeZero) {
    ASSERT_TRUE(StartWith(0));
    ASSERT_TRUE(datagen::WriteTable(run.Folder() + "mb/randprop.txt",
                                    {{"Name", "Id"}, datagen::RandPropRow().Name("M").Id(2).Items(0, 0, 0).Money(100, 300, 301).Cells()}));
    ASSERT_EQ(g_RandPropTable.Load("mb\\randprop.txt", 1, 1, 1), 1);
    SetCurrentScene(run.Scene());
    const int before = PropsNear(kMonsterX, kMonsterY);
    run.Seed(3);
    m_Monster->PlayDeathOnce();
    EXPECT_EQ(PropsNear(kMonsterX, kMonsterY), before);
    EXPECT_EQ(m_Monster->m_DeathPlayed, 1);
}

TEST_F(HitScenarioTest, AttributesFollowTheFirstViewersRole) {
    ASSERT_TRUE(StartWith(2));
    CRole* archer = AsRole(g_CurObjMng->AddRole(datagen::kFixtureArcherModel, 3, 9, 0, 0, 0, -1, -1));
    ASSERT_NE(archer, nullptr);
    SetCurrentScene(run.Scene());
    // Against the hero's HP 500, AP 50, DP 1, HR 5:
    EXPECT_EQ(archer->GetMaxHP(), 3000) << "500 x 2 x 3.0";
    EXPECT_EQ(archer->GetAP(), 25) << "50 x 2 x 0.25";
    EXPECT_EQ(archer->GetDP(), 300) << "the hero has DP 1 (no cell): the row stands";
    EXPECT_EQ(archer->GetHR(), 2);
    EXPECT_EQ(m_Hero->GetMaxHP(), 500) << "the viewer's own role is not scaled";
    SetCurrentScene(nullptr);
    EXPECT_EQ(archer->GetMaxHP(), 100) << "no scene: the row as it is";
}

} // namespace test_hit_scenario
