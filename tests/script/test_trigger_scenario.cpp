// The trigger system in the running fixture game: the scene's own manager
// loads "Start"'s script, runs it as the game ticks, and talk scripts give
// roles their talk ids.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "datagen/demo_bld.h"
#include "roles/record/role_data.h"
#include "roles/role.h"
#include "scenario/scenario.h"
#include "script/trigger_mgr.h"
#include "world/buildings/bld.h"
#include "world/objects/game_obj.h"
#include "world/scene/scene_hooks.h"
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

std::vector<std::vector<uint8_t>> TimerPackets(const scenario::CScenario& run) {
    std::vector<std::vector<uint8_t>> out;
    for (const auto& p : run.Packets())
        if (p.size() >= 2 && p[0] == 14 && p[1] == 57) out.push_back(p);
    return out;
}

TEST_F(ScenarioTest, ATwoSecondTimerShowsNothingButExpires) {
    datagen::FixtureGame game = datagen::DefaultFixtureGame();
    game.triggers = {{"IsTimer", "SetFlag local1 9", "1"}};
    ASSERT_TRUE(run.Start(game));
    run.Tick();
    CTriggerMgr* mgr = run.Scene()->m_pTriggers;
    mgr->SetTimer(2);
    run.Tick(28 * 2 + 2);
    EXPECT_EQ(TimerPackets(run), (std::vector<std::vector<uint8_t>>{{14, 57, 0xFF, 0xFF}}));
    EXPECT_EQ(g_SceneHooks.getRecord(run.Hero()->m_DataId)->GetFlag("local1"), 9);
    EXPECT_EQ(mgr->m_Timer, -2);
}

CMechBld* Building(CScene* scene, const char* name) {
    SetCurrentScene(scene);
    return dynamic_cast<CMechBld*>(scene->m_pWorld->m_ObjMng.FindFirstObjByName(name));
}

// Two chests of the fixture scene, named by their drop tables "5" and "6".
datagen::FixtureGame ChestGame() {
    datagen::FixtureGame game = datagen::DefaultFixtureGame();
    game.buildings = {datagen::FixtureBuilding(datagen::kDemoChestPart, 5, 5, "5"),
                      datagen::FixtureBuilding(datagen::kDemoChestPart, 10, 5, "6")};
    return game;
}

// Opening the chest draws one of the two IsHitBox actions, 30 and 70 in a
// hundred, after the scene's run moved them to the weighted list.
TEST_F(ScenarioTest, AChestsStatusChangePicksOneOfTwoWeightedActionsByTheDraw) {
    for (const int draw : {0, 29, 30, 99}) {
        datagen::FixtureGame game = ChestGame();
        game.triggers = {{"IsHitBox 30", "SetFlag local1 30", "1"}, {"IsHitBox 70", "SetFlag local1 70", "1"}};
        ASSERT_TRUE(run.Start(game));
        run.Tick(29);
        CTriggerMgr* mgr = run.Scene()->m_pTriggers;
        ASSERT_EQ(mgr->m_Weighted.size(), 2u);
        EXPECT_TRUE(mgr->m_Triggers.empty());
        CMechBld* chest = Building(run.Scene(), "5");
        ASSERT_NE(chest, nullptr);
        chest->SetState(0, 1);  // shut, so that using it makes its contents
        run.Script({draw});
        chest->SetState(5, 0);
        EXPECT_EQ(run.Draws(), 1u);
        CRoleData* rec = g_SceneHooks.getRecord(run.Hero()->m_DataId);
        EXPECT_EQ(rec->GetFlag("local1"), draw < 30 ? 30 : 70) << draw;
        run.Reset();
    }
}

// IsBldStatus: a building of that name in that status, and, without a
// third word, a change of it in this very frame; two chests changing in
// one frame are both seen, a later frame forgets them.
TEST_F(ScenarioTest, IsBldStatusSeesTheChangesOfTheFrame) {
    ASSERT_TRUE(run.Start(ChestGame()));
    run.Tick();
    CTriggerMgr* mgr = run.Scene()->m_pTriggers;
    CMechBld* a = Building(run.Scene(), "5");
    CMechBld* b = Building(run.Scene(), "6");
    ASSERT_TRUE(a && b);
    a->SetState(1, 1);
    b->SetState(1, 1);
    const uint32_t none = 0xFFFFFFFFu;
    EXPECT_EQ(mgr->EvalCondition("IsBldStatus 5 1", none), 1);
    EXPECT_EQ(mgr->EvalCondition("IsBldStatus 6 1", none), 1);
    EXPECT_EQ(mgr->EvalCondition("IsBldStatus 6 0", none), 0);
    run.Tick();
    SetCurrentScene(run.Scene());
    EXPECT_EQ(mgr->EvalCondition("IsBldStatus 5 1", none), 0);
    EXPECT_EQ(mgr->EvalCondition("IsBldStatus 5 1 any", none), 1);
    a->SetState(0, 1);
    EXPECT_EQ(mgr->EvalCondition("IsBldStatus 5 0 any", none), 1);
    EXPECT_EQ(mgr->EvalCondition("IsBldStatus 6 1", none), 0);
}

} // namespace test_trigger_scenario
