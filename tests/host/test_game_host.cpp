#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/player_control.h"
#include "client/recording_client.h"
#include "core/msg_lists.h"
#include "host/game_host.h"
#include "world/scene/scn_mng.h"
#include "world/scene/view_tracker.h"

namespace {

// A client that records the packets it handles, and can post one more
// while handling the first.
class TestClient : public CRecordingClient {
public:
    void HandlePacket(const uint8_t* data, int length) override {
        handled.emplace_back(data, data + length);
        if (postDuringFirst && handled.size() == 1) {
            const uint8_t extra[2] = {13, 1};
            PostClientMessage(extra, 2);
        }
        CRecordingClient::HandlePacket(data, length);
    }
    std::vector<std::vector<uint8_t>> handled;
    bool postDuringFirst = false;
};

class TestServer : public CScnMng {
public:
    int OnCreateClient(const char* text, int sender) override {
        seen.push_back(std::string(text) + "/" + std::to_string(sender));
        return text[0] != 'x';  // "x..." declines
    }
    std::vector<std::string> seen;
};

class GameHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_GameHost = CGameHost{};
        g_ClientMsgList.RemoveAll();
        g_ServerCmdList.RemoveAll();
        ResetGameClock();
    }
    void TearDown() override {
        g_GameHost.Shutdown();
        g_ClientMsgList.RemoveAll();
        g_ServerCmdList.RemoveAll();
    }
    // A host with a test server and client, unpaused.
    TestClient* Install(TestServer** server = nullptr) {
        auto* s = new TestServer();
        auto* c = new TestClient();
        g_GameHost.m_pServer = s;
        g_GameHost.m_pClient = c;
        g_GameHost.SetPaused(0);
        if (server) *server = s;
        return c;
    }
};

TEST_F(GameHostTest, ConstructionPublishesTheControllerAndStartsPaused) {
    EXPECT_EQ(g_GameHost.m_Paused, 1);
    EXPECT_NE(g_GameHost.m_pControl, nullptr);
    EXPECT_EQ(g_PlayerControl, g_GameHost.m_pControl);
    EXPECT_EQ(g_GameHost.m_pServer, nullptr);
    EXPECT_EQ(g_GameHost.m_pClient, nullptr);
    EXPECT_EQ(g_LocalPlayerRecord, nullptr);
}

TEST_F(GameHostTest, PacketsAreHandledInPostingOrderAndTheListEmpties) {
    TestClient* c = Install();
    const uint8_t a[3] = {2, 1, 0}, b[4] = {7, 2, 0, 1}, d[5] = {10, 'h', 'i', 0, 0};
    PostClientMessage(a, 3);
    PostClientMessage(d, 4);
    PostClientMessage(b, 4);
    g_GameHost.FrameStep();
    ASSERT_EQ(c->handled.size(), 3u);
    EXPECT_EQ(c->handled[0][0], 2);
    EXPECT_EQ(c->handled[1][0], 10);
    EXPECT_EQ(c->handled[2][0], 7);
    ASSERT_EQ(c->m_Received.size(), 2u);
    EXPECT_EQ(c->m_Received[1].textBefore, std::vector<std::string>{"hi"}) << "text first, kept for the next packet";
    EXPECT_EQ(g_ClientMsgList.GetCount(), 0);
}

TEST_F(GameHostTest, APacketPostedDuringTheDrainIsHandledInTheSameDrain) {
    TestClient* c = Install();
    c->postDuringFirst = true;
    const uint8_t a[3] = {2, 1, 0};
    PostClientMessage(a, 3);
    g_GameHost.DrainClientMessages();
    ASSERT_EQ(c->handled.size(), 2u);
    EXPECT_EQ(c->handled[1], (std::vector<uint8_t>{13, 1}));
    EXPECT_EQ(g_ClientMsgList.GetCount(), 0);
}

TEST_F(GameHostTest, DecliningCommandIsDroppedAndTheRestWait) {
    TestServer* s = nullptr;
    Install(&s);
    PostServerCommand("#CreateClient 1 2 3", 0);
    PostServerCommand("x declined", 1);
    PostServerCommand("#CreateClient 4 5 6", 2);
    g_GameHost.DrainServerCommands();
    EXPECT_EQ(s->seen, (std::vector<std::string>{"#CreateClient 1 2 3/0", "x declined/1"}));
    EXPECT_EQ(g_ServerCmdList.GetCount(), 1);
    ServerStep();
    EXPECT_EQ(s->seen.size(), 3u);
    EXPECT_EQ(g_ServerCmdList.GetCount(), 0);
}

TEST_F(GameHostTest, PausedHostDrainsCommandsButNotTimeOrPackets) {
    TestServer* s = nullptr;
    TestClient* c = Install(&s);
    g_GameHost.SetPaused(1);
    const uint8_t a[3] = {2, 1, 0};
    PostClientMessage(a, 3);
    PostServerCommand("#CreateClient 1 2 3", 0);
    const CGameClock before = *GetGameClock();
    s->m_Pending = 1;  // a scene change that only a scene tick carries out
    s->m_PendingName = "NULL";
    g_GameHost.FrameStep();
    EXPECT_EQ(GetGameClock()->hour, before.hour) << "the calendar stands";
    EXPECT_EQ(GetGameClock()->tick, before.tick) << "the calendar stands";
    EXPECT_EQ(s->m_Pending, 1) << "no scene tick";
    EXPECT_EQ(s->seen.size(), 1u) << "commands still drain";
    EXPECT_TRUE(c->handled.empty());
    EXPECT_EQ(g_ClientMsgList.GetCount(), 1) << "packets wait";
    g_GameHost.SetPaused(0);
    g_GameHost.FrameStep();
    EXPECT_EQ(GetGameClock()->hour * 1501 + GetGameClock()->tick, before.hour * 1501 + before.tick + 1);
    EXPECT_EQ(c->handled.size(), 1u);
    EXPECT_EQ(s->m_Pending, 0);
}

TEST_F(GameHostTest, LeavingTheGameKeepsTheServerUntilShutdown) {
    g_GameHost.Start(nullptr);
    g_GameHost.SetPaused(1);
    g_GameHost.DestroyClient();
    EXPECT_EQ(g_GameHost.m_pClient, nullptr);
    EXPECT_NE(g_GameHost.m_pServer, nullptr);
    EXPECT_EQ(g_GameHost.m_Paused, 0);
    g_GameHost.FrameStep();  // a server without a client still steps
    EXPECT_NE(g_LocalPlayerRecord, nullptr);
    g_GameHost.Shutdown();
    EXPECT_EQ(g_GameHost.m_pServer, nullptr);
    EXPECT_EQ(g_LocalPlayerRecord, nullptr);
}

TEST_F(GameHostTest, PlayerRecords) {
    EXPECT_EQ(GetPlayerRecord(0), nullptr);
    g_GameHost.Start(nullptr);
    EXPECT_EQ(GetPlayerRecord(-1), nullptr);
    EXPECT_EQ(GetPlayerRecord(0), g_LocalPlayerRecord);
    EXPECT_EQ(GetPlayerRecord(57), g_LocalPlayerRecord);
    EXPECT_EQ(GetLocalPlayerRecord(), nullptr) << "no controlled role";
}

TEST_F(GameHostTest, CombatZoomByDistance) {
    EXPECT_FLOAT_EQ(CombatZoomForDistance(100, 0), 0.0375f);
    EXPECT_FLOAT_EQ(CombatZoomForDistance(240, 0), 0.0375f);
    EXPECT_FLOAT_EQ(CombatZoomForDistance(300, 0), (1.0f - 300.0f / 320.0f) * 0.15f);
    EXPECT_NEAR(CombatZoomForDistance(0, -300), 0.009375f, 1e-7f);
    EXPECT_EQ(CombatZoomForDistance(320, 0), 0.0f);
    EXPECT_EQ(CombatZoomForDistance(321, 0), 0.0f);

    float z = -1.0f;
    EXPECT_EQ(g_GameHost.TakeZoomRequest(&z), 0);
    g_GameHost.SetCombatZoom(0);
    EXPECT_EQ(g_GameHost.TakeZoomRequest(&z), 1);
    EXPECT_EQ(z, 0.0f);
    EXPECT_EQ(g_GameHost.TakeZoomRequest(&z), 0) << "taken once";
}

TEST_F(GameHostTest, SceneSendsPendingLinesAheadOfEachRecipient) {
    CScene scene("Test");
    for (int id : {1, 2}) {
        auto* t = new CViewTracker;
        t->m_ClientId = id;
        scene.m_Trackers.AddTail(t);
    }
    scene.AddTextLine("a");
    scene.AddTextLine("bc");
    const uint8_t p[3] = {2, 5, 0};
    scene.Broadcast(p);
    EXPECT_EQ(scene.IsTextEmpty(), 1) << "cleared once after the last recipient";
    std::vector<std::vector<uint8_t>> got;
    for (CObjNode* n = g_ClientMsgList.Head(); n; n = n->Next()) {
        auto* m = static_cast<CClientMsgNode*>(n);
        got.emplace_back(m->m_pData, m->m_pData + m->m_Length);
    }
    const std::vector<uint8_t> ta{10, 'a', 0}, tb{10, 'b', 'c', 0}, pk{2, 5, 0};
    EXPECT_EQ(got, (std::vector<std::vector<uint8_t>>{ta, tb, pk, ta, tb, pk}));
}

} // namespace
