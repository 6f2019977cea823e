// The host's record hooks: the local record answers only while the client
// is active, and the world's questions about it (followers, sheet value,
// item skills, flags, portals) reach the record.
#include <gtest/gtest.h>

#include "client/recording_client.h"
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
        g_GameHost.Shutdown();
        g_WorldHooks = m_World;
        g_SceneHooks = m_Scene;
        g_GridSearchHooks = m_Grid;
        g_RoleHooks = m_Role;
    }
    CWorldHooks m_World;
    CSceneHooks m_Scene;
    CGridSearchHooks m_Grid;
    CRoleHooks m_Role;
};

TEST_F(PlayerRecordHooksTest, TheLocalRecordAnswersWhileTheClientIsActive) {
    EXPECT_EQ(GetLocalPlayerRecord(), nullptr) << "no client";
    g_GameHost.CreateClient(0);
    g_GameHost.m_pClient->SetActive(0);
    EXPECT_EQ(g_RoleHooks.getLocalPlayerRecord(), nullptr);
    g_GameHost.m_pClient->SetActive(1);
    EXPECT_EQ(g_RoleHooks.getLocalPlayerRecord(), g_LocalPlayerRecord);
    EXPECT_EQ(GetPlayerRecord(-1), nullptr);
    EXPECT_EQ(GetPlayerRecord(1), g_LocalPlayerRecord);
}

TEST_F(PlayerRecordHooksTest, FollowersSheetValuesFlagsAndPortalsReachTheRecord) {
    g_GameHost.CreateClient(0);
    g_GameHost.m_pClient->SetActive(1);
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

} // namespace test_player_record
