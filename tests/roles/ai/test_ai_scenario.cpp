// Thinking monsters in the running fixture game, seeded: a reaction-0
// monster sees the hero, alerts, chases and strikes with its skill list,
// each blow taking what the combat rules give; a kind-30 caster casts every
// column 6 x 56 ticks.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "gfx/anim.h"
#include "roles/role.h"
#include "roles/tables/skill_table.h"
#include "scenario/scenario.h"
#include "world/objects/obj_mng.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world_globals.h"

namespace test_ai_scenario {

using scenario::ScenarioTest;

class AiScenarioTest : public ScenarioTest {
protected:
    bool Begin(uint32_t seed) {
        datagen::FixtureGame g = datagen::DefaultFixtureGame();
        datagen::PlayerInitSpec hero;
        hero.classId = 0;  // the class a scenario's new game takes
        hero.maxHP = 500, hero.dp = 5, hero.hr = 5, hero.sp = 24;
        hero.hpResume = 0;  // every change of HP is a blow
        hero.leftSkill = 0, hero.rightSkills = "";
        g.classes.push_back(hero);
        // The reaction-0 monster: AP 40, HR 100, HP 300.
        for (auto& row : g.rolePrivates)
            if (row.Cells().size() > 1 && row.Cells()[1] == std::to_string(datagen::kFixtureReactionModel))
                row.Set(9, 300).Set(10, 40).Set(13, 100).Set(3, 16).Set(4, 24);
        // A reach of two cells, as the fight scenario's sweep has.
        for (auto& sk : g.skills)
            if (sk.Cells().size() > 3 && sk.Cells()[3] == std::to_string(datagen::kFixtureStrikeSkill))
                sk.Range(128).Scales("1.0", "1.0", "1.0");
        if (!run.Start(g)) return false;
        run.Seed(seed);
        run.Tick(1);
        m_Hero = AsRole(run.Hero());
        if (!m_Hero || !run.Scene()) return false;
        // A new game's record holds no current HP: the hero starts full.
        m_Hero->RefillPools();
        return true;
    }
    CRole* Spawn(int model, int dx, int dy) {
        SetCurrentScene(run.Scene());
        const CGamePoint h = m_Hero->GetCell();
        return AsRole(g_CurObjMng->AddRole(static_cast<uint16_t>(model), h.x + dx, h.y + dy, 0, 0, 0, -1, -1));
    }
    CRole* m_Hero = nullptr;
};

TEST_F(AiScenarioTest, EveryFixtureSkillAnimatesOnTheFixtureSprite) {
    // A skill's attached object ends on its first tick when its owner
    // cannot show the skill's animation group.
    ASSERT_TRUE(Begin(1));
    CRole* m = Spawn(datagen::kFixtureReactionModel, 3, 0);
    ASSERT_NE(m, nullptr);
    ASSERT_NE(m->GetAnimSet(), nullptr);
    const int32_t seqs = m->GetAnimSet()->m_SeqCount;
    for (int id : {datagen::kFixtureStrikeSkill, datagen::kFixtureArrowSkill, datagen::kFixtureClawSkill,
                   datagen::kFixtureGatherSkill}) {
        const CSkillDef* s = g_SkillTable.GetAt(id);
        ASSERT_NE(s, nullptr) << id;
        EXPECT_LE(s->animBase + 8, seqs) << "skill " << id;
    }
}

TEST_F(AiScenarioTest, AReactionZeroMonsterSeesAlertsChasesAndStrikesTheHero) {
    ASSERT_TRUE(Begin(7));
    CRole* m = Spawn(datagen::kFixtureReactionModel, 5, 0);
    ASSERT_NE(m, nullptr);
    const ObjHandle handle = m->m_Handle;
    EXPECT_EQ(m->m_AiValue, 0);
    EXPECT_FALSE(m->HasState(kStateAlerted));
    const double start = std::hypot(m->m_X - m_Hero->m_X, m->m_Y - m_Hero->m_Y);
    // The combat rules for this blow: AP x the skill's scale B, no element,
    // other camps, the hero's 5 DP too small to dodge a hit rate of 100.
    const float blow = static_cast<float>(m->GetAP()) * 1.0f;
    EXPECT_EQ(m->GetAP(), 40);
    int alertedAt = -1, firstBlowAt = -1, walked = 0, strikes = 0, attached = 0;
    double closest = start;
    std::vector<float> falls;
    float hp = m_Hero->m_Hp;
    ASSERT_FLOAT_EQ(hp, 500.0f);
    for (int t = 0; t < 600 && m_Hero->m_Hp > 0.0f; ++t) {
        run.Tick(1);
        m = AsRole(ResolveHandle(handle));
        ASSERT_NE(m, nullptr);
        if (alertedAt < 0 && m->HasState(kStateAlerted)) alertedAt = t;
        if (m->m_Motion == kMotionWalk) ++walked;
        if (m->m_LastCommand == 11) {
            EXPECT_EQ(static_cast<int32_t>(m->m_LastOrder[0]), datagen::kFixtureStrikeSkill);
            EXPECT_EQ(m->m_LastOrder[1], m_Hero->m_Handle);
            ++strikes;
            m->m_LastCommand = -1;
        }
        attached += m->m_pBoundMagic != nullptr;
        closest = std::min(closest, std::hypot(m->m_X - m_Hero->m_X, m->m_Y - m_Hero->m_Y));
        if (m_Hero->m_Hp != hp) {
            if (firstBlowAt < 0) firstBlowAt = t;
            falls.push_back(hp - m_Hero->m_Hp);
            hp = m_Hero->m_Hp;
        }
    }
    EXPECT_GE(alertedAt, 0);
    // A new role waits out its placement's move stamp (56 ticks), then
    // reaction 0 looks every 14 ticks.
    EXPECT_LT(alertedAt, 56 + 14);
    EXPECT_GT(walked, 0) << "it chased";
    EXPECT_LT(closest, start);
    EXPECT_GT(strikes, 0);
    EXPECT_GT(attached, 0) << "the strike's object attached";
    EXPECT_GT(firstBlowAt, alertedAt);
    ASSERT_GE(falls.size(), 3u) << "strikes ordered: " << strikes;
    for (float f : falls) EXPECT_FLOAT_EQ(f, blow);
    EXPECT_LE(static_cast<int>(falls.size()), strikes);
}

TEST_F(AiScenarioTest, AKind30CasterCastsEveryColumn6Times56Ticks) {
    ASSERT_TRUE(Begin(3));
    CRole* c = Spawn(datagen::kFixtureCasterModel, -4, 0);
    ASSERT_NE(c, nullptr);
    const ObjHandle handle = c->m_Handle;
    std::vector<uint32_t> casts;
    for (int t = 0; t < 400; ++t) {
        run.Tick(1);
        c = AsRole(ResolveHandle(handle));
        ASSERT_NE(c, nullptr);
        if (c->m_LastCommand == 10) {
            casts.push_back(c->m_TickCount);
            c->m_LastCommand = -1;
        }
    }
    ASSERT_GE(casts.size(), 3u);
    for (size_t i = 1; i < casts.size(); ++i) EXPECT_EQ(casts[i] - casts[i - 1], 2u * 56u);
}

} // namespace test_ai_scenario
