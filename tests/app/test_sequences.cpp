// The UI-screen sequences around the game states, the game's life through
// the host, and the loading-time log.
#include <gtest/gtest.h>

#include <string>

#include "app_fixture.h"
#include "client/recording_client.h"
#include "core/msg_lists.h"
#include "app/sequences.h"
#include "core/directories.h"
#include "core/txt_table.h"
#include "datagen/demo_data.h"
#include "world/scene/scene_hooks.h"
#include "world/scene/scn_mng.h"
#include "world/scene/view_tracker.h"
#include "world/sky/weather.h"
#include "world/scene/world_hooks.h"
#include "roles/role_hooks.h"
#include "ui/jm_settings.h"

namespace {

class SequenceTest : public GameMainTest {
protected:
    void TearDown() override {
        g_GameHost.Shutdown();
        g_ClientMsgList.RemoveAll();
        g_ServerCmdList.RemoveAll();
        GameMainTest::TearDown();
    }
    void Settle() {
        for (int i = 0; i < 10 && g_GameMain.m_ReqState != g_GameMain.m_CurState; ++i) g_GameMain.Step();
    }
};

TEST_F(SequenceTest, EnteringTheGameStartsOnEmptyListsAndPacketsFlow) {
    // The demo world and its tables, and the scenes' hooks, as start-up
    // leaves them.
    datagen::DemoOptions options;
    options.sounds = options.music = false;
    ASSERT_TRUE(datagen::WriteDemoDataSet(Dir(), options, nullptr));
    SetProgramDirectory(0);
    ASSERT_EQ(g_RoleMdlTable.Load("mb\\Role.txt", 1, 1, 1), 1);
    ASSERT_EQ(g_ScnInfoMdl.Load("mb\\ScnInfo.txt", 1, 1, 1), 1);
    const CWorldHooks worldHooks = g_WorldHooks;
    const CSceneHooks sceneHooks = g_SceneHooks;
    InstallSceneHooks();
    StandIn(GS_TITLE);
    const uint8_t stale[3] = {2, 1, 0};
    PostClientMessage(stale, 3);
    PostServerCommand("#CreateClient 1 2 3", 0);
    g_GameMain.m_ReqState = GS_INGAME;
    Settle();
    ASSERT_EQ(g_GameMain.m_CurState, GS_INGAME);
    EXPECT_EQ(g_ClientMsgList.GetCount(), 0);
    EXPECT_EQ(g_ServerCmdList.GetCount(), 0);
    ASSERT_NE(g_GameHost.m_pServer, nullptr);
    ASSERT_NE(g_GameHost.m_pClient, nullptr);
    // One logic tick runs the host: the scene joins the client.
    g_GameMain.Step();  // the tick routine's first call sets its time
    Clock().Advance(35);
    g_GameMain.Step();
    CRecordingClient* c = g_GameHost.m_pClient;
    ASSERT_GE(c->m_Received.size(), 2u) << "join and clock (then the scene's first weather, if any)";
    EXPECT_EQ(c->m_Received[0].bytes[0], 1) << "the stale packet never arrived";
    EXPECT_EQ(c->m_Received[1].bytes[0], 11);
    EXPECT_EQ(c->IsActive(), 1);
    const std::string log = Log();
    EXPECT_LT(log.find("End JM_BeginIn()\n"), log.find("BeforeStrategy() Begin\n"));
    // Host control 13/1 deactivates the client: the game is inactive and no
    // frame is presented, until the next own-player packet.
    const uint8_t off[2] = {13, 1};
    c->HandlePacket(off, 2);
    EXPECT_EQ(g_GameMain.IsClientInactive(), 1);
    const auto drawn = g_GameMain.m_FramesDrawn;
    for (int i = 0; i < 3; ++i) {
        Clock().Advance(35);
        g_GameMain.Step();
    }
    EXPECT_EQ(g_GameMain.m_FramesDrawn, drawn);
    g_GameHost.Shutdown();
    g_RoleMdlTable.Clear();
    g_ScnInfoMdl.Clear();
    g_WorldHooks = worldHooks;
    g_SceneHooks = sceneHooks;
}

// A scene that puts the client's light back (a role of the client died)
// reaches the client's weather.
TEST_F(SequenceTest, ScenesPutTheClientsLightBack) {
    const CWorldHooks worldHooks = g_WorldHooks;
    const CSceneHooks sceneHooks = g_SceneHooks;
    StandIn(GS_TITLE);
    g_GameMain.m_ReqState = GS_INGAME;
    Settle();
    InstallSceneHooks();
    ASSERT_NE(g_GameHost.m_pClient, nullptr);
    CWeather* weather = g_GameHost.m_pClient->m_pWeather;
    ASSERT_NE(weather, nullptr);
    weather->SetLevel(9);
    ASSERT_EQ(weather->m_Forced, 9);
    CViewTracker tracker;
    tracker.OnRoleLeaves();
    EXPECT_EQ(weather->m_Forced, -1);
    EXPECT_EQ(weather->m_Light, weather->m_Default);
    g_WorldHooks = worldHooks;
    g_SceneHooks = sceneHooks;
}

TEST_F(SequenceTest, LeavingTheGameDropsTheClientAndTheTitleClosesTheRest) {
    StandIn(GS_TITLE);
    g_GameMain.m_ReqState = GS_INGAME;
    Settle();
    ASSERT_NE(g_LocalPlayerRecord, nullptr);
    g_GameMain.ChangeState(GS_DEAD);
    EXPECT_EQ(g_GameHost.m_pClient, nullptr) << "AfterStrategy destroys the client";
    EXPECT_NE(g_GameHost.m_pServer, nullptr) << "the server stays";
    EXPECT_NE(g_LocalPlayerRecord, nullptr);
    g_GameMain.ChangeState(GS_TITLE);
    EXPECT_EQ(g_GameHost.m_pServer, nullptr);
    EXPECT_EQ(g_LocalPlayerRecord, nullptr);
    const std::string log = Log();
    const char* order[] = {"End JM_EndIn()\n", "AfterStrategy()  End\n", "End JM_BeginDead()\n",
                           "End JM_EndDead()\n", "Begin JM_BeginOut()\n", "End JM_BeginOut()\n"};
    size_t at = 0;
    for (const char* line : order) {
        at = log.find(line, at);
        ASSERT_NE(at, std::string::npos) << line << log;
    }
}

TEST_F(SequenceTest, OnlyTheFirstTitleAsksForTheIntroMovie) {
    g_IntroMoviePending = 1;
    StandIn(GS_STARTUP);
    g_GameMain.m_ReqState = GS_TITLE;
    g_GameMain.Step();
    EXPECT_EQ(g_GameMain.m_ReqState, GS_MOVIE);
    EXPECT_EQ(g_IntroMoviePending, 0);
    EXPECT_EQ(Count(Log(), "LogAVI\n"), 1);
    EXPECT_EQ(Count(Log(), "Begin JM_BeginOut()\n"), 0);
    g_GameMain.Step();  // enter 6
    g_GameMain.Step();  // no movie file: finished at once
    g_GameMain.Step();  // back to 2
    EXPECT_EQ(g_GameMain.m_CurState, GS_TITLE);
    EXPECT_EQ(Count(Log(), "Begin JM_BeginOut()\n"), 1);
    g_GameMain.ChangeState(GS_RUNNING);
    g_GameMain.ChangeState(GS_TITLE);
    EXPECT_EQ(Count(Log(), "LogAVI\n"), 1);
    EXPECT_EQ(Count(Log(), "End JM_BeginOut()\n"), 2);
}

TEST_F(SequenceTest, LoadingLog) {
    LogLoading(50, "early");  // before the timers: nothing
    EXPECT_EQ(Log(), "");
    LogLoading(0);
    Clock().Advance(7);
    LogLoading(10, "Map", "a.scn");
    LogLoading(20, nullptr, "b");
    LogLoading(30, "c");
    Clock().Advance(3);
    LogLoading(100);
    LogLoading(30, "late");
    EXPECT_EQ(Log(), "0\t\tBeginLoading\n0\tResMem\n7\t\tMap  a.scn\n0\t\t  b\n0\t\tc\n3\t\tEndLoading\n"
                     "10\t\tAllLoadingTime\n0\tResMem\n");
}

TEST_F(SequenceTest, ClockJumpResynchronisesOncePass) {
    StandIn(GS_TITLE);
    Clock().Advance(35);
    EXPECT_EQ(g_GameMain.TickAndDraw(), 1);
    const int ticks = g_GameMain.m_TickCount;
    Clock().Advance(5000);
    EXPECT_EQ(g_GameMain.TickAndDraw(), 0) << "one pass resynchronises";
    EXPECT_EQ(g_GameMain.m_TickCount, ticks);
    Clock().Advance(35);
    EXPECT_EQ(g_GameMain.TickAndDraw(), 1);
    EXPECT_EQ(g_GameMain.m_TickCount, ticks + 1) << "no catch-up of the jump";
}

} // namespace

namespace test_sequences {

TEST_F(SequenceTest, TheRolesZoomHooksReachTheGameObject) {
    const CWorldHooks worldHooks = g_WorldHooks;
    const CSceneHooks sceneHooks = g_SceneHooks;
    const CRoleHooks roleHooks = g_RoleHooks;
    InstallSceneHooks();
    ASSERT_TRUE(g_RoleHooks.adjustZoomTarget && g_RoleHooks.restoreZoomTarget && g_RoleHooks.startScreenEffect);
    g_GameMain.m_Zoom = 0.0f;
    g_GameMain.m_ZoomTarget = 0.0f;
    g_GameMain.m_SavedZoom = 0.05f;
    g_RoleHooks.adjustZoomTarget(0.15f);
    EXPECT_FLOAT_EQ(g_GameMain.m_ZoomTarget, 0.15f);
    EXPECT_FLOAT_EQ(g_GameMain.m_SavedZoom, 0.05f) << "the current zoom is not saved";
    g_RoleHooks.restoreZoomTarget();
    EXPECT_FLOAT_EQ(g_GameMain.m_ZoomTarget, 0.05f);
    g_WorldHooks = worldHooks;
    g_SceneHooks = sceneHooks;
    g_RoleHooks = roleHooks;
}

TEST_F(SequenceTest, TheScriptsMovieAndProgressHooksReachTheGameObject) {
    const CWorldHooks worldHooks = g_WorldHooks;
    const CSceneHooks sceneHooks = g_SceneHooks;
    const CRoleHooks roleHooks = g_RoleHooks;
    const int32_t keep2 = g_ProgressValue2, keep3 = g_ProgressValue3;
    InstallSceneHooks();
    ASSERT_TRUE(g_RoleHooks.playMovie && g_RoleHooks.setProgressValue && g_RoleHooks.getScreenSize);
    g_ProgressValue2 = g_ProgressValue3 = 0;
    g_RoleHooks.setProgressValue(2, 126);
    EXPECT_EQ(g_ProgressValue2, 126);
    EXPECT_EQ(g_ProgressValue3, 0);
    g_RoleHooks.setProgressValue(3, 126);
    EXPECT_EQ(g_ProgressValue3, 126);
    g_GameMain.m_ScreenWidth = 800;
    g_GameMain.m_ScreenHeight = 600;
    int32_t w = 0, h = 0;
    g_RoleHooks.getScreenSize(&w, &h);
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    g_RoleHooks.playMovie("C:\\GAME\\dhp\\intro.dhp");
    EXPECT_EQ(g_GameMain.m_MoviePath, "C:\\GAME\\dhp\\intro.dhp");
    EXPECT_EQ(g_GameMain.m_ReqState, GS_MOVIE);
    g_ProgressValue2 = keep2;
    g_ProgressValue3 = keep3;
    g_WorldHooks = worldHooks;
    g_SceneHooks = sceneHooks;
    g_RoleHooks = roleHooks;
}

} // namespace test_sequences
