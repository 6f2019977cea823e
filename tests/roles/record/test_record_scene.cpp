// The record in a running game: a change of act deletes every server scene
// at the scene manager's next tick, also when it comes from inside one of
// the scenes' own passes, and a scene change asked for in the same pass
// still brings the client in.
#include <gtest/gtest.h>

#include "roles/record/role_data.h"
#include "scenario/scenario.h"
#include "world/objects/game_obj.h"
#include "world/scene/scene_hooks.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world_hooks.h"

namespace test_record_scene {

using scenario::ScenarioTest;

CRoleData* g_Record = nullptr;
void (*g_RoleUpdate)(CGameObj*) = nullptr;

// The roles' update of the running scene changes the act once.
void ChangeActInRoleUpdate(CGameObj* role) {
    if (g_Record) {
        CRoleData* r = g_Record;
        g_Record = nullptr;
        r->SetAct(2);
    }
    if (g_RoleUpdate) g_RoleUpdate(role);
}

TEST_F(ScenarioTest, ChangingTheActInsideASceneDeletesEverySceneAtTheNextTick) {
    ASSERT_TRUE(run.Start());
    run.Tick();
    CScene* start = run.Scene();
    ASSERT_NE(start, nullptr);
    CRoleData* record = g_SceneHooks.getRecord ? g_SceneHooks.getRecord(1) : nullptr;
    ASSERT_NE(record, nullptr);
    ASSERT_EQ(record->m_Act, 1);

    g_RoleUpdate = g_WorldHooks.roleUpdate;
    g_WorldHooks.roleUpdate = ChangeActInRoleUpdate;
    g_Record = record;
    run.Tick();
    g_WorldHooks.roleUpdate = g_RoleUpdate;
    EXPECT_EQ(g_Record, nullptr) << "the act changed inside the scene's pass";
    EXPECT_EQ(record->m_Act, 2);
    ASSERT_NE(g_LiveScnMng, nullptr);
    EXPECT_EQ(g_LiveScnMng->GetSceneCount(), 1) << "the scene outlives its own pass";
    EXPECT_EQ(g_LiveScnMng->m_DeleteAllPending, 1);

    // Change of act, then a scene change in the same pass: the scenes go
    // first, then the client comes into a new "Start".
    const uint32_t hero = run.Hero() ? run.Hero()->m_Handle : 0;
    g_LiveScnMng->EnterScene("Start", 0, 0, start, hero, 0);
    run.Tick();
    EXPECT_EQ(g_LiveScnMng->m_DeleteAllPending, 0);
    ASSERT_EQ(g_LiveScnMng->GetSceneCount(), 1);
    ASSERT_NE(run.Scene(), nullptr);
    EXPECT_STREQ(run.Scene()->GetName(), "Start");
    EXPECT_NE(run.Hero(), nullptr);
}

TEST_F(ScenarioTest, AChangeOfActAloneLeavesNoSceneAfterTheNextTick) {
    ASSERT_TRUE(run.Start());
    run.Tick();
    CRoleData* record = g_SceneHooks.getRecord ? g_SceneHooks.getRecord(1) : nullptr;
    ASSERT_NE(record, nullptr);
    record->SetAct(1);  // no change: nothing asked
    EXPECT_EQ(g_LiveScnMng->m_DeleteAllPending, 0);
    record->SetAct(2);
    EXPECT_EQ(g_LiveScnMng->GetSceneCount(), 1);
    run.Tick();
    EXPECT_EQ(g_LiveScnMng->GetSceneCount(), 0);
}

} // namespace test_record_scene
