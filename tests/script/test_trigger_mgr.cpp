// The trigger manager on the fixture game: its runs, its timer and the
// condition keywords, with a manager of the test's own beside the scene's.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "datagen/bytes.h"
#include "datagen/trigger_writer.h"
#include "platform/msgbox.h"
#include "roles/record/role_data.h"
#include "scenario/scenario.h"
#include "script/trigger_mgr.h"
#include "world/objects/game_obj.h"
#include "world/scene/scene_hooks.h"
#include "world/scene/scn_mng.h"

namespace test_trigger_mgr {

using datagen::SceneTriggerRow;

class TriggerMgrTest : public scenario::ScenarioTest {
protected:
    void Begin(datagen::FixtureGame game = datagen::DefaultFixtureGame()) {
        ASSERT_TRUE(run.Start(game));
        run.Tick();
        ASSERT_NE(run.Scene(), nullptr);
        ASSERT_NE(run.Hero(), nullptr);
        mgr = std::make_unique<CTriggerMgr>(run.Scene());
    }
    // Writes a scene script "T<n>" and loads it into the test's manager.
    void LoadScript(const std::vector<SceneTriggerRow>& rows) {
        static int serial = 0;
        const std::string name = "T" + std::to_string(++serial);
        ASSERT_TRUE(datagen::WriteTable(run.Folder() + "/mb/trigger/scene/" + name + ".txt",
                                        datagen::BuildSceneScript(rows)));
        ASSERT_EQ(mgr->LoadSceneTriggers(name.c_str()), 1);
    }
    CRoleData* Record() { return g_SceneHooks.getRecord(run.Hero()->m_DataId); }
    void Place() { mgr->SetPlayerHandle(run.Hero()->m_Handle); }
    std::unique_ptr<CTriggerMgr> mgr;
};

TEST_F(TriggerMgrTest, RepeatFlagsDecideHowOftenATriggerFires) {
    Begin();
    Place();
    LoadScript({{"", "once", "0"}, {"", "always", "1"}, {"   ", "empty", ""}});
    mgr->RunAll();
    mgr->RunAll();
    EXPECT_EQ(mgr->m_ActionLog, (std::vector<std::string>{"once", "always", "empty", "always", "empty"}));
}

TEST_F(TriggerMgrTest, NothingHoldsBeforeThePlayerIsPlaced) {
    Begin();
    LoadScript({{"", "a", "1"}});
    mgr->RunAll();
    EXPECT_TRUE(mgr->m_ActionLog.empty());
    EXPECT_EQ(mgr->EvalCondition("", UINT32_MAX), 0);
    Place();
    EXPECT_EQ(mgr->EvalCondition("", UINT32_MAX), 1);
    EXPECT_EQ(mgr->EvalCondition("  * ", UINT32_MAX), 1);
}

TEST_F(TriggerMgrTest, MissingScriptLoadsNothingQuietly) {
    Begin();
    EXPECT_EQ(mgr->LoadSceneTriggers("NoSuchScene"), 0);
    EXPECT_TRUE(plat::RecordedMessageBoxes().empty());
}

TEST_F(TriggerMgrTest, SceneRunsItsScriptOnceASecondAndOnRequest) {
    datagen::FixtureGame game = datagen::DefaultFixtureGame();
    game.triggers = {{"", "each second", "1"}};
    Begin(game);
    CTriggerMgr* own = run.Scene()->m_pTriggers;
    ASSERT_NE(own, nullptr);
    const size_t before = own->m_ActionLog.size();
    EXPECT_GE(before, 1u);  // the transition run of the entry
    run.Tick(28 * 3);
    EXPECT_EQ(own->m_ActionLog.size(), before + 3);
    own->RequestRun();
    run.Tick();
    EXPECT_EQ(own->m_ActionLog.size(), before + 4);
    EXPECT_EQ(own->m_FirstRun, 0);
}

struct ConditionCase {
    const char* text;
    int expected;
};

TEST_F(TriggerMgrTest, ConditionKeywords) {
    Begin();
    Place();
    CRoleData* rec = Record();
    ASSERT_NE(rec, nullptr);
    rec->m_Level = 5;
    rec->m_Money = 100;
    rec->SetFlag("local1", 2);
    const std::string at = std::to_string(run.Hero()->m_X) + " " + std::to_string(run.Hero()->m_Y);
    const std::string near = "IsArrive " + at + " 0";
    const ConditionCase cases[] = {
        {"", 1},
        {"IsProp 1001 0", 1},
        {"IsProp 1001", 0},
        {"IsPropInBody 1001 0", 1},
        {"IsLevel 5", 1},
        {"IsLevel 6", 0},
        {"islevel 5", 1},
        {"IsLevel 5*IsHitBox 20", -20},
        {"IsLevel 6*IsHitBox 20", 0},
        {"IsHitBox 0", 0},
        {"IsHitBox", 1},
        {"IsFlag local1 3 1", 1},
        {"IsFlag local1 2 1", 0},
        {"IsFlag local1 2", 1},
        {"IsFlag local1 1 2", 1},
        {"IsFlag local1 1 7", 0},
        {"IsMoney 100", 1},
        {"IsMoney 101 1", 1},
        {"IsMoney 100 2", 0},
        {near.c_str(), 1},
        {"IsArrive 2147483647 2147483647 2147483647", 0},
        {"IsArrive -2147483648 -2147483648 0", 0},
        {"IsScnIn", 0},
        {"IsScnIn NULL 1", 0},
        {"IsScnOut", 0},
        {"IsBlack", 0},
        {"IsTimer", 0},
        {"IsTimerOpen", 1},
        {"IsTimerOpen 1", 0},
        {"IsVsFlag 0", 1},
        {"IsVsFlag 1", 0},
        {"IsDead", 1},
        {"IsDead auto", 0},
        {"IsDead Nobody", 1},
        {"IsSeePlayer Nobody", 0},
        {"IsArriveRole Nobody 5", 0},
        {"IsBldStatus Nothing 1 1", 0},
        {"IsSurFaceObjNum 0", 1},
        {"IsScn Start", 0},
        {"IsLevel 99999999999999", 0},
    };
    for (const ConditionCase& c : cases) EXPECT_EQ(mgr->EvalCondition(c.text, UINT32_MAX), c.expected) << c.text;
    EXPECT_TRUE(plat::RecordedMessageBoxes().empty());
    EXPECT_EQ(mgr->EvalCondition("IsDead", run.Hero()->m_Handle), 0);
}

TEST_F(TriggerMgrTest, TransitionRunsSeeTheirSceneAndNewSceneFlag) {
    Begin();
    Place();
    LoadScript({{"IsScnIn NULL 1", "created", "1"}, {"IsScnIn Start", "start", "1"}, {"IsScn start", "named", "1"}});
    mgr->RunSceneTransitionTriggers("Start", 1);
    mgr->RunSceneTransitionTriggers(nullptr, 0);
    mgr->RunAll();
    EXPECT_EQ(mgr->m_ActionLog,
              (std::vector<std::string>{"created", "start", "named", "start", "named", "named"}));
    EXPECT_EQ(mgr->m_RunReason, 0);
}

TEST_F(TriggerMgrTest, UnknownKeywordShowsItsBoxOncePerEvaluation) {
    Begin();
    Place();
    plat::ClearRecordedMessageBoxes();
    EXPECT_EQ(mgr->EvalCondition("Bogus 1*Bogus 2", UINT32_MAX), 0);
    ASSERT_EQ(plat::RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(plat::RecordedMessageBoxes()[0].text, "Bogus");
    plat::ClearRecordedMessageBoxes();
}

TEST_F(TriggerMgrTest, EvaluationRestoresTheCurrentScene) {
    Begin();
    Place();
    CScene* before = g_CurScene;
    SetCurrentScene(nullptr);
    mgr->EvalCondition("IsLevel 1", UINT32_MAX);
    EXPECT_EQ(g_CurScene, nullptr);
    SetCurrentScene(before);
}

TEST_F(TriggerMgrTest, TimerCountsDownAndItsExpiryRunSeesIsTimer) {
    Begin();
    Place();
    LoadScript({{"IsTimer", "expired", "1"}, {"IsTimerOpen", "idle", "1"}});
    mgr->SetTimer(2);
    EXPECT_EQ(mgr->m_Timer, 56);
    EXPECT_EQ(mgr->m_TimerCountsUp, 0);
    for (int i = 0; i < 55; ++i) mgr->Tick();
    mgr->m_RunPending = 0;
    mgr->m_ActionLog.clear();
    mgr->Tick();  // reaches 0: the expiry requests the run this same tick
    EXPECT_EQ(mgr->m_Timer, -1);
    EXPECT_EQ(mgr->m_ActionLog, (std::vector<std::string>{"expired", "idle"}));
    mgr->m_ActionLog.clear();
    mgr->RunAll();
    mgr->Tick();
    EXPECT_EQ(mgr->m_Timer, -2);
    EXPECT_EQ(mgr->m_ActionLog, (std::vector<std::string>{"expired", "idle"}));
    mgr->m_ActionLog.clear();
    mgr->RunAll();
    EXPECT_EQ(mgr->m_ActionLog, (std::vector<std::string>{"idle"}));
    mgr->SetTimer(0);
    EXPECT_EQ(mgr->m_TimerCountsUp, 1);
    mgr->Tick();
    EXPECT_EQ(mgr->m_Timer, 1);
}

// A new manager's timer is idle and stays so: counting up from -2 would
// make its second tick an expiry and then a running stopwatch.
TEST_F(TriggerMgrTest, AnIdleTimerStaysIdle) {
    Begin();
    Place();
    for (int i = 0; i < 60; ++i) mgr->Tick();
    EXPECT_EQ(mgr->m_Timer, -2);
    EXPECT_EQ(mgr->EvalCondition("IsTimerOpen", UINT32_MAX), 1);
    EXPECT_EQ(mgr->EvalCondition("IsTimerOpen 1", UINT32_MAX), 0);
    EXPECT_EQ(mgr->EvalCondition("IsTimer", UINT32_MAX), 0);
}

TEST_F(TriggerMgrTest, HitBoxTriggersMoveToTheWeightedList) {
    Begin();
    Place();
    LoadScript({{"IsHitBox 30", "thirty", "1"}, {"IsHitBox 60", "sixty", "1"}, {"IsHitBox 0", "never", "1"}});
    mgr->RunAll();
    // IsHitBox 0 yields 0: the record stays and never runs.
    ASSERT_EQ(mgr->m_Triggers.size(), 1u);
    ASSERT_EQ(mgr->m_Weighted.size(), 2u);
    run.Script({29, 30, 89, 90});
    for (int i = 0; i < 4; ++i) mgr->RunWeightedAction();
    EXPECT_EQ(mgr->m_ActionLog, (std::vector<std::string>{"thirty", "sixty", "sixty"}));
}

// A pass whose action starts a nested pass stops after that action; the
// inner pass may take records out of the list, the running one included.
TEST_F(TriggerMgrTest, NestedPassStopsTheOuterOneAndSurvivesRemovals) {
    Begin();
    Place();
    LoadScript({{"", "nest", "0"}, {"IsHitBox 10", "weighted", "1"}, {"", "last", "1"}});
    mgr->m_OnAction = [&](const std::string& action) {
        if (action == "nest") {
            mgr->RunSceneTransitionTriggers(nullptr, 0);
            mgr->LoadSceneTriggers("NoSuchScene");  // empties the list under the running record
        }
    };
    mgr->RunAll();
    EXPECT_EQ(mgr->m_ActionLog, (std::vector<std::string>{"nest", "last"}));
    EXPECT_TRUE(mgr->m_Weighted.empty());  // the reload emptied it
    EXPECT_TRUE(mgr->m_Triggers.empty());
}

TEST_F(TriggerMgrTest, BuildingStatusNamesKeepOneFrame) {
    Begin();
    mgr->NoteBldStatusChange(5, "ChestA");
    mgr->NoteBldStatusChange(5, "ChestB");
    EXPECT_EQ(mgr->m_BldNames, (std::vector<std::string>{"ChestA", "ChestB"}));
    mgr->NoteBldStatusChange(6, "ChestC");
    EXPECT_EQ(mgr->m_BldNames, (std::vector<std::string>{"ChestC"}));
}

TEST_F(TriggerMgrTest, SceneTimerPacketsReachTheClient) {
    Begin();
    CTriggerMgr* own = run.Scene()->m_pTriggers;
    ASSERT_NE(own, nullptr);
    own->SetTimer(2);
    own->SetTimer(3);
    run.Tick();
    const std::vector<uint8_t> three = {14, 57, 3, 0};
    int shown = 0;
    for (const auto& p : run.Packets())
        if (p.size() >= 2 && p[0] == 14 && p[1] == 57) {
            EXPECT_EQ(p, three);
            ++shown;
        }
    EXPECT_EQ(shown, 1);
}

} // namespace test_trigger_mgr
