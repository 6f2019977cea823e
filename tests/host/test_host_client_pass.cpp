// The client's pass of a running game on the demo data: the flying
// creatures, which move only in the objects' second pass, fly.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "client/recording_client.h"
#include "core/directories.h"
#include "core/msg_lists.h"
#include "core/txt_table.h"
#include "datagen/demo_data.h"
#include "gfx/res_lib.h"
#include "host/game_host.h"
#include "host/player_record.h"
#include "platform/msgbox.h"
#include "platform/random.h"
#include "roles/role.h"
#include "support/test_env.h"
#include "world/objects/obj_mng.h"
#include "world/scene/scene_hooks.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world.h"
#include "world/scene/world_hooks.h"
#include "world/sky/game_clock.h"

namespace {

class HostClientPassTest : public vtest::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        datagen::DemoOptions options;
        options.sounds = false;
        options.music = false;
        std::string error;
        ASSERT_TRUE(datagen::WriteDemoDataSet(Dir(), options, &error)) << error;
        SetProgramDirectory(0);
        ASSERT_EQ(g_ResList.Init("Zy\\idx.lib"), 1);
        ASSERT_EQ(g_RoleMdlTable.Load("mb\\Role.txt", 1, 1, 1), 1);
        ASSERT_EQ(g_BeastieMdlTable.Load("mb\\BeastieMdl.txt", 1, 1, 1), 1);
        ASSERT_EQ(g_ScnInfoMdl.Load("mb\\ScnInfo.txt", 1, 1, 1), 1);
        ASSERT_EQ(g_ScnSoundMdl.Load("mb\\ScnSoundMdl.txt", 0, 1, 1), 1);
        // A new game enters the revive scene of its act.
        ASSERT_EQ(g_ActMdlTable.Load("mb\\ActMdl.txt", 1, 1, 1), 1);
        m_Hooks = g_WorldHooks;
        m_SceneHooks = g_SceneHooks;
        InstallRoleHooks();
        InstallHostSceneHooks();
        g_GameHost = CGameHost{};
        g_ClientMsgList.RemoveAll();
        g_ServerCmdList.RemoveAll();
        plat::ClearRecordedMessageBoxes();
        plat::SRand(5);
    }
    void TearDown() override {
        g_GameHost.Shutdown();
        g_ClientMsgList.RemoveAll();
        g_ServerCmdList.RemoveAll();
        g_RoleMdlTable.Clear();
        g_BeastieMdlTable.Clear();
        g_ScnInfoMdl.Clear();
        g_ScnSoundMdl.Clear();
        g_ActMdlTable.Clear();
        g_ResList.Destroy();
        g_WorldHooks = m_Hooks;
        g_SceneHooks = m_SceneHooks;
        ResetGameClock();
        plat::ResetRand();
        TempDirTest::TearDown();
    }
    CWorldHooks m_Hooks;
    CSceneHooks m_SceneHooks;
};

TEST_F(HostClientPassTest, FlyingCreaturesOfStartFlyInTheRunningGame) {
    ASSERT_EQ(g_GameHost.Start(nullptr), 1);
    g_GameHost.FrameStep();
    CScene* start = g_GameHost.m_pClient->GetScene();
    ASSERT_NE(start, nullptr);
    std::map<ObjHandle, CGamePoint> placed;
    for (CObjNode* n = start->m_pWorld->m_ObjMng.m_Creatures.Head(); n; n = n->Next()) {
        const auto* obj = static_cast<CGameObj*>(n);
        if (obj->m_Kind == 4) placed[obj->m_Handle] = CGamePoint{obj->m_X, obj->m_Y};
    }
    ASSERT_FALSE(placed.empty()) << "the demo's Start has flying creatures";
    for (int i = 0; i < 300; ++i) g_GameHost.FrameStep();
    ASSERT_EQ(g_GameHost.m_pClient->GetScene(), start);
    int moved = 0;
    for (const auto& [handle, at] : placed) {
        const CGameObj* obj = start->m_pWorld->m_pHandles->Resolve(handle);
        ASSERT_NE(obj, nullptr);
        if (obj->m_X != at.x || obj->m_Y != at.y) ++moved;
    }
    EXPECT_GT(moved, 0) << "of " << placed.size() << " flying creatures";
    // The sound system is not started here: the buildings' looping sounds,
    // which the client starts with its world, cannot load.
    for (const auto& box : plat::RecordedMessageBoxes())
        EXPECT_EQ(box.text.rfind("LoadOneSound", 0), 0u) << box.text;
}

} // namespace
