// Thinking monsters in the running fixture game, seeded: a reaction-0
// monster sees the hero, alerts, chases and orders strikes from its skill
// list;
// a kind-30 caster casts every column 6 x 56 ticks.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "roles/role.h"
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
        return m_Hero && run.Scene();
    }
    CRole* Spawn(int model, int dx, int dy) {
        SetCurrentScene(run.Scene());
        const CGamePoint h = m_Hero->GetCell();
        return AsRole(g_CurObjMng->AddRole(static_cast<uint16_t>(model), h.x + dx, h.y + dy, 0, 0, 0, -1, -1));
    }
    CRole* m_Hero = nullptr;
};

TEST_F(AiScenarioTest, AReactionZeroMonsterSeesAlertsChasesAndStrikesTheHero) {
    ASSERT_TRUE(Begin(7));
    CRole* m = Spawn(datagen::kFixtureReactionModel, 5, 0);
    ASSERT_NE(m, nullptr);
    const ObjHandle handle = m->m_Handle;
    EXPECT_EQ(m->m_AiValue, 0);
    EXPECT_FALSE(m->HasState(kStateAlerted));
    const double start = std::hypot(m->m_X - m_Hero->m_X, m->m_Y - m_Hero->m_Y);
    int alertedAt = -1, walked = 0, strikes = 0;
    for (int t = 0; t < 600; ++t) {
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
    }
    EXPECT_GE(alertedAt, 0);
    // A new role waits out its placement's move stamp (56 ticks), then
    // reaction 0 looks every 14 ticks.
    EXPECT_LT(alertedAt, 56 + 14);
    EXPECT_GT(walked, 0) << "it chased";
    EXPECT_LT(std::hypot(m->m_X - m_Hero->m_X, m->m_Y - m_Hero->m_Y), start);
    EXPECT_GT(strikes, 0);
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
