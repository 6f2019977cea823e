// The trigger system in the running fixture game: the scene's own manager
// loads "Start"'s script, runs it as the game ticks, and talk scripts give
// roles their talk ids.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "roles/role.h"
#include "scenario/scenario.h"
#include "script/trigger_mgr.h"
#include "world/objects/game_obj.h"
#include "world/objects/obj_mng.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world.h"

namespace test_trigger_scenario {

using scenario::ScenarioTest;

int Count(const std::vector<std::string>& log, const std::string& text) {
    int n = 0;
    for (const auto& s : log) n += s == text ? 1 : 0;
    return n;
}

TEST_F(ScenarioTest, ArrivalFiresOnceAndRepeatsEachSecondAndTimerPackets) {
    datagen::FixtureGame game = datagen::DefaultFixtureGame();
    game.triggers = {{"IsArrive 400 300 10", "arrived once", "0"},
                     {"IsArrive 400 300 10", "arrived each second", "1"},
                     {"IsTimer", "timer over", "1"}};
    ASSERT_TRUE(run.Start(game));
    run.Tick();
    CTriggerMgr* mgr = run.Scene()->m_pTriggers;
    ASSERT_NE(mgr, nullptr);
    CGameObj* hero = run.Hero();
    ASSERT_NE(hero, nullptr);
    run.Tick(28);
    EXPECT_EQ(Count(mgr->m_ActionLog, "arrived once"), 0);

    hero->m_X = 400;
    hero->m_Y = 300;
    run.Tick(28);
    EXPECT_EQ(Count(mgr->m_ActionLog, "arrived once"), 1);
    EXPECT_EQ(Count(mgr->m_ActionLog, "arrived each second"), 1);
    run.Tick(28 * 2);
    EXPECT_EQ(Count(mgr->m_ActionLog, "arrived once"), 1);
    EXPECT_EQ(Count(mgr->m_ActionLog, "arrived each second"), 3);

    mgr->SetTimer(5);
    run.Tick(28 * 5 + 2);
    EXPECT_EQ(Count(mgr->m_ActionLog, "timer over"), 1);
    std::vector<std::vector<uint8_t>> timers;
    for (const auto& p : run.Packets())
        if (p.size() >= 2 && p[0] == 14 && p[1] == 57) timers.push_back(p);
    EXPECT_EQ(timers, (std::vector<std::vector<uint8_t>>{{14, 57, 5, 0}, {14, 57, 0xFF, 0xFF}}));
}

TEST_F(ScenarioTest, TalkScriptGivesARoleItsTalkId) {
    datagen::FixtureGame game = datagen::DefaultFixtureGame();
    game.objects.cha = {datagen::ObjRecord(12, 1, 6, 6, 0, "Elder")};
    game.talks = {{"Elder",
                   {{7, "IsLevel 999", 1}, {8, "", 0}, {9, "IsLevel 1", 1}, {10, "", 1}}}};
    ASSERT_TRUE(run.Start(game));
    run.Tick();
    CGameObj* elder = nullptr;
    for (CObjNode* n = run.Scene()->m_pWorld->m_ObjMng.m_Roles.Head(); n; n = n->Next()) {
        auto* obj = static_cast<CGameObj*>(n);
        const char* pic = obj->GetPictureName();
        if (pic && std::string(pic) == "Elder") elder = obj;
    }
    ASSERT_NE(elder, nullptr);
    SetCurrentScene(run.Scene());  // talk ids come from the current scene's manager
    EXPECT_EQ(FindTalkId(elder), 9);
    auto* role = dynamic_cast<CRole*>(elder);
    ASSERT_NE(role, nullptr);
    role->UpdateTalkId();
    EXPECT_EQ(role->m_TalkId, 9);
    EXPECT_EQ(FindTalkId(run.Hero()), -1);
}

} // namespace test_trigger_scenario
