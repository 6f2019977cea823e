// A quest from start to end on data alone: two scenes, a talking elder, a
// chest, wolves made and removed by script, items, experience, a timer and
// a change of act and scene, run by the scene scripts as the game ticks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "datagen/demo_bld.h"
#include "roles/items/prop_rec.h"
#include "roles/record/role_data.h"
#include "roles/role.h"
#include "roles/role_hooks.h"
#include "scenario/scenario.h"
#include "script/trigger_mgr.h"
#include "world/buildings/bld.h"
#include "world/objects/game_obj.h"
#include "world/objects/obj_mng.h"
#include "world/scene/scene_hooks.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world.h"

namespace test_trigger_quest {

std::vector<std::string> g_Talks;

datagen::FixtureGame QuestGame() {
    datagen::FixtureGame g = datagen::DefaultFixtureGame();
    g.flags.push_back("quest");
    g.flags.push_back("talked");
    g.texts.push_back(datagen::TextRow().Id(123).Text("Got"));
    g.texts.push_back(datagen::TextRow().Id(124).Text("Exp"));
    g.texts.push_back(datagen::TextRow().Id(201).Text("The elder waits"));
    g.texts.push_back(datagen::TextRow().Id(202).Text("The far field"));
    g.props.push_back(datagen::PropMdlRow().Name("Herb").Id(4).Kind(20).Picture(0).Stacks(1));
    g.props.push_back(datagen::PropMdlRow().Name("Blade").Id(5).Kind(30).Picture(0).Stacks(0));
    g.acts.push_back(datagen::ActMdlRow().Name("Act2").Id(2).ReviveScene("Second"));
    g.objects.cha = {datagen::ObjRecord(12, 1, 6, 6, 0, "Elder")};
    g.buildings = {datagen::FixtureBuilding(datagen::kDemoChestPart, 10, 10, "Box")};
    g.talks = {{"Elder", {{1, "IsFlag quest 0", 1}, {2, "IsFlag quest 1", 1}, {3, "IsFlag quest 2", 1}}}};
    g.triggers = {
        {"IsScnIn Start 1", "OutText 201", "0"},
        {"IsFlag quest 0*IsArriveRole Elder 100",
         "talk Elder*SetFlag quest 1*Acquire 4 3*AddExp 50*AddItem 2 2 2 2 -1 -1 2 2 Wolf 10 500", "0"},
        {"IsFlag talked 1*IsProp 4",
         "RemItem Wolf*Miss 4 1*SetPropToObj Elder 0 5 1*SetBldStatus Box 1*SetFlag quest 2*SetTimer 3", "0"},
        {"IsTimer*IsFlag quest 2", "SetFlag quest 3*ChangeAct 2*go Second 0", "0"},
    };
    datagen::FixtureScene second = datagen::FixtureSceneNamed(g, "Second", 2, 202);
    second.triggers = {{"IsScnIn Second 1", "OutText 202*SetFlag quest 4*Acquire 5 1", "0"}};
    g.moreScenes = {second};
    return g;
}

class QuestTest : public scenario::ScenarioTest {
protected:
    CRoleData* Record() { return g_SceneHooks.getRecord(g_SceneHooks.getPlayerDataId()); }
    CObjMng& Mng() { return run.Scene()->m_pWorld->m_ObjMng; }
    int Wolves() {
        int n = 0;
        for (CObjNode* node = Mng().m_Roles.Head(); node; node = node->Next()) {
            auto* r = dynamic_cast<CRole*>(static_cast<CGameObj*>(node));
            const char* pic = r ? r->GetPictureName() : nullptr;
            if (r && !r->m_Removed && !r->m_Dead && pic && std::string(pic) == "Wolf") ++n;
        }
        return n;
    }
    int Count(int prop) {
        const int i = Record()->FindItemById(prop);
        return i >= 0 ? Record()->GetItem(i)->m_Count : 0;
    }
    std::vector<std::vector<uint8_t>> TimerPackets() {
        std::vector<std::vector<uint8_t>> out;
        for (const auto& p : run.Packets())
            if (p.size() >= 2 && p[0] == 14 && p[1] == 57) out.push_back(p);
        return out;
    }
};

TEST_F(QuestTest, TheQuestRunsFromStartToEndOverTwoScenes) {
    ASSERT_TRUE(run.Start(QuestGame()));
    run.Seed(11);
    run.Tick();
    g_Talks.clear();
    g_RoleHooks.talkWithRole = [](CGameObj* subject, CGameObj* role) {
        g_Talks.push_back(std::to_string(subject->m_Kind) + " with " + role->GetPictureName());
    };
    ASSERT_STREQ(run.Scene()->GetName(), "Start");
    // The entry into the new scene tells the quest's opening.
    EXPECT_EQ(run.DebugLines("notice: "), (std::vector<std::string>{"notice: The elder waits\n"}));
    CGameObj* elder = Mng().GetRoleByName("Elder");
    ASSERT_NE(elder, nullptr);
    SetCurrentScene(run.Scene());
    Mng().RefreshRoleMarks();  // the marks are first drawn before the hero stands there
    EXPECT_EQ(dynamic_cast<CRole*>(elder)->m_TalkId, 1);

    // 1. The hero walks up to the elder: talk, flag, herbs, experience, wolves.
    const int32_t exp = Record()->m_Exp;
    run.Hero()->m_X = elder->m_X + 20;
    run.Hero()->m_Y = elder->m_Y;
    run.Tick(28);
    EXPECT_EQ(g_Talks, (std::vector<std::string>{std::to_string(run.Hero()->m_Kind) + " with Elder"}));
    EXPECT_EQ(Record()->GetFlag("quest"), 1);
    EXPECT_EQ(Count(4), 3);
    EXPECT_GT(Record()->m_Exp, exp);
    EXPECT_EQ(Wolves(), 2);
    EXPECT_EQ(dynamic_cast<CRole*>(elder)->m_TalkId, 2);
    EXPECT_EQ(run.DebugLines("notice: Got Herb").size(), 1u);
    EXPECT_EQ(run.DebugLines("notice: Exp 50").size(), 1u);

    // 2. The talk's answer (a talk row's action): the wolves go, a herb is
    // spent, the elder will drop a blade, the chest opens, the timer runs.
    run.Scene()->m_pTriggers->ExecuteActions("SetFlag talked 1", nullptr);
    run.Tick(28);
    EXPECT_EQ(Wolves(), 0);
    EXPECT_EQ(Count(4), 2);
    EXPECT_NE(Mng().FindDropByName("Elder"), nullptr);
    auto* box = dynamic_cast<CMechBld*>(Mng().FindFirstObjByName("Box"));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->m_State, 1);
    EXPECT_EQ(Record()->GetFlag("quest"), 2);
    EXPECT_EQ(dynamic_cast<CRole*>(elder)->m_TalkId, 3);
    EXPECT_EQ(TimerPackets(), (std::vector<std::vector<uint8_t>>{{14, 57, 3, 0}}));

    // 3. The timer's expiry run: a new act and the way to the second scene,
    // carried out by the scene manager's next tick.
    int ticks = 0;
    while (g_LiveScnMng->m_Pending == 0 && ticks < 200) {
        run.Tick();
        ++ticks;
    }
    ASSERT_EQ(g_LiveScnMng->m_Pending, 1);
    EXPECT_GE(ticks, 3 * 28 - 28);
    EXPECT_EQ(Record()->GetFlag("quest"), 3);
    EXPECT_EQ(Record()->m_Act, 2);
    EXPECT_EQ(TimerPackets().back(), (std::vector<uint8_t>{14, 57, 0xFF, 0xFF}));
    ASSERT_STREQ(run.Scene()->GetName(), "Start");
    run.Tick();
    ASSERT_NE(run.Scene(), nullptr);
    EXPECT_STREQ(run.Scene()->GetName(), "Second");
    EXPECT_NE(run.Hero(), nullptr);

    // 4. The second scene's entry finishes the quest.
    EXPECT_EQ(Record()->GetFlag("quest"), 4);
    EXPECT_EQ(Count(5), 1);
    EXPECT_EQ(run.DebugLines("notice: The far field").size(), 1u);
}

} // namespace test_trigger_quest
