// The host's record hooks: the local record answers only while the client
// controls a role (its selection's own role), and the world's questions about it (followers, sheet value,
// item skills, flags, portals) reach the record.
#include <gtest/gtest.h>

#include <string>

#include "client/recording_client.h"
#include "client/selection.h"
#include "core/directories.h"
#include "core/msg_lists.h"
#include "core/txt_table.h"
#include "datagen/demo_data.h"
#include "platform/window.h"
#include "roles/role.h"
#include "support/test_env.h"
#include "world/buildings/bld.h"
#include "world/objects/handle_table.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world.h"
#include "host/game_host.h"
#include "host/player_record.h"
#include "roles/role_hooks.h"
#include "world/map/line_walk.h"
#include "world/objects/game_obj.h"
#include "world/scene/scene_hooks.h"
#include "world/scene/world_hooks.h"

namespace test_player_record {

class PlayerRecordHooksTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_World = g_WorldHooks;
        m_Scene = g_SceneHooks;
        m_Grid = g_GridSearchHooks;
        m_Role = g_RoleHooks;
        InstallHostSceneHooks();
        g_GameHost = CGameHost{};
        g_LocalPlayerRecord = NewPlayerRecord();
    }
    void TearDown() override {
        ReleaseRole();
        g_GameHost.Shutdown();
        g_WorldHooks = m_World;
        g_SceneHooks = m_Scene;
        g_GridSearchHooks = m_Grid;
        g_RoleHooks = m_Role;
    }
    // The client's own role: a bare role of data id `dataId` in a world
    // of the client's, taken into its selection.
    void ControlRole(int32_t dataId) {
        m_Hero.m_Kind = 60;
        m_Hero.m_DataId = dataId;
        m_Hero.m_Handle = m_ClientWorld.m_pHandles->Attach(&m_Hero, 9);
        g_GameHost.m_pClient->m_pWorld = &m_ClientWorld;
        g_GameHost.m_pClient->m_pSelection->m_Own = 9;
    }
    void ReleaseRole() {
        if (g_GameHost.m_pClient) g_GameHost.m_pClient->m_pWorld = nullptr;
        m_ClientWorld.m_pHandles->Free(m_Hero.m_Handle, &m_Hero);
    }
    CWorldHooks m_World;
    CSceneHooks m_Scene;
    CGridSearchHooks m_Grid;
    CRoleHooks m_Role;
    CWorld m_ClientWorld;
    CRole m_Hero;
};

TEST_F(PlayerRecordHooksTest, TheLocalRecordAnswersWhileTheClientControlsARole) {
    EXPECT_EQ(GetLocalPlayerRecord(), nullptr) << "no client";
    g_GameHost.CreateClient(0);
    EXPECT_EQ(g_RoleHooks.getLocalPlayerRecord(), nullptr) << "no own role";
    ControlRole(-1);
    EXPECT_EQ(g_RoleHooks.getLocalPlayerRecord(), nullptr) << "a role without a record";
    m_Hero.m_DataId = 1;
    EXPECT_EQ(g_RoleHooks.getLocalPlayerRecord(), g_LocalPlayerRecord);
    ReleaseRole();
    EXPECT_EQ(g_RoleHooks.getLocalPlayerRecord(), nullptr) << "the role gone";
    EXPECT_EQ(GetPlayerRecord(-1), nullptr);
    EXPECT_EQ(GetPlayerRecord(1), g_LocalPlayerRecord);
}

TEST_F(PlayerRecordHooksTest, FollowersSheetValuesFlagsAndPortalsReachTheRecord) {
    g_GameHost.CreateClient(0);
    ControlRole(1);
    CGameObj follower;
    follower.m_Handle = 7u | (3u << 15);
    follower.m_DataId = -1;
    CGameObj stranger;
    stranger.m_Handle = 7u | (1u << 15);  // the same low 16 bits
    g_LocalPlayerRecord->m_Followers.push_back({follower.m_Handle, 1});
    EXPECT_EQ(g_GridSearchHooks.isPlayerFollower(&follower), 1);
    EXPECT_EQ(g_GridSearchHooks.isPlayerFollower(&stranger), 0);
    EXPECT_EQ(g_WorldHooks.getRoleSheetValue(&follower), 0u);
    stranger.m_DataId = 1;
    EXPECT_EQ(g_WorldHooks.getRoleSheetValue(&stranger), 1u);
    EXPECT_EQ(g_WorldHooks.getItemSkill(5), nullptr) << "no item 5";

    EXPECT_EQ(g_SceneHooks.getFlag(g_LocalPlayerRecord, "missing"), -1);
    g_LocalPlayerRecord->m_Portals[1] = {4, 99, 2, 55};
    EXPECT_EQ(g_SceneHooks.findReturnPortal(g_LocalPlayerRecord, 55), 1);
    EXPECT_EQ(g_SceneHooks.findReturnPortal(g_LocalPlayerRecord, 99), 1);
    EXPECT_EQ(g_SceneHooks.findReturnPortal(g_LocalPlayerRecord, 56), -1);
    EXPECT_EQ(g_SceneHooks.getReturnPortalScene(g_LocalPlayerRecord, 1), 2);
    g_SceneHooks.closeReturnPortal(g_LocalPlayerRecord, 1);
    EXPECT_EQ(g_SceneHooks.findReturnPortal(g_LocalPlayerRecord, 55), -1);
    g_SceneHooks.setRoleRef(g_LocalPlayerRecord, 3, 77);
    EXPECT_EQ(g_SceneHooks.getRecordSceneId(g_LocalPlayerRecord), 3);
    g_SceneHooks.setDead(g_LocalPlayerRecord, 1);
    EXPECT_EQ(g_SceneHooks.isLocalPlayerDead(), 1);
}

class PlayerRecordPortalTest : public vtest::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        datagen::DemoOptions options;
        options.sounds = false;
        options.music = false;
        std::string error;
        ASSERT_TRUE(datagen::WriteDemoDataSet(Dir(), options, &error)) << error;
        SetProgramDirectory(0);
        ASSERT_EQ(g_RoleMdlTable.Load("mb\\Role.txt", 1, 1, 1), 1);
        ASSERT_EQ(g_ScnInfoMdl.Load("mb\\ScnInfo.txt", 1, 1, 1), 1);
        ASSERT_EQ(g_ScnSoundMdl.Load("mb\\ScnSoundMdl.txt", 0, 1, 1), 1);
        ASSERT_EQ(g_ActMdlTable.Load("mb\\ActMdl.txt", 1, 1, 1), 1);
        m_World = g_WorldHooks;
        m_Scene = g_SceneHooks;
        InstallRoleHooks();
        InstallHostSceneHooks();
        g_GameHost = CGameHost{};
        g_ClientMsgList.RemoveAll();
        g_ServerCmdList.RemoveAll();
    }
    void TearDown() override {
        g_GameHost.Shutdown();
        g_ClientMsgList.RemoveAll();
        g_ServerCmdList.RemoveAll();
        g_RoleMdlTable.Clear();
        g_ScnInfoMdl.Clear();
        g_ScnSoundMdl.Clear();
        g_ActMdlTable.Clear();
        g_WorldHooks = m_World;
        g_SceneHooks = m_Scene;
        TempDirTest::TearDown();
    }
    CScene* Step() {
        g_GameHost.FrameStep();
        return g_GameHost.m_pClient ? g_GameHost.m_pClient->GetScene() : nullptr;
    }
    CWorldHooks m_World;
    CSceneHooks m_Scene;
};

TEST_F(PlayerRecordPortalTest, AReturnPortalJoinsTheFieldToTheParkedReviveSceneAndCloses) {
    plat::UseHeadlessBackend();
    ASSERT_EQ(g_GameHost.Start(nullptr), 1);
    CScene* start = Step();
    ASSERT_NE(start, nullptr);
    CRoleData* record = g_LocalPlayerRecord;
    g_GameHost.m_pServer->EnterScene("Field", 0, 0, start, record->m_RoleHandle, 0);
    CScene* field = Step();
    ASSERT_NE(field, nullptr);
    ASSERT_STREQ(field->GetName(), "Field");
    ASSERT_EQ(start->m_Active, 0);

    ASSERT_EQ(record->OpenReturnPortal(0), 1);
    const ReturnPortal p = record->m_Portals[0];
    EXPECT_EQ(p.nearScene, field->m_Id);
    EXPECT_EQ(p.farScene, start->m_Id);
    auto* nearGate = dynamic_cast<CPortalBld*>(field->m_pWorld->m_pHandles->Resolve(p.nearGate));
    auto* farGate = dynamic_cast<CPortalBld*>(start->m_pWorld->m_pHandles->Resolve(p.farGate));
    ASSERT_NE(nearGate, nullptr);
    ASSERT_NE(farGate, nullptr);
    EXPECT_EQ(farGate->GetDesc()->m_X, 20);
    EXPECT_EQ(farGate->GetDesc()->m_Y, 24);
    EXPECT_EQ(nearGate->m_Value, p.farGate) << "each gate leads to the other";
    EXPECT_EQ(farGate->m_Value, p.nearGate);
    EXPECT_EQ(record->FindReturnPortal(p.nearGate), 0);
    EXPECT_EQ(g_CurScene, field) << "the current scene is put back";

    record->CloseReturnPortal(0);
    EXPECT_NE(nearGate->m_Removed, 0u);
    EXPECT_NE(farGate->m_Removed, 0u);
    EXPECT_EQ(record->FindReturnPortal(p.nearGate), -1);
    Step();
}

} // namespace test_player_record
